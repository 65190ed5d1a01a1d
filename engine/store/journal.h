// The journals: plain text logs of what the commands did, for people to read.
//
// Each entry goes first to the global journal (one line per entry, carrying
// the program label) when the settings name one, then to the local journal
// (journalPath + journalName), where line feeds in the text continue the
// entry on further lines. A journal is opened for one append only, with the
// journal's lock file held (appends are not atomic between machines on a
// network file system), and each entry is handed to the file in a single
// write, so that several users appending to one journal at once never
// interleave their lines. The system never reads a journal back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/support/environment.h"
#include "platform/clock.h"

namespace tarn {

// A name or value as one field of an entry: as it is when it holds neither
// the field separator ',', a double quote nor a control character (a line
// end); otherwise quoted as QuotedJournalText quotes it. An entry thus always
// has the fields it claims, one entry head per line, whatever the names.
std::string JournalField(std::string_view value);
// `value` in double quotes, with '"' and '\\' written as \" and \\, line
// ends and tabs as \n, \r and \t, and every other control character as
// \xHH (two hexadecimal digits).
std::string QuotedJournalText(std::string_view value);

// "MM/DD/YY": month, day and the years since 1900 (2001 gives "01/02/101").
std::string JournalDateField(const platform::LocalTime& when);
// "hh:mm:ss".
std::string JournalTimeField(const platform::LocalTime& when);

// The complete text of one local entry: logfile and user (as journal
// fields), date, time and the text as it is, ending in a line feed.
std::string LocalJournalEntry(std::string_view logfile, std::string_view user,
                              const platform::LocalTime& when, std::string_view text);
// The complete text of one global entry: the program label first, and every
// line end inside the text turned into a blank, so the entry is one line.
std::string GlobalJournalEntry(std::string_view program_label, std::string_view logfile,
                               std::string_view user, const platform::LocalTime& when,
                               std::string_view text);

// Appends one entry to the global journal (when the settings name one) and
// then to the local journal. `logfile_name` is written as its full path when
// that can be determined. A journal that cannot be opened within the retry
// count is reported (message 166) and gets no entry; the command's result is
// never affected, so nothing is returned.
void WriteJournalEntry(std::string_view program_label, const tarnEnvironVars& environment,
                       std::string_view logfile_name, std::string_view text);

// What the check-in command carried out, for its journal entry.
struct CheckInJournalFacts {
  bool keepLock = false;                   // the keep-lock option was given
  std::optional<std::string> workfile;     // the workfile option's path, when given
  std::string revisionNumber;              // the new (or released) revision, e.g. "1.3"
  std::uint16_t overriddenAttributes = 0;  // attribute bits named by attribute options
  std::uint16_t effectiveAttributes = 0;   // the attribute word in effect
  std::string name;                        // the file name as given on the command line
  std::string description;                 // the revision description
  // An unchanged check-in that only released the lock: the description is
  // replaced by the catalogue's text for that case (entry 228).
  bool onlyReleasedLock = false;
};

// The check-in entry text: the command echo on the first line, then the
// description lines, each indented by two blanks (the last without a line
// end; the entry format adds it). None when memory ran out (reported).
std::optional<std::string> CheckInJournalText(std::string_view program_label,
                                              const CheckInJournalFacts& facts);

}  // namespace tarn
