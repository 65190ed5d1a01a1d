#include "import/rcs_lexer.h"

namespace tarn::rcs {

namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\b' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Characters that end a word: white space and the marks with a meaning of
// their own. ',' and '$' may not occur in words either, but a word holding
// them is refused by whoever expects a number or a name, with that word in
// the message.
bool EndsWord(char c) { return IsWhiteSpace(c) || c == ':' || c == ';' || c == '@'; }

}  // namespace

const Token& Lexer::Peek() {
  if (!peeked_) {
    next_ = Scan();
    peeked_ = true;
  }
  return next_;
}

Token Lexer::Next() {
  Peek();
  peeked_ = false;
  return std::move(next_);
}

void Lexer::SkipWhiteSpace() {
  while (offset_ < text_.size() && IsWhiteSpace(text_[offset_])) {
    if (text_[offset_] == '\n') ++line_;
    ++offset_;
  }
}

Token Lexer::Scan() {
  SkipWhiteSpace();
  Token token;
  token.line = line_;
  if (offset_ >= text_.size()) return token;
  const char first = text_[offset_];
  if (first == ':' || first == ';') {
    token.kind = first == ':' ? TokenKind::kColon : TokenKind::kSemicolon;
    ++offset_;
    return token;
  }
  if (first == '@') {
    ++offset_;
    while (true) {
      const std::size_t at = text_.find('@', offset_);
      if (at == std::string_view::npos) {
        token.kind = TokenKind::kUnclosed;
        offset_ = text_.size();
        return token;
      }
      const std::string_view piece = text_.substr(offset_, at - offset_);
      for (const char c : piece) {
        if (c == '\n') ++line_;
      }
      token.text.append(piece);
      if (at + 1 < text_.size() && text_[at + 1] == '@') {
        token.text.push_back('@');
        offset_ = at + 2;
        continue;
      }
      offset_ = at + 1;
      token.kind = TokenKind::kString;
      return token;
    }
  }
  const std::size_t start = offset_;
  while (offset_ < text_.size() && !EndsWord(text_[offset_])) ++offset_;
  token.kind = TokenKind::kWord;
  token.text.assign(text_.substr(start, offset_ - start));
  return token;
}

}  // namespace tarn::rcs
