// Dynamic libraries: load, resolve an entry point, free; the process error mode.
//
// POSIX: dlopen. A bare name is searched as Windows searches it (the program's
// folder, the current folder, then PATH), without regard to letter case, so that
// "UNZDLL.DLL" finds "unzdll.dll".
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

using LibraryHandle = void*;

[[nodiscard]] LibraryHandle LoadLibrary(std::string_view nameOrPath);
[[nodiscard]] void* GetProcAddress(LibraryHandle library, const char* entryName);
bool FreeLibrary(LibraryHandle library);

namespace error_mode {
inline constexpr std::uint32_t FailCriticalErrors = 0x0001;
inline constexpr std::uint32_t NoGpFaultErrorBox = 0x0002;
}  // namespace error_mode

// Sets the process error mode and returns the previous one.
std::uint32_t SetErrorMode(std::uint32_t mode);

}  // namespace platform
