#include "engines/shared/path_sanitising.h"

#include <gtest/gtest.h>

namespace engines::shared {
namespace {

struct PathCase {
  const char* name;
  EntryPathVerdict verdict;
  const char* joined;  // with "/" when Safe
  EntryKind kind = EntryKind::File;
};

TEST(PathSanitising, HostileAndOrdinaryNames) {
  using enum EntryPathVerdict;
  const PathCase cases[] = {
      // ordinary names
      {"a.txt", Safe, "a.txt"},
      {"docs/a.txt", Safe, "docs/a.txt"},
      {"docs\\sub\\a.txt", Safe, "docs/sub/a.txt"},
      {"docs/", Safe, "docs", EntryKind::Folder},
      {"docs\\sub\\", Safe, "docs/sub", EntryKind::Folder},
      {"a//b", Safe, "a/b"},                   // empty components dropped
      {"./a/./b", Safe, "a/b"},                // "." dropped
      {"readme.", Safe, "readme"},             // trailing dot, as Windows drops it
      {"dir. /file ", Safe, "dir/file"},       // trailing space too
      {"..a/b..c", Safe, "..a/b..c"},          // dots inside a name are fine
      {"console/nul1.txt", Safe, "console/nul1.txt"},  // merely starting like a device
      {"com0", Safe, "com0"},
      {"\xC3\xA9t\xC3\xA9/caf\xC3\xA9.txt", Safe, "\xC3\xA9t\xC3\xA9/caf\xC3\xA9.txt"},
      // parent references
      {"..", ParentReference, ""},
      {"../a", ParentReference, ""},
      {"..\\a", ParentReference, ""},
      {"a/../../b", ParentReference, ""},
      {"a/b/..", ParentReference, ""},
      {"a/...", ParentReference, ""},          // "..." means ".." to Windows
      {"a/.. /b", ParentReference, ""},
      {"a/. ./b", ParentReference, ""},
      // absolute, UNC, drives, streams
      {"/etc/passwd", Absolute, ""},
      {"\\windows\\system32\\x.dll", Absolute, ""},
      {"\\\\server\\share\\x", Absolute, ""},
      {"//server/share/x", Absolute, ""},
      {"C:\\x.txt", DriveOrStream, ""},
      {"C:x.txt", DriveOrStream, ""},
      {"c:/x", DriveOrStream, ""},
      {"file.txt:hidden", DriveOrStream, ""},
      // devices and characters Windows forbids
      {"NUL", ReservedDevice, ""},
      {"dir/con.txt", ReservedDevice, ""},
      {"Com1", ReservedDevice, ""},
      {"lpt9.log", ReservedDevice, ""},
      {"aux .txt", ReservedDevice, ""},
      {"a|b", InvalidCharacter, ""},
      {"what?.txt", InvalidCharacter, ""},
      {"star*", InvalidCharacter, ""},
      {"a\tb", InvalidCharacter, ""},
      {"quote\"", InvalidCharacter, ""},
      // nothing left
      {"", Empty, ""},
      {".", Empty, ""},
      {"./", Empty, ""},
      {".//./", Empty, ""},
  };
  for (const PathCase& entry : cases) {
    const SanitisedEntryPath result = SanitiseEntryPath(entry.name);
    EXPECT_EQ(result.verdict, entry.verdict) << '"' << entry.name << "\": " << DescribeVerdict(result.verdict);
    EXPECT_EQ(JoinPathComponents(result.components, '/'), entry.joined) << entry.name;
    if (entry.verdict == Safe) {
      EXPECT_EQ(result.kind, entry.kind) << entry.name;
    }
  }
}

}  // namespace
}  // namespace engines::shared
