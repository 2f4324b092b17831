// Writing below a folder without ever leaving it. Each folder below the root is
// checked once for a reparse point (a junction or a symbolic link could lead
// anywhere) and the file itself is opened as the reparse point, not its target.
#include "host/platform/win32/Windows.h"

#include <string>
#include <unordered_set>
#include <utility>

#include "host/Errors.h"
#include "host/platform/win32/SystemErrors.h"
#include "host/FileSystem.h"

namespace skarvel {
namespace {

bool IsReparsePoint(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace

struct ConfinedFolder::Impl {
  std::string root;
  bool rootMade = false;
  std::unordered_set<std::string> folders;  // relative folders made or checked this run

  [[noreturn]] void RefuseLink(const std::string& linkRelative, const std::string& relative) const {
    throw RefusedError("\"" + linkRelative + "\" in the folder \"" + root +
                       "\" is a link, which could lead outside the folder, so \"" + relative +
                       "\" is not written there.");
  }

  void MakeFolders(const std::string& relative) {
    if (!rootMade) {
      ForceDirectories(root);
      rootMade = true;
    }
    std::size_t slash = relative.find('\\');
    while (slash != std::string::npos) {
      const std::string folder = relative.substr(0, slash);
      if (!folders.contains(folder)) {
        const std::string full = root + "\\" + folder;
        DWORD attributes = ::GetFileAttributesA(full.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
          CreateDirectoryA(full.c_str(), nullptr);  // a failure shows when the file cannot be created
          attributes = ::GetFileAttributesA(full.c_str());
        }
        if (IsReparsePoint(attributes)) RefuseLink(folder, relative);
        folders.insert(folder);
      }
      slash = relative.find('\\', slash + 1);
    }
  }
};

ConfinedFolder::ConfinedFolder(std::string root) : impl_(std::make_unique<Impl>()) { impl_->root = std::move(root); }

ConfinedFolder::~ConfinedFolder() = default;

ConfinedFile ConfinedFolder::Create(const std::string& relative) {
  impl_->MakeFolders(relative);
  const std::string full = impl_->root + "\\" + relative;
  const DWORD attributes = ::GetFileAttributesA(full.c_str());
  if (IsReparsePoint(attributes)) impl_->RefuseLink(relative, relative);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    throw IoError(5);
  HANDLE handle = CreateFileA(full.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) ThrowLastError();
  ConfinedFile file(reinterpret_cast<std::intptr_t>(handle));
  // Windows opens a device for a device name ("NUL", "COM1", "CON.txt", ...) in
  // any folder: the bytes would go there, not into the folder.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    throw RefusedError("\"" + relative + "\" names a device, not a file in the folder \"" + impl_->root +
                       "\", so it is not written.");
  }
  return file;
}

ConfinedFile::ConfinedFile(ConfinedFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

ConfinedFile& ConfinedFile::operator=(ConfinedFile&& other) noexcept {
  if (this != &other) {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

ConfinedFile::~ConfinedFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void ConfinedFile::Write(const void* buffer, std::size_t size) {
  const auto* in = static_cast<const char*>(buffer);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD put = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(handle_), in, chunk, &put, nullptr)) ThrowLastError();
    if (put == 0) throw IoError(101);
    in += put;
    size -= put;
  }
}

void ConfinedFile::Close() {
  if (handle_ == -1) return;
  HANDLE handle = reinterpret_cast<HANDLE>(std::exchange(handle_, -1));
  if (!CloseHandle(handle)) ThrowLastError();
}

}  // namespace skarvel
