#include "engine/diff/line_classes.h"

#include <cstring>

namespace tarn {
namespace {

constexpr std::size_t kBucketPrimes[] = {509,     1021,    2039,    4093,     8191,     16381,
                                         32749,   65521,   131071,  262139,   524287,   1048573,
                                         2097143, 4194301, 8388593, 16777213, 33554393, 67108859};

// The distinct lines seen so far, chained per hash bucket. Entry e is the
// representative of class e + 1.
class ClassTable {
 public:
  explicit ClassTable(std::size_t buckets) : heads_(buckets, -1) {}

  std::int32_t ClassOf(std::span<const std::uint8_t> text, std::uint32_t start,
                       std::uint32_t length, std::uint32_t hash) {
    std::int32_t& head = heads_[hash % heads_.size()];
    for (std::int32_t e = head; e >= 0; e = next_[static_cast<std::size_t>(e)]) {
      const Entry& entry = entries_[static_cast<std::size_t>(e)];
      if (entry.hash == hash && entry.length == length &&
          std::memcmp(entry.bytes, text.data() + start, length) == 0) {
        return e + 1;
      }
    }
    const auto fresh = static_cast<std::int32_t>(entries_.size());
    entries_.push_back(Entry{text.data() + start, length, hash});
    next_.push_back(head);
    head = fresh;
    return fresh + 1;
  }

  std::int32_t count() const { return static_cast<std::int32_t>(entries_.size()); }

  void Reserve(std::size_t lines) {
    entries_.reserve(lines);
    next_.reserve(lines);
  }

 private:
  struct Entry {
    const std::uint8_t* bytes;
    std::uint32_t length;
    std::uint32_t hash;
  };
  GuardedVector<std::int32_t> heads_;
  GuardedVector<Entry> entries_;
  GuardedVector<std::int32_t> next_;
};

}  // namespace

std::size_t ClassBucketCount(std::size_t lines1, std::size_t lines2) {
  const std::size_t wanted = (lines1 + lines2 + 1) / 3;
  for (const std::size_t prime : kBucketPrimes) {
    if (prime >= wanted) return prime;
  }
  return kBucketPrimes[std::size(kBucketPrimes) - 1];
}

LineClasses AssignClasses(std::span<const std::uint8_t> text1, const LineTable& table1,
                          std::span<const std::uint8_t> text2, const LineTable& table2) {
  const auto lines_before_suffix = [](const LineTable& table) {
    return static_cast<std::size_t>(table.first_line) + static_cast<std::size_t>(table.count());
  };
  ClassTable classes(ClassBucketCount(lines_before_suffix(table1), lines_before_suffix(table2)));
  classes.Reserve(static_cast<std::size_t>(table1.count()) +
                  static_cast<std::size_t>(table2.count()));

  LineClasses result;
  const std::span<const std::uint8_t> texts[] = {text1, text2};
  const LineTable* tables[] = {&table1, &table2};
  for (std::size_t f = 0; f < 2; ++f) {
    const LineTable& table = *tables[f];
    GuardedVector<std::int32_t>& of = result.of[f];
    of.resize(static_cast<std::size_t>(table.count()));
    for (std::int32_t line = 0; line < table.count(); ++line) {
      of[static_cast<std::size_t>(line)] =
          classes.ClassOf(texts[f], static_cast<std::uint32_t>(table.Start(line)),
                          table.Length(line), table.hashes[static_cast<std::size_t>(line)]);
    }
  }
  result.count = classes.count();
  return result;
}

}  // namespace tarn
