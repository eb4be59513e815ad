// Last-error codes of the platform layer. Both backends report failures with the
// Win32 error numbers, so callers and tests see the same values everywhere.
#pragma once

#include <cstdint>

namespace platform {

using Win32Error = std::uint32_t;

namespace win32_error {
inline constexpr Win32Error Success = 0;
inline constexpr Win32Error FileNotFound = 2;
inline constexpr Win32Error PathNotFound = 3;
inline constexpr Win32Error AccessDenied = 5;
inline constexpr Win32Error InvalidHandle = 6;
inline constexpr Win32Error NotEnoughMemory = 8;
inline constexpr Win32Error InvalidDrive = 15;
inline constexpr Win32Error NotReady = 21;
inline constexpr Win32Error WriteFault = 29;
inline constexpr Win32Error ReadFault = 30;
inline constexpr Win32Error GenFailure = 31;  // e.g. reading the volume of an unformatted disk
inline constexpr Win32Error SharingViolation = 32;
inline constexpr Win32Error HandleEof = 38;
inline constexpr Win32Error NotSupported = 50;
inline constexpr Win32Error FileExists = 80;
inline constexpr Win32Error InvalidParameter = 87;
inline constexpr Win32Error DiskFull = 112;
inline constexpr Win32Error InsufficientBuffer = 122;
inline constexpr Win32Error InvalidName = 123;
inline constexpr Win32Error ModuleNotFound = 126;
inline constexpr Win32Error ProcedureNotFound = 127;
inline constexpr Win32Error NegativeSeek = 131;
inline constexpr Win32Error DirectoryNotEmpty = 145;
inline constexpr Win32Error AlreadyExists = 183;
inline constexpr Win32Error MoreData = 234;
inline constexpr Win32Error NoMoreItems = 259;
}  // namespace win32_error

// Creating a file or a name that is already there fails with FileExists or
// AlreadyExists, depending on the call.
[[nodiscard]] constexpr bool IsNameTakenError(Win32Error error) {
  return error == win32_error::FileExists || error == win32_error::AlreadyExists;
}

// The calling thread's last error, as GetLastError/SetLastError.
[[nodiscard]] Win32Error GetLastError();
void SetLastError(Win32Error error);

}  // namespace platform
