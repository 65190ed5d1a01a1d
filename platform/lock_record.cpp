#include "platform/lock_record.h"

#include <array>
#include <charconv>
#include <vector>

namespace tarn::platform {

namespace {

constexpr std::string_view kFirstLine = "TARN lock file 1";
constexpr std::size_t kTokenDigits = 32;

bool IsPrintable(unsigned char c) { return c >= 0x21 && c <= 0x7e; }

std::string Unescape(std::string_view text, bool& ok) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\\') {
      if (!IsPrintable(static_cast<unsigned char>(c)) && c != ' ') ok = false;
      out.push_back(c);
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == 'n') {
      out.push_back('\n');
      ++i;
      continue;
    }
    unsigned value = 0;
    if (i + 3 >= text.size() || text[i + 1] != 'x' ||
        std::from_chars(text.data() + i + 2, text.data() + i + 4, value, 16).ptr !=
            text.data() + i + 4) {
      ok = false;
      return out;
    }
    out.push_back(static_cast<char>(value));
    i += 3;
  }
  return out;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  if (text.empty() || text.size() > 20) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool IsToken(std::string_view text) {
  if (text.size() != kTokenDigits) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

bool IsWord(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!IsPrintable(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// The value of the line `keyword value`, or nothing.
std::optional<std::string_view> ValueOf(std::string_view line, std::string_view keyword) {
  if (line.size() < keyword.size() + 1 || line.substr(0, keyword.size()) != keyword ||
      line[keyword.size()] != ' ') {
    return std::nullopt;
  }
  return line.substr(keyword.size() + 1);
}

}  // namespace

std::string ShowSafely(std::string_view bytes, std::size_t limit) {
  std::string out;
  const std::size_t shown = bytes.size() < limit ? bytes.size() : limit;
  for (std::size_t i = 0; i < shown; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if ((IsPrintable(c) || c == ' ') && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else if (c == '\n') {
      out += "\\n";
    } else {
      static constexpr char kDigits[] = "0123456789abcdef";
      out += "\\x";
      out.push_back(kDigits[c >> 4]);
      out.push_back(kDigits[c & 0xf]);
    }
  }
  if (shown < bytes.size()) out += "...";
  return out;
}

std::string MachineTag(const LockRecord& self) {
  // FNV-1a over the boot id and the process-number space.
  std::uint32_t hash = 2166136261u;
  for (const std::string* part : {&self.bootId, &self.pidNamespace}) {
    for (const char c : *part) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 16777619u;
    }
    hash ^= 0xff;
    hash *= 16777619u;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string tag(8, '0');
  for (int i = 7; i >= 0; --i, hash >>= 4) tag[static_cast<std::size_t>(i)] = kDigits[hash & 0xf];
  return tag;
}

namespace {

// The host name as it stands in a private name: no dots, which part it.
std::string HostInName(std::string_view host) {
  std::string word = LockWord(host);
  for (char& c : word) {
    if (c == '.' || c == '/') c = '_';
  }
  return word;
}

}  // namespace

bool OfThisMachine(const PrivateNameOwner& owner, const LockRecord& self) {
  return owner.host == HostInName(self.host) && owner.machineTag == MachineTag(self);
}

std::string PrivateLockName(const std::string& path, const LockRecord& self,
                            std::string_view random) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return directory + std::string(kPrivateLockPrefix) + HostInName(self.host) + "." + MachineTag(self) + "." +
         std::to_string(self.pid) + "." + std::to_string(self.startTicks) + "." +
         std::string(random);
}

std::optional<PrivateNameOwner> OwnerOfPrivateName(std::string_view name) {
  if (name.substr(0, kPrivateLockPrefix.size()) != kPrivateLockPrefix) return std::nullopt;
  name.remove_prefix(kPrivateLockPrefix.size());
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (parts.size() < 5) {
    const std::size_t dot = name.find('.', start);
    if (dot == std::string_view::npos) break;
    parts.push_back(name.substr(start, dot - start));
    start = dot + 1;
  }
  if (parts.size() != 4 || start >= name.size()) return std::nullopt;
  PrivateNameOwner owner;
  owner.host = parts[0];
  owner.machineTag = parts[1];
  if (owner.host.empty() || owner.machineTag.size() != 8 || !ParseNumber(parts[2], owner.pid) ||
      !ParseNumber(parts[3], owner.startTicks)) {
    return std::nullopt;
  }
  return owner;
}

std::string LockWord(std::string_view text) {
  std::string word;
  for (const char c : text) word.push_back(IsPrintable(static_cast<unsigned char>(c)) ? c : '_');
  return word.empty() ? std::string("-") : word;
}

std::string EncodeLockRecord(const LockRecord& record) {
  std::string out(kFirstLine);
  out += "\nhost " + LockWord(record.host);
  out += "\nboot " + LockWord(record.bootId);
  out += "\npidns " + LockWord(record.pidNamespace);
  out += "\npid " + std::to_string(record.pid);
  out += "\nstart " + std::to_string(record.startTicks);
  out += "\nuser " + ShowSafely(record.user, record.user.size());
  out += "\ntime " + std::to_string(record.time);
  out += "\ntoken " + record.token;
  out += "\nend\n";
  const std::size_t padded = (out.size() + 1 + kLockFileBlock - 1) / kLockFileBlock * kLockFileBlock;
  out.append(padded - out.size() - 1, ' ');
  out += '\n';
  return out;
}

std::optional<LockRecord> DecodeLockRecord(std::string_view bytes) {
  if (bytes.size() > kLockFileReadLimit || bytes.size() % kLockFileBlock != 0 ||
      bytes.empty() || bytes.back() != '\n') {
    return std::nullopt;
  }
  // The padding: blanks after the end line, then the last line feed.
  const std::size_t end_line = bytes.rfind("\nend\n", bytes.size() - 1);
  if (end_line == std::string_view::npos) return std::nullopt;
  const std::string_view padding = bytes.substr(end_line + 5, bytes.size() - end_line - 6);
  if (padding.find_first_not_of(' ') != std::string_view::npos) return std::nullopt;
  bytes = bytes.substr(0, end_line + 5);
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find('\n', start);
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  static constexpr std::array<std::string_view, 8> kKeywords = {
      "host", "boot", "pidns", "pid", "start", "user", "time", "token"};
  if (lines.size() != kKeywords.size() + 2 || lines.front() != kFirstLine || lines.back() != "end") {
    return std::nullopt;
  }
  std::array<std::string_view, kKeywords.size()> values{};
  for (std::size_t i = 0; i < kKeywords.size(); ++i) {
    const std::optional<std::string_view> value = ValueOf(lines[i + 1], kKeywords[i]);
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  LockRecord record;
  bool ok = IsWord(values[0]) && IsWord(values[1]) && IsWord(values[2]) &&
            ParseNumber(values[3], record.pid) && record.pid > 0 &&
            ParseNumber(values[4], record.startTicks) && ParseNumber(values[6], record.time) &&
            IsToken(values[7]);
  record.host = values[0];
  record.bootId = values[1];
  record.pidNamespace = values[2];
  record.user = Unescape(values[5], ok);
  record.token = values[7];
  if (!ok) return std::nullopt;
  return record;
}

}  // namespace tarn::platform
