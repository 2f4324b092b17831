// File access on POSIX. Every path arrives in internal form and is turned into
// the OS's form here, at the last moment.
#include "host/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/platform/posix/SystemErrors.h"

namespace skarvel {
namespace {

[[noreturn]] void ThrowErrno(IoDirection direction = IoDirection::Read) { ThrowIoError(errno, direction); }
[[noreturn]] void ThrowWriteErrno() { ThrowErrno(IoDirection::Write); }

constexpr int kSeekNegative = 131;

// A file that is flushed once written (a replacement) asks the system to start
// writing it to the disk after every step of this many bytes, so the disk works
// while the program goes on and the flush waits for the last step only.
constexpr std::int64_t kWriteBehindStep = std::int64_t{8} << 20;

bool HasWriteBits(const struct stat& info) { return (info.st_mode & 0222) != 0; }

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

// Exactly size bytes, from position, or from the file position when position is
// -1; the end of the file before that fails as a short read (100).
void ReadExactly(int fd, void* buffer, std::size_t size, std::int64_t position) {
  auto* out = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t got = position < 0 ? read(fd, out, size) : pread(fd, out, size, static_cast<off_t>(position));
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowErrno();
    }
    if (got == 0) throw IoError(100);
    out += got;
    size -= static_cast<std::size_t>(got);
    if (position >= 0) position += got;
  }
}

// Root may write anything, so the read-only attribute (no write bits) is
// enforced here rather than left to the kernel. Only regular files are files:
// a device or a pipe could block the program or never end. Gives the file's
// length, which this look-up has found anyway.
std::int64_t RefuseUnwritable(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    const int error = errno;
    close(fd);
    ThrowIoError(error);
  }
  if (!S_ISREG(info.st_mode) || !HasWriteBits(info)) {
    close(fd);
    throw IoError(5);
  }
  return info.st_size;
}

// The permission bits of a file with the read-only attribute set or cleared:
// read-only takes every write bit away; clearing it gives the owner's back when
// none is left, and otherwise changes nothing.
mode_t ModeWithReadOnly(mode_t mode, bool readOnly) {
  mode &= 07777;
  if (readOnly) return mode & ~static_cast<mode_t>(0222);
  return (mode & 0222) != 0 ? mode : mode | S_IWUSR;
}

// The file a path finally names, following links (also a dangling one), so that
// a replacement lands where the link points and the link itself stays.
std::string ResolveLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char buffer[PATH_MAX];
    const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer) return path;
    std::string target(buffer, static_cast<std::size_t>(length));
    if (target.empty() || target[0] != '/') {
      const auto slash = path.rfind('/');
      target = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + target;
    }
    path = std::move(target);
  }
  ThrowIoError(ELOOP);
}

std::string FolderOf(const std::string& nativePath) {
  const auto slash = nativePath.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return nativePath.substr(0, slash);
}

mode_t CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// "*" and "?" as the Windows directory search knows them, without regard to case.
bool MatchesMask(std::string_view name, std::string_view mask) {
  std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || LowerCp1252(mask[m]) == LowerCp1252(name[n]))) {
      ++n, ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool ForceNativeDirectories(const std::string& native) {
  struct stat info {};
  if (stat(native.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const auto slash = native.rfind('/');
  if (slash != std::string::npos && slash > 0 && !ForceNativeDirectories(native.substr(0, slash))) return false;
  if (mkdir(native.c_str(), 0777) == 0) return true;
  // Another program may have made it in the meantime.
  return errno == EEXIST && stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MatchesAll(std::string_view mask) { return mask == "*" || mask == "*.*"; }

}  // namespace

File File::OpenExisting(const std::string& path) {
  const std::string native = ToNativePath(path);
  const int fd = open(native.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) ThrowErrno();
  const std::int64_t length = RefuseUnwritable(fd);
  // O_NONBLOCK only kept the open itself from waiting on something that is not
  // a regular file. RefuseUnwritable let through regular files alone, whose reads
  // and writes it does not affect, so it stays: two calls fewer for every file
  // an update reads. A file that got through is not read-only.
  return File(fd, length, 0);
}

File File::OpenForReading(const std::string& path) {
  const int fd = open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) ThrowErrno();
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    const int error = errno;
    close(fd);
    ThrowIoError(error);
  }
  // Only a regular file reads as the program expects (see OpenExisting).
  if (!S_ISREG(info.st_mode)) {
    close(fd);
    throw IoError(5);
  }
  return File(fd, info.st_size, HasWriteBits(info) ? 0u : static_cast<std::uint32_t>(kAttrReadOnly));
}

File File::Create(const std::string& path) {
  const std::string native = ToNativePath(path);
  // Checked before opening, so a refused file keeps its bytes; a new file is
  // not checked, whatever write bits the user's umask leaves it.
  struct stat info {};
  if (stat(native.c_str(), &info) == 0 && (!S_ISREG(info.st_mode) || !HasWriteBits(info))) throw IoError(5);
  const int fd = open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) ThrowWriteErrno();
  if (ftruncate(fd, 0) != 0) {
    const int error = errno;
    close(fd);
    ThrowIoError(error, IoDirection::Write);
  }
  return File(fd);
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)),
      lengthAtOpen_(other.lengthAtOpen_),
      attributes_(other.attributes_),
      notHandedOver_(other.notHandedOver_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) close(Descriptor(handle_));
    handle_ = std::exchange(other.handle_, -1);
    lengthAtOpen_ = other.lengthAtOpen_;
    attributes_ = other.attributes_;
    notHandedOver_ = other.notHandedOver_;
  }
  return *this;
}

File::~File() {
  if (handle_ >= 0) close(Descriptor(handle_));
}

std::int64_t File::Size() const {
  struct stat info {};
  if (fstat(Descriptor(handle_), &info) != 0) ThrowErrno();
  return info.st_size;
}

void File::SetAttributes(std::uint32_t attributes) {
  const bool readOnly = (attributes & kAttrReadOnly) != 0;
  if (readOnly == ((attributes_ & kAttrReadOnly) != 0)) return;
  const int fd = Descriptor(handle_);
  struct stat info {};
  if (fstat(fd, &info) != 0) ThrowErrno();
  const mode_t mode = ModeWithReadOnly(info.st_mode, readOnly);
  if (mode != (info.st_mode & 07777) && fchmod(fd, mode) != 0) ThrowWriteErrno();
  attributes_ = readOnly ? std::uint32_t{kAttrReadOnly} : 0;
}

void File::Seek(std::int64_t position) {
  if (position < 0) throw IoError(kSeekNegative);
  if (lseek(Descriptor(handle_), static_cast<off_t>(position), SEEK_SET) < 0) ThrowErrno();
}

void File::Read(void* buffer, std::size_t size) { ReadExactly(Descriptor(handle_), buffer, size, -1); }

void File::ReadAt(std::int64_t position, void* buffer, std::size_t size) {
  if (position < 0) throw IoError(kSeekNegative);
  ReadExactly(Descriptor(handle_), buffer, size, position);
}

void File::Write(const void* buffer, std::size_t size) {
  const auto* in = static_cast<const char*>(buffer);
  bool stored = false;
  while (size > 0) {
    const ssize_t put = write(Descriptor(handle_), in, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      // Part of the bytes went in and the rest would not: a write that stores
      // fewer bytes than asked, whatever the system calls the reason.
      if (stored) throw IoError(101);
      ThrowWriteErrno();
    }
    stored = true;
    if (put == 0) throw IoError(101);
    in += put;
    size -= static_cast<std::size_t>(put);
    WroteBytes(put);
  }
}

void File::WroteBytes(std::int64_t size) {
  if (notHandedOver_ < 0) return;
  notHandedOver_ += size;
  if (notHandedOver_ < kWriteBehindStep) return;
  notHandedOver_ = 0;
  // Starts the writing of every dirty page of the file and returns without
  // waiting for it; pages already on their way are left alone.
  if (sync_file_range(Descriptor(handle_), 0, 0, SYNC_FILE_RANGE_WRITE) == 0) return;
  // A file system that cannot start it early writes everything at the flush, as
  // before; a failing disk is reported now.
  if (errno == EINVAL || errno == ESPIPE || errno == ENOSYS || errno == EOPNOTSUPP) {
    notHandedOver_ = -1;
    return;
  }
  ThrowWriteErrno();
}

void File::CopyFrom(File& source, std::int64_t sourcePosition, std::int64_t size) {
  if (sourcePosition < 0) throw IoError(kSeekNegative);
  auto from = static_cast<off_t>(sourcePosition);
  while (size > 0) {
    // A file that writes behind copies step by step, so the disk writes one step
    // while the next is copied.
    const std::int64_t step = notHandedOver_ < 0 ? size : std::min(size, kWriteBehindStep - notHandedOver_);
    const ssize_t copied = copy_file_range(Descriptor(source.handle_), &from, Descriptor(handle_), nullptr,
                                           static_cast<std::size_t>(step), 0);
    if (copied < 0) {
      if (errno == EINTR) continue;
      // Another file system, or a kernel without the call: through memory instead.
      if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL) break;
      ThrowWriteErrno();
    }
    if (copied == 0) throw IoError(100);
    size -= copied;
    WroteBytes(copied);
  }
  std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(size, std::int64_t{1} << 20)));
  while (size > 0) {
    const auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(size, static_cast<std::int64_t>(buffer.size())));
    source.ReadAt(from, buffer.data(), chunk);
    Write(buffer.data(), chunk);
    from += static_cast<off_t>(chunk);
    size -= static_cast<std::int64_t>(chunk);
  }
}

void File::Sync() {
  if (fsync(Descriptor(handle_)) != 0) ThrowWriteErrno();
}

void File::Close() {
  if (handle_ < 0) return;
  const int fd = Descriptor(std::exchange(handle_, -1));
  // The descriptor is gone even when close reports an error: never close it twice.
  if (close(fd) != 0 && errno != EINTR) ThrowWriteErrno();
}

ReplacementFile::ReplacementFile(const std::string& targetPath)
    : target_(ResolveLinks(ToNativePath(targetPath))), file_(-1) {
  struct stat info {};
  if (stat(target_.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode) || !HasWriteBits(info)) throw IoError(5);
  } else if (errno != ENOENT) {
    ThrowErrno();
  }
  // Beside the target, so that the final rename stays on one file system.
  const auto slash = target_.rfind('/');
  // Shortened so that the temporary name stays within the 255 bytes a name may have.
  const std::string name = (slash == std::string::npos ? target_ : target_.substr(slash + 1)).substr(0, 200);
  std::string pattern = (slash == std::string::npos ? std::string() : target_.substr(0, slash + 1)) + "." + name +
                        ".skarvel-XXXXXX";
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) ThrowWriteErrno();
  temporary_ = pattern;
  file_ = File(fd);
  file_.notHandedOver_ = 0;  // flushed at the commit: written behind as it goes
}

ReplacementFile::~ReplacementFile() {
  if (committed_) return;
  { File closing = std::move(file_); }
  if (!temporary_.empty()) unlink(temporary_.c_str());
}

void ReplacementFile::Commit() {
  if (committed_) return;
  const int fd = Descriptor(file_.NativeHandle());
  // The new version gets the old one's permissions (and owner, where allowed),
  // and a new file the permissions any new file of the user would get.
  struct stat info {};
  if (stat(target_.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode) || !HasWriteBits(info)) throw IoError(5);
    if (fchmod(fd, info.st_mode & 07777) != 0) ThrowWriteErrno();
    struct stat own {};
    if (fstat(fd, &own) == 0 && (own.st_uid != info.st_uid || own.st_gid != info.st_gid)) {
      if (fchown(fd, info.st_uid, info.st_gid) != 0) {
        // Not permitted for an ordinary user; the file is still theirs to use.
      }
    }
  } else if (errno == ENOENT) {
    if (fchmod(fd, 0666 & ~CurrentUmask()) != 0) ThrowWriteErrno();
  } else {
    ThrowErrno();
  }
  file_.Sync();
  file_.Close();
  if (rename(temporary_.c_str(), target_.c_str()) != 0) ThrowWriteErrno();
  committed_ = true;
  // Makes the rename itself survive a crash. The new version is already in
  // place, so a failure here is not reported as a failed replacement.
  const int folder = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(ToNativePath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat info {};
  return stat(ToNativePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ReadOnlyReason(const std::string& path) {
  const std::string native = ToNativePath(path);
  struct stat info {};
  if (stat(native.c_str(), &info) != 0) return {};
  // The bits are looked at by the program itself: root ignores them.
  if (!HasWriteBits(info)) return "its permissions give no one the right to write it";
  struct statvfs volume {};
  if (statvfs(native.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0) {
    return "it lies on a read-only file system";
  }
  return {};
}

std::optional<std::string> FindFileIgnoringCase(const std::string& folder, const std::string& name) {
  const std::string exact = folder + "\\" + name;
  if (FileExists(exact)) return exact;
  DIR* dir = opendir(ToNativePath(folder.empty() ? std::string("\\") : folder).c_str());
  if (dir == nullptr) return std::nullopt;
  const std::string wanted = ToLowerCp1252(name);
  std::optional<std::string> found;
  while (const dirent* entry = readdir(dir)) {
    // A name that the internal form cannot hold is not the one looked for.
    const std::string internal = Utf8ToCp1252Lossy(entry->d_name);
    if (ToLowerCp1252(internal) != wanted || internal.find('?') != std::string::npos) continue;
    if (FileExists(folder + "\\" + internal)) {
      found = folder + "\\" + internal;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::uint32_t GetFileAttributes(const std::string& path) {
  struct stat info {};
  if (stat(ToNativePath(path).c_str(), &info) != 0) ThrowErrno();
  std::uint32_t attributes = 0;
  if (!HasWriteBits(info)) attributes |= kAttrReadOnly;
  if (S_ISDIR(info.st_mode)) attributes |= kAttrDirectory;
  return attributes;
}

void SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  const std::string native = ToNativePath(path);
  struct stat info {};
  if (stat(native.c_str(), &info) != 0) ThrowErrno();
  const mode_t mode = ModeWithReadOnly(info.st_mode, (attributes & kAttrReadOnly) != 0);
  // Only a real change asks the system, so that clearing an attribute that is
  // not set works on a file the user may write but does not own.
  if (mode != (info.st_mode & 07777) && chmod(native.c_str(), mode) != 0) ThrowWriteErrno();
}

std::vector<DirectoryEntry> SearchDirectory(const std::string& folder, const std::string& mask) {
  std::vector<DirectoryEntry> entries;
  const std::string native = ToNativePath(folder);
  DIR* dir = opendir(native.c_str());
  if (dir == nullptr) return entries;
  const bool all = MatchesAll(mask);
  try {
    while (const dirent* item = readdir(dir)) {
      const std::string_view nativeName(item->d_name);
      if (nativeName.find('\\') != std::string_view::npos) {
        throw RefusedError("The folder \"" + DisplayPath(folder) + "\" holds a file named \"" +
                           Utf8ToCp1252Lossy(nativeName) + "\"; its \"\\\" would be taken for a folder separator, so the folder cannot be used. "
                           "Rename the file first.");
      }
      std::string name;
      try {
        name = Utf8ToCp1252(nativeName);
      } catch (const RefusedError&) {
        throw RefusedError("The folder \"" + DisplayPath(folder) + "\" holds a file named \"" +
                           Utf8ToCp1252Lossy(nativeName) + "\" with characters that the Windows-1252 code page cannot hold (shown as \"?\"), so "
                           "the folder cannot be used. Rename the file first.");
      }
      if (!all && !MatchesMask(name, mask)) continue;
      DirectoryEntry entry;
      entry.name = std::move(name);
      unsigned char type = item->d_type;
      if (type == DT_UNKNOWN || type == DT_LNK) {
        struct stat info {};
        const bool isLink = type == DT_LNK ||
                            (fstatat(dirfd(dir), item->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode));
        const bool pointsToFolder = fstatat(dirfd(dir), item->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        entry.isFolder = pointsToFolder && !isLink;
        entry.isLinkToFolder = pointsToFolder && isLink;
      } else {
        entry.isFolder = type == DT_DIR;
      }
      entries.push_back(std::move(entry));
    }
  } catch (...) {
    closedir(dir);
    throw;
  }
  closedir(dir);
  return entries;
}

std::optional<FolderIdentity> IdentityOfFolder(const std::string& path) {
  struct stat info {};
  if (stat(ToNativePath(path).c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return FolderIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool ForceDirectories(const std::string& folder) {
  std::string native = ToNativePath(folder);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  return !native.empty() && ForceNativeDirectories(native);
}

std::string CurrentDirectory() {
  std::string buffer(PATH_MAX, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) ThrowErrno();
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  std::string internal = ToInternalPath(buffer);
  if (internal.size() > 1 && internal.back() == '\\') internal.pop_back();
  return internal;
}

std::int64_t FileSizeOf(const std::string& path) {
  struct stat info {};
  if (stat(ToNativePath(path).c_str(), &info) != 0) ThrowErrno();
  if (S_ISDIR(info.st_mode)) throw IoError(5);
  return info.st_size;
}

void RenameFile(const std::string& from, const std::string& to) {
  const std::string target = ToNativePath(to);
  if (rename(ToNativePath(from).c_str(), target.c_str()) != 0) ThrowErrno();
  // The rename is part of the folder, which reaches the disk on its own sync.
  const std::string::size_type slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  fsync(descriptor);
  close(descriptor);
}

bool LinkFile(const std::string& existing, const std::string& newName) {
  return link(ToNativePath(existing).c_str(), ToNativePath(newName).c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return unlink(ToNativePath(path).c_str()) == 0 || errno == ENOENT; }

bool RemoveEmptyFolder(const std::string& path) {
  return rmdir(ToNativePath(path).c_str()) == 0 || errno == ENOENT;
}

std::string UserDataFolder() {
  // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
    return ToInternalPath(std::string(data) + "/skarvel");
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return ToInternalPath(std::string(home) + "/.local/share/skarvel");
}

}  // namespace skarvel
