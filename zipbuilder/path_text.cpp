#include "zipbuilder/path_text.h"

#include <algorithm>
#include <cstdio>

namespace zipbuilder {

namespace {

bool IsSeparator(char character) { return character == '\\' || character == '/'; }

bool IsAsciiLetter(char character) {
  return (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z');
}

// "\\server\share" of a network path, up to (not including) the separator after
// the share; the whole path when it ends earlier.
std::string_view NetworkShareOf(std::string_view path) {
  int separatorsSeen = 0;
  for (std::size_t index = 0; index < path.size(); ++index) {
    if (IsSeparator(path[index]) && ++separatorsSeen == 4) {
      return path.substr(0, index);
    }
  }
  return path;
}

}  // namespace

std::string AppendBackslash(std::string_view path) {
  std::string result(path);
  if (!result.empty() && !result.ends_with('\\')) {
    result += '\\';
  }
  return result;
}

std::string SlashesToBackslashes(std::string_view name) {
  std::string result(name);
  std::replace(result.begin(), result.end(), '/', '\\');
  return result;
}

std::string DriveRootOf(std::string_view fullPath) {
  if (fullPath.size() >= 2 && IsAsciiLetter(fullPath[0]) && fullPath[1] == ':') {
    return std::string(fullPath.substr(0, 2)) + '\\';
  }
  if (fullPath.size() >= 2 && IsSeparator(fullPath[0]) && IsSeparator(fullPath[1])) {
    return SlashesToBackslashes(NetworkShareOf(fullPath)) + '\\';
  }
  return "\\";
}

std::string PartFileName(std::string_view fileName, int diskNumber) {
  const std::size_t nameStart = fileName.find_last_of("\\/:") + 1;  // npos + 1 is 0
  const std::size_t dot = fileName.rfind('.');
  const std::size_t extensionStart = dot != std::string_view::npos && dot >= nameStart ? dot : fileName.size();
  // A name shorter than three characters loses all of them, but never any of
  // its folder: the part files stay next to the file named.
  const std::size_t keptLength = std::max(nameStart, extensionStart >= 3 ? extensionStart - 3 : 0);
  char number[16];
  std::snprintf(number, sizeof number, "%03d", diskNumber + 1);
  return std::string(fileName.substr(0, keptLength)) + number + std::string(fileName.substr(extensionStart));
}

}  // namespace zipbuilder
