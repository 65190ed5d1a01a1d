// A whole logfile from the fuzz input: open it, read its header, walk every
// revision record and look each one up again by number, as a branch tip and
// through every label. Whatever the bytes hold, nothing may crash, read past
// a buffer or allocate more than the file holds, and every lookup must put
// the stream back where it started.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "engine/format/logfile_header_io.h"
#include "engine/format/revision_number.h"
#include "engine/revisions/labels.h"
#include "engine/store/logfile_open.h"
#include "engine/store/revision_scan.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "platform/environment_variables.h"
#include "platform/file.h"
#include "platform/file_system.h"

namespace {

// Enough records to reach deep branches; every record is looked up again,
// so the work grows with the square of this.
constexpr int kMaxRecordsLookedUp = 64;

class SilentHost final : public tarn::Host {
 public:
  void ReportMessage(std::string_view, int) override {}
  std::string AskQuestion() override { return tarn::MessageText(18); }
};

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string ScratchDirectory() {
  std::string directory =
      tarn::platform::TemporaryDirectory() + "tarn-fuzz-records-" + std::to_string(::getpid());
  tarn::platform::CreateDirectory(directory);
  return directory;
}

void LookUpAgain(tarn::platform::File& stream, const tarn::LogfileHeader& header,
                 const tarn::RevisionRecord& record, std::int64_t first) {
  tarn::tRevHdr found;
  std::int64_t offset = 0;
  // The record's own number selects it or an earlier record of that number.
  Check(tarn::FindRevision(record.number, stream, found, offset) == 1);
  Check(offset <= record.offset);
  Check(stream.Tell() == first);

  tarn::tRevHdr tip;
  tarn::tarnCommandRevDesc tipNumber;
  if (tarn::FindBranchTip(stream, record.number, tip, tipNumber) == 1) {
    Check(tip._cTip == 1);
    Check(tipNumber.iElementCount == record.number.iElementCount);
  }
  Check(stream.Tell() == first);

  const tarn::LabelRecord* label = tarn::LabelOfRevision(header, record.number, record.header);
  if (label != nullptr) Check(!tarn::FormatLabel(*label).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = [] {
    static SilentHost host;
    tarn::SetHost(&host);
    return tarn::LoadMessageFile("fuzz", tarn::kCatalogueFileName,
                                 tarn::platform::ProgramDirectory()) == 1;
  }();
  static const std::string directory = ScratchDirectory();
  if (!ready) return 0;

  tarn::tarnEnvironVars env;
  env.logfileDirectory = directory;
  {
    std::optional<tarn::platform::File> out =
        tarn::platform::File::Open(directory + "/fuzz.d", tarn::platform::OpenMode::kWriteTruncate);
    if (!out || !out->WriteAll(std::span(data, size))) return 0;
  }

  std::string path;
  std::optional<tarn::platform::File> stream = tarn::OpenLogfile("fuzz.c", env, path);
  if (!stream) return 0;
  tarn::LogfileHeader header;
  const bool headerRead = tarn::ReadLogfileHeader(*stream, header) == 1;
  if (tarn::SkipHeader(*stream) != 1) return 0;
  const std::optional<std::int64_t> first = stream->Tell();
  Check(first.has_value());

  tarn::RevisionScanner scanner(*stream, *first);
  tarn::RevisionRecord record;
  int records = 0;
  while (scanner.Next(record) == tarn::RevisionScanner::Step::kRecord) {
    Check(record.EndOffset() <= *stream->Size());
    std::string description;
    // A description that does not end in its NUL is damage the scan leaves
    // to the reader of the description: reported, and the walk ends.
    if (tarn::ReadRevisionDescription(*stream, record, description) != 1) break;
    tarn::ByteBuffer stored;
    Check(tarn::ReadRevisionData(*stream, record, stored) == 1);
    Check(stored.size() == record.header.RevSize);
    Check(!tarn::FormatRevision(record.number).empty());
    if (records++ < kMaxRecordsLookedUp) {
      Check(stream->Seek(*first));
      LookUpAgain(*stream, header, record, *first);
    }
  }
  Check(stream->Seek(*first));

  if (headerRead) {
    tarn::tRevHdr found;
    std::int64_t offset = 0;
    for (const tarn::LabelRecord& label : header.labels) {
      Check(tarn::FindLabel(header, label.text) != nullptr);
      tarn::FindRevision(tarn::LabelToRequest(label), *stream, found, offset);
      Check(stream->Tell() == first);
    }
    tarn::tarnCommandRevDesc wanted;
    if (tarn::DefaultRevision(header, wanted) == 1) {
      tarn::FindRevision(wanted, *stream, found, offset);
      Check(stream->Tell() == first);
    }
  }
  return 0;
}
