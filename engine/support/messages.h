// The catalogue messages the code uses, by number and signature.
//
// The texts live in catalogue/tarnMsgF; code refers to them only through
// these constants. Keep the list in number order; every entry here must have
// a text in the catalogue whose conversions agree with its signature (a test
// checks that).
#pragma once

#include "engine/support/message_id.h"

namespace tarn::msg {

// X(name, number, signature, use)
// clang-format off: one message a line, easier to read and to merge.
#define TARN_MESSAGES(X)                                         \
  X(kNoticeText, 2, "", MessageUse::kWord)                       \
  X(kWordBinaryFile, 5, "", MessageUse::kWord)                   \
  X(kWordCheckLock, 6, "", MessageUse::kWord)                    \
  X(kWordCompression, 7, "", MessageUse::kWord)                  \
  X(kWordDeleteWork, 8, "", MessageUse::kWord)                   \
  X(kWordExpandKeywords, 9, "", MessageUse::kWord)               \
  X(kWordJournalFile, 10, "", MessageUse::kWord)                 \
  X(kWordProtectLogFile, 11, "", MessageUse::kWord)              \
  X(kWordProtectWorkFile, 12, "", MessageUse::kWord)             \
  X(kUsagePause, 14, "", MessageUse::kRaw)                       \
  X(kFirstRevisionDescription, 15, "", MessageUse::kWord)        \
  X(kDefaultJournalName, 16, "", MessageUse::kWord)              \
  X(kLocksNotRecorded, 17, "", MessageUse::kWord)                \
  X(kWordNo, 18, "", MessageUse::kWord)                          \
  X(kWordNone, 19, "", MessageUse::kWord)                        \
  X(kWordTrunkTip, 25, "", MessageUse::kWord)                    \
  X(kUnknownListField, 26, "", MessageUse::kWord)                \
  X(kUsageHeading, 27, "", MessageUse::kFormatted)               \
  X(kWordYes, 29, "", MessageUse::kWord)                         \
  X(kOptionSet, 30, "", MessageUse::kWord)                       \
  X(kOptionText, 36, "", MessageUse::kWord)                      \
  X(kOptionCreate, 37, "", MessageUse::kWord)                    \
  X(kOptionDefaultBranch, 39, "", MessageUse::kWord)             \
  X(kOptionCopyLabel, 40, "", MessageUse::kWord)                 \
  X(kWordEditTime, 41, "", MessageUse::kWord)                    \
  X(kOptionNewBranch, 43, "", MessageUse::kWord)                 \
  X(kOptionWorkfile, 44, "", MessageUse::kWord)                  \
  X(kOptionLock, 45, "", MessageUse::kWord)                      \
  X(kOptionAccessList, 47, "", MessageUse::kWord)                \
  X(kOptionCommentPrefix, 48, "", MessageUse::kWord)             \
  X(kOptionDescription, 49, "", MessageUse::kWord)               \
  X(kOptionAddUsers, 50, "", MessageUse::kWord)                  \
  X(kOptionOwner, 51, "", MessageUse::kWord)                     \
  X(kOptionRenameLabel, 52, "", MessageUse::kWord)               \
  X(kOptionNewerOnly, 54, "", MessageUse::kWord)                 \
  X(kWordNow, 55, "", MessageUse::kWord)                         \
  X(kOptionOutput, 58, "", MessageUse::kWord)                    \
  X(kWordKeep, 59, "", MessageUse::kWord)                        \
  X(kOptionQuiet, 60, "", MessageUse::kWord)                     \
  X(kWordCheckinTime, 61, "", MessageUse::kWord)                 \
  X(kOptionTimestamp, 62, "", MessageUse::kWord)                 \
  X(kOptionRevision, 63, "", MessageUse::kWord)                  \
  X(kOptionLabel, 64, "", MessageUse::kWord)                     \
  X(kEnvLogfileDirectory, 65, "", MessageUse::kWord)             \
  X(kEnvAccessList, 66, "", MessageUse::kWord)                   \
  X(kEnvUserName, 67, "", MessageUse::kWord)                     \
  X(kEnvAnswer, 68, "", MessageUse::kWord)                       \
  X(kEnvTempDirectory, 69, "", MessageUse::kWord)                \
  X(kEnvCommentPrefix, 70, "", MessageUse::kWord)                \
  X(kEnvAutoMerge, 71, "", MessageUse::kWord)                    \
  X(kEnvCheckLock, 72, "", MessageUse::kWord)                    \
  X(kEnvCompression, 73, "", MessageUse::kWord)                  \
  X(kEnvDeleteWork, 74, "", MessageUse::kWord)                   \
  X(kEnvExpandKeywords, 75, "", MessageUse::kWord)               \
  X(kEnvProtectLogFile, 76, "", MessageUse::kWord)               \
  X(kEnvProtectWorkFile, 77, "", MessageUse::kWord)              \
  X(kEnvBinaryFile, 78, "", MessageUse::kWord)                   \
  X(kEnvJournalFile, 79, "", MessageUse::kWord)                  \
  X(kEnvJournalPath, 80, "", MessageUse::kWord)                  \
  X(kEnvJournalName, 81, "", MessageUse::kWord)                  \
  X(kEnvRetryCount, 82, "", MessageUse::kWord)                   \
  X(kEnvGlobalJournal, 83, "", MessageUse::kWord)                \
  X(kIniWorkfileLocation, 84, "", MessageUse::kWord)             \
  X(kIniShadowLocation, 85, "", MessageUse::kWord)               \
  X(kKeywordAuthor, 86, "", MessageUse::kWord)                   \
  X(kKeywordNote, 87, "", MessageUse::kWord)                     \
  X(kKeywordNotice, 88, "", MessageUse::kWord)                   \
  X(kKeywordDate, 89, "", MessageUse::kWord)                     \
  X(kKeywordLogEnd, 90, "", MessageUse::kWord)                   \
  X(kKeywordWorkfile, 91, "", MessageUse::kWord)                 \
  X(kKeywordHeader, 92, "", MessageUse::kWord)                   \
  X(kKeywordLog, 93, "", MessageUse::kWord)                      \
  X(kKeywordLogfile, 94, "", MessageUse::kWord)                  \
  X(kKeywordOwner, 95, "", MessageUse::kWord)                    \
  X(kKeywordRevision, 96, "", MessageUse::kWord)                 \
  X(kKeywordName, 97, "", MessageUse::kWord)                     \
  X(kKeywordLabel, 98, "", MessageUse::kWord)                    \
  X(kNotInAccessList, 99, "s", MessageUse::kFormatted)           \
  X(kSecondAnswer, 100, "ss", MessageUse::kFormatted)            \
  X(kLogfileRestored, 101, "ss", MessageUse::kFormatted)         \
  X(kFileOpenFailed, 102, "ssd", MessageUse::kFormatted)         \
  X(kTempFileOpenFailed, 103, "ssd", MessageUse::kFormatted)     \
  X(kDeleteFailed, 104, "s", MessageUse::kFormatted)             \
  X(kRenameFailed, 105, "ss", MessageUse::kFormatted)            \
  X(kReadFailed, 106, "sd", MessageUse::kFormatted)              \
  X(kWriteFailed, 107, "sd", MessageUse::kFormatted)             \
  X(kAttributeValueMissing, 108, "", MessageUse::kFormatted)     \
  X(kTextValueMissing, 112, "", MessageUse::kFormatted)          \
  X(kCopyValuesMissing, 114, "", MessageUse::kFormatted)         \
  X(kDescriptionMissing, 116, "", MessageUse::kFormatted)        \
  X(kRevisionMissing, 117, "", MessageUse::kFormatted)           \
  X(kLabelMissing, 118, "", MessageUse::kFormatted)              \
  X(kBadTimestampValue, 119, "sss", MessageUse::kFormatted)      \
  X(kAttributeWithoutValue, 120, "s", MessageUse::kFormatted)    \
  X(kAttributeBadValue, 121, "s", MessageUse::kFormatted)        \
  X(kAttributeUnknown, 122, "s", MessageUse::kFormatted)         \
  X(kAttributeNotPermitted, 123, "s", MessageUse::kFormatted)    \
  X(kUnknownOption, 126, "s", MessageUse::kFormatted)            \
  X(kSecondModification, 127, "", MessageUse::kFormatted)        \
  X(kBadRevision, 131, "s", MessageUse::kFormatted)              \
  X(kWildcardNotAllowed, 132, "s", MessageUse::kFormatted)       \
  X(kBadTextValue, 134, "", MessageUse::kFormatted)              \
  X(kLockNotInAccessList, 137, "s", MessageUse::kFormatted)      \
  X(kOutOfMemory, 138, "sd", MessageUse::kFormatted)             \
  X(kCheckLockOff, 139, "ss", MessageUse::kFormatted)            \
  X(kNoLabels, 140, "s", MessageUse::kFormatted)                 \
  X(kOptionTwice, 141, "s", MessageUse::kLabelSecond)            \
  X(kSecondFileName, 142, "s", MessageUse::kFormatted)           \
  X(kBackupRenameFailed, 143, "sssd", MessageUse::kFormatted)    \
  X(kDefaultBranchNotFound, 144, "s", MessageUse::kFormatted)    \
  X(kSeekFailed, 145, "sd", MessageUse::kFormatted)              \
  X(kTempNameFailed, 146, "", MessageUse::kFormatted)            \
  X(kCopyToTempFailed, 147, "ssd", MessageUse::kFormatted)       \
  X(kTooManyElements, 148, "d", MessageUse::kFormatted)          \
  X(kUsageFileMissing, 150, "", MessageUse::kFormatted)          \
  X(kLabelNotFound, 151, "ss", MessageUse::kFormatted)           \
  X(kLabelTooLong, 152, "d", MessageUse::kFormatted)             \
  X(kAlreadyLocked, 153, "ss", MessageUse::kFormatted)           \
  X(kChoosingSeparator, 154, "", MessageUse::kFormatted)         \
  X(kComparing, 155, "", MessageUse::kFormatted)                 \
  X(kLogfileChecksum, 162, "s", MessageUse::kFormatted)          \
  X(kLogfileFormat, 163, "ds", MessageUse::kFormatted)           \
  X(kLockFileNotRemoved, 164, "s", MessageUse::kFormatted)       \
  X(kLogfileNotWritable, 165, "s", MessageUse::kFormatted)       \
  X(kJournalOpenFailed, 166, "s", MessageUse::kFormatted)        \
  X(kLogfileOpenFailed, 168, "ssd", MessageUse::kFormatted)      \
  X(kLogDirectoryMissing, 169, "s", MessageUse::kFormatted)      \
  X(kLockFileBusy, 170, "s", MessageUse::kFormatted)             \
  X(kUserHoldsLock, 177, "s", MessageUse::kFormatted)            \
  X(kRangeNotAllowed, 178, "s", MessageUse::kFormatted)          \
  X(kQuoteNotClosed, 179, "", MessageUse::kFormatted)            \
  X(kTextPrompt, 180, "", MessageUse::kFormatted)                \
  X(kFetched, 194, "sss", MessageUse::kFormatted)                \
  X(kFetchedEditTime, 195, "s", MessageUse::kFormatted)          \
  X(kOutputMissing, 196, "", MessageUse::kFormatted)             \
  X(kRevisionAfterLabel, 197, "", MessageUse::kFormatted)        \
  X(kLabelAfterRevision, 198, "", MessageUse::kFormatted)        \
  X(kLockWithNewerOnly, 199, "", MessageUse::kFormatted)         \
  X(kNewerOnlyWithLock, 200, "", MessageUse::kFormatted)         \
  X(kWritableWorkfileKept, 201, "s", MessageUse::kFormatted)     \
  X(kSecondOutput, 202, "s", MessageUse::kFormatted)             \
  X(kFetchedCheckinTime, 203, "s", MessageUse::kFormatted)       \
  X(kHistoryEntry, 204, "ssss", MessageUse::kWithoutLabel)       \
  X(kRebuildFailed, 205, "ss", MessageUse::kFormatted)           \
  X(kOutputTwice, 206, "", MessageUse::kFormatted)               \
  X(kAskReplaceWritable, 207, "s", MessageUse::kWithoutLabel)    \
  X(kBranchMismatch, 208, "ss", MessageUse::kFormatted)          \
  X(kBranchRevisionTooLow, 209, "ss", MessageUse::kFormatted)    \
  X(kDescriptionAbandoned, 210, "s", MessageUse::kFormatted)     \
  X(kCreatingLogfile, 211, "s", MessageUse::kFormatted)          \
  X(kCopyBehindTrunkFailed, 212, "dd", MessageUse::kFormatted)   \
  X(kAccessListEmpty, 213, "s", MessageUse::kFormatted)          \
  X(kEnterModuleDescription, 215, "s", MessageUse::kFormatted)   \
  X(kEnterRevisionDescription, 217, "", MessageUse::kFormatted)  \
  X(kAttributesIgnored, 218, "", MessageUse::kFormatted)         \
  X(kWorkfileNameMissing, 219, "", MessageUse::kFormatted)       \
  X(kNoCommentPrefix, 220, "s", MessageUse::kFormatted)          \
  X(kBranchWithRevision, 221, "", MessageUse::kFormatted)        \
  X(kRevisionWithBranch, 222, "", MessageUse::kFormatted)        \
  X(kModuleDescriptionTaken, 223, "s", MessageUse::kFormatted)   \
  X(kLogfileCreateFailed, 224, "s", MessageUse::kFormatted)      \
  X(kCheckingIn, 226, "ss", MessageUse::kFormatted)              \
  X(kUnchangedWorkfile, 227, "s", MessageUse::kFormatted)        \
  X(kUnchangedDescription, 228, "", MessageUse::kWord)           \
  X(kNoLockedRevision, 229, "", MessageUse::kFormatted)          \
  X(kUserNotInModifierList, 230, "", MessageUse::kFormatted)     \
  X(kUserNameEmpty, 231, "s", MessageUse::kFormatted)            \
  X(kSecondWorkfileName, 232, "s", MessageUse::kFormatted)       \
  X(kRevisionShapeMismatch, 233, "ss", MessageUse::kFormatted)   \
  X(kRevisionNotGreater, 234, "ss", MessageUse::kFormatted)      \
  X(kWorkfileOptionTwice, 238, "", MessageUse::kFormatted)       \
  X(kLabelApplied, 257, "ss", MessageUse::kFormatted)            \
  X(kAskReplaceCopyLabel, 258, "sss", MessageUse::kFormatted)    \
  X(kCopyAfterLabel, 259, "", MessageUse::kFormatted)            \
  X(kRevisionAfterCopy, 260, "", MessageUse::kFormatted)         \
  X(kLabelAfterCopy, 261, "", MessageUse::kFormatted)            \
  X(kLabelKept, 262, "ss", MessageUse::kFormatted)               \
  X(kAskMoveLabel, 263, "ss", MessageUse::kFormatted)            \
  X(kRevisionNotFound, 264, "s", MessageUse::kFormatted)         \
  X(kNoLabelsToRemove, 265, "s", MessageUse::kFormatted)         \
  X(kRemovingLabel, 266, "s", MessageUse::kFormatted)            \
  X(kLabelToRemoveNotFound, 267, "ss", MessageUse::kFormatted)   \
  X(kLocked, 280, "sss", MessageUse::kFormatted)                 \
  X(kLockedByOther, 281, "sss", MessageUse::kFormatted)          \
  X(kNotLocked, 282, "ss", MessageUse::kFormatted)               \
  X(kNoLocks, 283, "s", MessageUse::kFormatted)                  \
  X(kHeadingAccessList, 285, "ss", MessageUse::kFormatted)       \
  X(kHeadingCommentPrefix, 286, "ss", MessageUse::kFormatted)    \
  X(kHeadingModifierList, 287, "ss", MessageUse::kFormatted)     \
  X(kHeadingDescription, 288, "ss", MessageUse::kFormatted)      \
  X(kHeadingOwner, 289, "ss", MessageUse::kFormatted)            \
  X(kPromptCommentPrefix, 290, "", MessageUse::kRaw)             \
  X(kPromptAddUsers, 291, "", MessageUse::kRaw)                  \
  X(kPromptDescription, 292, "", MessageUse::kRaw)               \
  X(kPromptOwner, 293, "", MessageUse::kRaw)                     \
  X(kPromptAccessList, 294, "", MessageUse::kRaw)                \
  X(kNoteAccessList, 295, "ss", MessageUse::kWithoutLabel)       \
  X(kNoteCommentPrefix, 296, "ss", MessageUse::kWithoutLabel)    \
  X(kNoteDefaultBranch, 297, "ss", MessageUse::kWithoutLabel)    \
  X(kNoteDescription, 298, "ss", MessageUse::kWithoutLabel)      \
  X(kNoteUsersAdded, 299, "s", MessageUse::kWithoutLabel)        \
  X(kNoteOwner, 300, "ss", MessageUse::kWithoutLabel)            \
  X(kNoteLabelRenamed, 301, "s", MessageUse::kWithoutLabel)      \
  X(kHeadingRenameLabel, 302, "s", MessageUse::kFormatted)       \
  X(kDefaultBranchMissing, 303, "", MessageUse::kFormatted)      \
  X(kOwnerNotInAccessList, 304, "s", MessageUse::kFormatted)     \
  X(kUserKnownAlready, 306, "s", MessageUse::kFormatted)         \
  X(kAccessListWithoutNames, 307, "s", MessageUse::kFormatted)   \
  X(kLocksPreventClearing, 308, "ds", MessageUse::kFormatted)    \
  X(kIniProjectList, 340, "", MessageUse::kWord)                 \
  X(kIniDefaultProject, 341, "", MessageUse::kWord)              \
  X(kIniToolsSection, 345, "", MessageUse::kWord)                \
  X(kIniCompareCommand, 346, "", MessageUse::kWord)              \
  X(kIniViewer, 347, "", MessageUse::kWord)                      \
  X(kIniUsersSection, 348, "", MessageUse::kWord)                \
  X(kIniUserSection, 349, "", MessageUse::kWord)                 \
  X(kIniWindowSize, 350, "", MessageUse::kWord)                  \
  X(kIniWindowPosition, 351, "", MessageUse::kWord)              \
  X(kIniCurrentDirectory, 352, "", MessageUse::kWord)            \
  X(kIniSortColumn, 353, "", MessageUse::kWord)                  \
  X(kColumnFilename, 354, "", MessageUse::kWord)                 \
  X(kColumnLockedBy, 355, "", MessageUse::kWord)                 \
  X(kColumnLastChanged, 356, "", MessageUse::kWord)              \
  X(kColumnWorkfileIn, 357, "", MessageUse::kWord)               \
  X(kColumnFileSize, 358, "", MessageUse::kWord)                 \
  X(kNoAnswerAvailable, 359, "s", MessageUse::kFormatted)        \
  X(kWorkfileNotWritten, 360, "ss", MessageUse::kFormatted)      \
  X(kPathTooLong, 361, "sd", MessageUse::kFormatted)             \
  X(kHeaderFieldTooLarge, 362, "", MessageUse::kFormatted)       \
  X(kRevisionNumbersExhausted, 363, "s", MessageUse::kFormatted) \
  X(kTooManyRevisions, 364, "s", MessageUse::kFormatted)         \
  X(kWorkfileIsLogfile, 365, "s", MessageUse::kFormatted)        \
  X(kCopyAfterRevision, 366, "", MessageUse::kFormatted)         \
  X(kCheckInOfLogfile, 367, "s", MessageUse::kFormatted)         \
  X(kValueAbandoned, 368, "s", MessageUse::kFormatted)           \
  X(kLockFileCannotBeMade, 369, "ss", MessageUse::kFormatted)    \
  X(kOptionStandardOutput, 400, "", MessageUse::kWord)           \
  X(kStandardOutputWith, 401, "s", MessageUse::kFormatted)       \
  X(kWorkfileNotRegular, 402, "s", MessageUse::kFormatted)       \
  X(kNotALockFile, 403, "ss", MessageUse::kFormatted)            \
  X(kNamesCollide, 404, "ss", MessageUse::kFormatted)            \
  X(kStandardOutputFailed, 405, "s", MessageUse::kFormatted)     \
  X(kProtectFailed, 406, "ss", MessageUse::kFormatted)           \
  X(kCannotRead, 407, "ss", MessageUse::kFormatted)              \
  X(kCannotCreate, 408, "ss", MessageUse::kFormatted)            \
  X(kCannotWrite, 409, "ss", MessageUse::kFormatted)             \
  X(kLogfileCannotOpen, 450, "ss", MessageUse::kFormatted)       \
  X(kLogfileIsLink, 451, "s", MessageUse::kFormatted)            \
  X(kLogfileDamaged, 452, "s", MessageUse::kFormatted)           \
  X(kDamageCutShort, 453, "", MessageUse::kWord)                 \
  X(kDamageHeaderField, 454, "", MessageUse::kWord)              \
  X(kDamageRecordField, 455, "", MessageUse::kWord)              \
  X(kDamageRecordOrder, 456, "", MessageUse::kWord)              \
  X(kDamageDescription, 457, "", MessageUse::kWord)              \
  X(kDamageData, 458, "", MessageUse::kWord)                     \
  X(kDamageHeaderDisagrees, 459, "", MessageUse::kWord)          \
  X(kLogfileNotChanged, 460, "s", MessageUse::kFormatted)       \
  X(kLeftoverNotRemoved, 461, "ss", MessageUse::kFormatted)      \
  X(kWorkfilePathStatus, 700, "s", MessageUse::kWithoutLabel)    \
  X(kGotInto, 701, "ss", MessageUse::kWithoutLabel)              \
  X(kRevisionNamed, 702, "s", MessageUse::kWithoutLabel)         \
  X(kVersionNamed, 703, "s", MessageUse::kWithoutLabel)          \
  X(kGetFailed, 704, "ss", MessageUse::kWithoutLabel)            \
  X(kCheckOutFailed, 705, "ss", MessageUse::kWithoutLabel)       \
  X(kStoreFailed, 706, "ss", MessageUse::kWithoutLabel)          \
  X(kCreateLogfileFailed, 707, "ss", MessageUse::kWithoutLabel)  \
  X(kLockedRevision, 708, "ss", MessageUse::kWithoutLabel)       \
  X(kLockFailed, 709, "ss", MessageUse::kWithoutLabel)           \
  X(kUnlockedRevision, 710, "ss", MessageUse::kWithoutLabel)     \
  X(kUnlockFailed, 711, "ss", MessageUse::kWithoutLabel)         \
  X(kLabeledRevision, 712, "sss", MessageUse::kWithoutLabel)     \
  X(kLabelFailed, 713, "ss", MessageUse::kWithoutLabel)          \
  X(kRemovedLabel, 714, "ss", MessageUse::kWithoutLabel)         \
  X(kRemoveLabelFailed, 715, "ss", MessageUse::kWithoutLabel)    \
  X(kLabelRequired, 716, "", MessageUse::kWithoutLabel)          \
  X(kLabelChoiceRequired, 717, "", MessageUse::kWithoutLabel)    \
  X(kCreateWorkfileDirectory, 718, "s", MessageUse::kWithoutLabel)\
  X(kWorkfileDirectoryFailed, 719, "s", MessageUse::kWithoutLabel)\
  X(kCreateLogfileDirectory, 720, "s", MessageUse::kWithoutLabel)\
  X(kLogfileDirectoryFailed, 721, "s", MessageUse::kWithoutLabel)\
  X(kRemoveFromProject, 722, "ss", MessageUse::kWithoutLabel)    \
  X(kRemoveFromProjectAgain, 723, "ss", MessageUse::kWithoutLabel)\
  X(kLogfileNotDeleted, 724, "s", MessageUse::kWithoutLabel)     \
  X(kUserUnknown, 725, "s", MessageUse::kWithoutLabel)           \
  X(kInvalidPassword, 726, "s", MessageUse::kWithoutLabel)       \
  X(kUserAlreadyDefined, 727, "s", MessageUse::kWithoutLabel)    \
  X(kDeleteUserQuestion, 728, "s", MessageUse::kWithoutLabel)    \
  X(kProjectFilesCaption, 729, "", MessageUse::kWithoutLabel)    \
  X(kProjectFilesCounted, 730, "d", MessageUse::kWithoutLabel)   \
  X(kWorking, 731, "", MessageUse::kWithoutLabel)                \
  X(kLockedWithoutUser, 732, "", MessageUse::kWithoutLabel)      \
  X(kPasswordNotStored, 733, "s", MessageUse::kWithoutLabel)

// clang-format on
#define TARN_DECLARE_MESSAGE(name, number, signature, use) \
  inline constexpr MessageId name{number, signature, use};
TARN_MESSAGES(TARN_DECLARE_MESSAGE)
#undef TARN_DECLARE_MESSAGE

#define TARN_LIST_MESSAGE(name, number, signature, use) MessageId{number, signature, use},
inline constexpr MessageId kAllMessages[] = {TARN_MESSAGES(TARN_LIST_MESSAGE)};
#undef TARN_LIST_MESSAGE

}  // namespace tarn::msg
