// The catalogue messages the code uses, by number and signature.
//
// The texts live in catalogue/tarnMsgF; code refers to them only through
// these constants. Keep the list in number order; every entry here must have
// a text in the catalogue whose conversions agree with its signature (a test
// checks that).
#pragma once

#include "engine/message_id.h"

namespace tarn::msg {

// X(name, number, signature, use)
#define TARN_MESSAGES(X)                                              \
  X(kWordBinaryFile, 5, "", MessageUse::kWord)                        \
  X(kWordCheckLock, 6, "", MessageUse::kWord)                         \
  X(kWordCompression, 7, "", MessageUse::kWord)                       \
  X(kWordDeleteWork, 8, "", MessageUse::kWord)                        \
  X(kWordExpandKeywords, 9, "", MessageUse::kWord)                    \
  X(kWordJournalFile, 10, "", MessageUse::kWord)                      \
  X(kWordProtectLogFile, 11, "", MessageUse::kWord)                   \
  X(kWordProtectWorkFile, 12, "", MessageUse::kWord)                  \
  X(kUsagePause, 14, "", MessageUse::kRaw)                            \
  X(kWordNo, 18, "", MessageUse::kWord)                               \
  X(kWordTrunkTip, 25, "", MessageUse::kWord)                         \
  X(kUnknownListField, 26, "", MessageUse::kWord)                     \
  X(kUsageHeading, 27, "", MessageUse::kFormatted)                    \
  X(kWordYes, 29, "", MessageUse::kWord)                              \
  X(kNotInAccessList, 99, "s", MessageUse::kFormatted)                \
  X(kReadFailed, 106, "sd", MessageUse::kFormatted)                   \
  X(kWriteFailed, 107, "sd", MessageUse::kFormatted)                  \
  X(kUnknownOption, 126, "s", MessageUse::kFormatted)                 \
  X(kSecondModification, 127, "", MessageUse::kFormatted)             \
  X(kWildcardNotAllowed, 132, "s", MessageUse::kFormatted)            \
  X(kOutOfMemory, 138, "sd", MessageUse::kFormatted)                  \
  X(kOptionTwice, 141, "s", MessageUse::kLabelSecond)                    \
  X(kSecondFileName, 142, "s", MessageUse::kFormatted)                \
  X(kSeekFailed, 145, "sd", MessageUse::kFormatted)                   \
  X(kTooManyRevisionElements, 148, "d", MessageUse::kFormatted)        \
  X(kUsageFileMissing, 150, "", MessageUse::kFormatted)               \
  X(kLogfileChecksum, 162, "s", MessageUse::kFormatted)               \
  X(kLogfileFormat, 163, "ds", MessageUse::kFormatted)                \
  X(kLogfileOpenFailed, 168, "ssd", MessageUse::kFormatted)           \
  X(kLogDirectoryMissing, 169, "s", MessageUse::kFormatted)           \
  X(kLockFileBusy, 170, "s", MessageUse::kFormatted)

#define TARN_DECLARE_MESSAGE(name, number, signature, use) \
  inline constexpr MessageId name{number, signature, use};
TARN_MESSAGES(TARN_DECLARE_MESSAGE)
#undef TARN_DECLARE_MESSAGE

#define TARN_LIST_MESSAGE(name, number, signature, use) MessageId{number, signature, use},
inline constexpr MessageId kAllMessages[] = {TARN_MESSAGES(TARN_LIST_MESSAGE)};
#undef TARN_LIST_MESSAGE

}  // namespace tarn::msg
