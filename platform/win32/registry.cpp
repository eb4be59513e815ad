// The real registry. A RegistryKey owns the HKEY it wraps, so the component never
// sees a Win32 type.
#include "platform/registry.h"

#include <new>
#include <string>

#include "platform/win32/windows_api.h"

namespace platform {

struct RegistryKey {
  HKEY handle = nullptr;
};

namespace {

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM AccessMask(RegistryAccess access) {
  return access == RegistryAccess::FullAccess ? KEY_ALL_ACCESS : KEY_READ;
}

}  // namespace

Win32Error RegOpenKeyEx(RegistryRoot root, std::string_view subKey, RegistryAccess access, RegistryKeyHandle& key) {
  key = nullptr;
  const std::string subKeyText(subKey);
  HKEY opened = nullptr;
  const LONG result = ::RegOpenKeyExA(RootKey(root), subKeyText.c_str(), 0, AccessMask(access), &opened);
  if (result != ERROR_SUCCESS) {
    return static_cast<Win32Error>(result);
  }
  key = new (std::nothrow) RegistryKey{opened};
  if (key == nullptr) {
    ::RegCloseKey(opened);
    return win32_error::NotEnoughMemory;
  }
  return win32_error::Success;
}

Win32Error RegQueryValueEx(RegistryKeyHandle key, std::string_view valueName, RegistryValueType* type, void* data,
                           std::uint32_t* size) {
  if (key == nullptr) {
    return win32_error::InvalidHandle;
  }
  const std::string nameText(valueName);
  DWORD valueType = REG_NONE;
  DWORD byteCount = size != nullptr ? *size : 0;
  const LONG result = ::RegQueryValueExA(key->handle, nameText.c_str(), nullptr, &valueType,
                                         static_cast<BYTE*>(data), size != nullptr ? &byteCount : nullptr);
  if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
    if (type != nullptr) {
      *type = static_cast<RegistryValueType>(valueType);
    }
    if (size != nullptr) {
      *size = byteCount;
    }
  }
  return static_cast<Win32Error>(result);
}

Win32Error RegCloseKey(RegistryKeyHandle key) {
  if (key == nullptr) {
    return win32_error::InvalidHandle;
  }
  const LONG result = ::RegCloseKey(key->handle);
  delete key;
  return static_cast<Win32Error>(result);
}

}  // namespace platform
