#include "host/platform/posix/SystemErrors.h"

#include <cerrno>

#include "host/Errors.h"

namespace skarvel {
namespace {

// The Windows codes, by their names in the Windows headers.
constexpr int kInvalidFunction = 1;      // ERROR_INVALID_FUNCTION
constexpr int kFileNotFound = 2;         // ERROR_FILE_NOT_FOUND
constexpr int kPathNotFound = 3;         // ERROR_PATH_NOT_FOUND
constexpr int kTooManyOpenFiles = 4;     // ERROR_TOO_MANY_OPEN_FILES
constexpr int kAccessDenied = 5;         // ERROR_ACCESS_DENIED
constexpr int kInvalidHandle = 6;        // ERROR_INVALID_HANDLE
constexpr int kNotEnoughMemory = 8;      // ERROR_NOT_ENOUGH_MEMORY
constexpr int kNotSameDevice = 17;       // ERROR_NOT_SAME_DEVICE
constexpr int kBadUnit = 20;             // ERROR_BAD_UNIT
constexpr int kWriteFault = 29;          // ERROR_WRITE_FAULT
constexpr int kReadFault = 30;           // ERROR_READ_FAULT
constexpr int kSharingViolation = 32;    // ERROR_SHARING_VIOLATION
constexpr int kNotSupported = 50;        // ERROR_NOT_SUPPORTED
constexpr int kNetNameDeleted = 64;      // ERROR_NETNAME_DELETED
constexpr int kFileExists = 80;          // ERROR_FILE_EXISTS
constexpr int kInvalidParameter = 87;    // ERROR_INVALID_PARAMETER
constexpr int kSemaphoreTimeout = 121;   // ERROR_SEM_TIMEOUT
constexpr int kSeekOnDevice = 132;       // ERROR_SEEK_ON_DEVICE
constexpr int kDirNotEmpty = 145;        // ERROR_DIR_NOT_EMPTY
constexpr int kLockFailed = 167;         // ERROR_LOCK_FAILED
constexpr int kBusy = 170;               // ERROR_BUSY
constexpr int kFilenameTooLong = 206;    // ERROR_FILENAME_EXCED_RANGE
constexpr int kFileTooLarge = 223;       // ERROR_FILE_TOO_LARGE
constexpr int kArithmeticOverflow = 534; // ERROR_ARITHMETIC_OVERFLOW
constexpr int kOperationAborted = 995;   // ERROR_OPERATION_ABORTED
constexpr int kPossibleDeadlock = 1131;  // ERROR_POSSIBLE_DEADLOCK
constexpr int kTooManyLinks = 1142;      // ERROR_TOO_MANY_LINKS
constexpr int kCantResolveName = 1921;   // ERROR_CANT_RESOLVE_FILENAME
// The table's own code for a full disk, which Windows' ERROR_DISK_FULL shows as.
constexpr int kDiskFull = 101;

struct Mapping {
  int error;
  int code;
};

// A read-only file system refuses the access as a read-only file does; a
// folder opened as a file is refused by Windows in the same words.
constexpr Mapping kMappings[] = {
    {ENOENT, kFileNotFound},      {ENOTDIR, kPathNotFound},        {ENAMETOOLONG, kFilenameTooLong},
    {ELOOP, kCantResolveName},    {EMFILE, kTooManyOpenFiles},     {ENFILE, kTooManyOpenFiles},
    {EACCES, kAccessDenied},      {EPERM, kAccessDenied},          {EROFS, kAccessDenied},
    {EISDIR, kAccessDenied},      {ENOSPC, kDiskFull},             {EDQUOT, kDiskFull},
    {EFBIG, kFileTooLarge},       {EEXIST, kFileExists},           {ENOTEMPTY, kDirNotEmpty},
    {EXDEV, kNotSameDevice},      {EBADF, kInvalidHandle},         {EINVAL, kInvalidParameter},
    {ENOMEM, kNotEnoughMemory},   {EBUSY, kBusy},                  {ETXTBSY, kSharingViolation},
    {ENXIO, kBadUnit},            {ENODEV, kBadUnit},              {ESPIPE, kSeekOnDevice},
    {ENOLCK, kLockFailed},        {EDEADLK, kPossibleDeadlock},    {EMLINK, kTooManyLinks},
    {EOVERFLOW, kArithmeticOverflow}, {ENOTSUP, kNotSupported},    {EOPNOTSUPP, kNotSupported},
    {ENOSYS, kInvalidFunction},
    {EINTR, kOperationAborted},   {ESTALE, kNetNameDeleted},       {ETIMEDOUT, kSemaphoreTimeout},
};

}  // namespace

int IoCodeFor(int error, IoDirection direction) {
  if (error == EIO) return direction == IoDirection::Read ? kReadFault : kWriteFault;
  for (const Mapping& mapping : kMappings) {
    if (mapping.error == error) return mapping.code;
  }
  return kUnmappedSystemError | error;
}

void ThrowIoError(int error, IoDirection direction) { throw IoError(IoCodeFor(error, direction)); }

}  // namespace skarvel
