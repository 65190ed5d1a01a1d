#include "tests/support/program_runner.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "tests/support/test_support.h"

extern char** environ;

namespace tarn::testing {

namespace {

// The environment a program runs with under `setup`, as NAME=VALUE texts.
std::vector<std::string> ProgramEnvironment(const ProgramSetup& setup) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (name.rfind("TARN", 0) == 0 || setup.environment.count(name) != 0) continue;
    environment.push_back(text);
  }
  for (const auto& [name, value] : setup.environment) environment.push_back(name + "=" + value);
  return environment;
}

}  // namespace

ProgramLaunch::ProgramLaunch(const std::string& program, const std::vector<std::string>& arguments,
                             const ProgramSetup& setup)
    : setup_(setup),
      path_((setup.programDirectory.empty() ? BinDir() : setup.programDirectory) + "/" + program),
      environment_text_(ProgramEnvironment(setup)) {
  argument_text_.push_back(path_);
  argument_text_.insert(argument_text_.end(), arguments.begin(), arguments.end());
  for (const std::string& a : argument_text_) arguments_.push_back(const_cast<char*>(a.c_str()));
  arguments_.push_back(nullptr);
  for (const std::string& e : environment_text_) {
    environment_.push_back(const_cast<char*>(e.c_str()));
  }
  environment_.push_back(nullptr);
}

void ProgramLaunch::RunInChild() const {
  if (setup_.user) {
    // No allocation here: this runs in a forked child.
    constexpr std::size_t kMostGroups = 16;
    gid_t groups[kMostGroups] = {static_cast<gid_t>(setup_.user->gid)};
    std::size_t count = 1;
    for (const unsigned group : setup_.user->groups) {
      if (count < kMostGroups) groups[count++] = static_cast<gid_t>(group);
    }
    ::umask(022);
    if (::setgroups(count, groups) != 0 || ::setgid(groups[0]) != 0 ||
        ::setuid(setup_.user->uid) != 0) {
      ::_exit(125);
    }
  }
  if (!setup_.workingDirectory.empty() && ::chdir(setup_.workingDirectory.c_str()) != 0) {
    ::_exit(126);
  }
  ::execve(path_.c_str(), arguments_.data(), environment_.data());
  ::_exit(127);
}

namespace {

struct Capture {
  std::filesystem::path directory;
  std::string in, out, err;
};

Capture MakeCapture(const ProgramSetup& setup) {
  char pattern[] = "/tmp/tarn-run-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (made == nullptr) throw std::runtime_error("cannot create a capture directory");
  Capture capture{made, "", "", ""};
  capture.out = (capture.directory / "out").string();
  capture.err = (capture.directory / "err").string();
  capture.in = setup.input ? (capture.directory / "in").string() : "/dev/null";
  if (setup.input) WriteText(capture.in, *setup.input);
  return capture;
}

pid_t Start(const std::string& program, const std::vector<std::string>& arguments,
            const ProgramSetup& setup, const Capture& capture) {
  const ProgramLaunch launch(program, arguments, setup);
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Only async-signal-safe calls from here on.
    const int in = ::open(capture.in.c_str(), O_RDONLY);
    const int out = ::open(capture.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(capture.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    launch.RunInChild();
  }
  return pid;
}

ProgramResult Finish(pid_t pid, Capture& capture) {
  int raw = 0;
  while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
  }
  ProgramResult result;
  result.killed = WIFSIGNALED(raw) && WTERMSIG(raw) == SIGKILL;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  result.out = ReadText(capture.out);
  result.err = ReadText(capture.err);
  std::error_code ignored;
  std::filesystem::remove_all(capture.directory, ignored);
  return result;
}

}  // namespace

ProgramResult RunBuiltProgram(const std::string& program, const std::vector<std::string>& arguments,
                              const ProgramSetup& setup) {
  Capture capture = MakeCapture(setup);
  const pid_t pid = Start(program, arguments, setup, capture);
  return Finish(pid, capture);
}

ProgramResult RunBuiltProgramKilledAfter(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const ProgramSetup& setup,
                                         std::int64_t delayMicroseconds) {
  Capture capture = MakeCapture(setup);
  const pid_t pid = Start(program, arguments, setup, capture);
  timespec delay{static_cast<time_t>(delayMicroseconds / 1000000),
                 static_cast<long>((delayMicroseconds % 1000000) * 1000)};
  while (::nanosleep(&delay, &delay) != 0 && errno == EINTR) {
  }
  // Killing a process that has already ended but not been waited for is
  // harmless: it is a zombie until Finish collects it.
  int raw = 0;
  const pid_t ended = ::waitpid(pid, &raw, WNOHANG);
  if (ended == pid) {
    ProgramResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    result.out = ReadText(capture.out);
    result.err = ReadText(capture.err);
    std::error_code ignored;
    std::filesystem::remove_all(capture.directory, ignored);
    return result;
  }
  ::kill(pid, SIGKILL);
  return Finish(pid, capture);
}

ProgramResult RunBuiltProgramWithin(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    const ProgramSetup& setup, std::int64_t limitMicroseconds) {
  Capture capture = MakeCapture(setup);
  const pid_t pid = Start(program, arguments, setup, capture);
  constexpr std::int64_t kPollMicroseconds = 5'000;
  for (std::int64_t waited = 0; waited < limitMicroseconds; waited += kPollMicroseconds) {
    siginfo_t info{};
    // WNOWAIT leaves the ended program for Finish to collect.
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid) {
      return Finish(pid, capture);
    }
    ::usleep(kPollMicroseconds);
  }
  ::kill(pid, SIGKILL);
  return Finish(pid, capture);
}

}  // namespace tarn::testing
