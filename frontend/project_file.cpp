#include "frontend/project_file.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <cctype>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"

namespace tarn::dorn {
namespace {

// -1, 0 or 1 as `a` sorts before, with or after `b`, letter case ignored.
int CompareFolded(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int x = std::tolower(static_cast<unsigned char>(a[i]));
    const int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool NameBefore(const ProjectFile& a, const ProjectFile& b) {
  return CompareFolded(a.name, b.name) < 0;
}

// Entries with a text first, in text order; then the ones without.
bool TextBefore(const std::string& a, const std::string& b, const ProjectFile& fa,
                const ProjectFile& fb) {
  if (a.empty() != b.empty()) return !a.empty();
  const int order = CompareFolded(a, b);
  return order != 0 ? order < 0 : NameBefore(fa, fb);
}

// Positive numbers first, largest first; then the rest.
bool NumberBefore(std::int64_t a, std::int64_t b, const ProjectFile& fa, const ProjectFile& fb) {
  const bool hasA = a > 0;
  const bool hasB = b > 0;
  if (hasA != hasB) return hasA;
  if (hasA && a != b) return a > b;
  return NameBefore(fa, fb);
}

}  // namespace

std::string LockedByText(const ProjectFile& file) {
  if (file.lockCount <= 0) return "";
  if (file.lockers.empty()) return MessageText(msg::kLockedWithoutUser.number);
  std::string text;
  for (const std::string& name : file.lockers) text += (text.empty() ? "" : ",") + name;
  return text;
}

std::string LastChangedText(std::int64_t seconds) {
  const QDateTime time = QDateTime::fromSecsSinceEpoch(seconds);
  return QLocale::c().toString(time, QStringLiteral("ddd MMM dd HH:mm:ss yyyy")).toStdString();
}

std::string WorkfileInText(const ProjectFile& file) {
  return file.lockCount > 0 ? file.workfileIn : "";
}

std::string FileSizeText(const ProjectFile& file) {
  return file.lastWorkfileSize > 0 ? std::to_string(file.lastWorkfileSize) : "";
}

std::string ColumnText(const ProjectFile& file, FileColumn column) {
  switch (column) {
    case FileColumn::kFilename:
      return file.name;
    case FileColumn::kLockedBy:
      return LockedByText(file);
    case FileColumn::kLastChanged:
      return LastChangedText(file.lastUpdate);
    case FileColumn::kWorkfileIn:
      return WorkfileInText(file);
    case FileColumn::kFileSize:
      return FileSizeText(file);
  }
  return "";
}

bool NeedsHeadRevision(const ProjectFile& file) {
  return file.problem.empty() && file.workfileExists && file.workfileModified < file.lastUpdate;
}

bool ShowsNewMarker(const ProjectFile& file) {
  if (!file.problem.empty()) return false;
  if (!file.workfileExists) return true;
  if (!NeedsHeadRevision(file)) return false;
  if (!file.headKnown) return true;
  // Revision records keep times rounded down to an even second.
  const std::int64_t evenModified = file.workfileModified - file.workfileModified % 2;
  const bool holdsHead = evenModified == file.headEditTime ||
                         file.workfileModified >= file.headCheckinTime;
  return !holdsHead;
}

bool SortsBefore(const ProjectFile& a, const ProjectFile& b, FileColumn column) {
  switch (column) {
    case FileColumn::kFilename:
      return NameBefore(a, b);
    case FileColumn::kLockedBy:
      return TextBefore(LockedByText(a), LockedByText(b), a, b);
    case FileColumn::kWorkfileIn:
      return TextBefore(WorkfileInText(a), WorkfileInText(b), a, b);
    case FileColumn::kLastChanged:
      return NumberBefore(a.lastUpdate, b.lastUpdate, a, b);
    case FileColumn::kFileSize:
      return NumberBefore(a.lastWorkfileSize, b.lastWorkfileSize, a, b);
  }
  return NameBefore(a, b);
}

}  // namespace tarn::dorn
