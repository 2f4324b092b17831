#pragma once
// File access rules shared by every operation. All paths are internal ("\"
// separators, Windows-1252); failures raise IoError at once.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace skarvel {

// An open file. Move-only; the destructor closes quietly, Close() checks.
class File {
 public:
  // An existing file, opened for reading and writing without truncation, as
  // every file the program reads is: a read-only file cannot be opened (code 5),
  // checked by the program itself so that it holds for root too.
  static File OpenExisting(const std::string& path);
  // An existing file opened for reading only: what lists, extracts or verifies
  // an archive needs no more, so a read-only archive (a copy from the game's CD,
  // a read-only mount) can still be read. A folder is refused (code 5).
  static File OpenForReading(const std::string& path);
  // A file created, or truncated when it exists; refused (code 5) when the
  // existing file is read-only or is a folder.
  static File Create(const std::string& path);

  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  std::int64_t Size() const;
  // The length and the attributes (GetFileAttributes' bits) that the open found,
  // from the look-up it made anyway: a caller that reads a whole file it just
  // opened needs to ask the system nothing more. Zero for a created file.
  std::int64_t LengthAtOpen() const { return lengthAtOpen_; }
  // Sets the file's attributes through the open file (the update marks a read
  // source with the archive attribute alone). Nothing is asked of the system when
  // the file already has them, as far as the platform holds them: on POSIX only
  // read-only means anything.
  void SetAttributes(std::uint32_t attributes);
  // Absolute positioning; a position past the end is allowed, a negative one fails.
  void Seek(std::int64_t position);
  // Exactly size bytes or IoError(100).
  void Read(void* buffer, std::size_t size);
  // Exactly size bytes at position, without moving the file position.
  void ReadAt(std::int64_t position, void* buffer, std::size_t size);
  // Exactly size bytes or IoError(101).
  void Write(const void* buffer, std::size_t size);
  // Copies size bytes of source, from sourcePosition on, to this file's position
  // and moves past them; inside the kernel where the system can. A source that
  // ends early fails as a short read (100).
  void CopyFrom(File& source, std::int64_t sourcePosition, std::int64_t size);
  // Flushes the file's data to the disk.
  void Sync();
  void Close();

  std::intptr_t NativeHandle() const { return handle_; }

 private:
  friend class ReplacementFile;
  explicit File(std::intptr_t handle, std::int64_t lengthAtOpen = 0, std::uint32_t attributes = 0)
      : handle_(handle), lengthAtOpen_(lengthAtOpen), attributes_(attributes) {}
  // Counts bytes written for the write-behind of a file that is to be flushed
  // (see ReplacementFile); a no-op for every other file.
  void WroteBytes(std::int64_t size);

  std::intptr_t handle_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
  std::int64_t lengthAtOpen_ = 0;
  std::uint32_t attributes_ = 0;  // as found at the open, then as SetAttributes left them
  // Bytes written since the system was last asked to start writing the file
  // to the disk; -1 when the file does not write behind.
  std::int64_t notHandedOver_ = -1;
};

// Writes a new version of a file beside it and puts it in place in one step only
// when Commit() succeeds: until then, and after any failure, the target stays
// byte for byte as it was and the temporary file is removed by the destructor.
// The target keeps its permissions.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& targetPath);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  File& file() { return file_; }
  // Flushes, closes and renames over the target. On Windows a target that another
  // program holds open so that it cannot be replaced raises RefusedError naming
  // it, the target untouched.
  void Commit();
  // Runs work (a record of the new version, say) while the system writes the
  // new version to the disk, so that Commit() finds little left to write. An
  // error of either is raised once both are done, the target untouched.
  void SyncWhile(const std::function<void()>& work);

 private:
#ifdef _WIN32
  void RecoverFailedReplace(unsigned long error, const std::string& backup);
#endif

  std::string target_;     // native form, links resolved: a link stays a link
  std::string temporary_;  // native form, in the target's folder
  File file_;
  bool committed_ = false;
};

// True when a file (not a folder) exists at path.
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// Why the existing file at path cannot be rewritten in place, in words for a
// message ("its read-only attribute is set"), or the empty text when nothing
// stands in the way that the file itself shows. Looks, never changes.
std::string ReadOnlyReason(const std::string& path);

// The path of the file in folder whose name equals name without regard to case,
// as Windows finds it: the exact name where it exists, else the first such name
// a search of folder delivers; nothing when there is none (a folder is none).
std::optional<std::string> FindFileIgnoringCase(const std::string& folder, const std::string& name);

// File attributes in the Win32 sense. Only read-only has a POSIX meaning (no write
// bits); the others are kept as flags of the call and ignored.
enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 1,
  kAttrHidden = 2,
  kAttrSystem = 4,
  kAttrVolumeLabel = 8,
  kAttrDirectory = 16,
  kAttrArchive = 32,
};
// The attributes of an existing file or folder; IoError when there is none.
std::uint32_t GetFileAttributes(const std::string& path);
void SetFileAttributes(const std::string& path, std::uint32_t attributes);

// One entry of a directory search.
struct DirectoryEntry {
  std::string name;  // internal form, no folder part
  bool isFolder = false;  // true only for a real folder, never for a link to one
  // A link to a folder (on Windows a junction or a folder link): it has the
  // folder attribute and is entered like a folder, but it may lead back to a
  // folder above itself, which a walk must check (FolderIdentity).
  bool isLinkToFolder = false;
};
// The entries of folder whose names match mask ("*.*" or "*" match all), in the
// order the system delivers them, "." and ".." included when the system gives
// them. A missing or unreadable folder gives an empty list. The mask knows "*"
// and "?" and ignores case; "*.*" also matches names without a dot. A name that
// the internal form cannot hold raises RefusedError naming folder and name.
std::vector<DirectoryEntry> SearchDirectory(const std::string& folder, const std::string& mask);

// What tells one folder from another whatever the path that leads to it: the
// device and inode on POSIX, the volume serial number and file ID on Windows.
struct FolderIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  bool operator==(const FolderIdentity&) const = default;
};
// The identity of the folder that path names, links followed; nothing when
// there is no folder there or it cannot be looked up.
std::optional<FolderIdentity> IdentityOfFolder(const std::string& path);

// Creates folder and every missing folder above it; returns false on failure.
bool ForceDirectories(const std::string& folder);

// The current directory, internal form, without trailing "\".
std::string CurrentDirectory();

// Size of an existing file, or IoError.
std::int64_t FileSizeOf(const std::string& path);

// Renames a file over another in one step, the rename on the disk when it
// returns; IoError on failure.
void RenameFile(const std::string& from, const std::string& to);
// A second name for an existing file (a hard link), on the same file system;
// false when the system or the file system cannot give one.
bool LinkFile(const std::string& existing, const std::string& newName);
// Removes a file; true when it is gone (or was never there).
bool RemoveFile(const std::string& path);
// Removes an empty folder; true when it is gone.
bool RemoveEmptyFolder(const std::string& path);

// The program's folder of per-user data: $XDG_DATA_HOME/skarvel (by default
// ~/.local/share/skarvel) on Linux, %LOCALAPPDATA%\Skarvel on Windows; empty
// when the system names none.
std::string UserDataFolder();

// A file opened for writing by ConfinedFolder. Move-only; the destructor closes
// quietly, Close() checks.
class ConfinedFile {
 public:
  ConfinedFile(ConfinedFile&& other) noexcept;
  ConfinedFile& operator=(ConfinedFile&& other) noexcept;
  ConfinedFile(const ConfinedFile&) = delete;
  ConfinedFile& operator=(const ConfinedFile&) = delete;
  ~ConfinedFile();

  // Exactly size bytes or IoError(101).
  void Write(const void* buffer, std::size_t size);
  void Close();

 private:
  friend class ConfinedFolder;
  explicit ConfinedFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = -1;
};

// A folder below which files are written without ever leaving it, whatever is
// already on the disk: no existing folder or file below the root is followed
// when it is a link (or, on Windows, a junction or other reparse point). The root
// itself is the user's choice and is taken as it is. Folders below the root are
// created on first use and remembered, so each is made or checked once per run.
class ConfinedFolder {
 public:
  explicit ConfinedFolder(std::string root);
  ~ConfinedFolder();
  ConfinedFolder(const ConfinedFolder&) = delete;
  ConfinedFolder& operator=(const ConfinedFolder&) = delete;

  // Creates, or truncates, root\relative (relative: "\"-separated components,
  // already checked to stay below the root) and the missing folders on its way,
  // the root included. A component below the root that is a link raises
  // RefusedError naming it; a file where a folder is needed, or a file that
  // cannot be created, raises IoError. An existing read-only file is refused
  // (code 5) like File::Create does.
  ConfinedFile Create(const std::string& relative);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace skarvel
