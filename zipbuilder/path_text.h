// Small rewrites of path texts shared by the component's operations.
#pragma once

#include <string>
#include <string_view>

namespace zipbuilder {

// Adds "\" to a non-empty path that does not end in one; an empty path stays empty.
[[nodiscard]] std::string AppendBackslash(std::string_view path);

// Replaces every "/" with "\" (archive names use "/", the component "\").
[[nodiscard]] std::string SlashesToBackslashes(std::string_view name);

// The drive root of a full path, ending in "\": "C:\" for "C:\x\a.zip",
// "\\server\share\" for a network path. A path without either (a POSIX path such
// as "/tmp/a.zip", where "/" separates folders as "\" does) gives "\": it is
// treated as a network path, a drive that is always there and never swapped.
[[nodiscard]] std::string DriveRootOf(std::string_view fullPath);

// The part file of disk `diskNumber` (0-based) of a set written as numbered
// files: the extension and the three characters in front of it are replaced by
// the disk number plus one in three digits and the extension ("a005.zip" with
// disk 0 gives "a001.zip"). A name of fewer than three characters before its
// extension is replaced whole; the folder part is never touched.
[[nodiscard]] std::string PartFileName(std::string_view fileName, int diskNumber);

}  // namespace zipbuilder
