// Reading and writing the logfile header as a whole: the fixed header, the
// stored default revision, the six header strings and the label records.
//
// Every command reads the header once, changes it in memory and writes it
// back before releasing it. The writer keeps sizes, counts and the checksum
// in step with the record, so callers only change the strings and arrays.
#pragma once

#include <cstddef>

#include "engine/format/logfile_header.h"
#include "engine/support/guarded_memory.h"
#include "platform/file.h"

namespace tarn {

// Rewinds `file` and reads the whole header into `header`, leaving the
// stream at the first revision record. A short read, or a field no valid
// header holds (a negative size or count, a default revision or label with
// other than 1..20 elements, a header text or label text without its NUL),
// reports message 106, releases `header` and returns -1. The checksum and
// the format number are not checked here (opening a logfile checks them).
// A header text whose stored size is 0 reads as an empty text.
int ReadLogfileHeader(platform::File& file, LogfileHeader& header);

// Brings the record's size fields, counts and checksum in line with its
// strings and arrays. Reports message 362 and returns -1 when something is
// larger than the format can hold (a text of 32767 bytes or more, more than
// 32767 labels, a label or default revision with other than 1..20 elements).
int PrepareLogfileHeader(LogfileHeader& header);

// The header's bytes as stored. The record must have been prepared.
ByteBuffer EncodeLogfileHeader(const LogfileHeader& header);

// The number of bytes EncodeLogfileHeader gives for the prepared record. A
// header can be written in place only when this equals the size of the
// header it replaces (the offset ReadLogfileHeader stopped at): the revision
// records start right behind it.
std::size_t EncodedHeaderSize(const LogfileHeader& header);

// Prepares the record, rewinds `file` and writes the header. Returns 1, or
// -1 after message 362 (nothing written), 145 (rewind failed) or 107 (short
// write).
int WriteLogfileHeader(platform::File& file, LogfileHeader& header);

// Frees the strings, labels and default revision and zeroes the record.
void ReleaseLogfileHeader(LogfileHeader& header);

}  // namespace tarn
