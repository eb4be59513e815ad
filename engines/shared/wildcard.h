// Wildcard matching of archive names, as people type them on Windows and as
// Info-ZIP's unzip matches them.
//
// Rules:
//   - "*" matches any run of characters, folder separators included, so "*.txt"
//     matches "a.txt" and "docs/a.txt";
//   - "?" matches exactly one character that is not a folder separator;
//   - "/" and "\" are the same character on both sides;
//   - ASCII letters match without regard to case; every other byte (ANSI or UTF-8
//     text) must be equal;
//   - there is no escape character and no character class ("[abc]" is literal).
#pragma once

#include <string_view>

namespace engines::shared {

[[nodiscard]] bool MatchesWildcard(std::string_view pattern, std::string_view name);

// True for "/" and "\".
[[nodiscard]] constexpr bool IsFolderSeparator(char character) {
  return character == '/' || character == '\\';
}

}  // namespace engines::shared
