#include "archive/history/Restore.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "archive/WadArchive.h"
#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "host/Paths.h"

namespace skarvel::history {
namespace {

std::string Quoted(const std::string& path) { return "\"" + DisplayPath(path) + "\""; }

[[noreturn]] void Refuse(const std::string& archive, const std::string& why) {
  throw RefusedError("The restore of " + Quoted(archive) + " was refused: " + why +
                     ". The archive and its history were left as they were.");
}

// Writes the archive that patch found, from the archive it left (current).
void WriteArchiveBefore(const HistoryStore::Entry& entry, File& current, File& out) {
  const Patch& patch = entry.patch;
  if (patch.oldKeptWhole) {
    File old = File::OpenForReading(HistoryStore::OldArchiveOf(entry.file));
    out.Seek(0);
    out.CopyFrom(old, 0, old.LengthAtOpen());
    return;
  }
  std::int32_t count = 0;
  if (current.LengthAtOpen() < 4) Refuse(patch.archive, "the archive is shorter than its count");
  current.ReadAt(0, &count, 4);
  if (count < 0 || kWadHeaderSize + static_cast<std::int64_t>(count) * kWadRecordSize > current.LengthAtOpen()) {
    Refuse(patch.archive, "its directory does not fit in it");
  }
  std::vector<WadDirEntry> entries(static_cast<std::size_t>(count));
  if (count > 0) current.ReadAt(4, entries.data(), entries.size() * sizeof(WadDirEntry));

  // The pieces in the old archive's order; they follow each other without a gap.
  struct Piece {
    std::int64_t position;
    const KeptEntry* kept;
    const StoredRegion* stored;
  };
  std::vector<Piece> pieces;
  for (const KeptEntry& kept : patch.kept) pieces.push_back({kept.oldOffset, &kept, nullptr});
  for (const StoredRegion& region : patch.stored) pieces.push_back({region.position, nullptr, &region});
  std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.position < b.position; });

  out.Seek(0);
  out.Write(patch.oldHead.data(), patch.oldHead.size());
  // Kept entries that follow each other in both archives become one copy.
  std::int64_t copyFrom = 0, copySize = 0;
  auto flushCopy = [&] {
    if (copySize > 0) out.CopyFrom(current, copyFrom, copySize);
    copySize = 0;
  };
  for (const Piece& piece : pieces) {
    if (piece.stored != nullptr) {
      flushCopy();
      out.Write(piece.stored->bytes.data(), piece.stored->bytes.size());
      continue;
    }
    const KeptEntry& kept = *piece.kept;
    if (kept.index >= count || entries[static_cast<std::size_t>(kept.index)].Size != kept.size) {
      Refuse(patch.archive, "entry " + std::to_string(kept.index) + " is not where its patch left it");
    }
    const std::int64_t from = entries[static_cast<std::size_t>(kept.index)].Offset;
    if (copySize > 0 && from == copyFrom + copySize) {
      copySize += kept.size;
      continue;
    }
    flushCopy();
    copyFrom = from;
    copySize = kept.size;
  }
  flushCopy();
}

constexpr char kStepSuffix[] = ".skarvel-restore-";

// A file beside the archive for a step between two patches, removed when done.
class StepFile {
 public:
  explicit StepFile(std::string path) : path_(std::move(path)), file_(File::Create(path_)) {}
  ~StepFile() {
    try {
      file_.Close();
    } catch (const Error&) {
    }
    RemoveFile(path_);
  }
  StepFile(const StepFile&) = delete;
  StepFile& operator=(const StepFile&) = delete;
  File& file() { return file_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  File file_;
};

// A restore that a crash ended between two steps of a chain left its step
// files beside the archive; they hold nothing anyone needs. Best effort: a
// name in the folder that cannot be read stops no restore.
void RemoveStepFilesLeft(const std::string& archive) {
  try {
    for (const DirectoryEntry& entry : SearchDirectory(Path(archive), Patchname(archive) + kStepSuffix + "*")) {
      if (!entry.isFolder) RemoveFile(Path(archive) + entry.name);
    }
  } catch (const RefusedError&) {
  }
}

}  // namespace

RestorePlan PlanRestore(const HistoryStore& store, const std::string& archive, std::size_t first) {
  std::vector<HistoryStore::Entry> patches = store.Read(archive);
  if (patches.empty()) Refuse(archive, "it has no recorded patch to undo");
  if (first < 1 || first > patches.size()) {
    Refuse(archive, "it has " + std::to_string(patches.size()) + " recorded patches, and no patch " +
                        std::to_string(first));
  }
  const Patch& newest = patches.back().patch;
  if (IdentityOf(archive, newest.version) != newest.after) {
    Refuse(archive, "another program changed the archive since its last recorded patch");
  }
  RestorePlan plan{archive, first, {}};
  for (std::size_t k = patches.size(); k >= first; --k) plan.undone.push_back(std::move(patches[k - 1]));
  return plan;
}

std::size_t FirstPatchOfPackage(const std::vector<HistoryStore::Entry>& patches, const std::string& folder) {
  for (std::size_t k = 0; k < patches.size(); ++k) {
    const std::string& package = patches[k].patch.package;
    if (!package.empty() && ArchiveKey(package) == ArchiveKey(folder)) return k + 1;
  }
  return 0;
}

std::vector<RestorePlan> PlanPackageRestore(const HistoryStore& store, const std::string& folder) {
  std::vector<RestorePlan> plans;
  for (const std::string& archive : store.Archives()) {
    const std::size_t first = FirstPatchOfPackage(store.Read(archive), folder);
    if (first > 0) plans.push_back(PlanRestore(store, archive, first));
  }
  return plans;
}

void Restore(const HistoryStore& store, const RestorePlan& plan, const std::function<void()>& onPatchUndone) {
  const std::string& archive = plan.archive;
  RemoveStepFilesLeft(archive);
  std::unique_ptr<StepFile> previous;
  for (std::size_t k = 0; k < plan.undone.size(); ++k) {
    const Patch& patch = plan.undone[k].patch;
    File current = File::OpenForReading(previous ? previous->path() : archive);
    if (k + 1 < plan.undone.size()) {
      auto step = std::make_unique<StepFile>(archive + kStepSuffix + std::to_string(k));
      ConcerningFile(step->path(), [&] { WriteArchiveBefore(plan.undone[k], current, step->file()); });
      step->file().Sync();
      current.Close();
      previous = std::move(step);
      if (onPatchUndone) onPatchUndone();
      continue;
    }
    ConcerningFile(archive, [&] {
      ReplacementFile replacement(archive);
      WriteArchiveBefore(plan.undone[k], current, replacement.file());
      current.Close();
      // Marked before the archive is replaced: a crash after it still has the
      // undone patches removed by the next read.
      std::vector<std::string> undone;
      for (const HistoryStore::Entry& entry : plan.undone) undone.push_back(entry.file);
      HistoryStore::RestoreMark mark = store.MarkRestore(archive, plan.first, patch.before, std::move(undone));
      replacement.Commit();
      mark.Finish();
    });
    if (onPatchUndone) onPatchUndone();
  }
}

}  // namespace skarvel::history
