// What the Revision and Module tabs and the dialogs show of one logfile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::dorn {

struct RevisionDetails {
  std::string number;  // "1.3", "1.2.1.1"
  std::string creator;
  std::string locker;  // empty unless locked
  std::int64_t editTime = 0;
  std::int64_t checkinTime = 0;
  bool compressed = false;
  std::uint64_t sizeBefore = 0;  // before and after compression
  std::uint64_t sizeAfter = 0;
  std::string description;
};

struct LabelDetails {
  std::string revisionAndLabel;  // "1.2 -- release"
  std::string label;
};

struct LogfileDetails {
  std::string owner;
  std::string newestTrunk;  // "1.3"
  int lockCount = 0;
  std::string commentPrefix;
  std::string defaultBranch;
  int revisionCount = 0;
  std::string accessList;  // comma-separated
  std::string description;
  std::uint16_t attributes = 0;  // logfile attribute bits
  std::vector<LabelDetails> labels;
  std::vector<RevisionDetails> revisions;  // in file order
};

}  // namespace tarn::dorn
