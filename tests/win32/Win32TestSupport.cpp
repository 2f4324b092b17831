#include "win32/Win32TestSupport.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

namespace skarvel::test {

HeldFile::HeldFile(const std::string& path, DWORD access, DWORD share)
    : handle_(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (handle_ == INVALID_HANDLE_VALUE) error_ = GetLastError();
}

HeldFile::~HeldFile() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

std::wstring WideName(const std::string& ansi) {
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), length);
  wide.pop_back();  // the closing NUL
  return wide;
}

bool CreateWideFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

namespace {

// The layout of a mount point's reparse data (REPARSE_DATA_BUFFER), which the
// SDK headers of mingw keep in the driver kit.
struct MountPointReparse {
  DWORD tag;
  WORD dataLength;
  WORD reserved;
  WORD substituteOffset;
  WORD substituteLength;
  WORD printOffset;
  WORD printLength;
};

bool MakeJunction(const std::string& link, const std::string& target) {
  if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
  HANDLE folder = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (folder == INVALID_HANDLE_VALUE) {
    RemoveDirectoryA(link.c_str());
    return false;
  }
  const std::wstring print = WideName(target);
  const std::wstring substitute = L"\\??\\" + print;
  const std::size_t substituteBytes = substitute.size() * sizeof(wchar_t);
  const std::size_t printBytes = print.size() * sizeof(wchar_t);
  std::vector<char> buffer(sizeof(MountPointReparse) + substituteBytes + printBytes + 2 * sizeof(wchar_t), '\0');
  MountPointReparse header{};
  header.tag = IO_REPARSE_TAG_MOUNT_POINT;
  header.substituteLength = static_cast<WORD>(substituteBytes);
  header.printOffset = static_cast<WORD>(substituteBytes + sizeof(wchar_t));
  header.printLength = static_cast<WORD>(printBytes);
  header.dataLength = static_cast<WORD>(buffer.size() - 8);  // all but tag, length and reserved
  std::memcpy(buffer.data(), &header, sizeof header);
  std::memcpy(buffer.data() + sizeof header, substitute.data(), substituteBytes);
  std::memcpy(buffer.data() + sizeof header + header.printOffset, print.data(), printBytes);
  DWORD returned = 0;
  const BOOL made = DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()),
                                    nullptr, 0, &returned, nullptr);
  CloseHandle(folder);
  if (!made) RemoveDirectoryA(link.c_str());
  return made != 0;
}

// Wine's own path of a Windows path on the POSIX side, or empty when this is
// not Wine.
std::string UnixPathUnderWine(const std::string& path) {
  using Convert = char*(CDECL*)(const wchar_t*);
  const auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (convert == nullptr) return {};
  char* unix = convert(WideName(path).c_str());
  if (unix == nullptr) return {};
  std::string out(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

bool MakeWineLink(const std::string& link, const std::string& target) {
  const std::string unixLink = UnixPathUnderWine(link);
  const std::string unixTarget = UnixPathUnderWine(target);
  if (unixLink.empty() || unixTarget.empty()) return false;
  // Wine starts a POSIX program as it starts any other.
  std::string command = "ln -s \"" + unixTarget + "\" \"" + unixLink + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA("Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // Wine's handle of a POSIX program may be signalled before the program is
  // done, and carries no faithful exit code: the link itself tells.
  for (int wait = 0; wait < 100; ++wait) {
    const DWORD attributes = GetFileAttributesA(link.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    Sleep(50);
  }
  return false;
}

}  // namespace

bool MakeFolderLink(const std::string& link, const std::string& target) {
  return MakeJunction(link, target) || MakeWineLink(link, target);
}

bool SystemRefusesWritingReadOnly(const std::string& folder) {
  const std::string probe = folder + "\\read-only probe";
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  HANDLE again = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool refused = again == INVALID_HANDLE_VALUE;
  if (!refused) CloseHandle(again);
  SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(probe.c_str());
  return refused;
}

std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") names.insert(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace skarvel::test
