// tarn annotate: every line of a revision with the revision that brought
// it in, its creator and its check-in date.
#pragma once

#include <span>
#include <string>

#include "engine/commands/command_options.h"
#include "tools/tarn/line_origins.h"

namespace tarn::cli {

int RunAnnotateReport(std::span<const std::string> words);

// Its options, for completion.
std::span<const CommandOption> AnnotateOptions();

// The listing: one line per text line, revision, creator and date (local)
// in aligned columns before the text.
std::string AnnotateText(const AnnotatedRevision& annotated);

// The same as one JSON object: the file, the revision annotated and its
// lines, each with its origin.
std::string AnnotateJson(const std::string& file, const AnnotatedRevision& annotated);

}  // namespace tarn::cli
