#include "host/platform/posix/SystemErrors.h"

#include <cerrno>

#include "host/Errors.h"

namespace skarvel {

int IoCodeFor(int error) {
  switch (error) {
    case ENOENT:
      return 2;
    case ENOTDIR:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return 5;
    case ENOSPC:
      return 101;
    default:
      return error;
  }
}

void ThrowIoError(int error) { throw IoError(IoCodeFor(error)); }

}  // namespace skarvel
