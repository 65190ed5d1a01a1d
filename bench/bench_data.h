// Deterministic test data for the benchmarks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace tarn::bench {

using Text = std::vector<std::uint8_t>;

inline Text ToText(const std::string& s) { return Text(s.begin(), s.end()); }

// A line that looks like source code, about 40 bytes.
inline std::string SourceLikeLine(std::mt19937_64& random) {
  static const char* const words[] = {"int",    "value",  "return", "if",     "(",     ")",
                                      "{",      "}",      "=",      "+",      "count", "next",
                                      "buffer", "size_t", "const",  "auto",   "for",   ";",
                                      "while",  "break",  "offset", "length", "tarn",  "record"};
  std::string line(2 * (random() % 4), ' ');
  const std::size_t count = 4 + random() % 7;
  for (std::size_t i = 0; i < count; ++i) {
    line += words[random() % std::size(words)];
    line += ' ';
  }
  line += std::to_string(random() % 100000);
  return line;
}

// `lines` source-like lines and a copy with `percent` of them replaced.
struct TextPair {
  Text source;
  Text target;
};

inline TextPair ChangedPair(std::size_t lines, double percent, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<std::string> original;
  original.reserve(lines);
  for (std::size_t i = 0; i < lines; ++i) original.push_back(SourceLikeLine(random));
  std::vector<std::string> changed = original;
  const auto edits = static_cast<std::size_t>(static_cast<double>(lines) * percent / 100.0);
  for (std::size_t e = 0; e < edits; ++e) changed[random() % lines] = SourceLikeLine(random);
  TextPair pair;
  for (const auto& line : original) {
    pair.source.insert(pair.source.end(), line.begin(), line.end());
    pair.source.push_back('\n');
  }
  for (const auto& line : changed) {
    pair.target.insert(pair.target.end(), line.begin(), line.end());
    pair.target.push_back('\n');
  }
  return pair;
}

// `lines` lines drawn from `distinct` different lines in shuffled order, twice.
inline TextPair FewDistinctLines(std::size_t lines, std::size_t distinct, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  TextPair pair;
  for (Text* text : {&pair.source, &pair.target}) {
    for (std::size_t i = 0; i < lines; ++i) {
      const std::string line = "repeated line number " + std::to_string(random() % distinct);
      text->insert(text->end(), line.begin(), line.end());
      text->push_back('\n');
    }
  }
  return pair;
}

// The project's own sources concatenated: realistic text for the coder.
inline Text ProjectSources() {
  Text all;
  for (const char* dir : {"engine", "platform", "tests", "objects", "tools"}) {
    const std::filesystem::path root = std::filesystem::path(TARN_SOURCE_DIR) / dir;
    if (!std::filesystem::exists(root)) continue;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      const auto ext = entry.path().extension();
      if (entry.is_regular_file() && (ext == ".cpp" || ext == ".h")) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      std::ifstream in(file, std::ios::binary);
      all.insert(all.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  return all;
}

}  // namespace tarn::bench
