// The check-in command ("tput"): its command line and the record the parser
// fills.
//
// Command line: the command word, then options and exactly one name in any
// order. The name is the workfile (and, by the naming rule, the logfile);
// the workfile option names a workfile of another name. When the logfile
// does not exist yet, the same command creates it with the workfile as its
// first revision.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/commands/command_line.h"
#include "engine/format/revision_desc.h"

namespace tarn {

// CheckInRecord: what the parser takes from the command line (the command
// record of the check-in).
struct CheckInRecord {
  std::string givenName;                       // the name as given
  std::optional<std::string> workfile;         // the workfile option's name
  std::optional<tarnCommandRevDesc> revision;  // the number the new revision must get
  std::optional<std::string> description;      // the text option, as given
  // The preset answer to the unchanged-workfile question, upper-cased.
  std::optional<std::string> answer;
  AttributeOverride attributes;
  bool quiet = false;
  bool newBranch = false;  // start a branch even at a tip
  bool keepLock = false;   // the new revision stays locked; the workfile stays
  bool create = false;     // accepted and recorded, never consulted
  // Set by the object interface: re-expand keywords in the workfile after
  // the check-in whenever the logfile has ExpandKeywords, also when the
  // workfile option was given.
  bool expandKeywordsAlways = false;

  const std::string& WorkfileName() const { return workfile ? *workfile : givenName; }
};

// 1 accepted; -1 refused (reported, then the usage report). Parsing stops
// at the first refused argument.
int ParseCheckInCommandLine(CommandArguments arguments, CheckInRecord& record);

}  // namespace tarn
