// tLogfileName: which logfile archives a workfile, and its lock file.
//
// Derived once, at construction, from a workfile name and the settings in
// force, by the same rule the engine commands use (engine/store/
// disk_names.h): the logfile keeps the workfile's base name with its
// extension changed by a fixed character rule, in the logfile directory. A
// relative logfile directory is taken relative to the workfile's own
// directory ("src/main.cpp" with "TARN/" is "src/TARN/main.dqq"); an absolute
// one is used as it stands. A logfile directory that does not end in the
// separator is taken as a directory all the same ("TARN" is "TARN/"): the
// engine receives it without its separator in any case.
//
// Immutable after construction; copies are deep. Getters return pointers
// into the object's own texts, valid while the object lives.
#pragma once

#include <string>

#include "objects/env_var.h"

namespace tarn {

class tLogfileName {
 public:
  // `settings` is required (the program stops without them) and copied.
  // A null workfile name counts as "".
  tLogfileName(const char* workfileName, const tEnvVar* settings);
  tLogfileName(const tLogfileName& other);
  tLogfileName& operator=(const tLogfileName& other);
  ~tLogfileName();

  // The logfile's name, relative or absolute as derived.
  const char* RelativePathName() const;
  // The logfile's full path (absolute, normalised); the derived name when
  // no full path can be made (the current directory was removed).
  const char* FullPathName() const;
  // The lock file beside the logfile: its final component starts with '$'.
  const char* LockName() const;
  // The workfile name as given.
  const char* BaseName() const;
  const tEnvVar* EnvVar() const;

 private:
  tEnvVar _CEnvVar;
  std::string _pcFullPathName;
  std::string _pcLockFileName;
  std::string _pcInputFilename;
  std::string _pcLogfileName;
};

}  // namespace tarn
