// A ,v file from the fuzz input: read it and rebuild its history. Whatever
// the bytes hold, the reader and the edit scripts must refuse or accept
// without reading past a buffer; what they accept must be a history whose
// every revision comes after its base. The same bytes, split in two, are
// also a source text and an edit script for it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "import/edit_script.h"
#include "import/rcs_file.h"
#include "import/rcs_history.h"

namespace {

class SilentHost final : public tarn::Host {
 public:
  void ReportMessage(std::string_view, int) override {}
  std::string AskQuestion() override { return tarn::MessageText(18); }
};

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckHistory(std::string_view text) {
  std::optional<tarn::rcs::RcsFile> file = tarn::rcs::ReadRcsFile(text, "fuzz,v");
  if (!file) return;
  std::optional<tarn::rcs::History> history = tarn::rcs::BuildHistory(std::move(*file), "fuzz,v");
  if (!history) return;
  Check(!history->revisions.empty());
  for (std::size_t i = 0; i < history->revisions.size(); ++i) {
    const tarn::rcs::HistoryRevision& revision = history->revisions[i];
    Check(revision.base.has_value() == (i > 0));
    if (revision.base) Check(*revision.base < i);
  }
}

void CheckScript(std::string_view text) {
  const std::size_t half = text.size() / 2;
  const std::string_view source = text.substr(0, half);
  const std::string_view script = text.substr(half);
  const auto result = tarn::rcs::ApplyEditScript(source, script);
  if (const auto* target = std::get_if<std::string>(&result)) {
    Check(target->size() <= source.size() + script.size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SilentHost host;
  tarn::SetHost(&host);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckHistory(text);
  CheckScript(text);
  return 0;
}
