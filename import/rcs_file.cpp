#include "import/rcs_file.h"

#include <cctype>
#include <charconv>

#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "import/rcs_lexer.h"

namespace tarn::rcs {

std::string FormatNumber(const Number& number) {
  std::string text;
  for (std::size_t i = 0; i < number.size(); ++i) {
    if (i > 0) text.push_back('.');
    text += std::to_string(number[i]);
  }
  return text;
}

std::optional<Number> ParseNumber(std::string_view text) {
  Number number;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = text.find('.', start);
    const std::string_view field =
        text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    if (field.empty()) return std::nullopt;
    long value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size() || field.front() == '-' ||
        field.front() == '+') {
      return std::nullopt;
    }
    number.push_back(value);
    if (dot == std::string_view::npos) return number;
    start = dot + 1;
  }
}

namespace {

bool StartsNumber(const Token& token) {
  return token.kind == TokenKind::kWord && !token.text.empty() &&
         std::isdigit(static_cast<unsigned char>(token.text.front())) != 0;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view name) : lexer_(text), name_(name) {}

  std::optional<RcsFile> Read() {
    RcsFile file;
    if (!ReadAdmin(file)) return std::nullopt;
    while (StartsNumber(lexer_.Peek())) {
      if (!ReadDelta(file)) return std::nullopt;
    }
    if (!Keyword("desc")) return std::nullopt;
    if (!String(file.description)) return std::nullopt;
    while (lexer_.Peek().kind != TokenKind::kEnd) {
      if (!ReadDeltaText(file)) return std::nullopt;
    }
    return file;
  }

 private:
  // Reports what stands at `token` when it is not what was expected.
  bool Refuse(const Token& token, std::string_view expected) {
    if (token.kind == TokenKind::kEnd) {
      Report(kAlert, msg::kRcsEndsEarly, name_, token.line);
    } else if (token.kind == TokenKind::kUnclosed) {
      Report(kAlert, msg::kRcsUnclosedString, name_, token.line);
    } else {
      Report(kAlert, msg::kRcsExpected, name_, token.line, expected);
    }
    return false;
  }

  bool Keyword(std::string_view word) {
    const Token token = lexer_.Next();
    if (token.kind == TokenKind::kWord && token.text == word) return true;
    return Refuse(token, word);
  }

  bool Semicolon() {
    const Token token = lexer_.Next();
    return token.kind == TokenKind::kSemicolon || Refuse(token, ";");
  }

  bool Colon() {
    const Token token = lexer_.Next();
    return token.kind == TokenKind::kColon || Refuse(token, ":");
  }

  bool String(std::string& text) {
    Token token = lexer_.Next();
    if (token.kind != TokenKind::kString) return Refuse(token, "@");
    text = std::move(token.text);
    return true;
  }

  bool Word(std::string& text) {
    Token token = lexer_.Next();
    if (token.kind != TokenKind::kWord) return Refuse(token, "a name");
    text = std::move(token.text);
    return true;
  }

  bool NumberWord(Number& number) {
    const Token token = lexer_.Next();
    if (token.kind != TokenKind::kWord) return Refuse(token, "a revision number");
    std::optional<Number> parsed = ParseNumber(token.text);
    if (!parsed) {
      Report(kAlert, msg::kRcsBadNumber, name_, token.line, std::string_view(token.text));
      return false;
    }
    number = std::move(*parsed);
    return true;
  }

  bool UserWord(std::string& user) {
    const Token token = lexer_.Next();
    if (token.kind != TokenKind::kWord) return Refuse(token, "a name");
    if (token.text.find_first_of(",$") != std::string::npos) {
      Report(kAlert, msg::kRcsBadUser, name_, token.line, std::string_view(token.text));
      return false;
    }
    user = token.text;
    return true;
  }

  // { num } ;
  bool OptionalNumber(std::optional<Number>& number) {
    if (lexer_.Peek().kind == TokenKind::kSemicolon) return Semicolon();
    Number value;
    if (!NumberWord(value)) return false;
    number = std::move(value);
    return Semicolon();
  }

  // A phrase this reader has no use for (integrity, commitid, or the
  // phrases older writers added): words, strings and colons up to its ';'.
  bool SkipPhrase() {
    while (true) {
      const Token token = lexer_.Next();
      if (token.kind == TokenKind::kSemicolon) return true;
      if (token.kind == TokenKind::kEnd || token.kind == TokenKind::kUnclosed) {
        return Refuse(token, ";");
      }
    }
  }

  // Pairs NAME : NUMBER up to ';'.
  bool Pairs(std::vector<std::pair<std::string, Number>>& pairs, bool users) {
    while (lexer_.Peek().kind != TokenKind::kSemicolon) {
      std::string name;
      Number number;
      if (!(users ? UserWord(name) : Word(name)) || !Colon() || !NumberWord(number)) return false;
      pairs.emplace_back(std::move(name), std::move(number));
    }
    return Semicolon();
  }

  bool ReadAdmin(RcsFile& file) {
    if (!Keyword("head") || !OptionalNumber(file.head)) return false;
    while (true) {
      const Token& token = lexer_.Peek();
      if (token.kind != TokenKind::kWord) return Refuse(lexer_.Next(), "desc");
      if (StartsNumber(token) || token.text == "desc") return true;
      const std::string keyword = lexer_.Next().text;
      bool read = true;
      if (keyword == "branch") {
        read = OptionalNumber(file.branch);
      } else if (keyword == "access") {
        while (read && lexer_.Peek().kind != TokenKind::kSemicolon) {
          std::string user;
          read = UserWord(user);
          file.access.push_back(std::move(user));
        }
        read = read && Semicolon();
      } else if (keyword == "symbols") {
        read = Pairs(file.symbols, false);
      } else if (keyword == "locks") {
        read = Pairs(file.locks, true);
      } else if (keyword == "strict") {
        file.strict = true;
        read = Semicolon();
      } else if (keyword == "comment" || keyword == "expand") {
        std::string value;
        if (lexer_.Peek().kind == TokenKind::kString) read = String(value);
        read = read && Semicolon();
        (keyword == "comment" ? file.comment : file.expand) = std::move(value);
      } else {
        read = SkipPhrase();
      }
      if (!read) return false;
    }
  }

  bool ReadDelta(RcsFile& file) {
    Delta delta;
    if (!NumberWord(delta.number)) return false;
    const int line = lexer_.Peek().line;
    bool dated = false;
    bool authored = false;
    while (true) {
      const Token& token = lexer_.Peek();
      if (token.kind != TokenKind::kWord) return Refuse(lexer_.Next(), "desc");
      if (StartsNumber(token) || token.text == "desc") break;
      const std::string keyword = lexer_.Next().text;
      bool read = true;
      if (keyword == "date") {
        read = Word(delta.date) && Semicolon();
        dated = true;
      } else if (keyword == "author") {
        read = UserWord(delta.author) && Semicolon();
        authored = true;
      } else if (keyword == "state") {
        if (lexer_.Peek().kind != TokenKind::kSemicolon) read = Word(delta.state);
        read = read && Semicolon();
      } else if (keyword == "branches") {
        while (read && lexer_.Peek().kind != TokenKind::kSemicolon) {
          Number branch;
          read = NumberWord(branch);
          delta.branches.push_back(std::move(branch));
        }
        read = read && Semicolon();
      } else if (keyword == "next") {
        read = OptionalNumber(delta.next);
      } else {
        read = SkipPhrase();
      }
      if (!read) return false;
    }
    if (!dated || !authored) {
      Report(kAlert, msg::kRcsExpected, name_, line, std::string_view(dated ? "author" : "date"));
      return false;
    }
    if (file.deltaIndex.contains(delta.number)) {
      Report(kAlert, msg::kRcsDuplicate, name_, FormatNumber(delta.number));
      return false;
    }
    file.deltaIndex.emplace(delta.number, file.deltas.size());
    file.deltas.push_back(std::move(delta));
    return true;
  }

  bool ReadDeltaText(RcsFile& file) {
    Number number;
    if (!NumberWord(number)) return false;
    const auto found = file.deltaIndex.find(number);
    if (found == file.deltaIndex.end()) {
      Report(kAlert, msg::kRcsMissingDelta, name_, FormatNumber(number));
      return false;
    }
    Delta& delta = file.deltas[found->second];
    if (delta.hasText) {
      Report(kAlert, msg::kRcsDuplicate, name_, FormatNumber(number));
      return false;
    }
    if (!Keyword("log") || !String(delta.log)) return false;
    // Phrases of other writers may stand between the log and the text.
    while (lexer_.Peek().kind == TokenKind::kWord && lexer_.Peek().text != "text") {
      lexer_.Next();
      if (!SkipPhrase()) return false;
    }
    if (!Keyword("text") || !String(delta.text)) return false;
    delta.hasText = true;
    return true;
  }

  Lexer lexer_;
  std::string_view name_;
};

}  // namespace

std::optional<RcsFile> ReadRcsFile(std::string_view text, std::string_view name) {
  return Parser(text, name).Read();
}

}  // namespace tarn::rcs
