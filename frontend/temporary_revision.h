// The temporary file a compared or viewed revision is fetched into.
//
// Its name comes from the engine's temporary-file routine, which reserves
// it by creating it empty; the reservation is given up again at once, so
// that the get writes a file that does not exist yet (an existing one would
// make it ask about replacing a writable file). A name carrying an
// extension is reserved itself as well, so it never meets a file another
// process keeps. The file is removed when the object ends, also when the
// process is interrupted meanwhile.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/store/temporary_files.h"
#include "objects/env_var.h"

namespace tarn::dorn {

class TemporaryRevision {
 public:
  // A fresh name in the settings' temporary directory, ending in
  // `extension`; nothing when no name can be reserved there.
  static std::optional<TemporaryRevision> Reserve(const tEnvVar& settings,
                                                  std::string_view extension);

  const std::string& Path() const { return file_->path(); }

  // Makes the file writable and deletes it. False when it is still there
  // and cannot be made writable (deleting is tried all the same).
  bool Remove();

 private:
  explicit TemporaryRevision(std::string path);

  std::unique_ptr<ScopedTemporaryFile> file_;
};

}  // namespace tarn::dorn
