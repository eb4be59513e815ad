#include "platform/dynamic_library.h"

#include <bit>
#include <string>

#include "platform/win32/windows_api.h"

namespace platform {

LibraryHandle LoadLibrary(std::string_view nameOrPath) {
  const std::string nameText(nameOrPath);
  return ::LoadLibraryA(nameText.c_str());
}

void* GetProcAddress(LibraryHandle library, const char* entryName) {
  const FARPROC entry = ::GetProcAddress(static_cast<HMODULE>(library), entryName);
  return std::bit_cast<void*>(entry);
}

bool FreeLibrary(LibraryHandle library) {
  return ::FreeLibrary(static_cast<HMODULE>(library)) != FALSE;
}

std::uint32_t SetErrorMode(std::uint32_t mode) {
  return ::SetErrorMode(mode);
}

}  // namespace platform
