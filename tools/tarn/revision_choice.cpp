#include "tools/tarn/revision_choice.h"

#include "engine/commands/revision_by_date.h"
#include "engine/store/revision_scan.h"
#include "engine/support/report.h"

namespace tarn::cli {

bool RevisionChoiceOptions::Take(std::span<const std::string> words, std::size_t& i,
                                 bool& refused) {
  const std::string& word = words[i];
  const bool by_date = IsOptionWord(word, msg::kOptionDate);
  if (!by_date && !IsOptionWord(word, msg::kOptionRevision)) return false;
  refused = true;
  if ((by_date && date) || (!by_date && revision)) {
    Report(kAlert, msg::kOptionTwice, OptionWord(by_date ? msg::kOptionDate : msg::kOptionRevision));
    return true;
  }
  if (i + 1 >= words.size()) {
    if (by_date) {
      Report(kAlert, msg::kOptionValueMissing, OptionWord(msg::kOptionDate));
    } else {
      Report(kAlert, msg::kRevisionMissing);
    }
    return true;
  }
  const std::string& value = words[++i];
  if (by_date) {
    date = ReadDateOrReport(value);
    date_text = value;
    refused = !date;
  } else {
    revision = ParseSingleRevisionArgument(value);
    refused = !revision;
  }
  return true;
}

std::optional<tarnCommandRevDesc> RevisionChoiceOptions::RequestFor(LogfileReading& logfile,
                                                                    const std::string& file,
                                                                    MessageKind note_kind) const {
  if (date) {
    return ChooseRevisionByDate(logfile.file(), logfile.firstRecordOffset(), logfile.header(),
                                revision, *date, date_text, file, note_kind);
  }
  if (revision) return revision;
  tarnCommandRevDesc request;
  if (DefaultRevision(logfile.header(), request) != 1) return std::nullopt;
  return request;
}

}  // namespace tarn::cli
