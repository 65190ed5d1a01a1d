// Helpers shared by the tests: scratch directories, a recording host and
// access to the built programs and the catalogue.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/support/message_id.h"
#include "engine/support/report.h"

namespace tarn::testing {

// A fresh directory under the temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Removes a scratch tree whatever permissions its tests left on it, without
// ever changing anything a link inside it points to.
void RemoveScratchTree(const std::filesystem::path& root);

// Records every message and answers questions from a queue (then "no").
class RecordingHost final : public Host {
 public:
  struct Message {
    std::string text;
    int kind;
  };

  RecordingHost();
  ~RecordingHost() override;

  void ReportMessage(std::string_view text, int kind) override;
  std::string AskQuestion() override;

  void QueueAnswer(bool yes) { answers_.push_back(yes); }
  const std::vector<Message>& messages() const { return messages_; }
  bool Saw(std::string_view fragment) const;
  std::string All() const;
  void Clear() { messages_.clear(); }
  int questions_asked() const { return questions_asked_; }

 private:
  std::vector<Message> messages_;
  std::vector<bool> answers_;
  std::size_t next_answer_ = 0;
  int questions_asked_ = 0;
  Host* previous_;
};

// Directory of the built programs and the installed catalogue.
std::string BinDir();
std::string SourceDir();
// Loads the project's catalogue (once per process); asserts on failure.
void LoadCatalogue();
// The longest run of fixed words in catalogue message `id`, between its
// conversions: enough to recognise the message in a program's output.
std::string LongestFixedWords(const MessageId& id);

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, std::string_view text);

}  // namespace tarn::testing
