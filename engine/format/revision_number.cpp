#include "engine/format/revision_number.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// A token "starts with a decimal number"; what follows the digits is ignored
// ("1a" is 1), as it always has been. A number that does not fit the 16-bit
// field is refused rather than wrapped into another revision.
std::optional<std::int16_t> LeadingNumber(std::string_view token) {
  std::size_t digits = 0;
  while (digits < token.size() && token[digits] >= '0' && token[digits] <= '9') ++digits;
  if (digits == 0) return std::nullopt;
  std::int16_t value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + digits, value);
  if (error != std::errc() || end != token.data() + digits) return std::nullopt;
  return value;
}

// Splits at every '.'. One trailing '.' is allowed ("1.2." is "1.2", the form
// the formatter used to produce); any other empty token is a typing error and
// makes the request malformed instead of being silently skipped.
std::optional<std::vector<std::string_view>> SplitAtDots(std::string_view text) {
  if (!text.empty() && text.back() == '.') text.remove_suffix(1);
  std::vector<std::string_view> tokens;
  while (true) {
    const std::size_t dot = text.find('.');
    const std::string_view token = text.substr(0, dot);
    if (token.empty()) return std::nullopt;
    tokens.push_back(token);
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  return tokens;
}

tarnCommandRevDesc WildcardOnly(std::int16_t wildcardValue) {
  tarnCommandRevDesc result;
  result.iElementCount = 1;
  result.elements[0] = {kMatchWildcard, wildcardValue, kMatchWildcard, wildcardValue};
  return result;
}

tarnCommandRevDesc TrunkTipRequest() {
  tarnCommandRevDesc result;
  result.iElementCount = 1;
  result.elements[0] = {kMatchNewest, -1, kMatchNewest, -1};
  return result;
}

}  // namespace

RevisionParse ParseRevisionRequest(std::string_view text, std::int16_t wildcardValue,
                                   tarnCommandRevDesc& result) {
  const std::size_t star = text.find('*');
  if (star != std::string_view::npos && star + 1 != text.size()) return RevisionParse::kMalformed;
  if (EqualsWord(text, msg::kWordTrunkTip.number)) {
    result = TrunkTipRequest();
    return RevisionParse::kParsed;
  }
  if (text == "*") {
    result = WildcardOnly(wildcardValue);
    return RevisionParse::kParsed;
  }

  const std::optional<std::vector<std::string_view>> tokens = SplitAtDots(text);
  if (!tokens) return RevisionParse::kMalformed;

  tarnCommandRevDesc parsed;
  for (std::size_t i = 0; i < tokens->size(); ++i) {
    const std::string_view token = (*tokens)[i];
    const bool isMajor = i % 2 == 0;
    if (isMajor && parsed.iElementCount == kMaxRevisionElements) {
      Report(kAlert, msg::kTooManyElements, kMaxRevisionElements);
      return RevisionParse::kTooManyElements;
    }
    const std::optional<std::int16_t> number = LeadingNumber(token);
    if (!number && token.front() != '*') return RevisionParse::kMalformed;

    if (isMajor) {
      RevElement& element = parsed.elements[static_cast<std::size_t>(parsed.iElementCount++)];
      element = number ? RevElement{kMatchExact, *number, kMatchNewest, -1}
                       : RevElement{kMatchWildcard, wildcardValue, kMatchWildcard, wildcardValue};
    } else {
      RevElement& element = parsed.elements[static_cast<std::size_t>(parsed.iElementCount - 1)];
      element.iMinorFlag = number ? kMatchExact : kMatchWildcard;
      element.iMinor = number ? *number : wildcardValue;
    }
  }
  result = parsed;
  return RevisionParse::kParsed;
}

std::string FormatRevision(const tarnCommandRevDesc& descriptor) {
  const int count = std::clamp<int>(descriptor.iElementCount, 0, kMaxRevisionElements);
  std::string text;
  for (int k = 0; k < count; ++k) {
    const RevElement& element = descriptor.elements[static_cast<std::size_t>(k)];
    text += std::to_string(element.iMajor);
    text += '.';
    if (element.iMinor >= 0) {
      text += std::to_string(element.iMinor);
      text += '.';
    }
  }
  if (!text.empty()) text.pop_back();
  return text;
}

int UpdateEffectiveDescriptor(tarnCommandRevDesc& effective, const tRevHdr& header) {
  // A record deeper than a descriptor can hold only comes from a damaged
  // file; refusing it keeps the element array in bounds.
  if (header._iDepth < 0 || header._iDepth >= kMaxRevisionElements) return -1;
  effective.iElementCount = static_cast<std::int16_t>(header._iDepth + 1);
  effective.elements[static_cast<std::size_t>(header._iDepth)] = {kMatchExact, header.major,
                                                                  kMatchExact, header.minor};
  return 1;
}

bool RevisionMatches(const tarnCommandRevDesc& wanted, const tarnCommandRevDesc& effective,
                     const tRevHdr& header) {
  const int count = wanted.iElementCount;
  if (count != effective.iElementCount || count < 1 || count > kMaxRevisionElements) return false;
  for (int k = 0; k + 1 < count; ++k) {
    const RevElement& w = wanted.elements[static_cast<std::size_t>(k)];
    const RevElement& e = effective.elements[static_cast<std::size_t>(k)];
    if (w.iMajor != e.iMajor || w.iMinor != e.iMinor) return false;
  }
  const RevElement& w = wanted.elements[static_cast<std::size_t>(count - 1)];
  const RevElement& e = effective.elements[static_cast<std::size_t>(count - 1)];
  const bool isTip = header._cTip == 1;
  const bool majorMatches = w.iMajorFlag == kMatchNewest ? isTip : w.iMajor == e.iMajor;
  const bool minorMatches = w.iMinorFlag == kMatchNewest ? isTip : w.iMinor == e.iMinor;
  return majorMatches && minorMatches;
}

int AddRevisionElement(tarnCommandRevDesc& descriptor, std::int16_t major, std::int16_t minor,
                       int index) {
  if (index < 0 || index >= kMaxRevisionElements) return -1;
  descriptor.iElementCount = static_cast<std::int16_t>(index + 1);
  descriptor.elements[static_cast<std::size_t>(index)] = {kMatchExact, major, kMatchExact, minor};
  return 1;
}

bool SameRevisionNumber(const tarnCommandRevDesc& a, const tarnCommandRevDesc& b) {
  if (a.iElementCount != b.iElementCount) return false;
  const int count = std::clamp<int>(a.iElementCount, 0, kMaxRevisionElements);
  for (int k = 0; k < count; ++k) {
    const RevElement& x = a.elements[static_cast<std::size_t>(k)];
    const RevElement& y = b.elements[static_cast<std::size_t>(k)];
    if (x.iMajor != y.iMajor || x.iMinor != y.iMinor) return false;
  }
  return true;
}

}  // namespace tarn
