// Listing a subcommand's usage text: on standard output when asked for,
// on standard error after a refused command line.
#pragma once

#include <cstdio>
#include <string_view>

namespace tarn::cli {

// Lists <usage>.usa under the heading for `label`.
void ListUsage(std::string_view label, std::string_view usage, std::FILE* out);

// Lists the usage on standard error and returns 2, the status of a refused
// command line.
int RefuseWithUsage(std::string_view label, std::string_view usage);

}  // namespace tarn::cli
