// tarn_diff_files SOURCE TARGET DELTA: compares two files as check-in does
// and writes the delta; prints the result and the time the comparison took.
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/diff/line_diff.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s SOURCE TARGET DELTA\n", argv[0]);
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const int result = tarn::CompareFiles(argv[3], argv[1], argv[2], '\n');
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  std::printf("result %d, %.1f ms\n", result, took.count());
  return result < 0 ? 1 : 0;
}
