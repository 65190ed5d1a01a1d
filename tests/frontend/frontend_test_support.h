// Shared pieces of the front end's tests: the catalogue, scratch
// directories and scratch projects made with the engine's own commands.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <string>

namespace tarn::dorn::testing {

// Loads the catalogue of the source tree (once per process).
void LoadCatalogue();

// Writes `text` into `path`, making its directory; false on failure.
bool WriteFile(const QString& path, const QByteArray& text);
QByteArray ReadFile(const QString& path);

}  // namespace tarn::dorn::testing
