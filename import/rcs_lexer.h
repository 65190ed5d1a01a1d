// The words of a ,v file: numbers and identifiers, @-quoted strings, and
// the two punctuation marks ':' and ';'.
//
// White space separates words and means nothing else. A string runs from @
// to the next single @; a doubled @@ inside it stands for one @, and every
// other byte, newlines and NULs included, stands for itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarn::rcs {

enum class TokenKind {
  kWord,    // a number, an identifier or a keyword
  kString,  // an @-quoted string, unquoted
  kColon,
  kSemicolon,
  kEnd,       // the end of the text
  kUnclosed,  // a string that the text ends inside
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;  // the word, or the string's bytes with @@ made @
  int line = 1;      // where the token starts
};

class Lexer {
 public:
  // `text` must outlive the lexer.
  explicit Lexer(std::string_view text) : text_(text) {}

  // The next token without consuming it.
  const Token& Peek();
  Token Next();

 private:
  Token Scan();
  void SkipWhiteSpace();

  std::string_view text_;
  std::size_t offset_ = 0;
  int line_ = 1;
  bool peeked_ = false;
  Token next_;
};

}  // namespace tarn::rcs
