// The hook through which a long comparison or separator search shows that it
// is still working (the desktop front end animates its status bar and keeps
// the wait cursor). The engine ignores whatever the hook does.
#pragma once

namespace tarn {

class DiffProgress {
 public:
  virtual ~DiffProgress() = default;
  // Called repeatedly while the work goes on.
  virtual void Step() {}
  // Called once when the comparison or search ends, whatever its outcome.
  virtual void Finished() {}
};

// The hook used when the caller gives none: does nothing.
inline DiffProgress& NoDiffProgress() {
  static DiffProgress none;
  return none;
}

}  // namespace tarn
