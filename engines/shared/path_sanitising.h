// Turning an entry name from an archive into a relative path that cannot leave
// the folder it is extracted into.
//
// Contract of SanitiseEntryPath(entryName):
//   - "/" and "\" both separate folders.
//   - The verdict is Safe only when every component of the result names a
//     plain file or folder below the extraction folder; the components then
//     joined with a separator form a relative path with no "..", no root, no
//     drive and no stream name.
//   - Refused (any other verdict, no components):
//       Absolute          a leading separator: "/etc/passwd", "\\server\share\x";
//       DriveOrStream     any ":": "C:\x", "C:x", "name:stream";
//       ParentReference   a component made only of dots and spaces other than
//                         ".": "..", "...", ".. " (Windows drops trailing dots and
//                         spaces, so each of them may mean the parent folder);
//       ReservedDevice    a component naming a Windows device whatever its
//                         extension or letter case: CON, PRN, AUX, NUL, COM1-9,
//                         LPT1-9 ("nul.txt", "Com1");
//       InvalidCharacter  a control character (below 0x20) or one of < > " | ? *;
//       Empty             nothing left: "", ".", "./".
//   - Tolerated and normalised: empty components and "." ("a//./b" is "a/b");
//     trailing dots and spaces of a component are removed ("readme." is
//     "readme"), as Windows would, so that both builds create the same names.
//   - The kind is Folder when the name ends with a separator, else File.
//   - Nothing is resolved against a file system: "a/../b" is refused, not
//     shortened, and links are the caller's concern.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engines::shared {

enum class EntryPathVerdict {
  Safe,
  Empty,
  Absolute,
  DriveOrStream,
  ParentReference,
  ReservedDevice,
  InvalidCharacter,
};

enum class EntryKind { File, Folder };

struct SanitisedEntryPath {
  EntryPathVerdict verdict = EntryPathVerdict::Empty;
  EntryKind kind = EntryKind::File;
  std::vector<std::string> components;  // empty unless Safe
};

[[nodiscard]] SanitisedEntryPath SanitiseEntryPath(std::string_view entryName);

// Human-readable reason for a verdict, for messages.
[[nodiscard]] std::string_view DescribeVerdict(EntryPathVerdict verdict);

// The components joined by `separator`.
[[nodiscard]] std::string JoinPathComponents(const std::vector<std::string>& components, char separator);

}  // namespace engines::shared
