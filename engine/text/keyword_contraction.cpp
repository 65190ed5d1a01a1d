#include "engine/text/keyword_contraction.h"

#include <algorithm>
#include <array>
#include <optional>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/text/description_text.h"

namespace tarn {

namespace {

enum class Contraction {
  kCounted,  // "$Name: value $" -> "$Name$", counted
  kLog,      // like kCounted (digits may follow the name), then the history is dropped
  kPlain,    // "$Name: value $" -> "$Name$", not counted
  kNotice,   // "$Name <blank><0xA9> text $" -> "$Name$"
  kNote,     // "$Name: text $" left out; the text goes to the description
};

struct ContractedKeyword {
  const MessageId* name;
  Contraction kind;
};

// The order in which the names are tried; the first that fits wins.
constexpr std::array<ContractedKeyword, 12> kKeywords = {{
    {&msg::kKeywordLabel, Contraction::kCounted},
    {&msg::kKeywordRevision, Contraction::kCounted},
    {&msg::kKeywordDate, Contraction::kCounted},
    {&msg::kKeywordHeader, Contraction::kCounted},
    {&msg::kKeywordName, Contraction::kCounted},
    {&msg::kKeywordOwner, Contraction::kPlain},
    {&msg::kKeywordWorkfile, Contraction::kPlain},
    {&msg::kKeywordAuthor, Contraction::kPlain},
    {&msg::kKeywordLogfile, Contraction::kPlain},
    {&msg::kKeywordNotice, Contraction::kNotice},
    {&msg::kKeywordLog, Contraction::kLog},
    {&msg::kKeywordNote, Contraction::kNote},
}};

constexpr std::uint8_t kNoticeSign = 0xA9;

using Text = std::span<const std::uint8_t>;

bool StartsWith(Text text, std::size_t at, std::string_view word) {
  if (word.empty() || at > text.size() || text.size() - at < word.size()) return false;
  return std::equal(word.begin(), word.end(), text.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

std::optional<std::size_t> Find(Text text, std::size_t from, std::uint8_t byte) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == byte) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> FindWord(Text text, std::size_t from, std::string_view word) {
  if (word.empty()) return std::nullopt;
  for (std::size_t i = from; i + word.size() <= text.size(); ++i) {
    if (StartsWith(text, i, word)) return i;
  }
  return std::nullopt;
}

void Append(ByteBuffer& out, Text text, std::size_t from, std::size_t to) {
  out.insert(out.end(), text.begin() + static_cast<std::ptrdiff_t>(from),
             text.begin() + static_cast<std::ptrdiff_t>(to));
}

void Append(ByteBuffer& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

class Contractor {
 public:
  explicit Contractor(Text text) : text_(text) { result_.text.reserve(text.size()); }

  ContractedText Run() {
    std::size_t copied = 0;  // everything before this is in the output
    std::size_t at = 0;
    while (const std::optional<std::size_t> dollar = Find(text_, at, '$')) {
      Append(result_.text, text_, copied, *dollar);
      const std::optional<std::size_t> resume = TryKeyword(*dollar);
      if (resume) {
        copied = at = *resume;
      } else {
        Append(result_.text, "$");
        copied = at = *dollar + 1;
      }
    }
    Append(result_.text, text_, copied, text_.size());
    return std::move(result_);
  }

 private:
  // Contracts the keyword whose '$' stands at `dollar`; returns where the
  // scan goes on, or nothing when no keyword starts there.
  std::optional<std::size_t> TryKeyword(std::size_t dollar) {
    const std::size_t name_at = dollar + 1;
    for (const ContractedKeyword& keyword : kKeywords) {
      const std::string_view name = MessageText(keyword.name->number);
      if (!StartsWith(text_, name_at, name)) continue;
      std::size_t after = name_at + name.size();
      if (keyword.kind == Contraction::kNotice) {
        if (after + 1 >= text_.size() || text_[after] != ' ' || text_[after + 1] != kNoticeSign) {
          continue;
        }
        const std::optional<std::size_t> close = Find(text_, after, '$');
        if (!close) return std::nullopt;
        WriteContracted(name_at, after);
        return *close + 1;
      }
      if (keyword.kind == Contraction::kLog) {
        while (after < text_.size() && text_[after] >= '0' && text_[after] <= '9') ++after;
      }
      if (after >= text_.size() || text_[after] != ':') continue;
      const std::optional<std::size_t> close = Find(text_, after + 1, '$');
      if (!close) return std::nullopt;
      switch (keyword.kind) {
        case Contraction::kNote:
          result_.notes.emplace_back(text_.begin() + static_cast<std::ptrdiff_t>(after + 1),
                                     text_.begin() + static_cast<std::ptrdiff_t>(*close));
          return *close + 1;
        case Contraction::kLog:
          ++result_.countedContractions;
          WriteContracted(name_at, after);
          return AfterHistory(*close + 1);
        case Contraction::kCounted:
          ++result_.countedContractions;
          break;
        case Contraction::kPlain:
        case Contraction::kNotice:
          break;
      }
      WriteContracted(name_at, after);
      return *close + 1;
    }
    return std::nullopt;
  }

  // "$", the name (with a Log keyword's digits) and "$".
  void WriteContracted(std::size_t name_at, std::size_t name_end) {
    Append(result_.text, "$");
    Append(result_.text, text_, name_at, name_end);
    Append(result_.text, "$");
  }

  // The history that expansion inserted behind a Log keyword ends with the
  // end marker; without one, nothing more is dropped.
  std::size_t AfterHistory(std::size_t from) {
    std::string marker = "$";
    marker += MessageText(msg::kKeywordLogEnd.number);
    marker += "$";
    const std::optional<std::size_t> end = FindWord(text_, from, marker);
    return end ? *end + marker.size() : from;
  }

  Text text_;
  ContractedText result_;
};

}  // namespace

ContractedText ContractKeywords(std::span<const std::uint8_t> workfile) {
  return Contractor(workfile).Run();
}

std::string DescriptionWithNotes(std::string_view description,
                                 const std::vector<std::string>& notes) {
  if (notes.empty()) return std::string(description);
  std::string text(description);
  for (const std::string& note : notes) {
    text += "\n\n";
    text += note;
  }
  return NormaliseDescription(text);
}

}  // namespace tarn
