// The registry of a Wine prefix, read from its hive files. An open key holds a copy
// of its values, so later changes of the file do not reach a key already open.
#include "platform/registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/posix/wine_hive.h"

namespace platform {

struct RegistryKey {
  posix::HiveKey contents;
};

namespace {

// A hive file without any write permission bit is read-only even for root, so
// that a prefix can be made read-only for every user alike.
bool HiveIsWritable(RegistryRoot root) {
  const std::string path = posix::HiveFilePath(root);
  struct stat status{};
  if (stat(path.c_str(), &status) != 0) {
    return false;
  }
  return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && access(path.c_str(), W_OK) == 0;
}

bool IsStringType(std::uint32_t type) {
  return type == static_cast<std::uint32_t>(RegistryValueType::String) ||
         type == static_cast<std::uint32_t>(RegistryValueType::ExpandString) ||
         type == static_cast<std::uint32_t>(RegistryValueType::MultiString);
}

// What RegQueryValueExA hands out: string types in the ANSI code page (UTF-8 here)
// with every zero kept, other types as stored.
std::vector<std::uint8_t> AnsiData(const posix::HiveValue& value) {
  if (!IsStringType(value.type)) {
    return value.data;
  }
  const std::string text = posix::Utf16LittleEndianToUtf8(value.data);
  return {text.begin(), text.end()};
}

}  // namespace

Win32Error RegOpenKeyEx(RegistryRoot root, std::string_view subKey, RegistryAccess access, RegistryKeyHandle& key) {
  key = nullptr;
  const std::shared_ptr<const posix::Hive> hive = posix::LoadHive(root);
  const posix::HiveKey* found = hive->FindKey(subKey);
  if (found == nullptr) {
    return win32_error::FileNotFound;
  }
  if (access == RegistryAccess::FullAccess && !HiveIsWritable(root)) {
    return win32_error::AccessDenied;
  }
  key = new (std::nothrow) RegistryKey{*found};
  return key != nullptr ? win32_error::Success : win32_error::NotEnoughMemory;
}

Win32Error RegQueryValueEx(RegistryKeyHandle key, std::string_view valueName, RegistryValueType* type, void* data,
                           std::uint32_t* size) {
  if (key == nullptr) {
    return win32_error::InvalidHandle;
  }
  if (data != nullptr && size == nullptr) {
    return win32_error::InvalidParameter;
  }
  const posix::HiveValue* value = key->contents.FindValue(valueName);
  if (value == nullptr) {
    return win32_error::FileNotFound;
  }
  if (type != nullptr) {
    *type = static_cast<RegistryValueType>(value->type);
  }
  const std::vector<std::uint8_t> bytes = AnsiData(*value);
  const auto needed = static_cast<std::uint32_t>(bytes.size());
  if (size == nullptr) {
    return win32_error::Success;
  }
  if (data != nullptr && *size < needed) {
    *size = needed;
    return win32_error::MoreData;
  }
  if (data != nullptr && needed > 0) {
    std::memcpy(data, bytes.data(), needed);
  }
  *size = needed;
  return win32_error::Success;
}

Win32Error RegCloseKey(RegistryKeyHandle key) {
  if (key == nullptr) {
    return win32_error::InvalidHandle;
  }
  delete key;
  return win32_error::Success;
}

}  // namespace platform
