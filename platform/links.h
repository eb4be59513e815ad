// Where a name really leads once symbolic links (and, on Windows, junctions and
// other reparse points) are followed: what a caller needs to make sure that a
// folder it is about to write into lies below another one.
//
// POSIX: realpath of the name as files.h maps it. Win32: GetFinalPathNameByHandleA
// on a handle opened with backup semantics, so that folders can be opened, with
// the "\\?\" prefix removed ("\\?\UNC\server\share" becomes "\\server\share").
// Two names resolved by this function can be compared as text: both come out in
// the same normalised form and letter case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Nothing when the name does not exist or cannot be resolved; the last error is set.
[[nodiscard]] std::optional<std::string> GetFinalPathName(std::string_view path);

}  // namespace platform
