#include "engine/support/message_format.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace tarn {
namespace {

// Widths and precisions beyond this are clamped: the result is cut to the
// message buffer anyway, and a format must not make us build huge strings.
constexpr int kMaxFieldWidth = 512;

struct Conversion {
  bool left_align = false;
  bool plus_sign = false;
  bool space_sign = false;
  bool zero_pad = false;
  bool alternate = false;
  int width = 0;
  int precision = -1;
  char letter = '\0';
  std::size_t length = 0;  // bytes of the format this conversion spans
};

int ReadCount(std::string_view format, std::size_t& pos) {
  int value = 0;
  while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
    value = std::min(kMaxFieldWidth, value * 10 + (format[pos] - '0'));
    ++pos;
  }
  return value;
}

// Parses the conversion starting at format[start] == '%'. A '*' width or
// precision is accepted but takes no argument: the value stays unset.
Conversion ParseConversion(std::string_view format, std::size_t start) {
  Conversion conv;
  std::size_t pos = start + 1;
  for (; pos < format.size(); ++pos) {
    const char c = format[pos];
    if (c == '-')
      conv.left_align = true;
    else if (c == '+')
      conv.plus_sign = true;
    else if (c == ' ')
      conv.space_sign = true;
    else if (c == '0')
      conv.zero_pad = true;
    else if (c == '#')
      conv.alternate = true;
    else
      break;
  }
  if (pos < format.size() && format[pos] == '*')
    ++pos;
  else
    conv.width = ReadCount(format, pos);
  if (pos < format.size() && format[pos] == '.') {
    ++pos;
    if (pos < format.size() && format[pos] == '*')
      ++pos;
    else
      conv.precision = ReadCount(format, pos);
  }
  while (pos < format.size() &&
         std::string_view("hlLqjzt").find(format[pos]) != std::string_view::npos) {
    ++pos;
  }
  conv.letter = pos < format.size() ? format[pos] : '\0';
  conv.length = std::min(pos + 1, format.size()) - start;
  return conv;
}

char LetterClass(char letter) {
  switch (letter) {
    case 's':
      return 's';
    case 'd':
    case 'i':
      return 'd';
    case 'u':
    case 'x':
    case 'X':
    case 'o':
      return 'u';
    case 'c':
      return 'c';
    case '%':
      return '%';
    default:
      return '!';
  }
}

std::string Digits(unsigned long long magnitude, int base, bool upper) {
  char buffer[72];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, base);
  std::string text(buffer, result.ptr);
  if (upper)
    std::transform(text.begin(), text.end(), text.begin(), [](char ch) {
      return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    });
  return text;
}

void Pad(std::string& out, const Conversion& conv, std::string_view sign, std::string_view body,
         bool numeric) {
  const std::size_t used = sign.size() + body.size();
  const std::size_t fill = conv.width > 0 && static_cast<std::size_t>(conv.width) > used
                               ? static_cast<std::size_t>(conv.width) - used
                               : 0;
  if (conv.left_align) {
    out += sign;
    out += body;
    out.append(fill, ' ');
  } else if (conv.zero_pad && numeric && conv.precision < 0) {
    out += sign;
    out.append(fill, '0');
    out += body;
  } else {
    out.append(fill, ' ');
    out += sign;
    out += body;
  }
}

void RenderNumber(std::string& out, const Conversion& conv, bool negative,
                  unsigned long long magnitude) {
  int base = 10;
  if (conv.letter == 'x' || conv.letter == 'X') base = 16;
  if (conv.letter == 'o') base = 8;
  std::string body = Digits(magnitude, base, conv.letter == 'X');
  if (conv.precision >= 0 && body.size() < static_cast<std::size_t>(conv.precision)) {
    body.insert(0, static_cast<std::size_t>(conv.precision) - body.size(), '0');
  }
  if (conv.precision == 0 && magnitude == 0) body.clear();
  std::string sign;
  if (negative)
    sign = "-";
  else if (conv.plus_sign && base == 10)
    sign = "+";
  else if (conv.space_sign && base == 10)
    sign = " ";
  if (conv.alternate && magnitude != 0 && base == 16) sign += conv.letter == 'X' ? "0X" : "0x";
  Pad(out, conv, sign, body, true);
}

void RenderText(std::string& out, const Conversion& conv, std::string_view text) {
  if (conv.precision >= 0 && text.size() > static_cast<std::size_t>(conv.precision)) {
    text = text.substr(0, static_cast<std::size_t>(conv.precision));
  }
  Pad(out, conv, "", text, false);
}

void RenderArgument(std::string& out, const Conversion& conv, const MessageArg& arg) {
  const MessageArg::Value& value = arg.value();
  if (const auto* text = std::get_if<std::string_view>(&value)) {
    // Text always prints as text, whatever conversion asked for it.
    RenderText(out, conv, *text);
    return;
  }
  bool negative = false;
  unsigned long long magnitude = 0;
  if (const auto* sv = std::get_if<long long>(&value)) {
    negative = *sv < 0;
    magnitude = negative ? 0ULL - static_cast<unsigned long long>(*sv)
                         : static_cast<unsigned long long>(*sv);
  } else {
    magnitude = std::get<unsigned long long>(value);
  }
  if (conv.letter == 'c') {
    const char ch = static_cast<char>(magnitude & 0xFF);
    RenderText(out, conv, std::string_view(&ch, 1));
    return;
  }
  Conversion numeric = conv;
  if (conv.letter == 's') numeric.letter = 'd';
  // A signed value shown with %u or %x keeps its sign rather than wrapping.
  RenderNumber(out, numeric, negative, magnitude);
}

}  // namespace

std::string FormatWithArgs(std::string_view format, std::span<const MessageArg> args,
                           std::size_t limit) {
  std::string out;
  std::size_t next_arg = 0;
  std::size_t pos = 0;
  while (pos < format.size() && out.size() < limit) {
    const std::size_t percent = format.find('%', pos);
    if (percent == std::string_view::npos) {
      out.append(format.substr(pos));
      break;
    }
    out.append(format.substr(pos, percent - pos));
    const Conversion conv = ParseConversion(format, percent);
    pos = percent + conv.length;
    const char cls = LetterClass(conv.letter);
    if (cls == '%') {
      out += '%';
    } else if (cls == '!') {
      out.append(format.substr(percent, conv.length));
    } else if (next_arg < args.size()) {
      RenderArgument(out, conv, args[next_arg++]);
    }
  }
  if (out.size() > limit) out.resize(limit);
  return out;
}

std::string ConversionLetters(std::string_view format) {
  std::string letters;
  std::size_t pos = 0;
  while ((pos = format.find('%', pos)) != std::string_view::npos) {
    const Conversion conv = ParseConversion(format, pos);
    pos += conv.length;
    const char cls = LetterClass(conv.letter);
    if (cls != '%') letters += cls;
  }
  return letters;
}

}  // namespace tarn
