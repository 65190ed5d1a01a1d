// The comment prefix of a new logfile, chosen from its workfile's extension.
//
// The prefix starts every line that the Log keyword writes into a workfile,
// so that the inserted history reads as a comment in the workfile's language.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// Entries "extension:prefix" separated by '~'; the entry with an empty
// extension serves names without a dot. Prefixes keep their trailing blanks.
inline constexpr std::string_view kDefaultCommentPrefixList =
    ".C: *  ~.CPP: *  ~.H: *  ~.ASM:;  ~.A:;  ~.BAS:REM ~.FOR:C  ~.PAS: * ~:#  ~";

// Used when no entry names the extension.
inline constexpr std::string_view kFallbackCommentPrefix = "   ";

// The list a new logfile chooses from: the settings' own list in front of
// the default list (joined as they stand), so that the settings win.
std::string CommentPrefixList(std::string_view settings_list);

// The upper-cased extension of `name`'s final component, dot included;
// empty when it has no dot.
std::string UpperCaseExtension(std::string_view name);

// The prefix of the first entry of `prefix_list` whose extension is the
// extension of `name`. Without one, reports that the extension is unknown
// (a status message) and returns the fallback prefix.
std::string ChooseCommentPrefix(std::string_view prefix_list, std::string_view name);

}  // namespace tarn
