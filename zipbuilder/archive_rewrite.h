// What Rename and CopyZippedFiles share: an archive read whole for rewriting (its
// directory with every header as stored, the bytes in front of it, its comment),
// the names as the component shows them and as they go back into the archive,
// and the work record of each entry of the new archive.
//
// The new archive is written through the one safe save (OutputHandle) and takes
// the archive's name only once it is complete; the TZipBuilder members that write
// it are in archive_rewrite.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "zipbuilder/component_types.h"
#include "zipbuilder/scoped_file.h"
#include "zipformat/single_disk_directory.h"

namespace zipbuilder {

// An archive that is one file, as it is rewritten: every central header
// (directory-only entries too, which List may leave out) with its name, extra
// field and comment as stored.
struct RewriteSource {
  zipformat::SingleDiskDirectory Directory;
  // Bytes in front of the first entry (a self-extractor stub), copied first.
  std::int64_t PrefixSize = 0;
  // The archive comment as far as the file holds it, zero bytes included.
  std::string Comment;

  // Where the local header of `entry` lies in the file, whatever the stored
  // offsets count from.
  [[nodiscard]] std::int64_t LocalHeaderPosition(const zipformat::DirectoryEntry& entry) const {
    return static_cast<std::int64_t>(entry.header.localHeaderOffset) + Directory.placement.Displacement();
  }
};

// An archive opened for reading with other writers denied; not open when it
// cannot be opened.
[[nodiscard]] ScopedFile OpenForReading(const std::string& fileName);

// Reads the directory of the archive open as `file`. Raises what List would
// report: 10141 for a part of a spanned set, 11036 for no archive, 11011 for an
// end record that cannot be read, 11015 for a damaged directory, 11024 for a
// Zip64 archive.
[[nodiscard]] RewriteSource ReadRewriteSource(platform::FileHandle file);

// One entry of the new archive: where its local header went and the name it
// gets, as stored ("/" between folders).
struct EntryPatch {
  std::int64_t LocalHeaderOffset = 0;
  std::string Name;
  std::uint32_t DateTime = 0;  // DOS date-time to give it; 0 keeps the stored one
};

// What changes in an entry's local header when it is copied.
struct LocalHeaderChange {
  std::optional<std::string> NewName;  // as stored; nothing keeps the local header's own name
  std::uint32_t DateTime = 0;          // 0 keeps the stored date
};

// One central header of the new archive: the stored header it is made from and
// what changes in it.
struct NewCentralEntry {
  const zipformat::DirectoryEntry* Stored = nullptr;
  const EntryPatch* Patch = nullptr;
};

// The name of `entry` as List shows it: in the ANSI code page by the code page
// rule, "\" between folders.
[[nodiscard]] std::string ShownNameOf(const zipformat::DirectoryEntry& entry, CPOpts codePage);
// `shownName` as `entry` stores names: in its own encoding, "/" between folders.
[[nodiscard]] std::string StoredNameFor(std::string_view shownName, const zipformat::DirectoryEntry& entry,
                                        CPOpts codePage);

// The position of the first occurrence of `text` in `name`, ASCII letters of
// either case matching; npos when there is none. Other bytes match only themselves.
[[nodiscard]] std::size_t FindIgnoringAsciiCase(std::string_view name, std::string_view text);

}  // namespace zipbuilder
