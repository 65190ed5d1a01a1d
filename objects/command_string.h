// Splitting a command string of the object interface into the argument
// vector an engine command's parser takes.
//
// Tokens are separated by white space; a token may be quoted with double
// quotes. After the workfile options of check-in and get (messages 44 and
// 58, with their "-"), a quoted value ends at its own closing quote: a
// workfile name is never the last thing on the line. After any other token a
// quoted value runs to the last double quote of the line, so that a
// description holding quotes of its own survives whole. The file name the
// command works on follows as the last argument; the first token is the
// command word.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// Arguments a command string may give, the file name included: the engine
// commands' argument vectors have room for fewer than 50.
inline constexpr std::size_t kMaxCommandArguments = 49;

std::vector<std::string> SplitCommandString(std::string_view text, std::string_view fileName);

}  // namespace tarn
