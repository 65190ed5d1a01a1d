// The engine command lines the single-file dialogs build.
//
// A dialog collects the user's choices into one of the records below and
// hands it to these functions; what comes back is the command string that a
// logfile object splits and runs (the file name travels beside it). Option
// words are the catalogue's, so the string and the engine that reads it
// always agree; the catalogue must be loaded. Nothing here needs a window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::dorn {

// A three-state check box: undetermined leaves the logfile's attribute alone.
enum class TriState { kUndetermined, kChecked, kClear };

// What to do with a writable workfile that a get would replace.
enum class WritableChoice { kReplace, kAsk, kKeep };

// The time stamp a fetched workfile gets.
enum class TimestampChoice { kNow, kCheckinTime, kEditTime };

// Whether a check-in of an unchanged workfile stores a revision.
enum class DuplicateChoice { kAlways, kOnlyOnChanges, kAsk };

struct GetChoices {
  std::string workfile;  // full name of the workfile to write
  std::string revision;  // empty: the logfile's default revision
  bool byLabel = false;
  std::string label;
  TriState expandKeywords = TriState::kUndetermined;
  bool newerOnly = false;                          // get only
  TriState makeWritable = TriState::kUndetermined;  // get only
  WritableChoice writable = WritableChoice::kAsk;
  TimestampChoice timestamp = TimestampChoice::kNow;
};

struct CheckInChoices {
  std::string workfile;
  std::string description;
  DuplicateChoice duplicate = DuplicateChoice::kOnlyOnChanges;
  bool forceBranch = false;
  bool leaveCheckedOut = false;
  TriState protectWorkfile = TriState::kUndetermined;
};

struct AddChoices {
  std::string workfile;
  std::string description;
  std::uint16_t attributes = 0;  // the check boxes, logfile attribute bits
  std::uint16_t defaults = 0;    // the settings' defaults for new logfiles
};

// The revision a revision-list entry names: its text from the first decimal
// digit on ("Revision 1.12" gives "1.12"); empty when it has no digit.
std::string RevisionOfEntry(std::string_view entry);

// Get and check out. Nothing when "Get by label" is chosen with an empty
// label: no command may run then.
std::optional<std::string> GetCommand(const GetChoices& choices);
std::optional<std::string> CheckOutCommand(const GetChoices& choices);

std::string CheckInCommand(const CheckInChoices& choices);
// Creates the logfile; attributes are named only where they differ from the
// defaults.
std::string AddCommand(const AddChoices& choices);

std::string LockCommand(std::string_view revision);
std::string UnlockCommand(std::string_view revision);
std::string LabelCommand(std::string_view revision, std::string_view label);
std::string UnlabelCommand(std::string_view label);

// The label as a get command's label value. Apostrophes enclose it, which
// the get parser removes; a label that would not come back whole from them
// (a word inside ending in an apostrophe, runs of blanks, tabs) is enclosed
// in double quotes instead, which the command-line splitter removes.
std::string QuotedGetLabel(std::string_view label);

}  // namespace tarn::dorn
