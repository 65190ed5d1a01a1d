#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/random.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

extern char** environ;

namespace tarn::platform {

std::uint64_t UniqueNumber() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t random = 0;
  if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
    random = static_cast<std::uint64_t>(::getpid()) << 32;
  }
  return random ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL);
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool EscapableInDoubleQuotes(char c) {
  return c == '\\' || c == '"' || c == '$' || c == '`' || c == '\n';
}

// Reads one word starting at `position` (not a blank); returns it and moves
// `position` past it.
std::string NextWord(std::string_view line, std::size_t& position) {
  std::string word;
  std::size_t i = position;
  while (i < line.size() && !IsBlank(line[i])) {
    const char c = line[i];
    if (c == '\'') {
      const std::size_t close = line.find('\'', i + 1);
      const std::size_t end = close == std::string_view::npos ? line.size() : close;
      word.append(line.substr(i + 1, end - i - 1));
      i = close == std::string_view::npos ? end : end + 1;
    } else if (c == '"') {
      ++i;
      while (i < line.size() && line[i] != '"') {
        if (line[i] == '\\' && i + 1 < line.size() && EscapableInDoubleQuotes(line[i + 1])) {
          if (line[i + 1] != '\n') word += line[i + 1];
          i += 2;
        } else {
          word += line[i++];
        }
      }
      if (i < line.size()) ++i;  // the closing quote
    } else if (c == '\\' && i + 1 < line.size()) {
      if (line[i + 1] != '\n') word += line[i + 1];
      i += 2;
    } else {
      word += c;
      ++i;
    }
  }
  position = i;
  return word;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::size_t position = 0;
  while (true) {
    while (position < line.size() && IsBlank(line[position])) ++position;
    if (position >= line.size()) return words;
    // A backslash-newline between words only joins lines.
    if (line[position] == '\\' && position + 1 < line.size() && line[position + 1] == '\n') {
      position += 2;
      continue;
    }
    words.push_back(NextWord(line, position));
  }
}

int RunProgram(std::string_view command_line) {
  std::vector<std::string> words = SplitCommandLine(command_line);
  if (words.empty() || words.front().empty()) return -1;
  std::vector<char*> arguments;
  arguments.reserve(words.size() + 1);
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);

  // posix_spawnp is fork and execvp in one step; it reports a program that
  // cannot be started as its result rather than as a child that exits.
  pid_t child = 0;
  if (::posix_spawnp(&child, arguments[0], nullptr, nullptr, arguments.data(), environ) != 0) {
    return -1;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

namespace {

// Waits for `child`; its exit status, 128 + the signal that ended it, or -1.
int WaitFor(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

int RunProgramForOutput(std::span<const std::string> words, std::string& output) {
  output.clear();
  if (words.empty() || words.front().empty()) return -1;
  std::vector<std::string> copies(words.begin(), words.end());
  std::vector<char*> arguments;
  arguments.reserve(copies.size() + 1);
  for (std::string& word : copies) arguments.push_back(word.data());
  arguments.push_back(nullptr);

  int pipe_ends[2] = {-1, -1};
  if (::pipe2(pipe_ends, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
  ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t child = 0;
  const int spawned =
      ::posix_spawnp(&child, arguments[0], &actions, nullptr, arguments.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_ends[1]);
  if (spawned != 0) {
    ::close(pipe_ends[0]);
    return -1;
  }
  char buffer[65536];
  while (true) {
    const ssize_t got = ::read(pipe_ends[0], buffer, sizeof buffer);
    if (got > 0) {
      output.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  ::close(pipe_ends[0]);
  return WaitFor(child);
}

}  // namespace tarn::platform
