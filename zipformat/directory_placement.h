// Where the central directory lies and how many bytes stand in front of the
// archive data (a self-extractor stub or any other prefix).
#pragma once

#include <cstdint>

#include "zipformat/records.h"

namespace zipformat {

struct DirectoryPlacement {
  std::int64_t start = 0;         // where the directory is read from; below 0 in a damaged record
  std::int64_t storedOffset = 0;  // where the end record says it starts

  // How far the archive lies behind where its offsets say: an archive whose
  // offsets count from its own start, put behind a stub later. It is added to
  // every stored offset to find the bytes in the file.
  [[nodiscard]] std::int64_t Displacement() const { return start - storedOffset; }
  // The stored offset is not where the directory was found.
  [[nodiscard]] bool StructureWarning() const { return start != storedOffset; }
};

// A directory on the disk of the end record ends where that record begins, so it
// starts the directory size before `endRecordOffset`. Counting back from the
// record rather than from the comment's end keeps a record whose comment length
// is wrong from moving the directory. A directory on another disk of a spanned
// set can only be taken at the stored offset.
[[nodiscard]] DirectoryPlacement PlaceDirectory(const EndRecord& record, std::int64_t endRecordOffset);

// The bytes in front of the archive data, measured as a directory is read: the
// smallest local header offset of all entries, or the archive end when that is
// smaller (0 when the archive end is the 22 bytes of an end record alone); then
// moved by the displacement. Without entries nothing but the directory's own
// place tells where the data would begin, so everything in front of the
// directory is prefix. Never below 0.
class PrefixMeasure {
 public:
  explicit PrefixMeasure(std::int64_t archiveEnd);

  void NoteLocalHeaderOffset(std::uint32_t offset);
  // What the offsets noted so far say, before the displacement.
  [[nodiscard]] std::int64_t SoFar() const { return smallest_; }
  // The prefix size once every header was noted.
  [[nodiscard]] std::int64_t Result(const DirectoryPlacement& placement) const;

 private:
  std::int64_t smallest_;
  bool anyNoted_ = false;
};

}  // namespace zipformat
