#include "engine/diff/line_diff.h"

#include <cstdio>
#include <new>
#include <optional>
#include <stdexcept>

#include "engine/diff/common_ends.h"
#include "engine/diff/compared_text.h"
#include "engine/diff/confusing_lines.h"
#include "engine/diff/delta_writer.h"
#include "engine/diff/edit_script.h"
#include "engine/diff/line_classes.h"
#include "engine/diff/line_table.h"
#include "engine/support/report.h"
#include "engine/support/source_location.h"
#include "engine/support/whole_file.h"
#include "platform/file.h"

namespace tarn {
namespace {

// Calls the closing hook however the comparison ends.
class FinishOnExit {
 public:
  explicit FinishOnExit(DiffProgress& progress) : progress_(progress) {}
  ~FinishOnExit() { progress_.Finished(); }
  FinishOnExit(const FinishOnExit&) = delete;
  FinishOnExit& operator=(const FinishOnExit&) = delete;

 private:
  DiffProgress& progress_;
};

void ReportFileFault(CheckedMessage<std::string_view, std::string_view, int> message,
                     const std::string& path, SourceLocation where = SourceLocation::current()) {
  const std::string module = SourceModuleName(where);
  Report(kAlert, message, std::string_view(path), std::string_view(module),
         static_cast<int>(where.line()));
}

// The comparison proper, on texts whose last lines are completed.
int CompareCompleted(const ComparedText& source, const ComparedText& target, std::uint8_t separator,
                     ByteBuffer& delta, DiffProgress& progress) {
  const CommonEnds ends = FindCommonEnds(source.bytes, target.bytes, separator);
  const LineTable lines1 =
      SplitLines(source.bytes, ends.prefix_end, ends.suffix_start[0], ends.prefix_lines, separator);
  const LineTable lines2 =
      SplitLines(target.bytes, ends.prefix_end, ends.suffix_start[1], ends.prefix_lines, separator);
  DiscardResult compared = [&] {
    const LineClasses classes = AssignClasses(source.bytes, lines1, target.bytes, lines2);
    return DiscardConfusingLines(classes.of, classes.count);
  }();

  Report(kStatus, msg::kComparing);
  MarkEditScript(compared.sequences[0], compared.sequences[1], compared.changed[0],
                 compared.changed[1], progress);
  const GuardedVector<LineChange> changes =
      CollectChanges(compared.changed[0], compared.changed[1]);
  if (changes.empty()) return 0;
  WriteDeltaRecords(source, lines1, target, lines2, changes, separator, delta);
  return 1;
}

// Runs `compare`, turning exhausted memory and broken internal checks into
// a reported failure.
template <class Compare>
int Guarded(Compare compare, SourceLocation where = SourceLocation::current()) {
  try {
    return compare();
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory, where);
  } catch (const std::length_error&) {
    ReportFault(msg::kOutOfMemory, where);
  } catch (const std::logic_error& fault) {
    std::fprintf(stderr, "Assertion failure: '%s' on line %u in file '%s'\n", fault.what(),
                 where.line(), SourceModuleName(where).c_str());
  }
  return -1;
}

bool FitsDeltaPositions(std::size_t size) { return size <= kMaxComparedSize; }

// Reads a whole file into `text` and completes its last line.
int ReadComparedFile(const std::string& path, std::uint8_t separator, ComparedText& text) {
  // Room for the completed last line.
  if (ReadWholeFileOrReport(path, text.bytes, kMaxComparedSize, 2) != 1) return -1;
  CompleteLastLine(text, separator);
  return 1;
}

}  // namespace

int CompareBuffers(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
                   std::uint8_t separator, ByteBuffer& delta, DiffProgress& progress) {
  FinishOnExit finish(progress);
  delta.clear();
  if (!FitsDeltaPositions(source.size()) || !FitsDeltaPositions(target.size())) {
    ReportFault(msg::kOutOfMemory);
    return -1;
  }
  const int result = Guarded([&] {
    const ComparedText first = MakeComparedText(source, separator);
    const ComparedText second = MakeComparedText(target, separator);
    return CompareCompleted(first, second, separator, delta, progress);
  });
  if (result < 0) delta.clear();
  return result;
}

int CompareFiles(const std::string& delta_path, const std::string& source_path,
                 const std::string& target_path, std::uint8_t separator, DiffProgress& progress) {
  FinishOnExit finish(progress);
  std::optional<platform::File> out =
      platform::File::Open(delta_path, platform::OpenMode::kWriteTruncate);
  if (!out) {
    ReportFileFault(msg::kTempFileOpenFailed, delta_path);
    return -1;
  }
  return Guarded([&] {
    ComparedText first;
    ComparedText second;
    if (ReadComparedFile(source_path, separator, first) < 0 ||
        ReadComparedFile(target_path, separator, second) < 0) {
      return -1;
    }
    ByteBuffer delta;
    const int result = CompareCompleted(first, second, separator, delta, progress);
    if (!out->WriteAll(delta) || !out->Close()) {
      ReportWriteFailure();
      return -1;
    }
    return result;
  });
}

}  // namespace tarn
