#include "zipbuilder/path_text.h"

#include <algorithm>

namespace zipbuilder {

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

}  // namespace zipbuilder
