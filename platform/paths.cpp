#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

namespace tarn::platform {

namespace {

// Splits at separators and resolves "." and ".." lexically; the result holds
// the remaining components from the root down.
std::vector<std::string_view> NormalisedComponents(std::string_view absolute_path) {
  std::vector<std::string_view> components;
  std::size_t start = 0;
  while (start <= absolute_path.size()) {
    std::size_t end = absolute_path.find(kPathSeparator, start);
    if (end == std::string_view::npos) end = absolute_path.size();
    const std::string_view component = absolute_path.substr(start, end - start);
    if (component == "..") {
      if (!components.empty()) components.pop_back();
    } else if (!component.empty() && component != ".") {
      components.push_back(component);
    }
    start = end + 1;
  }
  return components;
}

}  // namespace

std::string CurrentDirectory() {
  std::vector<char> buffer(256);
  while (true) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

std::string FullPathName(std::string_view path) {
  if (path.empty()) return std::string();
  std::string absolute;
  if (path.front() != kPathSeparator) {
    absolute = CurrentDirectory();
    if (absolute.empty()) return std::string();
    absolute += kPathSeparator;
  }
  absolute += path;

  std::string full;
  for (const std::string_view component : NormalisedComponents(absolute)) {
    full += kPathSeparator;
    full += component;
  }
  if (full.empty()) full += kPathSeparator;
  return full;
}

std::string DirectoryPart(std::string_view path) {
  const std::size_t last = path.rfind(kPathSeparator);
  if (last == std::string_view::npos) return std::string();
  return std::string(path.substr(0, last + 1));
}

bool IsAbsolutePath(std::string_view path) {
  return !path.empty() && path.front() == kPathSeparator;
}

std::string FinalComponent(std::string_view path) {
  const std::size_t last = path.rfind(kPathSeparator);
  if (last == std::string_view::npos) return std::string(path);
  return std::string(path.substr(last + 1));
}

std::string WithTrailingSeparator(std::string_view directory) {
  std::string result(directory);
  if (!result.empty() && result.back() != kPathSeparator) result += kPathSeparator;
  return result;
}

std::optional<std::string> ResolvedDirectory(std::string_view path) {
  if (path.empty()) return std::nullopt;
  const std::string given(path);
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(given.c_str(), nullptr),
                                                              &std::free);
  if (!resolved) return std::nullopt;
  struct stat info {};
  if (::stat(resolved.get(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return std::string(resolved.get());
}

}  // namespace tarn::platform
