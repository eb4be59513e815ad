#include "engines/shared/wildcard.h"

#include <gtest/gtest.h>

namespace engines::shared {
namespace {

struct WildcardCase {
  const char* pattern;
  const char* name;
  bool matches;
};

TEST(Wildcard, MatchesByTheDocumentedRules) {
  const WildcardCase cases[] = {
      {"readme.txt", "readme.txt", true},
      {"README.TXT", "readme.txt", true},        // ASCII case ignored
      {"readme.txt", "readme.txt2", false},
      {"*.txt", "a.txt", true},
      {"*.txt", "docs/deep/a.txt", true},        // "*" crosses folders
      {"*.txt", "a.txt.bak", false},
      {"docs\\*", "docs/a.txt", true},           // "\" and "/" are equal
      {"docs/*", "docs\\a.txt", true},
      {"docs/*", "other/a.txt", false},
      {"?.txt", "a.txt", true},
      {"?.txt", "ab.txt", false},
      {"a?b", "a/b", false},                     // "?" never takes a separator
      {"*", "", true},
      {"", "", true},
      {"", "a", false},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},
      {"*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},  // no blow-up
      {"[ab].txt", "[ab].txt", true},            // no character classes
      {"[ab].txt", "a.txt", false},
      {"\xC3\xA9t\xC3\xA9.txt", "\xC3\xA9t\xC3\xA9.txt", true},
      {"\xC3\x89T\xC3\x89.TXT", "\xC3\xA9t\xC3\xA9.txt", false},  // only ASCII folds
  };
  for (const WildcardCase& entry : cases) {
    EXPECT_EQ(MatchesWildcard(entry.pattern, entry.name), entry.matches)
        << "pattern \"" << entry.pattern << "\" name \"" << entry.name << "\"";
  }
}

}  // namespace
}  // namespace engines::shared
