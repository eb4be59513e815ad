// Windows names to POSIX names, as Wine maps them.
//
// "X:\a\b" is looked up below $WINEPREFIX/dosdevices/x: ; any other name is a POSIX
// name in which "\" also separates folders. "." and ".." are resolved by the text
// alone, as Windows does, and a name that does not exist exactly is looked up
// without regard to letter case, one folder at a time; the part that exists in no
// letter case (a file about to be created) is kept as written.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/errors.h"

namespace platform::posix {

// The process's current folder as a POSIX name.
[[nodiscard]] std::string CurrentFolder();

// $WINEPREFIX, else $HOME/.wine.
[[nodiscard]] std::string WinePrefix();

// The lower-case drive letter of "X:..." names.
[[nodiscard]] std::optional<char> DriveLetterOf(std::string_view path);

// $WINEPREFIX/dosdevices/x: for `letter`.
[[nodiscard]] std::string DriveLinkPath(char letter);

// True when the drive's link leads to a folder.
[[nodiscard]] bool DriveExists(char letter);

// What a lookup learnt of the name it found on its way.
enum class NameState {
  Unknown,
  Exists,   // `status` is its lstat
  Missing,  // its folder is a folder, and holds the name in no letter case
};

struct NativeName {
  std::string path;
  NameState state = NameState::Unknown;
  struct stat status {};
  // The stat of the folder holding the name, when the lookup took one (it is a folder).
  std::optional<struct stat> folderStatus{};
};

// ToNativePath with what the lookup learnt, which spares callers a stat of their own.
[[nodiscard]] std::optional<NativeName> LookUpNativeName(std::string_view path);

// The POSIX name for `path`. On failure the last error is set (PathNotFound for an
// empty name or a drive that does not exist) and nullopt returned.
[[nodiscard]] std::optional<std::string> ToNativePath(std::string_view path);

// The absolute name with "." and ".." resolved: "X:\..." names keep the Windows
// form, others become absolute POSIX names. A trailing separator is kept.
[[nodiscard]] std::string FullPathName(std::string_view path);

// The entry of `folder` whose name equals `name` without regard to ASCII letter
// case, preferring the exact name; nullopt when there is none.
[[nodiscard]] std::optional<std::string> FindIgnoringCase(const std::string& folder, std::string_view name);

// Joins a folder and a name with one "/".
[[nodiscard]] std::string JoinPath(std::string_view folder, std::string_view name);

// FileNotFound when the folder of `nativePath` exists, PathNotFound when it does not:
// the two errors Windows distinguishes for a missing name.
[[nodiscard]] Win32Error MissingPathError(const std::string& nativePath);

}  // namespace platform::posix
