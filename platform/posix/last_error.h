// How the POSIX backend turns errno into the Win32 error numbers of platform/errors.h.
#pragma once

#include "platform/errors.h"

namespace platform::posix {

// Win32 numbers the backend reports that callers only pass on, so they are not
// part of the public list.
inline constexpr Win32Error GeneralFailure = 31;          // ERROR_GEN_FAILURE
inline constexpr Win32Error BadExecutableFormat = 193;    // ERROR_BAD_EXE_FORMAT
inline constexpr Win32Error DirectoryNameInvalid = 267;   // ERROR_DIRECTORY

// The Win32 error a Windows program sees for `errnoValue`. ENOENT becomes
// FileNotFound; callers that know the folder is missing report PathNotFound.
[[nodiscard]] Win32Error Win32ErrorFromErrno(int errnoValue);

// SetLastError(Win32ErrorFromErrno(errnoValue)).
void SetLastErrorFromErrno(int errnoValue);

}  // namespace platform::posix
