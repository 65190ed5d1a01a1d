// The refresh of a kept workfile after a check-in: its keywords expanded
// again from the revision just stored, so that "$Revision$" and its kind
// name the new revision.
#pragma once

#include <string>

#include "engine/format/revision_desc.h"
#include "engine/support/environment.h"

namespace tarn {

// Runs a complete get (with its own logfile lock) of `revision` of the
// logfile that `givenName` names into a temporary file, quietly, with only
// ExpandKeywords (and ProtectLogFile when `protectLogfile`, BinaryFile when
// `binaryFile`) in effect and
// the workfile's name shown by the Workfile and Header keywords; then puts
// the result in place as `workfile`, time-stamped with the revision's
// check-in time. The workfile is replaced in one rename, so a failure leaves
// it as it was. 1, or -1 (reported; 146 when no temporary file can be made).
int RefreshWorkfileAfterCheckIn(const std::string& givenName, const std::string& workfile,
                                const tarnCommandRevDesc& revision, bool protectLogfile,
                                bool binaryFile, const tarnEnvironVars& env);

}  // namespace tarn
