// One root's registry file on disk: read without a lock (a rename never shows a
// half-written file), written under a lock on a separate file so that two runs
// of the program never lose each other's values.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "host/Encoding.h"
#include "host/Errors.h"
#include "host/platform/posix/RegistryFile.h"
#include "host/platform/posix/SystemErrors.h"

namespace skarvel::regfile {
namespace {

// Far beyond any registry the program writes; a larger file is not one of ours.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and tells whether the close succeeded (a late write error shows here).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Removes the temporary file unless the rename took it.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  void Keep() { path_.clear(); }

 private:
  std::string path_;
};

// The file as a message names it: the path the user knows, in the internal code
// page like the rest of the text.
std::string ForMessages(const std::string& nativePath) {
  try {
    return DisplayPath(ToInternalPath(nativePath));
  } catch (const Error&) {
    return Utf8ToCp1252Lossy(nativePath);
  }
}

// Why a read failed, in the words the file layer uses for the same failure.
std::string ReadFailure(int error) { return IoError::TextFor(IoCodeFor(error, IoDirection::Read)); }

// Writable by this process, judged by the write bits as well as by the system:
// root may write anything, and a read-only registry must stay read-only for it too.
bool Writable(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  return (info.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

std::string Parent(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The folder and the ones above it; the configuration is the user's alone.
bool MakeFolders(const std::string& folder) {
  if (Exists(folder)) return true;
  const std::string parent = Parent(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

RootFile::RootFile(std::string folder, RegistryRoot root)
    : folder_(std::move(folder)), path_(folder_ + "/" + RegistryRootName(root) + ".reg"), root_(root) {}

Contents RootFile::Read() const {
  Descriptor fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return {};
    throw RegistryError("Cannot read registry file " + ForMessages(path_) + ": " + ReadFailure(errno));
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) {
    throw RegistryError("Cannot read registry file " + ForMessages(path_) + ": not a registry file");
  }
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw RegistryError("Cannot read registry file " + ForMessages(path_) + ": " + ReadFailure(errno));
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > static_cast<std::size_t>(kMaxFileSize)) {
      throw RegistryError("Cannot read registry file " + ForMessages(path_) + ": not a registry file");
    }
  }
  return Parse(text, RegistryRootName(root_), ForMessages(path_));
}

bool RootFile::MayWrite() const {
  if (Exists(path_)) return Writable(path_) && Writable(folder_);
  // A missing file needs the nearest existing folder above it to be writable.
  std::string folder = folder_;
  while (!Exists(folder)) {
    const std::string parent = Parent(folder);
    if (parent == folder) return false;
    folder = parent;
  }
  return Writable(folder);
}

bool RootFile::Update(const std::function<bool(Contents&)>& change, const std::function<void()>& beforeRename) const {
  if (!MayWrite() || !MakeFolders(folder_)) return false;

  const std::string lockPath = path_ + ".lock";
  Descriptor lock(::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600));
  if (lock.get() < 0) return false;
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }

  // Read under the lock: what another run wrote a moment ago is kept.
  Contents contents = Read();
  if (!change(contents)) return true;
  if (!MayWrite()) return false;
  const std::string text = Format(contents, RegistryRootName(root_));

  // Only the lock holder uses this name, so a file left by a crash is simply
  // overwritten by the next write.
  const std::string temporaryPath = path_ + ".tmp";
  ::unlink(temporaryPath.c_str());
  Descriptor out(::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (out.get() < 0) return false;
  TemporaryFile temporary(temporaryPath);
  struct stat target {};
  const mode_t mode = ::stat(path_.c_str(), &target) == 0 ? (target.st_mode & 07777) : 0600;
  if (::fchmod(out.get(), mode) != 0) return false;
  if (!WriteAll(out.get(), text) || ::fsync(out.get()) != 0 || !out.Close()) return false;

  if (beforeRename) beforeRename();
  if (::rename(temporaryPath.c_str(), path_.c_str()) != 0) return false;
  temporary.Keep();

  // The rename itself must reach the disk, or a crash could bring back the old file.
  Descriptor folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
  return true;
}

}  // namespace skarvel::regfile
