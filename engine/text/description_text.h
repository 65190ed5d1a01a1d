// Normalising a description given on a command line.
//
// Module and revision descriptions are free text with lines separated by
// line feeds. A description typed into one command-line argument arrives
// with tabs, carriage returns and the like, and as one long line; it is
// stored with every such character made a blank and broken into lines of at
// most 70 characters at blanks.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

inline constexpr std::size_t kDescriptionLineWidth = 70;

// Every white-space character other than the line feed becomes a blank;
// whenever a line grows past 70 characters, the last blank before that
// point becomes a line feed (a line without a blank stays long).
std::string NormaliseDescription(std::string_view text);

}  // namespace tarn
