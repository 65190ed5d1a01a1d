#include "tests/support/raw_labels.h"

#include "tests/support/test_support.h"

namespace tarn::testing {

namespace {

std::int16_t Word(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8));
}

}  // namespace

std::optional<RawHeaderLabels> ReadRawHeaderLabels(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 30) return std::nullopt;
  RawHeaderLabels header;
  const std::int16_t label_count = Word(bytes, 8);
  const std::int16_t default_count = Word(bytes, 12);
  std::size_t at = 30;
  if (default_count > 0) {
    // The 4-byte descriptor head, 8 bytes per element, 12 bytes not used.
    const std::size_t size = 16 + 8 * static_cast<std::size_t>(default_count);
    if (bytes.size() < at + size) return std::nullopt;
    for (std::int16_t k = 0; k < default_count; ++k) {
      const std::size_t e = at + 4 + 8 * static_cast<std::size_t>(k);
      header.defaultRevision.push_back(
          {Word(bytes, e), Word(bytes, e + 2), Word(bytes, e + 4), Word(bytes, e + 6)});
    }
    at += size;
  }
  for (std::size_t field = 16; field <= 26; field += 2) {
    const std::int16_t size = Word(bytes, field);
    if (size < 0) return std::nullopt;
    at += static_cast<std::size_t>(size);
  }
  for (std::int16_t i = 0; i < label_count; ++i) {
    if (bytes.size() < at + 6) return std::nullopt;
    const std::int16_t elements = Word(bytes, at);
    RawLabel label;
    label.creator = Word(bytes, at + 2);
    const std::int16_t size = Word(bytes, at + 4);
    at += 6;
    if (elements < 1 || elements > 20 || size < 1 ||
        bytes.size() <
            at + 4 * static_cast<std::size_t>(elements) + static_cast<std::size_t>(size)) {
      return std::nullopt;
    }
    for (std::int16_t k = 0; k < elements; ++k) {
      const std::int16_t major = Word(bytes, at);
      const std::int16_t minor = Word(bytes, at + 2);
      at += 4;
      if (!label.number.empty()) label.number += '.';
      label.number += std::to_string(major);
      if (minor >= 0) {
        label.number += '.';
        label.number += std::to_string(minor);
      }
    }
    if (bytes[at + static_cast<std::size_t>(size) - 1] != 0) return std::nullopt;
    label.text.assign(
        bytes.begin() + static_cast<std::ptrdiff_t>(at),
        bytes.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(size) - 1));
    at += static_cast<std::size_t>(size);
    header.labels.push_back(std::move(label));
  }
  header.headerSize = at;
  return header;
}

std::optional<RawHeaderLabels> ReadRawHeaderLabels(const std::string& path) {
  return ReadRawHeaderLabels(ReadBytes(path));
}

std::string LabelList(const RawHeaderLabels& header) {
  std::string list;
  for (const RawLabel& label : header.labels) {
    if (!list.empty()) list += ", ";
    list += label.number + " " + label.text + "/" + std::to_string(label.creator);
  }
  return list;
}

}  // namespace tarn::testing
