// The whole central directory of an archive that is one file, as the engines
// read it before they extract from it or rewrite it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "zipformat/directory_placement.h"
#include "zipformat/directory_walker.h"
#include "zipformat/end_record_search.h"
#include "zipformat/read_at.h"

namespace zipformat {

enum class DirectoryProblem : std::uint8_t {
  None,
  NoEndRecord,
  Spanned,     // one part of an archive spanned over several disks or files
  Zip64,       // the end record defers to Zip64 records
  Unreadable,  // the end of the file could not be read
  Damaged,     // the directory is not where or what the end record says
};

struct SingleDiskDirectory {
  LocatedEndRecord end;
  DirectoryPlacement placement;
  // A Zip64 end record locator stands in front of the end record: the Zip64
  // records may say more than the end record, which still reads as a whole.
  bool hasZip64Locator = false;
  std::vector<DirectoryEntry> entries;  // in central directory order
};

struct DirectoryReading {
  DirectoryProblem problem = DirectoryProblem::None;
  SingleDiskDirectory directory;  // complete only without a problem
};

// Finds the end record of a file of `fileSize` bytes and reads every central
// header the record counts, from where the directory was found (the
// displacement says how far that is from the stored offset).
[[nodiscard]] DirectoryReading ReadSingleDiskDirectory(std::int64_t fileSize, const ReadAtFunction& readAt);

// A sound archive of a layout this build does not read (spanned, Zip64), as
// opposed to one that is no archive or is damaged.
[[nodiscard]] constexpr bool IsUnsupportedLayout(DirectoryProblem problem) {
  return problem == DirectoryProblem::Spanned || problem == DirectoryProblem::Zip64;
}

// Why an archive cannot be read, as a clause: "it is not a zip archive ...".
[[nodiscard]] std::string_view DescribeDirectoryProblem(DirectoryProblem problem);

}  // namespace zipformat
