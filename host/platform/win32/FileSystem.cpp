// File access on Windows, through the ANSI functions: internal paths are the
// system's own paths there.
#include "host/FileSystem.h"

#include "host/platform/win32/Windows.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/Errors.h"
#include "host/platform/win32/CodePage.h"
#include "host/platform/win32/FileCalls.h"
#include "host/platform/win32/SystemErrors.h"

namespace skarvel {
namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
std::intptr_t Raw(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr std::size_t kChunk = 1u << 30;  // ReadFile and WriteFile count in DWORDs

std::string WithSeparator(const std::string& folder) {
  if (folder.empty() || folder.back() == '\\') return folder;
  return folder + "\\";
}

bool ForceFolder(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const auto slash = folder.rfind('\\');
  // "C:" and "\\server\share" are where the chain starts, not folders to make.
  if (slash != std::string::npos && slash > 0 && folder[slash - 1] != ':' && folder[slash - 1] != '\\' &&
      !ForceFolder(folder.substr(0, slash))) {
    return false;
  }
  return CreateDirectoryA(folder.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Windows refuses to open a read-only file for writing by itself; Wine run as
// root does not, so the attribute is checked here as well, before anything
// is opened or truncated.
// Gives the attributes it found (INVALID_FILE_ATTRIBUTES for a missing file).
DWORD RefuseReadOnly(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    throw IoError(ERROR_ACCESS_DENIED);
  }
  return attributes;
}

// What ReplaceFile reports when another program holds the target open without
// letting it be deleted or renamed (the target then keeps its name and bytes).
bool HeldOpenElsewhere(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_USER_MAPPED_FILE;
}

// Whether another program holds path open so that it cannot be renamed away:
// asking for delete access, sharing everything, meets only such a holder.
bool HeldWithoutDeleteSharing(const std::string& path) {
  HANDLE probe = filecalls::CreateFile(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

[[noreturn]] void RefuseHeldTarget(const std::string& path) {
  throw RefusedError("The file \"" + path +
                     "\" is held open by another program, so it cannot be replaced; it is left as it was. "
                     "Close the other program and try again.");
}

}  // namespace

File File::OpenExisting(const std::string& path) {
  const DWORD attributes = RefuseReadOnly(path);
  HANDLE handle = filecalls::CreateFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) ThrowLastError();
  File file(Raw(handle), 0, attributes);
  file.lengthAtOpen_ = file.Size();
  return file;
}

File File::OpenForReading(const std::string& path) {
  HANDLE handle = filecalls::CreateFile(path.c_str(), GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) ThrowLastError();
  File file(Raw(handle));
  file.lengthAtOpen_ = file.Size();
  return file;
}

File File::Create(const std::string& path) {
  RefuseReadOnly(path);
  HANDLE handle = filecalls::CreateFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) ThrowLastError();
  return File(Raw(handle));
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), lengthAtOpen_(other.lengthAtOpen_), attributes_(other.attributes_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ != -1) CloseHandle(Handle(handle_));
    handle_ = std::exchange(other.handle_, -1);
    lengthAtOpen_ = other.lengthAtOpen_;
    attributes_ = other.attributes_;
  }
  return *this;
}

File::~File() {
  if (handle_ != -1) CloseHandle(Handle(handle_));
}

std::int64_t File::Size() const {
  LARGE_INTEGER size;
  if (!filecalls::GetFileSizeEx(Handle(handle_), &size)) ThrowLastError();
  return size.QuadPart;
}

void File::SetAttributes(std::uint32_t attributes) {
  // No attribute at all is spelled "normal", as SetFileAttributesA wants it.
  const DWORD wanted = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  if (wanted == attributes_) return;
  FILE_BASIC_INFO info{};  // times of zero are left as they are
  info.FileAttributes = wanted;
  if (!filecalls::SetFileInformationByHandle(Handle(handle_), FileBasicInfo, &info, sizeof info)) ThrowLastError();
  attributes_ = wanted;
}

void File::Seek(std::int64_t position) {
  if (position < 0) throw IoError(ERROR_NEGATIVE_SEEK);
  LARGE_INTEGER to;
  to.QuadPart = position;
  if (!filecalls::SetFilePointerEx(Handle(handle_), to, nullptr, FILE_BEGIN)) ThrowLastError();
}

void File::Read(void* buffer, std::size_t size) {
  auto* out = static_cast<char*>(buffer);
  while (size > 0) {
    DWORD got = 0;
    const DWORD ask = static_cast<DWORD>(size < kChunk ? size : kChunk);
    if (!filecalls::ReadFile(Handle(handle_), out, ask, &got)) ThrowLastError();
    if (got == 0) throw IoError(100);
    out += got;
    size -= got;
  }
}

void File::ReadAt(std::int64_t position, void* buffer, std::size_t size) {
  // A synchronous handle moves its position even with an explicit offset, so the
  // position is put back afterwards.
  LARGE_INTEGER zero{}, saved{};
  if (!filecalls::SetFilePointerEx(Handle(handle_), zero, &saved, FILE_CURRENT)) ThrowLastError();
  Seek(position);
  Read(buffer, size);
  if (!filecalls::SetFilePointerEx(Handle(handle_), saved, nullptr, FILE_BEGIN)) ThrowLastError();
}

void File::Write(const void* buffer, std::size_t size) {
  const auto* in = static_cast<const char*>(buffer);
  while (size > 0) {
    DWORD put = 0;
    const DWORD ask = static_cast<DWORD>(size < kChunk ? size : kChunk);
    if (!filecalls::WriteFile(Handle(handle_), in, ask, &put)) ThrowLastError();
    if (put == 0) throw IoError(101);
    in += put;
    size -= put;
  }
}

void File::CopyFrom(File& source, std::int64_t sourcePosition, std::int64_t size) {
  constexpr std::int64_t kCopyBuffer = std::int64_t{1} << 20;
  std::vector<char> buffer(static_cast<std::size_t>(size < kCopyBuffer ? size : kCopyBuffer));
  while (size > 0) {
    const auto chunk = static_cast<std::size_t>(size < kCopyBuffer ? size : kCopyBuffer);
    source.ReadAt(sourcePosition, buffer.data(), chunk);
    Write(buffer.data(), chunk);
    sourcePosition += static_cast<std::int64_t>(chunk);
    size -= static_cast<std::int64_t>(chunk);
  }
}

void File::Sync() {
  if (!filecalls::FlushFileBuffers(Handle(handle_))) ThrowLastError();
}

void File::Close() {
  if (handle_ == -1) return;
  if (!filecalls::CloseHandle(Handle(std::exchange(handle_, -1)))) ThrowLastError();
}

ReplacementFile::ReplacementFile(const std::string& targetPath) : target_(targetPath), file_(-1) {
  const DWORD attributes = ::GetFileAttributesA(target_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    throw IoError(ERROR_ACCESS_DENIED);
  }
  const auto slash = target_.rfind('\\');
  const std::string folder = slash == std::string::npos ? std::string(".") : target_.substr(0, slash + 1);
  char name[MAX_PATH];
  if (filecalls::GetTempFileName(folder.c_str(), "skv", name) == 0) ThrowLastError();
  temporary_ = name;
  HANDLE handle = filecalls::CreateFile(name, GENERIC_READ | GENERIC_WRITE, 0, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    filecalls::DeleteFile(name);
    throw IoError(IoCodeFor(error));
  }
  file_ = File(Raw(handle));
}

ReplacementFile::~ReplacementFile() {
  if (committed_) return;
  { File closing = std::move(file_); }
  if (!temporary_.empty()) filecalls::DeleteFile(temporary_.c_str());
}

namespace {

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The old archive's copy, once the new one is in place. A virus scanner may
// hold the file it has just seen appear for a moment: a few tries.
void RemoveBackup(const std::string& backup) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (filecalls::DeleteFile(backup.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
    Sleep(50);
  }
}

}  // namespace

// ReplaceFile may fail half-way: the documented errors leave the old archive
// under its name (1175), under the backup name (1177), or, without a backup
// name, gone (1176). What is on the disk decides, before anything is deleted:
// the old archive is put back where it can be, else the new one is put in
// place, and where neither can, the new one stays under its temporary name,
// which the error names, as it is then the only copy.
void ReplacementFile::RecoverFailedReplace(DWORD error, const std::string& backup) {
  if (Exists(target_)) {
    // The target kept its name; it is the old archive, as the backup is not.
    if (HeldOpenElsewhere(error)) RefuseHeldTarget(target_);
    throw IoError(IoCodeFor(error));
  }
  if (Exists(backup) && filecalls::MoveFileEx(backup.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
    throw RefusedError("The file \"" + target_ + "\" could not be replaced (" + IoError::TextFor(IoCodeFor(error)) +
                       "); it is left as it was.");
  }
  if (filecalls::MoveFileEx(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    committed_ = true;
    if (Exists(backup)) RemoveBackup(backup);
    return;
  }
  committed_ = true;  // the destructor must not delete the only copy
  throw RefusedError("The archive \"" + target_ + "\" could not be put in place (" + IoError::TextFor(IoCodeFor(error)) +
                     "). Its new version is kept as \"" + temporary_ + "\"" +
                     (Exists(backup) ? ", its old version as \"" + backup + "\"" : std::string()) +
                     ": rename the one you want to \"" + target_ + "\".");
}

void ReplacementFile::Commit() {
  if (committed_) return;
  file_.Sync();
  file_.Close();
  // The target may have turned read-only since the start.
  const bool exists = RefuseReadOnly(target_) != INVALID_FILE_ATTRIBUTES;
  // Asked before ReplaceFile, which under Wine leaves a file of its own behind
  // when the target cannot be moved aside.
  if (exists && HeldWithoutDeleteSharing(target_)) RefuseHeldTarget(target_);
  if (!exists) {
    // A new target is a plain move.
    if (!filecalls::MoveFileEx(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      ThrowLastError();
    }
    committed_ = true;
    return;
  }
  // ReplaceFile keeps the target's attributes and security. With a backup name
  // a failure never leaves the old archive without a name; once the new one is
  // in place the backup goes.
  const std::string backup = temporary_ + ".old";
  if (!filecalls::ReplaceFile(target_.c_str(), temporary_.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS)) {
    RecoverFailedReplace(GetLastError(), backup);
    return;
  }
  committed_ = true;
  RemoveBackup(backup);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ReadOnlyReason(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return "its read-only attribute is set";
  }
  return {};
}

// Windows finds names without regard to case by itself.
std::optional<std::string> FindFileIgnoringCase(const std::string& folder, const std::string& name) {
  const std::string path = folder + "\\" + name;
  if (FileExists(path)) return path;
  return std::nullopt;
}

std::uint32_t GetFileAttributes(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError();
  return attributes;
}

void SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  if (!filecalls::SetFileAttributes(path.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes)) ThrowLastError();
}

// The names come as the file system holds them (UTF-16) and are converted
// here, because the ANSI search puts a "?" or a look-alike character in place
// of what the code page cannot hold, and such a name would name another file
// (or, for a full-width "\", another folder).
std::vector<DirectoryEntry> SearchDirectory(const std::string& folder, const std::string& mask) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WideFromAnsi(WithSeparator(folder) + mask).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    DirectoryEntry entry;
    std::optional<std::string> name = AnsiFromWide(found.cFileName);
    if (!name) {
      FindClose(search);
      throw RefusedError("The folder \"" + folder + "\" holds a file named \"" + AnsiFromWideLossy(found.cFileName) +
                         "\" with characters that the system's code page (" + std::to_string(GetACP()) +
                         ") cannot hold (shown as \"?\"), so the folder cannot be used. Rename the file first.");
    }
    entry.name = std::move(*name);
    const bool folderLike = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool reparse = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.isFolder = folderLike && !reparse;
    entry.isLinkToFolder = folderLike && reparse;  // junctions and folder links
    entries.push_back(std::move(entry));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

std::optional<FolderIdentity> IdentityOfFolder(const std::string& path) {
  // A folder opens only with backup semantics; no access is needed to read its ID.
  HANDLE handle = filecalls::CreateFile(path.c_str(), 0, kShareAll | FILE_SHARE_DELETE, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return std::nullopt;
  return FolderIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool ForceDirectories(const std::string& folder) {
  std::string trimmed = folder;
  while (trimmed.size() > 1 && trimmed.back() == '\\') trimmed.pop_back();
  return !trimmed.empty() && ForceFolder(trimmed);
}

std::string CurrentDirectory() {
  const DWORD length = GetCurrentDirectoryA(0, nullptr);
  if (length == 0) ThrowLastError();
  std::string buffer(length, '\0');
  const DWORD written = GetCurrentDirectoryA(length, buffer.data());
  if (written == 0 || written >= length) ThrowLastError();
  buffer.resize(written);
  // A drive's root keeps its "\" ("C:\"); any other folder comes without it.
  if (buffer.size() > 3 && buffer.back() == '\\') buffer.pop_back();
  return buffer;
}

std::int64_t FileSizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) ThrowLastError();
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) throw IoError(ERROR_ACCESS_DENIED);
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void RenameFile(const std::string& from, const std::string& to) {
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) ThrowLastError();
}

bool LinkFile(const std::string& existing, const std::string& newName) {
  return CreateHardLinkA(newName.c_str(), existing.c_str(), nullptr) != FALSE;
}

bool RemoveFile(const std::string& path) {
  return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool RemoveEmptyFolder(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::string UserDataFolder() {
  char folder[MAX_PATH] = "";
  const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return {};
  return std::string(folder, length) + "\\Skarvel";
}

}  // namespace skarvel
