#include "engines/shared/wildcard.h"

#include <cstddef>

namespace engines::shared {

namespace {

char FoldCase(char character) {
  if (character >= 'A' && character <= 'Z') {
    return static_cast<char>(character - 'A' + 'a');
  }
  return IsFolderSeparator(character) ? '/' : character;
}

bool MatchesOneCharacter(char patternCharacter, char nameCharacter) {
  if (patternCharacter == '?') {
    return !IsFolderSeparator(nameCharacter);
  }
  return FoldCase(patternCharacter) == FoldCase(nameCharacter);
}

}  // namespace

// Greedy matching with one back-track point: the last "*" seen. When a later
// character fails, that star takes one more character and matching resumes. This
// is linear in practice and never recurses, whatever the pattern.
bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  std::size_t patternIndex = 0;
  std::size_t nameIndex = 0;
  std::size_t starIndex = std::string_view::npos;
  std::size_t nameAtStar = 0;
  while (nameIndex < name.size()) {
    if (patternIndex < pattern.size() && pattern[patternIndex] == '*') {
      starIndex = patternIndex++;
      nameAtStar = nameIndex;
      continue;
    }
    if (patternIndex < pattern.size() && MatchesOneCharacter(pattern[patternIndex], name[nameIndex])) {
      ++patternIndex;
      ++nameIndex;
      continue;
    }
    if (starIndex == std::string_view::npos) {
      return false;
    }
    patternIndex = starIndex + 1;
    nameIndex = ++nameAtStar;
  }
  while (patternIndex < pattern.size() && pattern[patternIndex] == '*') {
    ++patternIndex;
  }
  return patternIndex == pattern.size();
}

}  // namespace engines::shared
