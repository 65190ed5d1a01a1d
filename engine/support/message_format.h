// printf-style formatting of catalogue texts, safe against any format.
//
// The catalogue is a text file that anyone may edit, so a format cannot be
// trusted to match the arguments passed with it. This formatter takes its
// arguments as typed values and renders every conversion from what is really
// there: a number where %s stands is printed as a number, text where %d
// stands is printed as text, a conversion with no argument left prints
// nothing, and conversions that would read or write memory (%n, %p, floating
// point) are copied literally.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace tarn {

class MessageArg {
 public:
  using Value = std::variant<long long, unsigned long long, std::string_view>;

  MessageArg(std::string_view text) : value_(text) {}
  MessageArg(const char* text) : value_(std::string_view(text != nullptr ? text : "")) {}
  MessageArg(const std::string& text) : value_(std::string_view(text)) {}
  MessageArg(int number) : value_(static_cast<long long>(number)) {}
  MessageArg(long number) : value_(static_cast<long long>(number)) {}
  MessageArg(long long number) : value_(number) {}
  MessageArg(short number) : value_(static_cast<long long>(number)) {}
  MessageArg(unsigned number) : value_(static_cast<unsigned long long>(number)) {}
  MessageArg(unsigned long number) : value_(static_cast<unsigned long long>(number)) {}
  MessageArg(unsigned long long number) : value_(number) {}
  MessageArg(unsigned short number) : value_(static_cast<unsigned long long>(number)) {}

  const Value& value() const { return value_; }

 private:
  Value value_;
};

// Formats `format` with `args`; the result is cut to `limit` bytes.
std::string FormatWithArgs(std::string_view format, std::span<const MessageArg> args,
                           std::size_t limit = 511);

// The conversions of a format in order, one letter each: 's' for %s, 'd' for
// %d and %i, 'u' for %u, %x, %X and %o, 'c' for %c, and '!' for conversions
// that this formatter copies literally (%n, %p, floating point, unknown).
// Used to check catalogue texts against the arguments their callers pass.
std::string ConversionLetters(std::string_view format);

}  // namespace tarn
