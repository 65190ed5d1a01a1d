// Copying between open files: the rest of a file, an exact count, short
// input and a full disk.
#include "engine/store/stream_copy.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

class StreamCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    // Longer than one copy buffer, with a pattern that shows misplaced blocks.
    for (int i = 0; i < 100000; ++i) contents_ += static_cast<char>('a' + (i * 7 + i / 26) % 26);
    testing::WriteText(dir_.File("from"), contents_);
  }

  platform::File Open(const std::string& name, platform::OpenMode mode) {
    std::optional<platform::File> file = platform::File::Open(name, mode);
    EXPECT_TRUE(file) << name;
    return std::move(*file);
  }

  testing::RecordingHost host_;
  testing::TempDir dir_;
  std::string contents_;
};

TEST_F(StreamCopy, RestFromTheCurrentPosition) {
  platform::File from = Open(dir_.File("from"), platform::OpenMode::kRead);
  platform::File to = Open(dir_.File("to"), platform::OpenMode::kWriteTruncate);
  ASSERT_TRUE(to.WriteAll(std::span(reinterpret_cast<const std::uint8_t*>("head:"), 5)));
  ASSERT_TRUE(from.Seek(12345));
  ASSERT_EQ(CopyRest(from, to), 1);
  to.Close();
  EXPECT_EQ(testing::ReadText(dir_.File("to")), "head:" + contents_.substr(12345));
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(StreamCopy, ExactCountsInSeveralSteps) {
  platform::File from = Open(dir_.File("from"), platform::OpenMode::kRead);
  platform::File to = Open(dir_.File("to"), platform::OpenMode::kWriteTruncate);
  ASSERT_EQ(CopyBytes(from, to, 7), 1);
  ASSERT_EQ(CopyBytes(from, to, 0), 1);
  ASSERT_EQ(CopyBytes(from, to, 70000), 1);
  to.Close();
  EXPECT_EQ(testing::ReadText(dir_.File("to")), contents_.substr(0, 70007));
}

TEST_F(StreamCopy, RunningOutOfInputIsMessage106) {
  platform::File from = Open(dir_.File("from"), platform::OpenMode::kRead);
  platform::File to = Open(dir_.File("to"), platform::OpenMode::kWriteTruncate);
  ASSERT_TRUE(from.Seek(99990));
  EXPECT_EQ(CopyBytes(from, to, 11), -1);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].kind, kAlert);
  EXPECT_EQ(host_.messages()[0].text.substr(0, 12),
            FormatMessage(msg::kReadFailed, std::string_view("stream_copy"), 1).substr(0, 12));
  EXPECT_TRUE(host_.Saw("stream_copy"));
}

TEST_F(StreamCopy, AFullDiskIsMessage107) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  platform::File from = Open(dir_.File("from"), platform::OpenMode::kRead);
  platform::File full = Open("/dev/full", platform::OpenMode::kWriteTruncate);
  EXPECT_EQ(CopyRest(from, full), -1);
  ASSERT_TRUE(from.Seek(0));
  EXPECT_EQ(CopyBytes(from, full, 10), -1);
  ASSERT_EQ(host_.messages().size(), 2u);
  for (const auto& message : host_.messages()) {
    EXPECT_EQ(message.kind, kAlert);
    EXPECT_EQ(message.text.substr(0, 12),
              FormatMessage(msg::kWriteFailed, std::string_view("stream_copy"), 1).substr(0, 12));
  }
}

}  // namespace
}  // namespace tarn
