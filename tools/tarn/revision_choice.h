// The revision options of the reports that read one revision of each file
// (annotate, export): -rev REVISION and -date WHEN, as the get command
// takes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/commands/command_line.h"
#include "engine/format/revision_desc.h"
#include "engine/store/logfile_reading.h"
#include "engine/support/report.h"

namespace tarn::cli {

struct RevisionChoiceOptions {
  std::optional<tarnCommandRevDesc> revision;
  std::optional<std::int64_t> date;
  std::string date_text;

  // Takes the option under `words[i]` (and its value, moving `i` on) when
  // it is one of these. True when it was; `refused` tells whether its value
  // was refused (reported).
  bool Take(std::span<const std::string> words, std::size_t& i, bool& refused);

  // The request for `logfile`: the revision given, the one the date
  // chooses (named in a message of kind `note_kind`), or the default
  // revision. None after a report.
  std::optional<tarnCommandRevDesc> RequestFor(LogfileReading& logfile, const std::string& file,
                                               MessageKind note_kind) const;
};

}  // namespace tarn::cli
