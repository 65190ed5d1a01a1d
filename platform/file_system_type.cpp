#include "platform/file_system_type.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace tarn::platform {

namespace {

// The mount table escapes blanks and backslashes in mount points as \ooo.
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
        out.push_back(static_cast<char>(std::stoi(digits, nullptr, 8)));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

bool Contains(const std::string& mountPoint, const std::string& path) {
  if (mountPoint == "/") return true;
  return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
         (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

}  // namespace

std::string FileSystemTypeOf(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(
      ::realpath(path.empty() ? "." : path.c_str(), nullptr), &std::free);
  if (!real) return "unknown";
  const std::string where(real.get());
  std::ifstream mounts("/proc/self/mounts");
  std::string line;
  std::string best_point;
  std::string best_type = "unknown";
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string device, point, type;
    if (!(fields >> device >> point >> type)) continue;
    point = Unescape(point);
    // The last of several mounts at one point is the one in force.
    if (Contains(point, where) && point.size() >= best_point.size()) {
      best_point = point;
      best_type = type;
    }
  }
  return best_type;
}

}  // namespace tarn::platform
