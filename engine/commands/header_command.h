// The modify-header command ("tmh").
//
// Changes the module-level information in a logfile's header: one of the
// access list, the list of known users, the comment prefix, the module
// description, the owner, the default branch or the text of a label, and
// with it (or alone) the attribute bits. The revisions are untouched; the
// logfile is rewritten whole (logfile_rewrite.h), so a failure leaves it as
// it was. Every change leaves a note that the journal entry carries.
//
// Command line: the command word, then in any order
//   -text VALUE          the new value (else typed at the console)
//   -set NAME=VALUE,...  attribute bits to set (yes) or clear (no)
//   one change:  -access | -adduser | -prefix | -desc | -owner
//                | -relabel LABEL | -branch REVISION
//   and the file name.
#pragma once

#include <optional>
#include <string>

#include "engine/commands/command_line.h"
#include "engine/format/revision_desc.h"
#include "engine/support/environment.h"

namespace tarn {

enum class HeaderChange {
  kNone,           // only the attributes change
  kRenameLabel,    // give a label a new text
  kAccessList,     // replace the access list
  kCommentPrefix,  // replace the comment prefix
  kDescription,    // replace the module description
  kAddUsers,       // add names to the list of known users
  kOwner,          // make a user of the access list the owner
  kDefaultBranch,  // make a revision's branch the default branch
};

// HeaderCommandArgs: what the parser takes from the command line.
struct HeaderCommandArgs {
  HeaderChange change = HeaderChange::kNone;
  std::string label;                            // kRenameLabel: the label to rename
  std::optional<tarnCommandRevDesc> revision;   // kDefaultBranch: its revision
  std::optional<std::string> text;              // the new value; none: typed in
  std::optional<AttributeOverride> attributes;  // the attribute option
  std::string fileName;                         // names the workfile and so the logfile
  bool quiet = false;                           // leave out the information messages
};

// 1 accepted; -1 refused (reported, then the usage report): a second change
// option draws message 127.
int ParseHeaderCommandLine(CommandArguments arguments, HeaderCommandArgs& args);

// Carries out the change for env.userName, who must be in the access list.
// 1 when the header was rewritten, and when there was nothing to change;
// -1 when the change was refused (reported) or could not be written; the
// logfile is then unchanged. Unlike the other commands this one leaves the
// environment's attribute word as the caller supplied it: that word, not
// the logfile's, decides whether a journal entry is written.
int ModifyHeader(const HeaderCommandArgs& args, tarnEnvironVars& env);

}  // namespace tarn
