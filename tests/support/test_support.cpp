#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "engine/support/message_catalogue.h"

namespace tarn::testing {

TempDir::TempDir() {
  std::filesystem::path base = std::filesystem::temp_directory_path();
  std::string pattern = (base / "tarn-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const char* made = ::mkdtemp(buffer.data());
  if (made == nullptr) throw std::runtime_error("cannot create a scratch directory");
  path_ = made;
}

TempDir::~TempDir() { RemoveScratchTree(path_); }

void RemoveScratchTree(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  // Tests may leave directories without write or search permission; give
  // the owner those back so that their entries can be removed. Only real
  // directories are touched, never through a link: a scratch tree may hold
  // links to files outside it (device nodes among them), whose modes are
  // not ours to change. Removing a file needs no permission on the file.
  const auto open_up = [&](const fs::path& path) {
    if (fs::symlink_status(path, ignored).type() != fs::file_type::directory) return;
    fs::permissions(path, fs::perms::owner_all,
                    fs::perm_options::add | fs::perm_options::nofollow, ignored);
  };
  open_up(root);
  for (auto it = fs::recursive_directory_iterator(root, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    open_up(it->path());
  }
  fs::remove_all(root, ignored);
}

RecordingHost::RecordingHost() : previous_(SetHost(this)) {}

RecordingHost::~RecordingHost() { SetHost(previous_); }

void RecordingHost::ReportMessage(std::string_view text, int kind) {
  messages_.push_back({std::string(text), kind});
}

std::string RecordingHost::AskQuestion() {
  ++questions_asked_;
  const bool yes = next_answer_ < answers_.size() && answers_[next_answer_++];
  return MessageText(yes ? msg::kWordYes.number : msg::kWordNo.number);
}

bool RecordingHost::Saw(std::string_view fragment) const {
  for (const Message& message : messages_) {
    if (message.text.find(fragment) != std::string::npos) return true;
  }
  return false;
}

std::string RecordingHost::All() const {
  std::string all;
  for (const Message& message : messages_) {
    all += std::to_string(message.kind) + ": " + message.text + "\n";
  }
  return all;
}

std::string BinDir() {
  const char* from_env = std::getenv("TARN_BIN_DIR");
  return from_env != nullptr ? from_env : TARN_BIN_DIR;
}

std::string SourceDir() { return TARN_SOURCE_DIR; }

void LoadCatalogue() {
  static const int loaded =
      LoadMessageFile("tests", kCatalogueFileName, SourceDir() + "/catalogue");
  ASSERT_EQ(loaded, 1);
}

std::string LongestFixedWords(const MessageId& id) {
  const std::string text = MessageText(id.number);
  std::string longest;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('%', start);
    if (end == std::string::npos) end = text.size();
    if (end - start > longest.size()) longest = text.substr(start, end - start);
    start = end + 2;  // past the conversion
  }
  return longest;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void WriteText(const std::string& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace tarn::testing
