#include "engine/text/revision_history.h"

#include <array>
#include <string_view>

#include "engine/format/revision_number.h"
#include "engine/format/user_list.h"
#include "engine/support/guarded_memory.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/message_format.h"
#include "engine/support/report.h"
#include "engine/text/local_date_text.h"

namespace tarn {

namespace {

// "P  line\n" for every line of `text`, then "P\n": each description ends
// with a line holding the comment prefix alone.
void AppendPrefixedLines(std::string& out, std::string_view prefix, std::string_view text) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    const std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    out.append(prefix).append("  ").append(line).append("\n");
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  out.append(prefix).append("\n");
}

std::string HistoryEntryLine(std::string_view prefix, const RevisionRecord& revision,
                             const LogfileHeader& header) {
  const std::string number = FormatRevision(revision.number);
  const std::string author = UserName(header.modifierList, revision.header.CreatorIndex);
  const std::string date = LocalDateText(revision.header.FilePutDate);
  const std::array<MessageArg, 4> args{MessageArg(prefix), MessageArg(number), MessageArg(author),
                                       MessageArg(date)};
  // Not a message for the host: no program label, and no message-buffer
  // limit beyond what a line of a workfile may reasonably hold.
  return FormatWithArgs(MessageText(msg::kHistoryEntry.number), args, 4096);
}

}  // namespace

bool IsAncestorOrSelf(const tarnCommandRevDesc& candidate, const tarnCommandRevDesc& fetched) {
  const int count = candidate.iElementCount;
  if (count < 1 || count > fetched.iElementCount || count > kMaxRevisionElements) return false;
  const auto last = static_cast<std::size_t>(count - 1);
  for (std::size_t k = 0; k < last; ++k) {
    if (candidate.elements[k].iMajor != fetched.elements[k].iMajor ||
        candidate.elements[k].iMinor != fetched.elements[k].iMinor) {
      return false;
    }
  }
  return candidate.elements[last].iMajor == fetched.elements[last].iMajor &&
         candidate.elements[last].iMinor <= fetched.elements[last].iMinor;
}

int CollectAncestors(platform::File& logfile, std::int64_t first_record_offset,
                     const tarnCommandRevDesc& fetched, std::deque<RevisionRecord>& ancestors) {
  ancestors.clear();
  RevisionScanner scanner(logfile, first_record_offset);
  RevisionRecord record;
  while (true) {
    switch (scanner.Next(record)) {
      case RevisionScanner::Step::kEnd:
        return 1;
      case RevisionScanner::Step::kFailed:
        return -1;
      case RevisionScanner::Step::kRecord:
        break;
    }
    if (!IsAncestorOrSelf(record.number, fetched)) continue;
    if (record.header._iDepth == 0) {
      ancestors.push_back(record);
    } else {
      ancestors.push_front(record);
    }
  }
}

int AppendRevisionHistory(const LogfileHeader& header, platform::File& logfile,
                          const std::deque<RevisionRecord>& ancestors, std::size_t limit,
                          std::string& out) {
  const std::string_view prefix = header.commentPrefix;
  out.append("\n").append(prefix).append("\n");
  AppendPrefixedLines(out, prefix, header.description);
  std::size_t written = 0;
  for (const RevisionRecord& revision : ancestors) {
    if (written == limit) break;
    std::string description;
    if (ReadRevisionDescription(logfile, revision, description) < 0) return -1;
    out.append(HistoryEntryLine(prefix, revision, header)).append("\n");
    AppendPrefixedLines(out, prefix, description);
    ++written;
  }
  out.append(prefix).append("$").append(MessageText(msg::kKeywordLogEnd.number)).append("$");
  return 1;
}

}  // namespace tarn
