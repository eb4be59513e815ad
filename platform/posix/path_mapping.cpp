// Divisions: the prefix and drive links; splitting and resolving names; the
// case-insensitive lookup; the public mapping functions.
#include "platform/posix/path_mapping.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "platform/posix/folder_listing_cache.h"

namespace platform::posix {

namespace {

bool IsSeparator(char character) {
  return character == '/' || character == '\\';
}

char LowerAscii(char character) {
  return (character >= 'A' && character <= 'Z') ? static_cast<char>(character - 'A' + 'a') : character;
}

bool Exists(const std::string& nativePath) {
  struct stat status{};
  return lstat(nativePath.c_str(), &status) == 0;
}

std::vector<std::string> SplitNames(std::string_view path) {
  std::vector<std::string> names;
  std::string current;
  for (const char character : path) {
    if (IsSeparator(character)) {
      if (!current.empty()) {
        names.push_back(std::move(current));
        current.clear();
      }
      continue;
    }
    current.push_back(character);
  }
  if (!current.empty()) {
    names.push_back(std::move(current));
  }
  return names;
}

// Resolves "." and ".." of an absolute name; ".." at the root stays at the root.
std::vector<std::string> ResolveDots(const std::vector<std::string>& names) {
  std::vector<std::string> resolved;
  for (const std::string& name : names) {
    if (name == ".") {
      continue;
    }
    if (name == "..") {
      if (!resolved.empty()) {
        resolved.pop_back();
      }
      continue;
    }
    resolved.push_back(name);
  }
  return resolved;
}

// The names of `path` below the POSIX root, made absolute against the current folder.
std::vector<std::string> AbsolutePosixNames(std::string_view path) {
  std::vector<std::string> names;
  if (path.empty() || !IsSeparator(path.front())) {
    names = SplitNames(CurrentFolder());
  }
  for (std::string& name : SplitNames(path)) {
    names.push_back(std::move(name));
  }
  return ResolveDots(names);
}

std::string JoinNames(std::string base, std::span<const std::string> names) {
  for (const std::string& name : names) {
    base = JoinPath(base, name);
  }
  return base;
}

// Walks down from `base`, taking each name as it exists or in another letter case.
// A name that exists exactly as written is taken as written at every level, so a
// name whose whole path exists needs one look instead of one per level, and a new
// name in an existing folder two (Wine, too, tries the exact name first).
NativeName LookUpBelow(const std::string& base, std::span<const std::string> names) {
  if (names.empty()) {
    return NativeName{.path = base};
  }
  NativeName exact{.path = JoinNames(base, names)};
  if (lstat(exact.path.c_str(), &exact.status) == 0) {
    exact.state = NameState::Exists;
    return exact;
  }
  const NativeName folder = LookUpBelow(base, names.first(names.size() - 1));
  const std::string& name = names.back();
  NativeName inFolder{.path = JoinPath(folder.path, name)};
  if (inFolder.path != exact.path && lstat(inFolder.path.c_str(), &inFolder.status) == 0) {
    inFolder.state = NameState::Exists;
    return inFolder;
  }
  // The folder's status from its own look spares the listing another stat.
  if (folder.state == NameState::Exists && S_ISDIR(folder.status.st_mode)) {
    if (const std::optional<std::string> variant = FindCaseVariant(folder.path, folder.status, name)) {
      return NativeName{.path = JoinPath(folder.path, *variant), .folderStatus = folder.status};
    }
    inFolder.state = NameState::Missing;
    inFolder.folderStatus = folder.status;
    return inFolder;
  }
  // Nothing when the folder exists in no letter case: the rest stays as written.
  return NativeName{.path = JoinPath(folder.path, FindCaseVariant(folder.path, name).value_or(name))};
}

bool EndsWithSeparator(std::string_view path) {
  return !path.empty() && IsSeparator(path.back());
}

}  // namespace

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) {
      return "/";
    }
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string WinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
    return prefix;
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.wine";
}

std::optional<char> DriveLetterOf(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') {
    return std::nullopt;
  }
  const char letter = LowerAscii(path[0]);
  if (letter < 'a' || letter > 'z') {
    return std::nullopt;
  }
  return letter;
}

std::string DriveLinkPath(char letter) {
  return WinePrefix() + "/dosdevices/" + letter + ":";
}

bool DriveExists(char letter) {
  struct stat status{};
  return stat(DriveLinkPath(letter).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (joined.empty() || joined.back() != '/') {
    joined.push_back('/');
  }
  joined.append(name);
  return joined;
}

std::optional<std::string> FindIgnoringCase(const std::string& folder, std::string_view name) {
  if (Exists(JoinPath(folder, name))) {
    return std::string(name);
  }
  return FindCaseVariant(folder, name);
}

std::optional<NativeName> LookUpNativeName(std::string_view path) {
  if (path.empty()) {
    SetLastError(win32_error::PathNotFound);
    return std::nullopt;
  }
  if (const std::optional<char> letter = DriveLetterOf(path)) {
    if (!DriveExists(*letter)) {
      SetLastError(win32_error::PathNotFound);
      return std::nullopt;
    }
    return LookUpBelow(DriveLinkPath(*letter), ResolveDots(SplitNames(path.substr(2))));
  }
  return LookUpBelow("/", AbsolutePosixNames(path));
}

std::optional<std::string> ToNativePath(std::string_view path) {
  std::optional<NativeName> name = LookUpNativeName(path);
  if (!name) {
    return std::nullopt;
  }
  return std::move(name->path);
}

std::string FullPathName(std::string_view path) {
  if (path.empty()) {
    return {};
  }
  std::string full;
  std::vector<std::string> names;
  char separator = '/';
  if (const std::optional<char> letter = DriveLetterOf(path)) {
    full = std::string(path.substr(0, 2)) + "\\";
    names = ResolveDots(SplitNames(path.substr(2)));
    separator = '\\';
  } else {
    // A character, not "/": GCC 12 misreads assigning that literal as overlapping copies (-Wrestrict).
    full = '/';
    names = AbsolutePosixNames(path);
  }
  for (std::size_t index = 0; index < names.size(); ++index) {
    if (index > 0) {
      full.push_back(separator);
    }
    full.append(names[index]);
  }
  if (EndsWithSeparator(path) && !names.empty()) {
    full.push_back(separator);
  }
  return full;
}

Win32Error MissingPathError(const std::string& nativePath) {
  const std::size_t slash = nativePath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : nativePath.substr(0, slash));
  struct stat status{};
  if (stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
    return win32_error::FileNotFound;
  }
  return win32_error::PathNotFound;
}

}  // namespace platform::posix
