// The modify-header command lines of the header dialogs. Option words come
// from the catalogue, which must be loaded; nothing here needs a window.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/command_strings.h"

namespace tarn::dorn {

// The eight attribute buttons' states, indexed by the attribute's bit
// number in the logfile header (0 check locks ... 7 compress logfile).
using AttributeStates = std::array<TriState, 8>;

// "tmh " and, for every attribute not left undetermined, in the order
// binary file, check locks, compress logfile, delete workfile, expand
// keywords, journal changes, protect logfile, protect workfile:
// " -set Name=yes|no". All undetermined gives "tmh " alone.
std::string AttributesCommand(const AttributeStates& states);

// "tmh  -desc  -text "<description>"".
std::string DescriptionCommand(std::string_view description);

// "tmh  -access  -text "<a,b,c>"": the entries joined by commas.
std::string AccessListCommand(const std::vector<std::string>& entries);

// "tmh  -owner  -text "<user>"".
std::string AuthorCommand(std::string_view user);

}  // namespace tarn::dorn
