// The label and remove-label commands ("tstamp", "tunstamp").
//
// A label is a user-chosen text attached to one revision of a logfile, or to
// a branch (it then follows the branch's newest revision), so that a set of
// files can later be fetched by that name. Labels live in the logfile header,
// newest first, and are unique by text: adding a label that exists either
// keeps the old one, moves it (after confirmation), or is refused. Both
// commands change the header's size, so the logfile is rewritten whole
// (logfile_rewrite.h); a failure leaves it as it was.
//
// Label command line: the command word, then in any order
//   -rev REVISION   the revision to label (a branch gives a floating label);
//                   by default the newest revision of the default branch
//   -v LABEL        the label to add (quoted over several arguments: 'a b')
//   -copy OLD NEW   give the revision that OLD marks the label NEW as well
//   -yes|-no|-keep  the answer, given in advance, when the label exists
//   and the file name. Exactly one of -v and -copy; -copy alone with -rev.
//
// Remove-label command line: -v LABEL and the file name.
#pragma once

#include <optional>
#include <string>

#include "engine/commands/command_line.h"
#include "engine/format/revision_desc.h"
#include "engine/support/environment.h"

namespace tarn {

// LabelCommandArgs: what the label parser takes from the command line.
struct LabelCommandArgs {
  std::optional<tarnCommandRevDesc> revision;  // none: the default revision
  // The label option's text; for the copy option, the existing label.
  std::string label;
  // The copy option's new label; none when the label option was given.
  std::optional<std::string> newLabel;
  // The preset answer, upper-cased (the word after the '-').
  std::optional<std::string> answer;
  std::string fileName;  // names the workfile and so the logfile
  bool quiet = false;    // leave out the information messages

  bool IsCopy() const { return newLabel.has_value(); }
  // The label that the command attaches.
  const std::string& AppliedLabel() const { return newLabel ? *newLabel : label; }
};

// UnlabelCommandArgs: what the remove-label parser takes.
struct UnlabelCommandArgs {
  std::string label;
  std::string fileName;
  bool quiet = false;  // leave out the information messages
};

// 1 accepted; -1 refused (reported, then the usage report).
int ParseLabelCommandLine(CommandArguments arguments, LabelCommandArgs& args);
int ParseUnlabelCommandLine(CommandArguments arguments, UnlabelCommandArgs& args);

// Adds (or moves, or copies) the label for env.userName. 1 when the label
// was applied, and when nothing was to be done: an existing label kept on
// purpose (the keep answer), a copy whose existing label is not there. -1
// when it was refused (the user not in the access or user list, a move not
// confirmed, a revision that does not exist) or a fault kept it from being
// written; the logfile is then unchanged. The environment's attribute word
// becomes the logfile's.
int LabelRevision(const LabelCommandArgs& args, tarnEnvironVars& env);

// Removes the label. 1 when it was removed, and when there was nothing to
// remove (no labels, no such label); -1 when refused (the user not in the
// access list) or not written. The environment's attribute word becomes the
// logfile's.
int RemoveLabel(const UnlabelCommandArgs& args, tarnEnvironVars& env);

}  // namespace tarn
