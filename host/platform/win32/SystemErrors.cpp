#include "host/platform/win32/SystemErrors.h"

#include "host/Errors.h"

namespace skarvel {

// The system's codes are those of the error table already; only a full disk
// has codes of its own, shown as the short write they cause, and a folder that
// is not there may come as an invalid folder name, which the table calls a path
// not found.
int IoCodeFor(DWORD error) {
  if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return 101;
  if (error == ERROR_DIRECTORY) return ERROR_PATH_NOT_FOUND;
  return static_cast<int>(error);
}

void ThrowLastError() { throw IoError(IoCodeFor(GetLastError())); }

}  // namespace skarvel
