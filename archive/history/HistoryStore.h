#pragma once
// Where the patches of each archive are kept: below the user's history folder,
// a folder per archive (named by a checksum of the archive's full path), one
// file per patch, numbered from 1 in the order they were made.
//
// A patch reaches its archive's folder in two steps around the archive's own
// replacement: first as a pending file, then, once the archive is in place,
// under its number. A restore marks the archive it is about to put in place
// before it removes the patches it undid. Whatever a crash interrupted, the
// next read settles it by looking at the archive itself, so the history always
// holds exactly the patches that the archive on disk has.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/history/Patch.h"
#include "host/FileSystem.h"

namespace skarvel::history {

// The identity of the archive in file, read from it whole, as the history file
// of a version takes it; nothing when its count or directory cannot be read.
std::optional<ArchiveIdentity> IdentityOf(File& file, std::uint32_t version = kPatchVersion);
// The same for the archive at path; nothing also when there is no such file.
std::optional<ArchiveIdentity> IdentityOf(const std::string& path, std::uint32_t version = kPatchVersion);

// The form of an archive's (or a package folder's) path that names it in the
// history: on Windows,
// which takes "/" for "\" and any case of a name for the same file, with "\"
// alone and in lower case.
std::string ArchiveKey(const std::string& path);

class HistoryStore {
 public:
  // root: the history folder, internal form.
  explicit HistoryStore(std::string root);
  // The user's history folder ("history" in the program's per-user data
  // folder); none when the system names no such folder.
  static std::optional<HistoryStore> Default();
  const std::string& Root() const { return root_; }

  // The archive's patches, oldest first, each with the name of its file; what a
  // crash left is settled first. A damaged or foreign file raises FormatError
  // naming it, and is left as it is.
  struct Entry {
    std::string file;
    Patch patch;
  };
  std::vector<Entry> Read(const std::string& archive) const;
  // Every archive that has a folder here, as its patches name it.
  std::vector<std::string> Archives() const;

  // A patch whose archive is about to be replaced: written and synced as
  // pending; Commit() gives it its number once the archive is in place. Left
  // uncommitted (the replacement failed), it is removed.
  class Pending {
   public:
    Pending(std::string pendingFile, std::string folder);
    Pending(Pending&& other) noexcept;
    Pending(const Pending&) = delete;
    Pending& operator=(const Pending&) = delete;
    ~Pending();
    void Commit();

   private:
    std::string file_, folder_;
  };
  Pending Begin(const Patch& patch) const;
  // Before an archive's patch is made: its folder exists and what an earlier
  // crash left there is settled.
  void Prepare(const std::string& archive) const;
  // Gives the archive, still the old one, a second name beside the pending
  // patch, so that its replacement leaves the old file whole there; false when
  // the file system cannot.
  bool KeepOldWhole(const std::string& archive) const;
  // The file that keeps the old archive whole for the patch in patchFile.
  static std::string OldArchiveOf(const std::string& patchFile);

  // A restore about to put in place the archive that the patches from number
  // first on found (their files: undone): marked, so that a crash after the
  // replacement still has those patches removed. Finish() removes them, and the
  // mark once they are all gone; left unfinished, the mark goes and the history
  // stays.
  class RestoreMark {
   public:
    RestoreMark(std::string folder, std::size_t first, const ArchiveIdentity& restored,
                std::vector<std::string> undone);
    RestoreMark(const RestoreMark&) = delete;
    RestoreMark& operator=(const RestoreMark&) = delete;
    ~RestoreMark();
    void Finish();

   private:
    std::string file_;
    std::vector<std::string> undone_;
    bool finished_ = false;
  };

  // The run of the patch that has just taken its number, noted for the next
  // patch of the same package: each step of an installation is a process of
  // its own. Best effort: a note that cannot be written starts a new run later.
  void NoteRun(const Patch& patch) const noexcept;
  // The run that a new patch of the installer's package in folder continues:
  // the noted run, when the newest patch was that package's and was made less
  // than half an hour before now; empty for a new run.
  std::string RunToContinue(const std::string& folder, std::int64_t now) const;

  // Removes the archive's history; the bytes its files took.
  std::int64_t Forget(const std::string& archive) const;
  // The mark of a restore of the archive that undoes the patches from first on.
  RestoreMark MarkRestore(const std::string& archive, std::size_t first, const ArchiveIdentity& restored,
                          std::vector<std::string> undone) const;

 private:
  std::string FolderOf(const std::string& archive) const;
  void Settle(const std::string& archive, const std::string& folder) const;
  static bool RemoveAll(std::vector<std::string> files);

  std::string root_;
};

}  // namespace skarvel::history
