// After a refusal that depends on who is asking (not in the access list, a
// lock held by someone else), the user is told under which name the command
// ran and which variable sets it: a wrong or missing name is the usual cause.
#pragma once

#include "engine/support/environment.h"

namespace tarn {

// Reports message 600 (kind 11) with the user name and the name of the user
// variable (message 67).
void ReportIdentityNote(const tarnEnvironVars& env);

}  // namespace tarn
