// Reading a whole file into memory, for the reports that compare texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarn::cli {

// The file's bytes; nothing after reporting message 617 with the system's
// reason.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path);

}  // namespace tarn::cli
