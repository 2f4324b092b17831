#pragma once
// What the Windows tests need of the system beyond the program's own file layer:
// handles held the way another program holds them, folder links, raw registry
// values, and the names as the file system holds them (UTF-16).
#include <windows.h>

#include <set>
#include <string>

namespace skarvel::test {

// A file held open by "another program" for as long as the object lives.
class HeldFile {
 public:
  HeldFile(const std::string& path, DWORD access, DWORD share);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool opened() const { return handle_ != INVALID_HANDLE_VALUE; }
  DWORD error() const { return error_; }

 private:
  HANDLE handle_;
  DWORD error_ = 0;
};

// Makes link a folder link (a reparse point) that leads to the folder target:
// a junction, which Windows lets anyone make. Wine has no reparse points of its
// own but shows a POSIX symbolic link to a folder as one, so under Wine the link
// is made by ln. False when neither works.
bool MakeFolderLink(const std::string& link, const std::string& target);

// True when the system itself refuses to open a read-only file for writing
// (Windows does; Wine run as root does not).
bool SystemRefusesWritingReadOnly(const std::string& folder);

// The names of the files and folders in folder ("." and ".." left out).
std::set<std::string> NamesIn(const std::string& folder);

// The names below folder as the file system holds them.
std::wstring WideName(const std::string& ansi);
bool CreateWideFile(const std::wstring& path);

}  // namespace skarvel::test
