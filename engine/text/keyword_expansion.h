// Keyword expansion: filling "$Name$" markers in a fetched revision with
// facts about it (number, author, dates, owner, paths, label, notice and the
// Log keyword's revision history).
//
// Keyword names are catalogue words, compared letter for letter. In a text
// workfile only the unexpanded form "$Name$" is recognised and becomes
// "$Name: value $" (the file grows). In a binary workfile a keyword is a
// fixed-width field "$Name:<field>$" whose field is overwritten in place, so
// the file keeps its length. The stored revision always keeps what was
// checked in; only the fetched copy is expanded.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "engine/format/revision_header.h"
#include "engine/support/environment.h"
#include "engine/support/guarded_memory.h"
#include "platform/file.h"

namespace tarn {

// What an expansion needs to know; the get command fills it after the
// rebuild. The pointers are borrowed and must stay valid for the call;
// `header` must be set, and without `logfile` a Log keyword gets no history.
struct KeywordExpansionContext {
  tRevHdr revision;                   // the fetched revision's header
  tarnCommandRevDesc revisionNumber;  // its full number
  const LogfileHeader* header = nullptr;
  // The open logfile and the offset of its first revision record: the Log
  // keyword's history reads the revision records from there. The stream's
  // position is restored afterwards.
  platform::File* logfile = nullptr;
  std::int64_t firstRevisionOffset = 0;
  std::string workfilePath;     // the get's workfile path (a display name overrides it)
  std::string logfileArgument;  // the file name as given on the command line
  std::string logfilePath;      // the logfile's path, shown as its full path
  std::string revisionLabel;    // the label naming the revision, or the catalogue's "none" word
  bool binary = false;          // BinaryFile in effect: fixed-width fields
  std::string fetchedFile;      // the rebuilt revision; expanded in place
  const tarnEnvironVars* environment = nullptr;  // where temporary files go
};

// Expands the keywords of the fetched file. The expansion is written to a
// second temporary file that then replaces the fetched one, so on any
// failure (reported) the fetched file is left exactly as it was. 1 or -1.
int ExpandKeywords(const KeywordExpansionContext& context);

// The same on text in memory: the expanded text goes to `expanded`. 1, or
// -1 (reported) when the history cannot be read or memory runs out.
int ExpandKeywordsInText(const KeywordExpansionContext& context, std::span<const std::uint8_t> text,
                         ByteBuffer& expanded);

// The process-wide workfile display name: a caller that fetches into a file
// of its own (view, compare, the refresh after a check-in) sets the name the
// Workfile and Header keywords show instead of the fetched file's path.
void SetWorkfileDisplayName(std::string_view name);
void ClearWorkfileDisplayName();
const std::optional<std::string>& WorkfileDisplayName();

// Sets the display name for its lifetime, clearing it on every path out.
class ScopedWorkfileDisplayName {
 public:
  explicit ScopedWorkfileDisplayName(std::string_view name) { SetWorkfileDisplayName(name); }
  ~ScopedWorkfileDisplayName() { ClearWorkfileDisplayName(); }
  ScopedWorkfileDisplayName(const ScopedWorkfileDisplayName&) = delete;
  ScopedWorkfileDisplayName& operator=(const ScopedWorkfileDisplayName&) = delete;
};

}  // namespace tarn
