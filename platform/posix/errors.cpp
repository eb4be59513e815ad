// The last error is per thread, as on Windows.
#include "platform/errors.h"

#include <cerrno>

#include "platform/posix/last_error.h"

namespace platform {

namespace {
thread_local Win32Error lastError = win32_error::Success;
}  // namespace

Win32Error GetLastError() {
  return lastError;
}

void SetLastError(Win32Error error) {
  lastError = error;
}

namespace posix {

Win32Error Win32ErrorFromErrno(int errnoValue) {
  switch (errnoValue) {
    case 0:
      return win32_error::Success;
    case ENOENT:
      return win32_error::FileNotFound;
    case ENOTDIR:
    case ELOOP:
      return win32_error::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return win32_error::AccessDenied;
    case EBADF:
      return win32_error::InvalidHandle;
    case ENOMEM:
      return win32_error::NotEnoughMemory;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return win32_error::DiskFull;
    case EEXIST:
      return win32_error::FileExists;
    case ENOTEMPTY:
      return win32_error::DirectoryNotEmpty;
    case EINVAL:
      return win32_error::InvalidParameter;
    case ENAMETOOLONG:
      return win32_error::InvalidName;
    case EBUSY:
    case ETXTBSY:
      return win32_error::SharingViolation;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
      return win32_error::NotReady;
    case EIO:
      return win32_error::ReadFault;
    case ENOTSUP:
    case EXDEV:
      return win32_error::NotSupported;
    default:
      return GeneralFailure;
  }
}

void SetLastErrorFromErrno(int errnoValue) {
  SetLastError(Win32ErrorFromErrno(errnoValue));
}

}  // namespace posix

}  // namespace platform
