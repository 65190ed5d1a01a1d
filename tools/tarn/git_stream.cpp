#include "tools/tarn/git_stream.h"

namespace tarn::cli {

namespace {

bool RefCharacterAllowed(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20 || u == 0x7f) return false;
  switch (c) {
    case ' ':
    case '~':
    case '^':
    case ':':
    case '?':
    case '*':
    case '[':
    case '\\':
    case '@':
    case '{':
    case '}':
      return false;
    default:
      return true;
  }
}

std::string SafeComponent(std::string component) {
  if (component.empty()) return "_";
  if (component.front() == '.') component.front() = '_';
  for (std::size_t at = component.find(".."); at != std::string::npos;
       at = component.find("..", at)) {
    component[at + 1] = '_';
  }
  if (component.ends_with(".lock") || component.back() == '.') component += '_';
  return component;
}

}  // namespace

std::string StreamPath(std::string_view path) {
  if (!path.starts_with('"') && path.find_first_of("\n\\") == std::string_view::npos) {
    return std::string(path);
  }
  std::string quoted = "\"";
  for (const char c : path) {
    if (c == '\n') {
      quoted += "\\n";
    } else {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string SafeRefName(std::string_view name) {
  std::string safe;
  std::string component;
  for (const char c : name) {
    if (c == '/') {
      safe += SafeComponent(component) + "/";
      component.clear();
    } else {
      component += RefCharacterAllowed(c) ? c : '_';
    }
  }
  return safe + SafeComponent(component);
}

void GitStream::Put(std::string_view text) {
  if (good_ && std::fwrite(text.data(), 1, text.size(), out_) != text.size()) good_ = false;
}

void GitStream::Data(std::span<const std::uint8_t> bytes) {
  Put("data " + std::to_string(bytes.size()) + "\n");
  if (good_ && !bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) {
    good_ = false;
  }
  Put("\n");
}

void GitStream::Begin() { Put("feature done\n"); }

void GitStream::Blob(std::uint64_t mark, std::span<const std::uint8_t> bytes) {
  Put("blob\nmark :" + std::to_string(mark) + "\n");
  Data(bytes);
}

void GitStream::Commit(std::string_view ref, std::uint64_t mark, const Signature& author,
                       std::string_view message, std::uint64_t from) {
  const std::string who = author.ident + " " + std::to_string(author.when) + " +0000\n";
  Put("commit " + std::string(ref) + "\nmark :" + std::to_string(mark) + "\n");
  Put("author " + who + "committer " + who);
  Data(std::span(reinterpret_cast<const std::uint8_t*>(message.data()), message.size()));
  if (from != 0) Put("from :" + std::to_string(from) + "\n");
}

void GitStream::DeleteAll() { Put("deleteall\n"); }

void GitStream::Modify(std::string_view path, std::uint64_t blob) {
  Put("M 100644 :" + std::to_string(blob) + " " + StreamPath(path) + "\n");
}

void GitStream::Delete(std::string_view path) { Put("D " + StreamPath(path) + "\n"); }

void GitStream::EndCommit() { Put("\n"); }

void GitStream::Reset(std::string_view ref, std::uint64_t mark) {
  Put("reset " + std::string(ref) + "\nfrom :" + std::to_string(mark) + "\n\n");
}

void GitStream::Done() {
  Put("done\n");
  if (good_ && std::fflush(out_) != 0) good_ = false;
}

}  // namespace tarn::cli
