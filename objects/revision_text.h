// The text of a revision number, shared by revision numbers and labels:
// "major.minor." per element, or "major." where the minor is negative (a
// branch), without the last ".".
#pragma once

#include <string>

namespace tarn {

class RevisionText {
 public:
  void Add(int major, int minor);
  std::string Text() const;

 private:
  std::string text_;
};

}  // namespace tarn
