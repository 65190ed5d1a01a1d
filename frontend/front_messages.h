// The front end's own catalogue messages beyond the shared list: what the
// window tells about logfiles it cannot show, runs over many files, and the
// questions before something is lost. Their texts are in the catalogue like
// every other.
#pragma once

#include "engine/support/message_id.h"

namespace tarn::msg {

inline constexpr MessageId kDamagedMarker{950, "", MessageUse::kWithoutLabel};
inline constexpr MessageId kBusyMarker{951, "", MessageUse::kWithoutLabel};
inline constexpr MessageId kLogfileNotRegular{952, "s", MessageUse::kWithoutLabel};
inline constexpr MessageId kLogfileBusy{953, "s", MessageUse::kWithoutLabel};
inline constexpr MessageId kLogfileHeaderDamaged{954, "s", MessageUse::kWithoutLabel};
inline constexpr MessageId kLogfileRevisionsDamaged{955, "s", MessageUse::kWithoutLabel};
inline constexpr MessageId kLogfileGone{956, "s", MessageUse::kWithoutLabel};
inline constexpr MessageId kLeftAlone{957, "s", MessageUse::kWithoutLabel};
inline constexpr MessageId kRunSummary{958, "ddd", MessageUse::kWithoutLabel};
inline constexpr MessageId kRunStopped{959, "d", MessageUse::kWithoutLabel};
inline constexpr MessageId kRunFailures{960, "dd", MessageUse::kWithoutLabel};
inline constexpr MessageId kStopWord{961, "", MessageUse::kWithoutLabel};
inline constexpr MessageId kRemoveFromProjectLoss{962, "ssdd", MessageUse::kWithoutLabel};
inline constexpr MessageId kReplaceWritableLoss{963, "", MessageUse::kWithoutLabel};
inline constexpr MessageId kNoUsersYet{964, "", MessageUse::kWithoutLabel};
inline constexpr MessageId kUserNotAdded{965, "ss", MessageUse::kWithoutLabel};
inline constexpr MessageId kUserNotDeleted{966, "ss", MessageUse::kWithoutLabel};
inline constexpr MessageId kDirectoryMissing{967, "s", MessageUse::kWithoutLabel};
inline constexpr MessageId kRetryCountInvalid{968, "", MessageUse::kWithoutLabel};
inline constexpr MessageId kLocationMissing{969, "s", MessageUse::kWithoutLabel};
inline constexpr MessageId kDeleteUserLoss{970, "s", MessageUse::kWithoutLabel};

}  // namespace tarn::msg
