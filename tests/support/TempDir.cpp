#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include <cstdlib>
#endif

#include "host/Encoding.h"

namespace skarvel::test {
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr const char* kSeparators = "\\/";  // Windows takes both

// Native paths on Windows are the program's own ANSI paths; std::filesystem
// would read them in another code page, so folders are made through the system.
void CreateFolders(const std::string& folder) {
  const auto slash = folder.find_last_of("\\/");
  if (slash != std::string::npos && slash > 2) CreateFolders(folder.substr(0, slash));
  CreateDirectoryA(folder.c_str(), nullptr);
}

std::string MakeTempFolder() {
  char temp[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) throw std::runtime_error("GetTempPathA failed");
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string folder = std::string(temp) + "skarvel-test-" + std::to_string(random());
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot make a temporary folder");
}

// Removes a tree without entering a reparse point (a junction, or what Wine
// shows a POSIX link as): only the link goes, never what it leads to.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        DeleteFileW(path.c_str());
      } else {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) RemoveTree(path);
        RemoveDirectoryW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

void RemoveFolder(const std::string& folder) { RemoveTree(fs::path(folder).wstring()); }
#else
constexpr char kSeparator = '/';
constexpr const char* kSeparators = "/";

void CreateFolders(const std::string& folder) { fs::create_directories(folder); }

std::string MakeTempFolder() {
  std::string pattern = (fs::temp_directory_path() / "skarvel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

void RemoveFolder(const std::string& folder) {
  std::error_code ignored;
  // Give write bits back so that read-only files and folders can go.
  for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(folder, ignored);
}
#endif

std::string WithNativeSeparators(const std::string& relative) {
  std::string out = relative;
  for (char& c : out) {
    if (c == '\\') c = kSeparator;
  }
  return out;
}

}  // namespace

TempDir::TempDir() : native_(MakeTempFolder()) {}

TempDir::~TempDir() { RemoveFolder(native_); }

std::string TempDir::internal() const { return ToInternalPath(native_); }
std::string TempDir::Internal(const std::string& relative) const { return internal() + "\\" + relative; }
std::string TempDir::Native(const std::string& relative) const {
  return native_ + kSeparator + WithNativeSeparators(relative);
}

void WriteNativeFile(const std::string& nativePath, const std::string& bytes) {
  const auto slash = nativePath.find_last_of(kSeparators);
  if (slash != std::string::npos && slash > 0) CreateFolders(nativePath.substr(0, slash));
  std::ofstream out(nativePath, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + nativePath);
}

std::string ReadNativeFile(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + nativePath);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

#ifdef _WIN32
bool NativeExists(const std::string& nativePath) {
  return GetFileAttributesA(nativePath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeReadOnly(const std::string& nativePath) {
  const DWORD attributes = GetFileAttributesA(nativePath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !SetFileAttributesA(nativePath.c_str(), attributes | FILE_ATTRIBUTE_READONLY))
    throw std::runtime_error("cannot make " + nativePath + " read-only");
}

bool IsReadOnly(const std::string& nativePath) {
  const DWORD attributes = GetFileAttributesA(nativePath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) throw std::runtime_error("cannot read the attributes of " + nativePath);
  return (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
#else
bool NativeExists(const std::string& nativePath) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(nativePath, ignored));
}

void MakeReadOnly(const std::string& nativePath) {
  fs::permissions(nativePath, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

bool IsReadOnly(const std::string& nativePath) {
  struct stat info {};
  if (stat(nativePath.c_str(), &info) != 0) throw std::runtime_error("cannot stat " + nativePath);
  return (info.st_mode & 0222) == 0;
}
#endif

}  // namespace skarvel::test
