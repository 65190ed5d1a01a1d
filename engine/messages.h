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
  X(kNoticeText, 2, "", MessageUse::kRaw)                            \
  X(kWordBinaryFile, 5, "", MessageUse::kWord)                        \
  X(kWordCheckLock, 6, "", MessageUse::kWord)                         \
  X(kWordCompression, 7, "", MessageUse::kWord)                       \
  X(kWordDeleteWork, 8, "", MessageUse::kWord)                        \
  X(kWordExpandKeywords, 9, "", MessageUse::kWord)                    \
  X(kWordJournalFile, 10, "", MessageUse::kWord)                      \
  X(kWordProtectLogFile, 11, "", MessageUse::kWord)                   \
  X(kWordProtectWorkFile, 12, "", MessageUse::kWord)                  \
  X(kUsagePause, 14, "", MessageUse::kRaw)                            \
  X(kWordCheckLockNote, 17, "", MessageUse::kWord)                    \
  X(kWordNo, 18, "", MessageUse::kWord)                               \
  X(kWordUnknown, 19, "", MessageUse::kWord)                          \
  X(kWordTrunkTip, 25, "", MessageUse::kWord)                         \
  X(kUnknownListField, 26, "", MessageUse::kWord)                     \
  X(kUsageHeading, 27, "", MessageUse::kFormatted)                    \
  X(kWordYes, 29, "", MessageUse::kWord)                              \
  X(kOptionAttribute, 30, "", MessageUse::kWord)                      \
  X(kWordEditTime, 41, "", MessageUse::kWord)                         \
  X(kOptionWorkfile, 44, "", MessageUse::kWord)                       \
  X(kOptionLock, 45, "", MessageUse::kWord)                           \
  X(kOptionNewerOnly, 54, "", MessageUse::kWord)                      \
  X(kWordCurrentTime, 55, "", MessageUse::kWord)                      \
  X(kOptionGetWorkfile, 58, "", MessageUse::kWord)                    \
  X(kWordSkip, 59, "", MessageUse::kWord)                             \
  X(kOptionQuiet, 60, "", MessageUse::kWord)                          \
  X(kWordCheckInTime, 61, "", MessageUse::kWord)                      \
  X(kOptionTimestamp, 62, "", MessageUse::kWord)                      \
  X(kOptionRevision, 63, "", MessageUse::kWord)                       \
  X(kOptionLabel, 64, "", MessageUse::kWord)                          \
  X(kKeywordAuthor, 86, "", MessageUse::kWord)                        \
  X(kKeywordNotice, 88, "", MessageUse::kWord)                        \
  X(kKeywordDate, 89, "", MessageUse::kWord)                          \
  X(kKeywordEndLog, 90, "", MessageUse::kWord)                        \
  X(kKeywordWorkfile, 91, "", MessageUse::kWord)                      \
  X(kKeywordHeader, 92, "", MessageUse::kWord)                        \
  X(kKeywordLog, 93, "", MessageUse::kWord)                           \
  X(kKeywordLogfile, 94, "", MessageUse::kWord)                       \
  X(kKeywordOwner, 95, "", MessageUse::kWord)                         \
  X(kKeywordRevision, 96, "", MessageUse::kWord)                      \
  X(kKeywordModule, 97, "", MessageUse::kWord)                        \
  X(kKeywordLabel, 98, "", MessageUse::kWord)                         \
  X(kNotInAccessList, 99, "s", MessageUse::kFormatted)                \
  X(kSecondAnswer, 100, "ss", MessageUse::kFormatted)                 \
  X(kReadFailed, 106, "sd", MessageUse::kFormatted)                   \
  X(kWriteFailed, 107, "sd", MessageUse::kFormatted)                  \
  X(kAttributeValueMissing, 108, "", MessageUse::kFormatted)          \
  X(kRevisionValueMissing, 117, "", MessageUse::kFormatted)           \
  X(kLabelValueMissing, 118, "", MessageUse::kFormatted)              \
  X(kBadTimestampMode, 119, "sss", MessageUse::kFormatted)            \
  X(kAttributeWithoutValue, 120, "s", MessageUse::kFormatted)         \
  X(kAttributeBadValue, 121, "s", MessageUse::kFormatted)             \
  X(kAttributeUnknown, 122, "s", MessageUse::kFormatted)              \
  X(kAttributeNotPermitted, 123, "s", MessageUse::kFormatted)         \
  X(kUnknownOption, 126, "s", MessageUse::kFormatted)                 \
  X(kSecondModification, 127, "", MessageUse::kFormatted)             \
  X(kMalformedRevision, 131, "s", MessageUse::kFormatted)             \
  X(kWildcardNotAllowed, 132, "s", MessageUse::kFormatted)            \
  X(kLabelUnreadable, 134, "", MessageUse::kFormatted)                \
  X(kLockNotInAccessList, 137, "s", MessageUse::kFormatted)           \
  X(kOutOfMemory, 138, "sd", MessageUse::kFormatted)                  \
  X(kNoCheckLock, 139, "ss", MessageUse::kFormatted)                  \
  X(kNoLabels, 140, "s", MessageUse::kFormatted)                      \
  X(kOptionTwice, 141, "s", MessageUse::kLabelSecond)                    \
  X(kSecondFileName, 142, "s", MessageUse::kFormatted)                \
  X(kSeekFailed, 145, "sd", MessageUse::kFormatted)                   \
  X(kNoTemporaryFile, 146, "", MessageUse::kFormatted)                \
  X(kTooManyRevisionElements, 148, "d", MessageUse::kFormatted)        \
  X(kUsageFileMissing, 150, "", MessageUse::kFormatted)               \
  X(kLabelNotFound, 151, "ss", MessageUse::kFormatted)                \
  X(kLabelTooLong, 152, "d", MessageUse::kFormatted)                  \
  X(kLockedAlready, 153, "ss", MessageUse::kFormatted)                \
  X(kLogfileChecksum, 162, "s", MessageUse::kFormatted)               \
  X(kLogfileFormat, 163, "ds", MessageUse::kFormatted)                \
  X(kJournalOpenFailed, 166, "s", MessageUse::kFormatted)            \
  X(kLogfileOpenFailed, 168, "ssd", MessageUse::kFormatted)           \
  X(kLogDirectoryMissing, 169, "s", MessageUse::kFormatted)           \
  X(kLockFileBusy, 170, "s", MessageUse::kFormatted)                  \
  X(kHoldsAnotherLock, 177, "s", MessageUse::kFormatted)              \
  X(kRangeNotAllowed, 178, "s", MessageUse::kFormatted)               \
  X(kUnterminatedQuote, 179, "", MessageUse::kFormatted)              \
  X(kGetDone, 194, "sss", MessageUse::kFormatted)                     \
  X(kGetEditTime, 195, "s", MessageUse::kFormatted)                   \
  X(kWorkfileValueMissing, 196, "", MessageUse::kFormatted)           \
  X(kRevisionAfterLabel, 197, "", MessageUse::kFormatted)             \
  X(kLabelAfterRevision, 198, "", MessageUse::kFormatted)             \
  X(kLockWithNewerOnly, 199, "", MessageUse::kFormatted)              \
  X(kNewerOnlyWithLock, 200, "", MessageUse::kFormatted)              \
  X(kWritableWorkfileLeft, 201, "s", MessageUse::kFormatted)          \
  X(kWorkfileTwice, 202, "s", MessageUse::kFormatted)                 \
  X(kGetCheckInTime, 203, "s", MessageUse::kFormatted)                \
  X(kHistoryEntry, 204, "sss", MessageUse::kFormatted)               \
  X(kRebuildFailed, 205, "ss", MessageUse::kFormatted)                \
  X(kWorkfileTwiceAtEnd, 206, "", MessageUse::kFormatted)             \
  X(kReplaceWritableWorkfile, 207, "s", MessageUse::kFormatted)       \
  X(kUnchangedLockReleased, 228, "", MessageUse::kRaw)                \
  X(kNotInModifierList, 230, "", MessageUse::kFormatted)              \
  X(kLockDone, 280, "sss", MessageUse::kFormatted)                    \
  X(kLockedByOther, 281, "sss", MessageUse::kFormatted)               \
  X(kRevisionNotLocked, 282, "ss", MessageUse::kFormatted)            \
  X(kNoLocks, 283, "s", MessageUse::kFormatted)

#define TARN_DECLARE_MESSAGE(name, number, signature, use) \
  inline constexpr MessageId name{number, signature, use};
TARN_MESSAGES(TARN_DECLARE_MESSAGE)
#undef TARN_DECLARE_MESSAGE

#define TARN_LIST_MESSAGE(name, number, signature, use) MessageId{number, signature, use},
inline constexpr MessageId kAllMessages[] = {TARN_MESSAGES(TARN_LIST_MESSAGE)};
#undef TARN_LIST_MESSAGE

}  // namespace tarn::msg
