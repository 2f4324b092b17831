#pragma once
// The Win32 file calls that the file layer makes, reached through here so that
// a test can make any one of them fail as Windows would, as the Linux tests
// fail each system call under strace. In the program no fault is ever set, and
// each call is the system's own.
#include "host/platform/win32/Windows.h"

#include <functional>

namespace skarvel::filecalls {

// Asked before each call with the call's name ("ReplaceFile", ...) and the
// paths it names (empty for a call on a handle); a non-zero answer makes the
// call fail with that error, set as the last error, without being made. The
// hook may change the disk first, as a failing Windows call would have.
using FaultHook = std::function<DWORD(const char* call, const char* path, const char* other)>;
void SetFaultHook(FaultHook hook);
// Whether the call fails by the hook; sets the last error when it does.
bool Faulted(const char* call, const char* path = "", const char* other = "");

inline HANDLE CreateFile(LPCSTR name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (Faulted("CreateFile", name)) return INVALID_HANDLE_VALUE;
  return ::CreateFileA(name, access, share, nullptr, disposition, flags, nullptr);
}
inline BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* got) {
  return Faulted("ReadFile") ? FALSE : ::ReadFile(file, buffer, size, got, nullptr);
}
inline BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* put) {
  return Faulted("WriteFile") ? FALSE : ::WriteFile(file, buffer, size, put, nullptr);
}
inline BOOL FlushFileBuffers(HANDLE file) { return Faulted("FlushFileBuffers") ? FALSE : ::FlushFileBuffers(file); }
inline BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER to, LARGE_INTEGER* now, DWORD from) {
  return Faulted("SetFilePointerEx") ? FALSE : ::SetFilePointerEx(file, to, now, from);
}
inline BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
  return Faulted("GetFileSizeEx") ? FALSE : ::GetFileSizeEx(file, size);
}
inline BOOL SetFileInformationByHandle(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size) {
  return Faulted("SetFileInformationByHandle") ? FALSE : ::SetFileInformationByHandle(file, kind, info, size);
}
inline BOOL CloseHandle(HANDLE handle) {
  // The handle goes in any case, as Windows closes it even when it reports an
  // error of the data it still had to write.
  const bool fault = Faulted("CloseHandle");
  const BOOL closed = ::CloseHandle(handle);
  return fault ? FALSE : closed;
}
inline UINT GetTempFileName(LPCSTR folder, LPCSTR prefix, LPSTR name) {
  return Faulted("GetTempFileName", folder) ? 0 : ::GetTempFileNameA(folder, prefix, 0, name);
}
inline BOOL ReplaceFile(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags) {
  if (Faulted("ReplaceFile", replaced, backup == nullptr ? "" : backup)) return FALSE;
  return ::ReplaceFileA(replaced, replacement, backup, flags, nullptr, nullptr);
}
inline BOOL MoveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
  return Faulted("MoveFileEx", from, to) ? FALSE : ::MoveFileExA(from, to, flags);
}
inline BOOL DeleteFile(LPCSTR name) { return Faulted("DeleteFile", name) ? FALSE : ::DeleteFileA(name); }
inline BOOL SetFileAttributes(LPCSTR name, DWORD attributes) {
  return Faulted("SetFileAttributes", name) ? FALSE : ::SetFileAttributesA(name, attributes);
}

}  // namespace skarvel::filecalls
