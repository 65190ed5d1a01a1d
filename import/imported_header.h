// The header of a logfile made from a ,v file: attributes, access list,
// users, comment prefix, owner and description; and, once every revision
// stands, its labels, default branch and lock count.
#pragma once

#include <string_view>

#include "engine/commands/command_line.h"
#include "engine/format/logfile_header.h"
#include "engine/support/environment.h"
#include "import/rcs_history.h"

namespace tarn::rcs {

// What the command line and the settings ask of every imported logfile.
struct ImportChoices {
  AttributeOverride attributes;    // -set NAME=VALUE
  bool access_list_given = false;  // TARNACCESS or the project names one
};

// Fills `header` for a logfile without revisions yet. Attributes are the
// settings' defaults for new logfiles, with CheckLock when the file locks
// strictly or holds locks, BinaryFile for keyword mode b, and no
// ExpandKeywords for modes b and o. The access list is the file's, or,
// when it has none (everybody may), the settings' list with every author
// and locker; the importing user, who owns the logfile, is added to it.
// The users are the access list, then every author and locker.
// The comment prefix is the file's comment leader, else the one the
// settings give the workfile's extension. Reports (status) what the
// logfile cannot keep: keyword modes other than kv, kvl, o and b (821),
// states other than Exp (820). Returns 1, or -1 after 814 (a user name
// no list can hold).
//
// With `choices`: the attribute overrides stand over everything above, and
// an access list the settings name (TARNACCESS, the project) is taken as it
// stands. A removed file's removal ends the module description.
int BuildImportedHeader(const History& history, std::string_view workfile, std::string_view name,
                        const tarnEnvironVars& env, const ImportChoices& choices,
                        LogfileHeader& header);

// Adds the labels (symbols, newest first as written) and the default
// branch. A branch symbol whose branch has no revision in this file labels
// the branch point, the revision a checkout of the branch gives. A removed
// file's tip gets the label removed-in-N. Returns 1, or -1 after 812 (a number a logfile cannot hold).
int AddLabelsAndDefault(const History& history, std::string_view name, LogfileHeader& header);

}  // namespace tarn::rcs
