#include "platform/errors.h"

#include "platform/win32/windows_api.h"

namespace platform {

Win32Error GetLastError() {
  return ::GetLastError();
}

void SetLastError(Win32Error error) {
  ::SetLastError(error);
}

}  // namespace platform
