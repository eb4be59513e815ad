#include "platform/links.h"

#include "platform/win32/windows_api.h"

namespace platform {

namespace {

constexpr std::string_view LongUncPrefix = "\\\\?\\UNC\\";
constexpr std::string_view LongPathPrefix = "\\\\?\\";

// A view, not a moved string: GCC 12 for 64-bit mingw takes the short-string buffer of
// a string moved into the parameter for uninitialised (-Wmaybe-uninitialized).
std::string WithoutLongPathPrefix(std::string_view text) {
  if (text.starts_with(LongUncPrefix)) {
    std::string shortened = "\\\\";
    shortened += text.substr(LongUncPrefix.size());
    return shortened;
  }
  if (text.starts_with(LongPathPrefix)) {
    text.remove_prefix(LongPathPrefix.size());
  }
  return std::string(text);
}

}  // namespace

std::optional<std::string> GetFinalPathName(std::string_view path) {
  const std::string pathText(path);
  // No access rights are needed to ask for the name; backup semantics let folders open.
  const HANDLE handle = ::CreateFileA(pathText.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  std::string text(MAX_PATH, '\0');
  DWORD length = ::GetFinalPathNameByHandleA(handle, text.data(), static_cast<DWORD>(text.size()), 0);
  if (length >= text.size()) {
    text.assign(length, '\0');
    length = ::GetFinalPathNameByHandleA(handle, text.data(), static_cast<DWORD>(text.size()), 0);
  }
  ::CloseHandle(handle);
  if (length == 0 || length >= text.size()) {
    return std::nullopt;
  }
  text.resize(length);
  return WithoutLongPathPrefix(text);
}

}  // namespace platform
