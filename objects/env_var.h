// tEnvVar: the settings under which logfiles are created and changed.
//
// Where logfiles live, the temporary directory, the journal files, the
// comment prefixes, the default access list, the user's name, the retry
// count for lock and journal files and the default attribute bits of new
// logfiles. The constructor takes its values from the process environment
// (the variable names are catalogue texts, so the catalogue must be loaded
// first); the front end then overwrites them from the project settings.
// Before each engine command the object is flattened into the engine's plain
// record with CopyToStruct.
//
// Getters return pointers into the object's own texts: they stay valid until
// the same value is set again or the object is destroyed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/support/environment.h"
#include "objects/tt_bool.h"

namespace tarn {

class tEnvVar {
 public:
  tEnvVar();
  tEnvVar(const tEnvVar& other);
  tEnvVar& operator=(const tEnvVar& other);
  ~tEnvVar();

  // Texts. A setter given null or "" leaves the value as it is, except where
  // said otherwise.
  const char* TARNPath() const;
  void TARNPath(const char* path);
  // The workfile directory: always a full path ending in the separator.
  const char* WorkfilePath() const;
  void WorkfilePath(const char* path);
  const char* UserName() const;
  void UserName(const char* name);
  const char* AccessList() const;
  void AccessList(const char* list);
  const char* CommentPrefix() const;
  void CommentPrefix(const char* table);
  // Null when there is no global journal. The setter always replaces the
  // value: null removes the global journal, "" is stored as given.
  const char* GblJournalName() const;
  void GblJournalName(const char* name);
  const char* JournalName() const;
  void JournalName(const char* name);
  const char* JournalPath() const;
  void JournalPath(const char* path);
  const char* TempFilePrefix() const;
  void TempFilePrefix(const char* path);
  const char* ShadowPath() const;
  void ShadowPath(const char* path);

  // Default attributes of new logfiles; ttTRUE sets, anything else clears.
  ttBool IsCheckLock() const;
  void IsCheckLock(ttBool on);
  ttBool IsDeleteWork() const;
  void IsDeleteWork(ttBool on);
  ttBool IsExpandKeywords() const;
  void IsExpandKeywords(ttBool on);
  ttBool IsProtectLogFile() const;
  void IsProtectLogFile(ttBool on);
  ttBool IsProtectWorkfile() const;
  void IsProtectWorkfile(ttBool on);
  ttBool IsBinaryFile() const;
  void IsBinaryFile(ttBool on);
  ttBool IsJournalFile() const;
  void IsJournalFile(ttBool on);
  ttBool IsCompression() const;
  void IsCompression(ttBool on);
  ttBool IsAutoMerge() const;
  void IsAutoMerge(ttBool on);

  // One retry count serves both the lock file and the journals.
  int LockfileRetryCount() const;
  tEnvVar& LockfileRetryCount(short count);
  int JournalRetryCount() const;
  void JournalRetryCount(int count);

  // Fills the engine's record (cleared first); null is ignored. The logfile
  // directory loses its trailing separator; the workfile and shadow paths
  // are not part of the record.
  void CopyToStruct(tarnEnvironVars* record) const;

 private:
  ttBool AttributeBit(std::uint8_t bit) const;
  void AttributeBit(std::uint8_t bit, ttBool on);

  std::string _pcShadowPath;
  std::string _pcCommentPrefix;
  std::string _pcWorkfilePath;
  std::uint8_t _cAttributes = 0;   // attribute bits of new logfiles
  std::uint8_t _cFurtherBits = 0;  // 0x1 automatic merge
  std::int16_t _iRetryCount = 0;
  std::string _pcOwnerID;
  std::string _pcAccessList;
  std::optional<std::string> _pcGblJournalName;
  std::string _pcJournalName;
  std::string _pcJournalPath;
  std::string _pcTempFilePrefix;
  std::string _pcTARNPath;
};

}  // namespace tarn
