#include "tests/support/logfile_builder.h"

#include <fstream>
#include <stdexcept>

namespace tarn::testing {
namespace {

// Little-endian packing of the builder's own.
void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutSigned16(std::vector<std::uint8_t>& out, std::int16_t value) {
  Put16(out, static_cast<std::uint16_t>(value));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
  }
}

void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

std::int16_t Size16(std::size_t size) {
  if (size > 32767) throw std::length_error("logfile builder: text too long for a size field");
  return static_cast<std::int16_t>(size);
}

}  // namespace

LogfileBuilder::LogfileBuilder() : supplementalInfo_(516, 0) {}

LogfileBuilder& LogfileBuilder::Trunk(std::int16_t major, std::int16_t minor) {
  trunk_ = {major, minor};
  return *this;
}

LogfileBuilder& LogfileBuilder::Attributes(std::uint16_t attributes) {
  attributes_ = attributes;
  return *this;
}

LogfileBuilder& LogfileBuilder::LockCount(std::int16_t count) {
  lockCount_ = count;
  return *this;
}

LogfileBuilder& LogfileBuilder::Access(std::string names) {
  access_ = std::move(names);
  return *this;
}

LogfileBuilder& LogfileBuilder::Modifiers(std::string names) {
  modifiers_ = std::move(names);
  return *this;
}

LogfileBuilder& LogfileBuilder::CommentPrefix(std::string prefix) {
  commentPrefix_ = std::move(prefix);
  return *this;
}

LogfileBuilder& LogfileBuilder::Owner(std::string owner) {
  owner_ = std::move(owner);
  return *this;
}

LogfileBuilder& LogfileBuilder::Description(std::string description) {
  description_ = std::move(description);
  return *this;
}

LogfileBuilder& LogfileBuilder::Users(const std::string& names) {
  access_ = names;
  modifiers_ = names;
  return *this;
}

LogfileBuilder& LogfileBuilder::SupplementalInfo(std::vector<std::uint8_t> bytes) {
  supplementalInfo_ = std::move(bytes);
  return *this;
}

LogfileBuilder& LogfileBuilder::SupplementalInfo(const std::string& workfilePath, int modifierIndex,
                                                 std::uint32_t updateTime,
                                                 std::uint64_t workfileSize) {
  std::vector<std::uint8_t> info;
  PutText(info, workfilePath);
  PutText(info, std::to_string(modifierIndex) + "~" + std::to_string(updateTime) + "~" +
                    std::to_string(workfileSize));
  if (info.size() > 516) throw std::length_error("logfile builder: supplemental info too long");
  info.resize(516, 0);
  supplementalInfo_ = std::move(info);
  return *this;
}

LogfileBuilder& LogfileBuilder::DefaultRevision(const std::vector<RevisionElement>& elements) {
  std::vector<std::array<std::int16_t, 4>> flagged;
  for (const auto& [major, minor] : elements) flagged.push_back({0, major, 0, minor});
  return DefaultRevisionWithFlags(flagged);
}

LogfileBuilder& LogfileBuilder::DefaultRevisionWithFlags(
    const std::vector<std::array<std::int16_t, 4>>& elements) {
  defaultRevision_ = elements;
  return *this;
}

LogfileBuilder& LogfileBuilder::AddLabel(const std::vector<RevisionElement>& revision,
                                         const std::string& text, std::int16_t creator) {
  labels_.push_back({revision, text, creator});
  return *this;
}

LogfileBuilder& LogfileBuilder::AddRevision(const BuiltRevision& revision) {
  revisions_.push_back(revision);
  return *this;
}

LogfileBuilder& LogfileBuilder::Patch(std::size_t offset, std::uint16_t value) {
  if (offset % 2 != 0 || offset > 28) throw std::out_of_range("logfile builder: patch offset");
  patches_.emplace_back(offset, value);
  return *this;
}

std::uint16_t LogfileBuilder::Checksum(const std::vector<std::uint8_t>& fixedHeader) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < 28; i += 2) {
    sum += static_cast<std::uint32_t>(fixedHeader.at(i) | (fixedHeader.at(i + 1) << 8));
  }
  return static_cast<std::uint16_t>(sum % 65536);
}

std::vector<std::uint8_t> LogfileBuilder::HeaderBytes() const {
  std::pair<std::int16_t, std::int16_t> trunk{1, -1};
  if (trunk_) {
    trunk = *trunk_;
  } else {
    for (const BuiltRevision& revision : revisions_) {
      if (revision.depth == 0) {
        trunk = {revision.major, revision.minor};
        break;
      }
    }
  }
  std::size_t locks = 0;
  for (const BuiltRevision& revision : revisions_) locks += revision.locked != 0 ? 1 : 0;

  std::vector<std::uint8_t> out;
  PutSigned16(out, 6);
  PutSigned16(out, trunk.first);
  PutSigned16(out, trunk.second);
  Put16(out, attributes_);
  PutSigned16(out, Size16(labels_.size()));
  PutSigned16(out, Size16(revisions_.size()));
  PutSigned16(out, defaultRevision_ ? Size16(defaultRevision_->size()) : 0);
  PutSigned16(out, lockCount_.value_or(Size16(locks)));
  PutSigned16(out, Size16(access_.size() + 1));
  PutSigned16(out, Size16(modifiers_.size() + 1));
  PutSigned16(out, Size16(commentPrefix_.size() + 1));
  PutSigned16(out, Size16(owner_.size() + 1));
  PutSigned16(out, Size16(description_.size() + 1));
  PutSigned16(out, Size16(supplementalInfo_.size()));
  Put16(out, 0);  // checksum, below
  bool checksum_patched = false;
  for (const auto& [offset, value] : patches_) {
    out[offset] = static_cast<std::uint8_t>(value & 0xFF);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    checksum_patched = checksum_patched || offset == kAtChecksum;
  }
  if (!checksum_patched) {
    const std::uint16_t sum = Checksum(out);
    out[28] = static_cast<std::uint8_t>(sum & 0xFF);
    out[29] = static_cast<std::uint8_t>(sum >> 8);
  }

  if (defaultRevision_) {
    PutSigned16(out, Size16(defaultRevision_->size()));
    PutSigned16(out, 0);  // not a range
    for (const auto& element : *defaultRevision_) {
      for (const std::int16_t word : element) PutSigned16(out, word);
    }
    out.insert(out.end(), 12, 0);
  }
  PutText(out, access_);
  PutText(out, modifiers_);
  PutText(out, commentPrefix_);
  PutText(out, owner_);
  PutText(out, description_);
  out.insert(out.end(), supplementalInfo_.begin(), supplementalInfo_.end());
  for (const Label& label : labels_) {
    PutSigned16(out, Size16(label.revision.size()));
    PutSigned16(out, label.creator);
    PutSigned16(out, Size16(label.text.size() + 1));
    for (const auto& [major, minor] : label.revision) {
      PutSigned16(out, major);
      PutSigned16(out, minor);
    }
    PutText(out, label.text);
  }
  return out;
}

std::vector<std::uint8_t> LogfileBuilder::RevisionBytes(const BuiltRevision& revision) const {
  std::vector<std::uint8_t> out;
  PutSigned16(out, revision.major);
  PutSigned16(out, revision.minor);
  PutSigned16(out, revision.locked);
  PutSigned16(out, revision.branchCount);
  PutSigned16(out, revision.depth);
  out.push_back(revision.tip);
  out.push_back(revision.compressed);
  Put16(out, revision.reserved);
  Put32(out, revision.putDate);
  Put32(out, revision.editDate);
  Put32(out, revision.revSize.value_or(static_cast<std::uint32_t>(revision.data.size())));
  PutSigned16(out, revision.lockerIndex);
  PutSigned16(out, revision.creatorIndex);
  PutSigned16(out, revision.descSize.value_or(Size16(revision.description.size() + 1)));
  PutText(out, revision.description);
  out.insert(out.end(), revision.data.begin(), revision.data.end());
  return out;
}

std::vector<std::uint8_t> LogfileBuilder::Bytes() const {
  std::vector<std::uint8_t> out = HeaderBytes();
  for (const BuiltRevision& revision : revisions_) {
    const std::vector<std::uint8_t> record = RevisionBytes(revision);
    out.insert(out.end(), record.begin(), record.end());
  }
  return out;
}

std::vector<std::size_t> LogfileBuilder::RevisionOffsets() const {
  std::vector<std::size_t> offsets;
  std::size_t at = HeaderBytes().size();
  for (const BuiltRevision& revision : revisions_) {
    offsets.push_back(at);
    at += RevisionBytes(revision).size();
  }
  return offsets;
}

void LogfileBuilder::WriteTo(const std::string& path) const {
  const std::vector<std::uint8_t> bytes = Bytes();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("logfile builder: cannot write " + path);
}

}  // namespace tarn::testing
