// The main function of the desktop front end's benchmarks: the catalogue of
// the source tree, a QApplication on the offscreen platform (unless the
// environment names another), then the registered benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "engine/support/message_catalogue.h"

namespace tarn::dorn {

inline int RunQtBenchmarks(const char* program, int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (LoadMessageFile(program, kCatalogueFileName, TARN_SOURCE_DIR "/catalogue") != 1) return 1;
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace tarn::dorn
