// tLogFileError: the faults a logfile object cannot report as a result.
//
// A command wrapper given a command string its command refuses throws
// kBadCommandLine (the command's own refusal message and usage report have
// gone to the host before). The texts are fixed, so that a client can show
// them even before a catalogue is loaded. A logfile object reads its logfile
// through a read-only stream and never changes its attributes, so the two
// attribute faults are not thrown by it; they stay for clients that change
// a logfile's protection themselves.
#pragma once

#include <exception>
#include <string>

namespace tarn {

class tLogFileError : public std::exception {
 public:
  enum Kind {
    kBadCommandLine,        // "Bad command line"
    kLogfileNotWritable,    // "Couldn't change logfile to r/w"
    kLogfileNotProtected,   // "Failed to write protect logfile"
  };

  explicit tLogFileError(Kind kind);

  Kind kind() const noexcept { return kind_; }
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  Kind kind_;
  std::string text_;
};

}  // namespace tarn
