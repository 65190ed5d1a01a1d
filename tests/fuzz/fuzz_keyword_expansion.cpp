// Keyword expansion of arbitrary fetched text, in both the text and the
// binary form: the scan must never read past the end, and a binary
// expansion must keep the length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "engine/text/keyword_expansion.h"
#include "platform/environment_variables.h"

namespace {

class SilentHost final : public tarn::Host {
 public:
  void ReportMessage(std::string_view, int) override {}
  std::string AskQuestion() override { return tarn::MessageText(18); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = [] {
    static SilentHost host;
    tarn::SetHost(&host);
    return tarn::LoadMessageFile("fuzz", tarn::kCatalogueFileName,
                                 tarn::platform::ProgramDirectory()) == 1;
  }();
  if (!ready || size == 0) return 0;

  static tarn::LogfileHeader header = [] {
    tarn::LogfileHeader h;
    h.owner = "owner";
    h.modifierList = "ann,bob";
    h.commentPrefix = "# ";
    return h;
  }();
  tarn::KeywordExpansionContext context;
  context.header = &header;
  context.binary = (data[0] & 1) != 0;
  context.revision.CreatorIndex = static_cast<std::int16_t>(data[0] >> 1);
  context.revisionNumber.iElementCount = 1;
  context.revisionNumber.elements[0] = {0, 1, 0, 2};
  context.workfilePath = "work.c";
  context.logfileArgument = "work.c";
  context.logfilePath = "/logs/work.d";
  context.revisionLabel = "LABEL";

  const std::span<const std::uint8_t> text(data + 1, size - 1);
  tarn::ByteBuffer expanded;
  if (tarn::ExpandKeywordsInText(context, text, expanded) != 1) std::abort();
  // Text keywords grow ("$Log12$" can also shrink); binary fields never
  // change the length.
  if (context.binary && expanded.size() != text.size()) std::abort();
  return 0;
}
