// The catalogue messages of the lock protocol and of what it guards (the
// checks before a logfile is replaced, breaking a lock by hand), by number
// and signature, as messages.h lists the others. Kept in a list of their
// own so that the code that uses them, and only that, depends on them; the
// catalogue test checks them with the rest.
#pragma once

#include "engine/support/message_id.h"

namespace tarn::msg {

// X(name, number, signature, use)
// clang-format off
#define TARN_LOCK_MESSAGES(X)                                      \
  X(kLockHeldBy, 462, "sssss", MessageUse::kFormatted)             \
  X(kLockHeldClockAhead, 463, "sssss", MessageUse::kFormatted)     \
  X(kLockFileUnreadable, 464, "ssss", MessageUse::kFormatted)      \
  X(kLockFileNotMade, 465, "ss", MessageUse::kFormatted)           \
  X(kFileSystemUnsupported, 466, "ss", MessageUse::kFormatted)     \
  X(kFileSystemWeakLock, 467, "ss", MessageUse::kFormatted)        \
  X(kLockLost, 468, "ss", MessageUse::kFormatted)                  \
  X(kLogfileChangedMeanwhile, 469, "s", MessageUse::kFormatted)    \
  X(kReplacementUnreadable, 470, "ss", MessageUse::kFormatted)     \
  X(kLogfileNotReplaced, 471, "ss", MessageUse::kFormatted)        \
  X(kLockBroken, 472, "ssss", MessageUse::kFormatted)              \
  X(kLockFileAbsent, 473, "s", MessageUse::kFormatted)             \
  X(kLockChangedBeforeBreak, 474, "s", MessageUse::kFormatted)     \
  X(kUnreadableLockBroken, 475, "ss", MessageUse::kFormatted)      \
  X(kOptionBreak, 476, "", MessageUse::kWord)
// clang-format on

#define TARN_DECLARE_LOCK_MESSAGE(name, number, signature, use) \
  inline constexpr MessageId name{number, signature, use};
TARN_LOCK_MESSAGES(TARN_DECLARE_LOCK_MESSAGE)
#undef TARN_DECLARE_LOCK_MESSAGE

#define TARN_LIST_LOCK_MESSAGE(name, number, signature, use) MessageId{number, signature, use},
inline constexpr MessageId kLockMessages[] = {TARN_LOCK_MESSAGES(TARN_LIST_LOCK_MESSAGE)};
#undef TARN_LIST_LOCK_MESSAGE

}  // namespace tarn::msg
