// Who a command-line program acts for.
//
// The desktop front end has a login; a shell has none. Without the user
// variable (message 67) a command-line program therefore acts for the
// account it runs under. And where neither the environment (message 66) nor
// a project gives an access list, the built-in default ("none", message 19)
// would admit nobody but a user called "none": a new logfile gets the
// creating user alone as its access list instead, so a first file can always
// be added.
#pragma once

#include "objects/env_var.h"

namespace tarn {

// With the user variable unset, the user name becomes the login name.
void UseLoginNameUnlessSet(tEnvVar& settings);

// With the access-list variable unset and the access list still the
// built-in default, the access list becomes the user name.
void DefaultAccessListToUser(tEnvVar& settings);

// Both, in that order: the command-line programs' identity rules.
void ApplyCommandLineIdentity(tEnvVar& settings);

}  // namespace tarn
