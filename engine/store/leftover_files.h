// Files that a killed rewrite leaves beside a logfile: its replacement file
// and its backups. The logfile itself is whole whatever moment the kill hit
// (the replacement is renamed over it in one step, and the backup is only a
// second name of the old logfile), so these files hold nothing that is not
// in the logfile; they only take room and confuse whoever lists the
// directory.
#pragma once

#include <string>

namespace tarn {

// Removes the replacement file and the backups of the logfile at
// `logfilePath`. Called under the logfile's lock, so no running command
// owns them. Says nothing about files that are not there; a removal that
// fails is reported (with the reason) and does not stop the command.
void RemoveLeftoverFiles(const std::string& logfilePath);

}  // namespace tarn
