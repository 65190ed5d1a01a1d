#include "import/logfile_build.h"

#include <array>
#include <limits>
#include <memory>
#include <optional>

#include "engine/commands/revision_insert.h"
#include "engine/diff/line_diff.h"
#include "engine/diff/separator_choice.h"
#include "engine/format/delta_format.h"
#include "engine/format/logfile_header_io.h"
#include "engine/format/supplemental_info.h"
#include "engine/store/file_copy.h"
#include "engine/format/user_list.h"
#include "engine/store/logfile_replace.h"
#include "engine/store/logfile_rewrite.h"
#include "engine/store/revision_lookup.h"
#include "engine/store/revision_scan.h"
#include "engine/store/temporary_files.h"
#include "engine/support/messages.h"
#include "engine/support/quiet_reports.h"
#include "engine/support/report.h"
#include "import/imported_header.h"
#include "import/number_mapping.h"

namespace tarn::rcs {

namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The delta that turns `from` into `to`. The comparison calls texts that
// differ only in a final separator equal; a logfile must give back each
// text as it was, so such a pair gets a record that replaces it all.
std::optional<ByteBuffer> DeltaBetween(std::string_view from, std::string_view to,
                                       std::uint8_t separator) {
  ByteBuffer delta;
  const int compared = CompareBuffers(Bytes(from), Bytes(to), separator, delta);
  if (compared < 0) return std::nullopt;
  if (compared == 0 && from != to) {
    delta.clear();
    AppendDeltaRecord(delta, DeltaKind::kReplace, 0, static_cast<std::int32_t>(from.size()),
                      Bytes(to));
  }
  return delta;
}

// Two scratch files taking turns: the logfile so far is read from one
// while the next is written into the other.
class ScratchLogfiles {
 public:
  static std::optional<ScratchLogfiles> Make(const tarnEnvironVars& env) {
    std::optional<std::string> first = MakeTemporaryFile(env);
    std::optional<std::string> second = first ? MakeTemporaryFile(env) : std::nullopt;
    if (!first || !second) {
      if (first) ScopedTemporaryFile discard(*first);
      Report(kAlert, msg::kTempNameFailed);
      return std::nullopt;
    }
    return ScratchLogfiles(*first, *second);
  }

  // The logfile so far; null before the first revision.
  platform::File* Current() { return current_ ? &*current_ : nullptr; }
  std::int64_t FirstRecord() const { return first_record_; }

  // Opens the other file for writing.
  std::optional<platform::File> StartNext() {
    std::optional<platform::File> out =
        platform::File::Open(NextPath(), platform::OpenMode::kWriteTruncate);
    if (!out) Report(kAlert, msg::kTempNameFailed);
    return out;
  }

  // The file just written becomes the logfile so far.
  bool Advance(platform::File& written, const LogfileHeader& header) {
    if (!written.Close()) {
      ReportWriteFailure();
      return false;
    }
    current_.reset();
    current_ = platform::File::Open(NextPath(), platform::OpenMode::kRead);
    if (!current_) {
      Report(kAlert, msg::kTempNameFailed);
      return false;
    }
    first_record_ = static_cast<std::int64_t>(EncodedHeaderSize(header));
    next_ = 1 - next_;
    return true;
  }

 private:
  ScratchLogfiles(const std::string& first, const std::string& second)
      : files_{std::make_unique<ScopedTemporaryFile>(first),
               std::make_unique<ScopedTemporaryFile>(second)} {}

  const std::string& NextPath() const { return files_[static_cast<std::size_t>(next_)]->path(); }

  std::array<std::unique_ptr<ScopedTemporaryFile>, 2> files_;
  std::optional<platform::File> current_;
  std::int64_t first_record_ = 0;
  int next_ = 0;
};

class LogfileBuilder {
 public:
  LogfileBuilder(const History& history, LogfileHeader& header, const ImportTarget& target,
                 ScratchLogfiles& scratch)
      : history_(history), header_(header), target_(target), scratch_(scratch) {}

  bool CheckRevisions() {
    for (const HistoryRevision& revision : history_.revisions) {
      const std::string number = FormatNumber(revision.number);
      if (!RevisionDescriptor(revision.number) || revision.number.size() > kMaxImportedFields) {
        Report(kAlert, msg::kImportNumberTooLarge, std::string_view(target_.name), number);
        return false;
      }
      if (revision.date < 0 || revision.date > std::numeric_limits<std::uint32_t>::max()) {
        Report(kAlert, msg::kImportDateOutOfRange, std::string_view(target_.name), number);
        return false;
      }
      if (revision.log.size() > kMaxRevisionDescription ||
          revision.log.find('\0') != std::string::npos) {
        Report(kAlert, msg::kImportLogTooLong, std::string_view(target_.name), number);
        return false;
      }
    }
    return true;
  }

  bool InsertAll() {
    for (std::size_t i = 0; i < history_.revisions.size(); ++i) {
      if (!Insert(i)) return false;
    }
    return true;
  }

  bool LockAll() {
    for (const auto& [user, number] : history_.locks) {
      if (!Lock(user, number)) return false;
    }
    return true;
  }

 private:
  std::uint8_t SeparatorFor(std::string_view text) const {
    if ((header_.fixed._iAttributes & kAttrBinaryFile) == 0) return '\n';
    return ChooseSeparatorFor(Bytes(text));
  }

  bool FindRecord(const tarnCommandRevDesc& number, RevisionRecord& record) {
    platform::File* current = scratch_.Current();
    if (current == nullptr) return false;
    return LookUpRevision(*current, scratch_.FirstRecord(), number, record) == Lookup::kFound;
  }

  bool Insert(std::size_t index) {
    const HistoryRevision& revision = history_.revisions[index];
    const tarnCommandRevDesc number = *RevisionDescriptor(revision.number);
    const bool trunk = number.iElementCount == 1;
    const RevElement& last = number.elements[static_cast<std::size_t>(number.iElementCount - 1)];

    InsertionPlan plan;
    plan.number.number = number;
    plan.number.startsBranch = revision.startsBranch;
    plan.keepBaseTip = revision.startsBranch;
    plan.compress = (header_.fixed._iAttributes & kAttrCompression) != 0;
    NewRevision stored;
    stored.record.major = last.iMajor;
    stored.record.minor = last.iMinor;
    stored.record._iDepth = static_cast<std::int16_t>(number.iElementCount - 1);
    stored.record._cTip = 1;
    stored.record.FilePutDate = static_cast<std::uint32_t>(revision.date);
    stored.record.FileEditDate = static_cast<std::uint32_t>(revision.date);
    stored.record.CreatorIndex =
        static_cast<std::int16_t>(UserIndex(revision.author, header_.modifierList));
    stored.description = revision.log;

    const std::uint8_t separator = SeparatorFor(revision.text);
    if (revision.base) {
      const HistoryRevision& base = history_.revisions[*revision.base];
      RevisionRecord record;
      if (!FindRecord(*RevisionDescriptor(base.number), record)) return false;
      plan.base.header = record.header;
      plan.base.number = record.number;
      plan.base.offset = record.offset;
      if (revision.startsBranch) {
        // The branch keeps its number; the count at its branch point must
        // cover it, so that the next new branch there gets a free number.
        const std::int16_t before = static_cast<std::int16_t>(last.iMajor - 1);
        if (plan.base.header._iBranchCount < before) plan.base.header._iBranchCount = before;
      }
      std::optional<ByteBuffer> delta = trunk ? DeltaBetween(revision.text, base.text, separator)
                                              : DeltaBetween(base.text, revision.text, separator);
      if (!delta) return false;
      if (trunk) {
        stored.oldTipDelta = std::move(*delta);
        stored.data = ByteBuffer(revision.text.begin(), revision.text.end());
      } else {
        stored.data = std::move(*delta);
      }
    } else {
      stored.data = ByteBuffer(revision.text.begin(), revision.text.end());
    }

    header_.fixed._iRevisionCount = static_cast<std::int16_t>(index + 1);
    if (trunk) {
      header_.fixed._iMajorNumber = last.iMajor;
      header_.fixed._iMinorNumber = last.iMinor;
    }
    std::optional<platform::File> out = scratch_.StartNext();
    if (!out) return false;
    if (WriteLogfileWithNewRevision(scratch_.Current(), scratch_.FirstRecord(), header_, plan,
                                    stored, *out) != 1) {
      return false;
    }
    return scratch_.Advance(*out, header_);
  }

  bool Lock(const std::string& user, const Number& revision) {
    RevisionRecord record;
    if (!FindRecord(*RevisionDescriptor(revision), record)) return false;
    tRevHdr locked = record.header;
    locked._iLocked = 1;
    locked.LockerIndex = static_cast<std::int16_t>(UserIndex(user, header_.modifierList));
    ++header_.fixed._iLockCount;
    std::optional<platform::File> out = scratch_.StartNext();
    if (!out) return false;
    if (WriteLogfileWithChangedRecord(*scratch_.Current(), scratch_.FirstRecord(), header_,
                                      record.offset, locked, *out) != 1) {
      return false;
    }
    return scratch_.Advance(*out, header_);
  }

  const History& history_;
  LogfileHeader& header_;
  const ImportTarget& target_;
  ScratchLogfiles& scratch_;
};

// Copies the finished logfile into place: the header with its final
// supplemental info, then the records.
bool PutInPlace(ScratchLogfiles& scratch, LogfileHeader& header, const ImportTarget& target,
                const tarnEnvironVars& env) {
  if (UpdateSupplementalInfo(header, target.workfile, env) != 1) return false;
  std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(target.logfile);
  if (!replacement) return false;
  if (WriteLogfileHeader(replacement->file(), header) != 1 ||
      CopyFileBytesOrReport(*scratch.Current(), scratch.FirstRecord(), std::nullopt,
                            replacement->file()) != 1) {
    replacement->ReportIfOutOfSpace(scratch.Current()->Size().value_or(0));
    return false;
  }
  return replacement->Commit(header.AsksProtection()) == 1;
}

}  // namespace

int WriteImportedLogfile(const History& history, LogfileHeader header, const ImportTarget& target,
                         const tarnEnvironVars& env) {
  std::optional<ScratchLogfiles> scratch = ScratchLogfiles::Make(env);
  if (!scratch) return -1;
  LogfileBuilder builder(history, header, target, *scratch);
  if (!builder.CheckRevisions()) return -1;
  bool written = false;
  {
    // The comparison's progress notes would fill the screen.
    const ScopedQuietReports quiet(true);
    written = builder.InsertAll() && AddLabelsAndDefault(history, target.name, header) == 1 &&
              builder.LockAll() && PutInPlace(*scratch, header, target, env);
  }
  if (!written) {
    Report(kAlert, msg::kImportNotWritten, std::string_view(target.name),
           std::string_view(target.logfile));
    return -1;
  }
  return 1;
}

}  // namespace tarn::rcs
