// The command lines of compare and view: the get that writes a revision
// into a temporary file, the external compare program's command from
// dorn.ini and its validity rule, the viewer's command, and the extension
// a viewed revision's temporary file carries. Nothing here needs a window;
// the catalogue must be loaded for the get command.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn::dorn {

// "tget -out "<file>" -quiet -rev <revision>" (option words from the
// catalogue); without a revision the option is left out and the logfile's
// default revision is fetched.
std::string RevisionIntoFileCommand(std::string_view file, std::string_view revision);

// A compare command holds a "%s" after its first character and a second
// "%s" after the first one; "%s %s" (no program) and a command with one
// "%s" are not valid.
bool IsValidCompareCommand(std::string_view command);

// The words of a valid compare command, the program first: the command is
// cut into words as a shell does (quotes group, nothing is expanded), then
// the first "%s" becomes `revisionFile` and the second `workfile`. Filling
// after the split keeps a path with blanks one argument.
std::vector<std::string> CompareProgramWords(std::string_view command,
                                             const std::string& revisionFile,
                                             const std::string& workfile);

// The words of the viewer command with `file` as its last argument; empty
// when the viewer holds no word.
std::vector<std::string> ViewerWords(std::string_view viewer, const std::string& file);

// The extension a viewed revision's temporary file carries: when the last
// four characters of `fileName` hold a point, the text from that point on
// ("makefile.c" gives ".c"); otherwise nothing.
std::string ViewedExtension(std::string_view fileName);

}  // namespace tarn::dorn
