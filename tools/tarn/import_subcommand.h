// tarn import: bringing ,v histories over into logfiles, and checking them.
#pragma once

#include <span>
#include <string>

namespace tarn::cli {

int RunImport(std::span<const std::string> words);

}  // namespace tarn::cli
