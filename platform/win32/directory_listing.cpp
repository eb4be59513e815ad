// Folder listings through FindFirstFileA/FindNextFileA.
#include "platform/directory_listing.h"

#include <string>

#include "platform/win32/windows_api.h"

namespace platform {

namespace {

std::uint32_t LocalDosDateTime(const FILETIME& lastWrite) {
  FILETIME local{};
  WORD date = 0;
  WORD time = 0;
  if (!::FileTimeToLocalFileTime(&lastWrite, &local) || !::FileTimeToDosDateTime(&local, &date, &time)) {
    return 0;
  }
  return (std::uint32_t{date} << 16) | time;
}

DirectoryItem ItemFrom(const WIN32_FIND_DATAA& found) {
  DirectoryItem item;
  item.name = found.cFileName;
  item.attributes = found.dwFileAttributes;
  item.dosDateTime = LocalDosDateTime(found.ftLastWriteTime);
  const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  item.size = folder ? 0 : (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
  return item;
}

bool IsDotName(const char* name) {
  const std::string text = name;
  return text == "." || text == "..";
}

std::string WithoutTrailingSeparators(std::string_view path) {
  std::string text(path);
  while (text.size() > 1 && (text.back() == '\\' || text.back() == '/') && text[text.size() - 2] != ':') {
    text.pop_back();
  }
  return text;
}

}  // namespace

std::optional<std::vector<DirectoryItem>> ListDirectory(std::string_view folder) {
  std::string pattern = WithoutTrailingSeparators(folder);
  if (pattern.empty() || (pattern.back() != '\\' && pattern.back() != '/')) {
    pattern += '\\';
  }
  pattern += '*';
  WIN32_FIND_DATAA found{};
  const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return ::GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(std::vector<DirectoryItem>{}) : std::nullopt;
  }
  std::vector<DirectoryItem> items;
  do {
    if (!IsDotName(found.cFileName)) {
      items.push_back(ItemFrom(found));
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return items;
}

std::optional<DirectoryItem> GetDirectoryItem(std::string_view path) {
  const std::string name = WithoutTrailingSeparators(path);
  WIN32_FIND_DATAA found{};
  const HANDLE search = ::FindFirstFileA(name.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  ::FindClose(search);
  return ItemFrom(found);
}

}  // namespace platform
