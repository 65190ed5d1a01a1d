// Composing deltas without copying the text per delta: every result is
// checked against the text the edits make when carried out on a string, and
// against applying the same deltas one after another with ApplyDelta; bad
// deltas leave the text as it was.
#include "engine/format/composed_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "engine/format/delta_format.h"

namespace tarn {
namespace {

ByteBuffer Buffer(const std::string& text) { return ByteBuffer(text.begin(), text.end()); }
std::string Text(const ByteBuffer& buffer) { return std::string(buffer.begin(), buffer.end()); }

std::span<const std::uint8_t> View(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string Composed(const ComposedText& composed) {
  ByteBuffer out;
  composed.WriteTo(out);
  EXPECT_EQ(out.size(), composed.size());
  return Text(out);
}

// A random delta for `source` and, carried out on strings, the text it makes.
struct Edit {
  ByteBuffer delta;
  std::string target;
};

Edit RandomEdit(const std::string& source, std::mt19937& random, int most_records) {
  const auto pick = [&](std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(random);
  };
  Edit edit;
  std::size_t at = 0;
  const std::size_t records = pick(0, static_cast<std::size_t>(most_records));
  for (std::size_t i = 0; i < records && at <= source.size(); ++i) {
    const std::size_t position = pick(at, std::min(source.size(), at + 400));
    const std::size_t removed = pick(0, std::min<std::size_t>(source.size() - position, 30));
    // An insert of nothing is no record a writer makes.
    std::string inserted(pick(removed == 0 ? 1 : 0, 25), 'a');
    for (char& c : inserted) c = static_cast<char>('a' + pick(0, 25));
    const auto kind = removed == 0       ? DeltaKind::kInsert
                      : inserted.empty() ? DeltaKind::kDelete
                                         : DeltaKind::kReplace;
    edit.target += source.substr(at, position - at) + inserted;
    AppendDeltaRecord(edit.delta, kind, static_cast<std::int32_t>(position),
                      static_cast<std::int32_t>(removed), View(inserted));
    at = position + removed;
  }
  edit.target += source.substr(std::min(at, source.size()));
  return edit;
}

TEST(ComposedText, LongChainsMatchTheEditsAndApplyDelta) {
  struct Case {
    std::size_t length;  // of the first text
    int most_records;    // per delta
    int deltas;
  };
  // Few edits on a long text (pieces stay few), many on a short one (the
  // pieces outgrow the text and it is copied out), an empty start.
  const Case cases[] = {{60000, 4, 700}, {3000, 40, 300}, {0, 3, 50}, {200, 1, 400}};
  for (const Case& c : cases) {
    std::mt19937 random(static_cast<unsigned>(c.length) + static_cast<unsigned>(c.deltas));
    std::string text(c.length, 'x');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('0' + i % 64);
    ComposedText composed(Buffer(text));
    ByteBuffer stepwise = Buffer(text);
    for (int d = 0; d < c.deltas; ++d) {
      Edit edit = RandomEdit(text, random, c.most_records);
      ByteBuffer next;
      ASSERT_EQ(ApplyDelta(stepwise, edit.delta, next), 1);
      stepwise.swap(next);
      ASSERT_EQ(composed.Apply(std::move(edit.delta)), 1) << c.length << " delta " << d;
      text = edit.target;
      ASSERT_EQ(composed.size(), text.size()) << c.length << " delta " << d;
      if (d % 50 == 0) {
        ASSERT_EQ(Composed(composed), text) << c.length << " delta " << d;
      }
    }
    EXPECT_EQ(Composed(composed), text) << c.length;
    EXPECT_EQ(Text(stepwise), text) << c.length;
  }
}

TEST(ComposedText, BadDeltasLeaveTheTextAsItWas) {
  const std::string start = "0123456789";
  const auto delta = [](std::initializer_list<std::tuple<DeltaKind, int, int, std::string>> recs) {
    ByteBuffer out;
    for (const auto& [kind, position, removed, bytes] : recs) {
      AppendDeltaRecord(out, kind, position, removed, View(bytes));
    }
    return out;
  };
  ByteBuffer cut = delta({{DeltaKind::kInsert, 2, 0, "ab"}});
  cut.resize(cut.size() - 1);  // inserted bytes running past the end
  ByteBuffer bad_kind = delta({{DeltaKind::kDelete, 1, 1, ""}});
  bad_kind[0] = 7;
  std::vector<ByteBuffer> bad;
  bad.push_back(delta({{DeltaKind::kDelete, 8, 5, ""}}));    // past the end
  bad.push_back(delta({{DeltaKind::kInsert, 11, 0, "z"}}));  // position past the end
  bad.push_back(delta({{DeltaKind::kDelete, 5, 2, ""}, {DeltaKind::kInsert, 6, 0, "q"}}));
  bad.push_back(delta({{DeltaKind::kInsert, 6, 0, "q"}, {DeltaKind::kDelete, 2, 1, ""}}));
  bad.push_back(std::move(cut));
  bad.push_back(std::move(bad_kind));
  for (std::size_t i = 0; i < bad.size(); ++i) {
    ComposedText composed(Buffer(start));
    ASSERT_EQ(composed.Apply(delta({{DeltaKind::kReplace, 0, 1, "A"}})), 1);
    ByteBuffer copy = bad[i];
    ByteBuffer ignored;
    EXPECT_EQ(ApplyDelta(View("A123456789"), copy, ignored), -1) << i;
    EXPECT_EQ(composed.Apply(std::move(bad[i])), -1) << i;
    EXPECT_EQ(Composed(composed), "A123456789") << i;
    // And it still takes a good one.
    ASSERT_EQ(composed.Apply(delta({{DeltaKind::kDelete, 9, 1, ""}})), 1);
    EXPECT_EQ(Composed(composed), "A12345678") << i;
  }
}

TEST(ComposedText, EditsAtBothEndsAndAnEmptyDelta) {
  ComposedText composed(Buffer("middle"));
  ASSERT_EQ(composed.Apply(ByteBuffer()), 1);
  EXPECT_EQ(Composed(composed), "middle");
  ByteBuffer ends;
  AppendDeltaRecord(ends, DeltaKind::kInsert, 0, 0, View("<"));
  AppendDeltaRecord(ends, DeltaKind::kInsert, 6, 0, View(">"));
  ASSERT_EQ(composed.Apply(std::move(ends)), 1);
  EXPECT_EQ(Composed(composed), "<middle>");
  ByteBuffer all;
  AppendDeltaRecord(all, DeltaKind::kDelete, 0, 8, {});
  ASSERT_EQ(composed.Apply(std::move(all)), 1);
  EXPECT_EQ(Composed(composed), "");
  EXPECT_EQ(composed.size(), 0u);
}

}  // namespace
}  // namespace tarn
