// tLogFileHeaderInfo: what a client reads from a logfile's header.
//
// The fixed header record (tLogFileHdr, the engine's own record type), the
// stored default revision, the six header texts (access list, modifier list,
// comment prefix, owner, module description, supplemental information), the
// labels in stored order and the name of the workfile the logfile was last
// updated for. Filled by the engine's header reader (ReadFrom); a read that
// fails leaves the object as it was, so a damaged logfile never shows half a
// header. Copies are deep.
//
// Text getters return pointers into the object's own texts: valid until the
// same text is set again, the object is assigned or destroyed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "objects/rev_desc.h"
#include "objects/tt_bool.h"
#include "objects/version_desc.h"
#include "platform/file.h"

namespace tarn {

class tLogFileHeaderInfo {
 public:
  // A zeroed header record, no texts, no labels, no default revision.
  tLogFileHeaderInfo();
  tLogFileHeaderInfo(const tLogFileHeaderInfo& other);
  tLogFileHeaderInfo& operator=(const tLogFileHeaderInfo& other);
  ~tLogFileHeaderInfo();

  // Reads the whole header from the start of `stream` through the engine's
  // reader. ttFALSE (object unchanged) when it cannot be read whole or holds
  // what no header holds; on success the stream stands at the first
  // revision record. The reader's fault messages go to the current host.
  ttBool ReadFrom(platform::File& stream);
  // Takes a header the engine has read.
  void Assign(const LogfileHeader& header);

  const char* AccessList() const;
  tLogFileHeaderInfo& AccessList(const char* text);
  const char* ModifierList() const;
  tLogFileHeaderInfo& ModifierList(const char* text);
  const char* CommentPrefix() const;
  tLogFileHeaderInfo& CommentPrefix(const char* text);
  const char* Owner() const;
  tLogFileHeaderInfo& Owner(const char* text);
  const char* ModDesc() const;
  tLogFileHeaderInfo& ModDesc(const char* text);
  const char* WorkfileName() const;
  // Stores `name` (not empty: the program stops otherwise) as the workfile
  // in a new 516-byte supplemental information that keeps the statistics of
  // the old one.
  tLogFileHeaderInfo& WorkfileName(const char* name);

  short MajorNumber() const;
  short MinorNumber() const;
  int LockCount() const;
  int RevisionCount() const;
  int VersionCount() const;

  ttBool IsCheckLock() const;
  ttBool IsDeleteWork() const;
  ttBool IsExpandKeywords() const;
  ttBool IsProtectLogFile() const;
  ttBool IsProtectWorkFile() const;
  ttBool IsBinaryFile() const;
  ttBool IsJournalFile() const;
  ttBool IsCompression() const;

  // The default revision's text, or the catalogue's name for the trunk tip
  // (message 25) when the logfile has none.
  const char* DefaultRevision() const;
  // The stored default revision, null when there is none.
  const tRevDesc* DefaultRevDesc() const;

  // Label iteration in stored order (newest first): FirstVersion starts
  // over; both return null past the last label.
  tVersionDesc* FirstVersion();
  tVersionDesc* NextVersion();

  // ttTRUE exactly when `name` is one of the access list's comma-separated
  // entries (case-sensitive); never with an empty access list.
  ttBool IsValidUser(const char* name) const;

  // The statistics of the supplemental information: -1, 0 and 0 when they
  // are not all there.
  int LastModifierIndex() const;
  long LastLogfileUpdate() const;
  long LastWorkfileSize() const;

  const tLogFileHdr& LogFileHdr() const { return _CLogFileHdr; }
  const std::vector<std::uint8_t>& SupplementalInfo() const { return _pcSupplementalInfo; }

 private:
  ttBool Attribute(std::uint16_t bit) const;
  void SetText(std::string& member, std::int16_t& sizeField, const char* text);

  std::size_t _iVersionIndex = 0;
  tLogFileHdr _CLogFileHdr;
  std::optional<tRevDesc> _pCDefaultRevDesc;
  std::vector<tVersionDesc> _pCVersionDesc;
  std::string _pcAccessList;
  std::string _pcModifierList;
  std::string _pcCommentPrefix;
  std::string _pcOwner;
  std::string _pcModDesc;
  std::vector<std::uint8_t> _pcSupplementalInfo;
  std::string _pcWorkfileName;
  mutable std::string _pcDefaultRevision;
};

}  // namespace tarn
