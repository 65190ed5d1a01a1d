// The changes the modify-header command makes to a header in memory, each
// with its rule and its change note (the text the journal entry carries).
//
// Every change returns 1 when it changed the header, -1 when it refused the
// value (reported; the header is then as it was). The default-branch change
// may also find nothing to change (2).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "platform/file.h"

namespace tarn {

// The access list becomes the names of `value` (separated by commas or line
// feeds; empty names skipped, repeated ones kept once). A name the list of
// known users lacks is appended to it. No names at all: message 307.
int ChangeAccessList(LogfileHeader& header, std::string_view value, std::string& note);

// The comment prefix becomes `value` as it is.
int ChangeCommentPrefix(LogfileHeader& header, std::string_view value, std::string& note);

// The module description becomes `value`, its white space made blanks and
// its lines broken at blanks before they grow past 70 characters.
int ChangeDescription(LogfileHeader& header, std::string_view value, std::string& note);

// The names of `value` (separated by commas or line feeds) are appended to
// the list of known users. A name the list has already, or one given twice,
// draws message 306 and nothing is added.
int AddUsers(LogfileHeader& header, std::string_view value, std::string& note);

// `value` becomes the owner; it must be a name of the access list (message
// 304 otherwise).
int ChangeOwner(LogfileHeader& header, std::string_view value, std::string& note);

// The label `label` gets the text `value` (line feeds and quotes made
// blanks) and the user at position `creator` as its creator. Refused: a text
// of 80 characters or more (152) or an empty one (134), a label that does
// not exist (151, naming `file_name`), a text that another label carries
// already (262): labels stay unique.
int RenameLabel(LogfileHeader& header, std::string_view label, std::string_view value,
                std::int16_t creator, std::string_view file_name, std::string& note);

// The branch of `revision` becomes the default branch; a trunk revision
// removes the default. The branch must have a revision in the logfile open
// as `stream` (message 144 otherwise). 2 when the header has no default and
// a trunk revision was given: nothing to change.
int ChangeDefaultBranch(LogfileHeader& header, platform::File& stream,
                        std::int64_t first_record_offset, const tarnCommandRevDesc& revision,
                        std::string& note);

}  // namespace tarn
