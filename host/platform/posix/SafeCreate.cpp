// Writing below a folder without ever leaving it. Every folder below the root is
// opened relative to its parent with O_NOFOLLOW and every file is created the
// same way, so a link planted below the root (even one that appears while we
// work) is met as a link and refused, never followed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <unordered_map>
#include <utility>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/FileSystem.h"
#include "host/platform/posix/SystemErrors.h"

namespace skarvel {
namespace {

// Open folders are kept so that each is made and checked once per run; past this
// many they are closed and opened again on demand, which keeps a deep or wide
// tree within the process's descriptor limit.
constexpr std::size_t kMaxOpenFolders = 256;

// Everything here serves a file being written, so a device's I/O error is a write fault.
[[noreturn]] void ThrowWriteError(int error) { ThrowIoError(error, IoDirection::Write); }

bool IsLinkAt(int folder, const std::string& nativeName) {
  struct stat info {};
  return fstatat(folder, nativeName.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

std::pair<std::string, std::string> SplitLast(const std::string& relative) {
  const auto slash = relative.rfind('\\');
  if (slash == std::string::npos) return {std::string(), relative};
  return {relative.substr(0, slash), relative.substr(slash + 1)};
}

}  // namespace

struct ConfinedFolder::Impl {
  std::string root;  // internal form
  int rootFd = -1;
  std::unordered_map<std::string, int> folders;  // relative folder -> open descriptor

  ~Impl() {
    CloseFolders();
    if (rootFd >= 0) close(rootFd);
  }

  void CloseFolders() {
    for (auto& [name, fd] : folders) close(fd);
    folders.clear();
  }

  [[noreturn]] void RefuseLink(const std::string& linkRelative, const std::string& relative) const {
    // The link is a folder on the disk; the file not written keeps its entry name.
    throw RefusedError("\"" + DisplayPath(linkRelative) + "\" in the folder \"" + DisplayPath(root) +
                       "\" is a link, which could lead outside the folder, so \"" + relative +
                       "\" is not written there.");
  }

  // The root is the user's own choice: it is created with the folders above it
  // and opened as named, links included.
  int RootFd() {
    if (rootFd >= 0) return rootFd;
    ForceDirectories(root);
    const int fd = open(ToNativePath(root).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) ThrowWriteError(errno);
    rootFd = fd;
    return rootFd;
  }

  int FolderFd(const std::string& folder, const std::string& relative) {
    if (folder.empty()) return RootFd();
    if (auto found = folders.find(folder); found != folders.end()) return found->second;
    const auto [parent, name] = SplitLast(folder);
    const int parentFd = FolderFd(parent, relative);
    const std::string native = ToNativePath(name);
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = openat(parentFd, native.c_str(), kFlags);
    if (fd < 0 && errno == ENOENT) {
      // Made by another program in the meantime is as good as made here.
      if (mkdirat(parentFd, native.c_str(), 0777) != 0 && errno != EEXIST) ThrowWriteError(errno);
      fd = openat(parentFd, native.c_str(), kFlags);
    }
    if (fd < 0) {
      const int error = errno;
      if ((error == ELOOP || error == ENOTDIR) && IsLinkAt(parentFd, native)) RefuseLink(folder, relative);
      ThrowWriteError(error);
    }
    if (folders.size() >= kMaxOpenFolders) CloseFolders();
    folders.emplace(folder, fd);
    return fd;
  }
};

ConfinedFolder::ConfinedFolder(std::string root) : impl_(std::make_unique<Impl>()) { impl_->root = std::move(root); }

ConfinedFolder::~ConfinedFolder() = default;

ConfinedFile ConfinedFolder::Create(const std::string& relative) {
  const auto [folder, name] = SplitLast(relative);
  const int folderFd = impl_->FolderFd(folder, relative);
  const std::string native = ToNativePath(name);
  // A new file needs no checks, which keeps extracting into an empty folder at
  // one call per file.
  int fd = openat(folderFd, native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd >= 0) return ConfinedFile(fd);
  if (errno != EEXIST) ThrowWriteError(errno);
  // An existing one is opened without truncation, so that a refused file keeps
  // its bytes; O_NONBLOCK keeps a pipe from holding the program.
  fd = openat(folderFd, native.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    if (error == ELOOP && IsLinkAt(folderFd, native)) impl_->RefuseLink(relative, relative);
    ThrowWriteError(error);
  }
  ConfinedFile file(fd);
  struct stat info {};
  if (fstat(fd, &info) != 0) ThrowWriteError(errno);
  // Root ignores the write bits, so the read-only attribute is enforced here.
  if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0) throw IoError(5);
  if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) ThrowWriteError(errno);
  if (info.st_size > 0 && ftruncate(fd, 0) != 0) ThrowWriteError(errno);
  return file;
}

ConfinedFile::ConfinedFile(ConfinedFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

ConfinedFile& ConfinedFile::operator=(ConfinedFile&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) close(static_cast<int>(handle_));
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

ConfinedFile::~ConfinedFile() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

void ConfinedFile::Write(const void* buffer, std::size_t size) {
  const auto* in = static_cast<const char*>(buffer);
  while (size > 0) {
    const ssize_t put = write(static_cast<int>(handle_), in, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      ThrowWriteError(errno);
    }
    if (put == 0) throw IoError(101);
    in += put;
    size -= static_cast<std::size_t>(put);
  }
}

void ConfinedFile::Close() {
  if (handle_ < 0) return;
  const int fd = static_cast<int>(std::exchange(handle_, -1));
  if (close(fd) != 0 && errno != EINTR) ThrowWriteError(errno);
}

}  // namespace skarvel
