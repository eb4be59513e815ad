// The records that frame entry data in the new archive: local headers, and at
// the end the central directory and the end record. Offsets count from the start
// of the file, self-extractor stub included, which is what every reader expects.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engines/zip/archive_output.h"
#include "zipformat/records.h"

namespace engines::zip {

struct CentralEntry {
  zipformat::CentralHeader header;
  std::string name;
  std::string extra;
  std::string comment;
};

// The largest offset and count a zip without Zip64 extensions can hold.
inline constexpr std::int64_t LargestOffset = 0xFFFFFFFE;
inline constexpr std::size_t MostEntries = 0xFFFF;

void WriteLocalHeader(ArchiveOutput& output, const zipformat::LocalHeader& header, std::string_view name);

enum class DirectoryOutcome { Written, TooLarge };

// Writes the central directory and the end record with `comment` (cut to 65535 bytes).
[[nodiscard]] DirectoryOutcome WriteCentralDirectory(ArchiveOutput& output, const std::vector<CentralEntry>& entries,
                                                     std::string_view comment);

// The newest date-time among the entries: a DOS date-time compares as a number.
[[nodiscard]] std::uint32_t NewestDateTime(const std::vector<CentralEntry>& entries);

}  // namespace engines::zip
