// The demonstration program end to end: it must run from the build
// directory, read back what it wrote, and leave nothing behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

struct DemoRun {
  int status;
  std::string output;
};

DemoRun RunDemo(const std::string& temp_directory) {
  const std::string command =
      "TEMP='" + temp_directory + "/' '" + testing::BinDir() + "/tarn_demo' 2>&1";
  DemoRun run{-1, {}};
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
  run.status = ::pclose(pipe);
  return run;
}

TEST(TarnDemo, AddsChecksOutChecksInBranchesAndReadsEverythingBack) {
  testing::TempDir temp;
  const DemoRun run = RunDemo(temp.path().string());
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("every revision reads back as it was checked in"), std::string::npos)
      << run.output;
  // The history lists the three revisions in file order.
  const std::size_t trunk_tip = run.output.find("\n  1.1 ");
  const std::size_t first = run.output.find("\n  1.0 ");
  const std::size_t branch = run.output.find("\n  1.0.1.1 ");
  EXPECT_NE(trunk_tip, std::string::npos) << run.output;
  EXPECT_LT(trunk_tip, first) << run.output;
  EXPECT_LT(first, branch) << run.output;
  EXPECT_NE(run.output.find("puts(\"hello\");"), std::string::npos) << run.output;
  // Revision 1.1 carries the label and is fetched by it.
  EXPECT_NE(run.output.find("\n  label 1.1 -- release 1\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("revision 1.1 of "), std::string::npos) << run.output;
  // The scratch directory is gone again.
  EXPECT_TRUE(std::filesystem::is_empty(temp.path())) << run.output;
}

}  // namespace
}  // namespace tarn
