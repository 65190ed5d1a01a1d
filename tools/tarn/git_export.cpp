#include "tools/tarn/git_export.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "engine/commands/revision_by_date.h"
#include "engine/format/revision_number.h"
#include "engine/format/user_list.h"
#include "engine/store/logfile_reading.h"
#include "engine/support/report.h"
#include "import/removed_file.h"
#include "tools/tarn/git_stream.h"
#include "tools/tarn/revision_texts.h"

namespace tarn::cli {

namespace {

constexpr std::string_view kHeads = "refs/heads/";
constexpr std::string_view kTags = "refs/tags/";
constexpr std::string_view kUnnamedBranches = "tarn-branches/";
// A place that stands for the removal of its file rather than a revision.
constexpr std::size_t kRemoval = static_cast<std::size_t>(-1);

struct Revision {
  tarnCommandRevDesc number;
  std::int64_t date = 0;
  std::string author;
  std::string description;
  std::uint64_t blob = 0;
  std::uint64_t commit = 0;  // the commit that holds it, once written
};

struct Label {
  std::string name;
  tarnCommandRevDesc number;
  bool floating = false;
  std::string creator;
};

struct Removal {
  std::int64_t date = 0;
  std::string author;
  std::string description;
};

struct File {
  std::string path;
  std::vector<Revision> revisions;  // in the logfile's order
  std::vector<Label> labels;        // sorted by name
  std::optional<Removal> removal;
  int locks = 0;
};

struct Place {
  std::size_t file = 0;
  std::size_t revision = 0;  // kRemoval: the file's removal
};

struct Branch {
  std::string ref;
  int depth = 0;
  std::int64_t first = 0;  // its earliest check-in
  std::vector<Place> places;
};

tarnCommandRevDesc LabelNumber(const LabelRecord& record) {
  tarnCommandRevDesc number;
  for (int k = 0; k < record.iRevisionCount && k < kMaxRevisionElements; ++k) {
    const LabelRecord::Element& element = record.elements[static_cast<std::size_t>(k)];
    AddRevisionElement(number, element.major, element.minor, k);
  }
  return number;
}

class GitExport {
 public:
  GitExport(const ExportOptions& options, std::FILE* out) : options_(options), stream_(out) {}

  int Run(const std::vector<ExportInput>& inputs) {
    stream_.Begin();
    bool all_read = true;
    for (const ExportInput& input : inputs) {
      if (!ReadFile(input)) {
        Report(kAlert, msg::kExportLeftOut, std::string_view(input.path));
        all_read = false;
      }
    }
    if (files_.empty()) {
      Report(kAlert, msg::kExportNothing);
      return -1;
    }
    PlanBranches();
    for (Branch& branch : branches_) WriteBranch(branch);
    WriteTags();
    stream_.Done();
    ReportNotCarried();
    Report(options_.note_kind, msg::kExportDone, static_cast<int>(files_.size()), revisions_,
           commits_, static_cast<int>(branches_.size()) - 1, tags_);
    return all_read && stream_.Good() ? 1 : -1;
  }

  bool StreamGood() const { return stream_.Good(); }

 private:
  // Reads one logfile, writing a blob for each revision as its text comes.
  bool ReadFile(const ExportInput& input) {
    LogfileReading logfile;
    if (logfile.OpenPath(input.logfile) != 1) return false;
    File file;
    file.path = input.path;
    const LogfileHeader& header = logfile.header();
    for (const LabelRecord& record : header.labels) {
      Label label{record.text, LabelNumber(record), false,
                  UserName(header.modifierList, record.iCreator)};
      label.floating = record.iRevisionCount > 0 &&
                       record.elements[static_cast<std::size_t>(record.iRevisionCount - 1)].minor < 0;
      file.labels.push_back(std::move(label));
    }
    // A file removed in CVS: its import labelled the tip and noted when.
    const bool removed = std::any_of(header.labels.begin(), header.labels.end(), [](const LabelRecord& l) {
      return std::string_view(l.text).starts_with(rcs::kRemovedLabelPrefix);
    });
    if (removed) {
      if (std::optional<rcs::RecordedRemoval> removal = rcs::RemovalInDescription(header.description)) {
        file.removal = Removal{removal->date, removal->author, removal->log};
      }
    }
    std::sort(file.labels.begin(), file.labels.end(),
              [](const Label& a, const Label& b) { return a.name < b.name; });
    const int walked = WalkRevisionTexts(
        logfile, [&](const RevisionRecord& record, const std::string& description,
                     std::span<const std::uint8_t> text) {
          Revision revision;
          revision.number = record.number;
          revision.date = record.header.FilePutDate;
          revision.author = UserName(header.modifierList, record.header.CreatorIndex);
          revision.description = description;
          revision.blob = ++marks_;
          if (record.header._iLocked != 0) ++file.locks;
          stream_.Blob(revision.blob, text);
          file.revisions.push_back(std::move(revision));
          return stream_.Good();
        });
    if (walked != 1) return false;
    revisions_ += static_cast<int>(file.revisions.size());
    files_.push_back(std::move(file));
    return true;
  }

  std::optional<std::size_t> FindRevision(const File& file, const tarnCommandRevDesc& number) const {
    for (std::size_t i = 0; i < file.revisions.size(); ++i) {
      if (SameRevisionNumber(file.revisions[i].number, number)) return i;
    }
    return std::nullopt;
  }

  // The git branch of a branch line of `file`: the floating label naming
  // it, or its own name under the unnamed branches.
  std::string BranchRef(const File& file, const tarnCommandRevDesc& line) {
    for (const Label& label : file.labels) {
      if (!label.floating || !SameRevisionNumber(label.number, line)) continue;
      std::string ref = std::string(kHeads) + SafeRefName(label.name);
      if (ref == TrunkRef()) ref += "_branch";  // never merged into the trunk
      NoteRenamed("branch", label.name, ref.substr(kHeads.size()));
      return ref;
    }
    return std::string(kHeads) + SafeRefName(std::string(kUnnamedBranches) + file.path + "/" +
                                             FormatRevision(line));
  }

  std::string TrunkRef() const { return std::string(kHeads) + SafeRefName(options_.trunk); }

  void NoteRenamed(std::string_view what, const std::string& name, const std::string& safe) {
    if (name == safe || !renamed_.insert(std::string(what) + " " + name).second) return;
    Report(options_.note_kind, msg::kExportRenamed, what, std::string_view(name),
           std::string_view(safe));
  }

  void PlanBranches() {
    std::map<std::string, std::size_t> by_ref;
    branches_.push_back(Branch{TrunkRef(), 0, 0, {}});
    by_ref[branches_[0].ref] = 0;
    for (std::size_t f = 0; f < files_.size(); ++f) {
      File& file = files_[f];
      for (std::size_t r = 0; r < file.revisions.size(); ++r) {
        const tarnCommandRevDesc& number = file.revisions[r].number;
        const int depth = number.iElementCount - 1;
        std::size_t index = 0;
        if (depth > 0) {
          const std::string ref = BranchRef(file, LineOfRequest(number));
          auto [found, added] = by_ref.try_emplace(ref, branches_.size());
          if (added) branches_.push_back(Branch{ref, depth, file.revisions[r].date, {}});
          index = found->second;
        }
        Branch& branch = branches_[index];
        branch.depth = std::min(branch.depth, depth);
        branch.first = std::min(branch.first, file.revisions[r].date);
        branch.places.push_back(Place{f, r});
      }
      if (file.removal) branches_[0].places.push_back(Place{f, kRemoval});
    }
    // The trunk first; a branch after the branches it may start from.
    std::sort(branches_.begin() + 1, branches_.end(), [](const Branch& a, const Branch& b) {
      return std::tie(a.depth, a.first, a.ref) < std::tie(b.depth, b.first, b.ref);
    });
  }

  std::int64_t DateOf(const Place& place) const {
    const File& file = files_[place.file];
    return place.revision == kRemoval ? file.removal->date : file.revisions[place.revision].date;
  }
  const std::string& AuthorOf(const Place& place) const {
    const File& file = files_[place.file];
    return place.revision == kRemoval ? file.removal->author : file.revisions[place.revision].author;
  }
  const std::string& DescriptionOf(const Place& place) const {
    const File& file = files_[place.file];
    return place.revision == kRemoval ? file.removal->description
                                      : file.revisions[place.revision].description;
  }

  // Along one line of a file, revisions come in the order of their last
  // number; a removal comes after all of them.
  std::pair<int, int> LineOrder(const Place& place) const {
    if (place.revision == kRemoval) return {32768, 0};
    const tarnCommandRevDesc& number = files_[place.file].revisions[place.revision].number;
    const RevElement& last = number.elements[static_cast<std::size_t>(number.iElementCount - 1)];
    return {last.iMajor, last.iMinor};
  }

  // The branch's check-ins in order of time (then path, then their order
  // in the logfile), cut into commits.
  std::vector<std::vector<Place>> Commits(Branch& branch) const {
    std::stable_sort(branch.places.begin(), branch.places.end(), [&](const Place& a, const Place& b) {
      const auto key = [&](const Place& p) {
        return std::tuple<std::int64_t, const std::string&, std::pair<int, int>>(
            DateOf(p), files_[p.file].path, LineOrder(p));
      };
      return key(a) < key(b);
    });
    std::vector<std::vector<Place>> commits;
    for (const Place& place : branch.places) {
      if (!commits.empty()) {
        std::vector<Place>& last = commits.back();
        const Place& first = last.front();
        const bool file_seen = std::any_of(last.begin(), last.end(),
                                           [&](const Place& p) { return p.file == place.file; });
        if (!file_seen && AuthorOf(first) == AuthorOf(place) &&
            DescriptionOf(first) == DescriptionOf(place) &&
            DateOf(place) - DateOf(first) <= options_.window) {
          last.push_back(place);
          continue;
        }
      }
      commits.push_back({place});
    }
    return commits;
  }

  // Where a branch starts: the newest commit holding one of its branch
  // points; and the branch point of each of its files.
  std::uint64_t StartOf(const Branch& branch, std::map<std::size_t, std::uint64_t>& points) const {
    std::uint64_t start = 0;
    for (const Place& place : branch.places) {
      if (place.revision == kRemoval || points.contains(place.file)) continue;
      const File& file = files_[place.file];
      tarnCommandRevDesc point = file.revisions[place.revision].number;
      --point.iElementCount;
      const std::optional<std::size_t> found = FindRevision(file, point);
      if (!found) continue;
      points[place.file] = file.revisions[*found].blob;
      start = std::max(start, file.revisions[*found].commit);
    }
    return start;
  }

  static std::string Message(const std::string& description) {
    if (description.empty() || description.back() == '\n') return description;
    return description + "\n";
  }

  void WriteBranch(Branch& branch) {
    std::map<std::size_t, std::uint64_t> points;
    const std::uint64_t start = branch.depth > 0 ? StartOf(branch, points) : 0;
    bool first = true;
    for (const std::vector<Place>& commit : Commits(branch)) {
      const Place& head = commit.front();
      const Signature author{options_.authors.Ident(AuthorOf(head)), DateOf(commit.back())};
      const std::uint64_t mark = ++marks_;
      stream_.Commit(branch.ref, mark, author, Message(DescriptionOf(head)), first ? start : 0);
      if (first) {
        // Every file of the branch begins at its branch point.
        for (const auto& point : points) {
          const std::size_t f = point.first;
          const bool changed = std::any_of(commit.begin(), commit.end(),
                                           [&](const Place& p) { return p.file == f; });
          if (!changed) stream_.Modify(files_[f].path, point.second);
        }
      }
      for (const Place& place : commit) {
        File& file = files_[place.file];
        if (place.revision == kRemoval) {
          stream_.Delete(file.path);
          continue;
        }
        Revision& revision = file.revisions[place.revision];
        stream_.Modify(file.path, revision.blob);
        revision.commit = mark;
      }
      stream_.EndCommit();
      ++commits_;
      first = false;
    }
  }

  // Each fixed label: a commit whose tree holds exactly the labelled
  // revisions, tagged with the label's name.
  void WriteTags() {
    std::map<std::string, std::vector<std::pair<std::size_t, std::size_t>>> labelled;
    std::map<std::string, std::string> creators;
    for (std::size_t f = 0; f < files_.size(); ++f) {
      for (const Label& label : files_[f].labels) {
        // A removal is carried as the file's deletion, not as a tag.
        if (files_[f].removal && label.name.starts_with(rcs::kRemovedLabelPrefix)) continue;
        if (label.floating) {
          if (label.number.iElementCount == 1) ++floating_trunk_labels_;
          continue;
        }
        const std::optional<std::size_t> found = FindRevision(files_[f], label.number);
        if (!found) {
          ++labels_without_revision_;
          continue;
        }
        labelled[label.name].emplace_back(f, *found);
        creators.try_emplace(label.name, label.creator);
      }
    }
    std::set<std::string> refs;
    for (const auto& [name, places] : labelled) {
      std::string safe = SafeRefName(name);
      while (!refs.insert(safe).second) safe += "_";
      NoteRenamed("label", name, safe);
      std::uint64_t parent = 0;
      std::int64_t when = 0;
      for (const auto& [f, r] : places) {
        parent = std::max(parent, files_[f].revisions[r].commit);
        when = std::max(when, files_[f].revisions[r].date);
      }
      const Signature tagger{options_.authors.Ident(creators[name]), when};
      stream_.Commit(std::string(kTags) + safe, ++marks_, tagger, "Label " + name + "\n", parent);
      stream_.DeleteAll();
      for (const auto& [f, r] : places) stream_.Modify(files_[f].path, files_[f].revisions[r].blob);
      stream_.EndCommit();
      ++tags_;
    }
  }

  void ReportNotCarried() const {
    int locks = 0;
    for (const File& file : files_) locks += file.locks;
    const std::pair<std::string_view, int> lost[] = {
        {"locks", locks},
        {"floating labels on the trunk", floating_trunk_labels_},
        {"labels naming no revision", labels_without_revision_},
    };
    for (const auto& [what, count] : lost) {
      if (count > 0) Report(options_.note_kind, msg::kExportNotCarried, what, count);
    }
  }

  const ExportOptions& options_;
  GitStream stream_;
  std::vector<File> files_;
  std::vector<Branch> branches_;
  std::set<std::string> renamed_;
  std::uint64_t marks_ = 0;
  int revisions_ = 0;
  int commits_ = 0;
  int tags_ = 0;
  int floating_trunk_labels_ = 0;
  int labels_without_revision_ = 0;
};

}  // namespace

int ExportToGit(const std::vector<ExportInput>& inputs, const ExportOptions& options,
                std::FILE* out, const std::string& out_name) {
  GitExport exporter(options, out);
  const int result = exporter.Run(inputs);
  if (!exporter.StreamGood()) Report(kAlert, msg::kExportWriteFailed, std::string_view(out_name));
  return result;
}

}  // namespace tarn::cli
