// Registry access: open a key below a root, query a value, close.
//
// Win32: the real registry. POSIX: read-only view of a Wine prefix's hive files
// ($WINEPREFIX, default ~/.wine): user.reg is HKEY_CURRENT_USER, system.reg is
// HKEY_LOCAL_MACHINE. A missing prefix or hive means no keys. Opening a key for
// full access fails with AccessDenied when the hive file is not writable.
// String values come back in the ANSI code page (UTF-8 on POSIX) with their
// terminating zero counted in the size, as RegQueryValueExA does.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/errors.h"

namespace platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

enum class RegistryAccess { Read, FullAccess };

enum class RegistryValueType : std::uint32_t {
  None = 0,
  String = 1,        // REG_SZ
  ExpandString = 2,  // REG_EXPAND_SZ, returned unexpanded
  Binary = 3,
  Dword = 4,
  DwordBigEndian = 5,
  Link = 6,
  MultiString = 7,
  Qword = 11,
};

struct RegistryKey;  // backend-defined
using RegistryKeyHandle = RegistryKey*;

// As RegOpenKeyExA: on success `key` receives an open handle (close it with RegCloseKey).
// Returns Success, FileNotFound (no such key) or AccessDenied.
[[nodiscard]] Win32Error RegOpenKeyEx(RegistryRoot root, std::string_view subKey, RegistryAccess access,
                                      RegistryKeyHandle& key);

// As RegQueryValueExA. `type` may be null. With `data` null only the type and size are
// returned. When `*size` is too small for the data, returns MoreData and sets `*size`
// to the size needed. An empty name is the key's default value. FileNotFound when absent.
[[nodiscard]] Win32Error RegQueryValueEx(RegistryKeyHandle key, std::string_view valueName, RegistryValueType* type,
                                         void* data, std::uint32_t* size);

Win32Error RegCloseKey(RegistryKeyHandle key);

}  // namespace platform
