#include "tests/support/raw_logfile.h"

#include "tests/support/test_support.h"

namespace tarn::testing {

namespace {

class ByteCursor {
 public:
  explicit ByteCursor(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  bool Has(std::size_t n) const { return at_ <= bytes_.size() && bytes_.size() - at_ >= n; }
  std::uint16_t U16() {
    const std::uint16_t v = static_cast<std::uint16_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
    at_ += 2;
    return v;
  }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::uint32_t U32() {
    const std::uint32_t v = static_cast<std::uint32_t>(U16());
    return v | (static_cast<std::uint32_t>(U16()) << 16);
  }
  std::uint8_t U8() { return bytes_[at_++]; }
  std::vector<std::uint8_t> Take(std::size_t n) {
    std::vector<std::uint8_t> out(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                                  bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + n));
    at_ += n;
    return out;
  }
  // A stored text of `n` bytes whose last is its NUL.
  std::optional<std::string> Text(std::size_t n) {
    if (n == 0) return std::string();
    std::vector<std::uint8_t> raw = Take(n);
    if (raw.back() != 0) return std::nullopt;
    return std::string(raw.begin(), raw.end() - 1);
  }
  std::size_t at() const { return at_; }
  std::size_t size() const { return bytes_.size(); }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_ = 0;
};

std::optional<RawLogfile> Fail(std::string* error, const std::string& why) {
  if (error != nullptr) *error = why;
  return std::nullopt;
}

}  // namespace

const RawRevision* RawLogfile::Find(const std::string& number) const {
  for (const RawRevision& revision : revisions) {
    if (revision.number == number) return &revision;
  }
  return nullptr;
}

std::optional<RawLogfile> ParseRawLogfile(const std::vector<std::uint8_t>& bytes,
                                          std::string* error) {
  ByteCursor in(bytes);
  RawLogfile log;
  if (!in.Has(30)) return Fail(error, "fixed header cut short");
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < 28; i += 2)
    sum += static_cast<std::uint32_t>(bytes[i] | (bytes[i + 1] << 8));
  log.format = in.I16();
  log.majorNumber = in.I16();
  log.minorNumber = in.I16();
  log.attributes = in.U16();
  log.versionCount = in.I16();
  log.revisionCount = in.I16();
  log.defaultRevCount = in.I16();
  log.lockCount = in.I16();
  std::int16_t sizes[6];
  for (std::int16_t& size : sizes) size = in.I16();
  log.checksum = in.U16();
  log.checksumMatches = (sum & 0xFFFF) == log.checksum;
  for (const std::int16_t size : sizes) {
    if (size < 0) return Fail(error, "negative string size");
  }
  if (log.defaultRevCount > 0) {
    const std::size_t n = 16 + 8 * static_cast<std::size_t>(log.defaultRevCount);
    if (!in.Has(n)) return Fail(error, "default revision cut short");
    // The 4-byte descriptor head, 8 bytes per element, 12 bytes not used.
    in.Take(4);
    for (std::int16_t k = 0; k < log.defaultRevCount; ++k) {
      RawDefaultElement element;
      element.majorFlag = in.I16();
      element.major = in.I16();
      element.minorFlag = in.I16();
      element.minor = in.I16();
      log.defaultRevision.push_back(element);
    }
    in.Take(12);
  }
  std::string* targets[] = {&log.accessList, &log.modifierList, &log.commentPrefix, &log.owner,
                            &log.description};
  for (int i = 0; i < 5; ++i) {
    const auto n = static_cast<std::size_t>(sizes[i]);
    if (!in.Has(n)) return Fail(error, "header string cut short");
    std::optional<std::string> text = in.Text(n);
    if (!text) return Fail(error, "header string without NUL");
    *targets[i] = *text;
  }
  if (!in.Has(static_cast<std::size_t>(sizes[5])))
    return Fail(error, "supplemental info cut short");
  log.supplementalInfo = in.Take(static_cast<std::size_t>(sizes[5]));
  for (int i = 0; i < log.versionCount; ++i) {
    if (!in.Has(6)) return Fail(error, "label cut short");
    const std::int16_t elements = in.I16();
    RawLabel label;
    label.creator = in.I16();
    const std::int16_t size = in.I16();
    const std::size_t body =
        4 * static_cast<std::size_t>(elements) + static_cast<std::size_t>(size);
    if (elements < 1 || elements > 20 || size < 1 || !in.Has(body)) {
      return Fail(error, "label damaged");
    }
    for (std::int16_t k = 0; k < elements; ++k) {
      const std::int16_t major = in.I16();
      const std::int16_t minor = in.I16();
      if (!label.number.empty()) label.number += '.';
      label.number += std::to_string(major);
      // A label floating on a branch ends in a major element alone.
      if (minor >= 0) label.number += "." + std::to_string(minor);
    }
    std::optional<std::string> text = in.Text(static_cast<std::size_t>(size));
    if (!text) return Fail(error, "label text without NUL");
    label.text = *text;
    log.labels.push_back(std::move(label));
  }
  log.headerSize = in.at();
  // The full number of each record follows from the record order: each
  // record sets the element at its depth.
  std::vector<std::pair<int, int>> path;
  while (in.at() < in.size()) {
    if (!in.Has(32)) return Fail(error, "revision header cut short");
    RawRevision r;
    r.offset = in.at();
    r.major = in.I16();
    r.minor = in.I16();
    r.locked = in.I16();
    r.branchCount = in.I16();
    r.depth = in.I16();
    r.tip = in.U8();
    r.compressed = in.U8();
    r.reserved = in.U16();
    r.putDate = in.U32();
    r.editDate = in.U32();
    r.revSize = in.U32();
    r.lockerIndex = in.I16();
    r.creatorIndex = in.I16();
    r.descSize = in.I16();
    if (r.depth < 0 || r.depth > 19 || r.descSize < 0)
      return Fail(error, "revision header damaged");
    if (!in.Has(static_cast<std::size_t>(r.descSize))) return Fail(error, "description cut short");
    std::optional<std::string> description = in.Text(static_cast<std::size_t>(r.descSize));
    if (!description) return Fail(error, "description without NUL");
    r.description = *description;
    if (!in.Has(r.revSize)) return Fail(error, "revision data cut short");
    r.data = in.Take(r.revSize);
    path.resize(static_cast<std::size_t>(r.depth) + 1);
    path[static_cast<std::size_t>(r.depth)] = {r.major, r.minor};
    for (const auto& [major, minor] : path) {
      if (!r.number.empty()) r.number += '.';
      r.number += std::to_string(major) + "." + std::to_string(minor);
    }
    log.revisions.push_back(std::move(r));
  }
  return log;
}

std::optional<RawLogfile> ReadRawLogfile(const std::string& path, std::string* error) {
  return ParseRawLogfile(ReadBytes(path), error);
}

std::string LabelList(const RawLogfile& log) {
  std::string list;
  for (const RawLabel& label : log.labels) {
    if (!list.empty()) list += ", ";
    list += label.number + " " + label.text + "/" + std::to_string(label.creator);
  }
  return list;
}

}  // namespace tarn::testing
