// The logfile attributes together with the catalogue words that name them,
// in the order in which the engine's echoes, journals and reports list them.
#pragma once

#include <array>
#include <cstdint>

#include "engine/format/logfile_header.h"
#include "engine/support/messages.h"

namespace tarn {

struct AttributeWord {
  std::uint16_t bit;
  const MessageId* word;
};

inline constexpr std::array<AttributeWord, 8> kAttributeWords = {{
    {kAttrCheckLock, &msg::kWordCheckLock},
    {kAttrDeleteWork, &msg::kWordDeleteWork},
    {kAttrExpandKeywords, &msg::kWordExpandKeywords},
    {kAttrProtectLogFile, &msg::kWordProtectLogFile},
    {kAttrProtectWorkFile, &msg::kWordProtectWorkFile},
    {kAttrBinaryFile, &msg::kWordBinaryFile},
    {kAttrCompression, &msg::kWordCompression},
    {kAttrJournalFile, &msg::kWordJournalFile},
}};

}  // namespace tarn
