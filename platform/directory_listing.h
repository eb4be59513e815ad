// What a folder holds, with the facts an archiver stores for each item: the
// attributes, the DOS date-time, the size and, where the platform has them, the
// Unix permission bits (FindFirstFile/FindNextFile on Windows).
//
// POSIX: symbolic links are followed (a link to a file is listed as that file);
// links that lead nowhere are left out. Attributes follow files.h: regular files
// carry the archive attribute, names starting with "." are hidden, the hidden and
// system attributes kept in "user.DOSATTRIB" are added. Win32: no permission bits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct DirectoryItem {
  std::string name;  // the item's own name, without its folder
  std::uint32_t attributes = 0;   // file_attribute bits of files.h
  std::uint32_t dosDateTime = 0;  // last write, local time, date in the high 16 bits
  std::uint64_t size = 0;         // 0 for folders
  // The full st_mode (type and permission bits) where the platform has it.
  std::optional<std::uint32_t> unixMode;
};

// The items of `folder`, without "." and ".."; nothing (last error set) when the
// folder cannot be read.
[[nodiscard]] std::optional<std::vector<DirectoryItem>> ListDirectory(std::string_view folder);

// The facts of one file or folder; nothing (last error set) when it does not exist.
[[nodiscard]] std::optional<DirectoryItem> GetDirectoryItem(std::string_view path);

}  // namespace platform
