#include "platform/temp_and_environment.h"

#include <string>
#include <utility>

#include "platform/win32/windows_api.h"

namespace platform {

std::string GetTempPath() {
  std::string folder(MAX_PATH + 1, '\0');
  const DWORD length = ::GetTempPathA(static_cast<DWORD>(folder.size()), folder.data());
  if (length == 0 || length > folder.size()) {
    return {};
  }
  folder.resize(length);
  return folder;
}

std::uint32_t GetTempFileName(std::string_view folder, std::string_view prefix, std::uint32_t unique,
                              std::string& fileName) {
  const std::string folderText(folder);
  const std::string prefixText(prefix);
  std::string name(MAX_PATH, '\0');
  const UINT used = ::GetTempFileNameA(folderText.c_str(), prefixText.c_str(), unique, name.data());
  if (used == 0) {
    return 0;
  }
  name.resize(name.find('\0'));
  fileName = std::move(name);
  return used;
}

std::string ExpandEnvironmentStrings(std::string_view text) {
  const std::string source(text);
  // The A form may report a size one byte larger than the text needs.
  const DWORD needed = ::ExpandEnvironmentStringsA(source.c_str(), nullptr, 0);
  if (needed == 0) {
    return source;
  }
  std::string expanded(needed, '\0');
  if (::ExpandEnvironmentStringsA(source.c_str(), expanded.data(), needed) == 0) {
    return source;
  }
  expanded.resize(expanded.find('\0'));
  return expanded;
}

std::optional<std::string> GetEnvironmentVariable(std::string_view name) {
  const std::string nameText(name);
  // The size needed counts the terminating zero, so an empty value answers 1 and
  // only a missing variable answers 0.
  const DWORD needed = ::GetEnvironmentVariableA(nameText.c_str(), nullptr, 0);
  if (needed == 0) {
    return std::nullopt;
  }
  std::string value(needed, '\0');
  const DWORD length = ::GetEnvironmentVariableA(nameText.c_str(), value.data(), needed);
  if (length >= needed) {
    return std::nullopt;
  }
  value.resize(length);
  return value;
}

void SetEnvironmentVariable(std::string_view name, const std::optional<std::string>& value) {
  const std::string nameText(name);
  ::SetEnvironmentVariableA(nameText.c_str(), value ? value->c_str() : nullptr);
}

}  // namespace platform
