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

// A hook that does nothing.
inline DiffProgress& NoDiffProgress() {
  static DiffProgress none;
  return none;
}

namespace detail {
inline DiffProgress*& InstalledDiffProgress() {
  static DiffProgress* installed = nullptr;
  return installed;
}
}  // namespace detail

// The hook used when the caller gives none: the one the host installed, else
// one that does nothing. Commands compare deep inside check-in, so the
// front end installs its hook once instead of passing it down.
inline DiffProgress& CurrentDiffProgress() {
  DiffProgress* installed = detail::InstalledDiffProgress();
  return installed ? *installed : NoDiffProgress();
}

// Installs `progress` (not owned; it must outlive its use); null restores
// the silent hook. Returns the hook that was installed.
inline DiffProgress* SetDiffProgress(DiffProgress* progress) {
  DiffProgress* previous = detail::InstalledDiffProgress();
  detail::InstalledDiffProgress() = progress;
  return previous;
}

}  // namespace tarn
