// A ,v file as written: its admin section, the tree of deltas, the
// description and the log message and text of every delta.
//
// The reader checks the grammar only; whether the deltas form a sound tree
// and whether their edit scripts fit is the history's business
// (rcs_history.h).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarn::rcs {

// A revision or branch number, one entry per dot-separated field.
using Number = std::vector<long>;

// "1.2.1.3" from its fields.
std::string FormatNumber(const Number& number);
// The fields of `text`, or none when it is not digits separated by single
// dots (or a field exceeds what a long holds).
std::optional<Number> ParseNumber(std::string_view text);

struct Delta {
  Number number;
  std::string date;  // as written: Y.mm.dd.hh.mm.ss
  std::string author;
  std::string state;  // empty when none is given
  std::vector<Number> branches;
  std::optional<Number> next;
  // From the deltatext section.
  bool hasText = false;
  std::string log;
  std::string text;  // the whole text (head) or an edit script
};

struct RcsFile {
  std::optional<Number> head;
  std::optional<Number> branch;  // the default branch
  std::vector<std::string> access;
  std::vector<std::pair<std::string, Number>> symbols;  // newest first, as written
  std::vector<std::pair<std::string, Number>> locks;    // user, revision
  bool strict = false;
  std::optional<std::string> comment;
  std::optional<std::string> expand;
  std::string description;
  std::vector<Delta> deltas;                 // in the order written
  std::map<Number, std::size_t> deltaIndex;  // number -> place in `deltas`
};

// Reads the text of the ,v file `name` (the name appears in messages).
// Refusals are reported (801-807, 810, 827): none.
std::optional<RcsFile> ReadRcsFile(std::string_view text, std::string_view name);

}  // namespace tarn::rcs
