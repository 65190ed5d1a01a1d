// A scratch setting for the commands that rewrite a logfile's header (label,
// remove label, modify header): a logfile directory, a temporary directory,
// a journal and the settings record pointing at them, with the commands run
// in-process under a recording host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/support/environment.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/raw_logfile.h"
#include "tests/support/test_support.h"

namespace tarn::testing {

class HeaderSandbox {
 public:
  HeaderSandbox();

  // Users: alice (0), bob (1) and carol (2) are known (the modifier list);
  // alice, bob and dave may work on the logfile (the access list). Records
  // in file order: 1.2 (trunk tip), 1.1 (one branch), 1.1.1.1, 1.1.1.2
  // (branch tip), 1.0; the data is not looked at by these commands. Labels:
  // OLD on 1.0 (by alice), FLOAT on branch 1.1.1 (by bob).
  static LogfileBuilder Standard(std::uint16_t attributes = 0);

  // Writes the logfile of main.c and remembers its bytes.
  void Write(const LogfileBuilder& builder);

  // Parses `words` (the command word first) with the catalogue's option
  // words and runs the command. The parser's -1 is returned as it is.
  int Label(std::vector<std::string> words);
  int Unlabel(std::vector<std::string> words);
  int ModifyHeader(std::vector<std::string> words);

  // "-" followed by the catalogue word of message `number`.
  static std::string Option(int number);

  std::string Logfile() const { return logfile_; }
  std::vector<std::uint8_t> Bytes() const { return ReadBytes(logfile_); }
  bool Unchanged() const { return Bytes() == written_; }
  // The revision records (everything behind the header) as they were
  // written and as they are now.
  std::vector<std::uint8_t> RecordsWritten() const;
  std::vector<std::uint8_t> RecordsNow() const;
  RawLogfile Header() const;
  std::string Labels() const { return LabelList(Header()); }
  std::string Journal() const;
  // Names of the files in the logfile directory, sorted.
  std::vector<std::string> LogDirectory() const;
  std::string Logs() const { return logs_; }

  tarnEnvironVars env;
  RecordingHost host;

 private:
  TempDir root_;
  std::string logs_;
  std::string logfile_;
  std::vector<std::uint8_t> written_;
  std::size_t writtenHeaderSize_ = 0;
};

}  // namespace tarn::testing
