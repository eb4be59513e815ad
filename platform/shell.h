// The shell's file deletion (SHFileOperation with FO_DELETE).
//
// POSIX: the recycle bin is the user's freedesktop.org Trash
// ($XDG_DATA_HOME/Trash, default ~/.local/share/Trash, with files/ and info/).
#pragma once

#include <string_view>

namespace platform {

enum class DeleteMode { Permanent, ToRecycleBin };

// Deletes one file silently, without confirmation. Returns 0 on success, else a
// non-zero error value, as SHFileOperationA.
[[nodiscard]] int ShellDeleteFile(std::string_view path, DeleteMode mode);

}  // namespace platform
