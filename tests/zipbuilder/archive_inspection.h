// Reading an archive's bytes back for the tests of the operations that rewrite
// archives: every entry with both of its headers and its stored data, through
// the zip format core, so that tests compare content and structure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zipbuilder::archive_inspection {

struct InspectedEntry {
  std::string Name;       // central, as stored
  std::string LocalName;  // the local header's
  std::string Extra;
  std::string LocalExtra;
  std::string Comment;
  std::uint16_t Flags = 0;
  std::uint32_t DosDateTime = 0;  // central
  std::uint32_t LocalDosDateTime = 0;
  std::uint32_t LocalHeaderOffset = 0;
  std::string Data;        // the stored bytes (the tests' archives store, not deflate)
  std::string Descriptor;  // the bytes behind the data when flag bit 3 says there are some
};

struct InspectedArchive {
  std::vector<InspectedEntry> Entries;  // in central directory order
  std::string Comment;
  std::string Prefix;  // the bytes in front of the first local header
};

// Nothing when the bytes hold no readable single-disk archive or a local header
// is missing.
[[nodiscard]] std::optional<InspectedArchive> InspectArchive(std::string_view bytes);
// The same for a test that expects a readable archive: a failure of the test, and
// an empty archive, when it is not.
[[nodiscard]] InspectedArchive InspectWholeArchive(std::string_view bytes);

}  // namespace zipbuilder::archive_inspection
