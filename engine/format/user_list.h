// User names in the comma-separated lists of a logfile header (access list,
// modifier list).
//
// Every user reference stored in a logfile (creator and locker of a
// revision, creator of a label, last modifier) is an index into the modifier
// list. Indexes count only the non-empty names, so "ann,,bob" gives bob the
// index 1; lookup and naming use the same count.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// The 0-based position of `name` among the non-empty names of `list`,
// compared letter for letter (case and blanks count); -1 when absent. An
// empty name is never found.
int UserIndex(std::string_view name, std::string_view list);

// The `index`-th non-empty name of `list`, or the catalogue's placeholder
// for an unknown name (message 26) when there is none.
std::string UserName(std::string_view list, int index);

}  // namespace tarn
