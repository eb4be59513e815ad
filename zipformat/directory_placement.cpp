#include "zipformat/directory_placement.h"

#include <algorithm>

namespace zipformat {

DirectoryPlacement PlaceDirectory(const EndRecord& record, std::int64_t endRecordOffset) {
  DirectoryPlacement placement;
  placement.storedOffset = record.directoryOffset;
  placement.start =
      record.directoryDisk == record.thisDisk ? endRecordOffset - record.directorySize : placement.storedOffset;
  return placement;
}

PrefixMeasure::PrefixMeasure(std::int64_t archiveEnd)
    : smallest_(archiveEnd == static_cast<std::int64_t>(EndRecordSize) ? 0 : archiveEnd) {}

void PrefixMeasure::NoteLocalHeaderOffset(std::uint32_t offset) {
  smallest_ = std::min<std::int64_t>(smallest_, offset);
  anyNoted_ = true;
}

std::int64_t PrefixMeasure::Result(const DirectoryPlacement& placement) const {
  const std::int64_t prefix = anyNoted_ ? smallest_ + placement.Displacement() : placement.start;
  return std::max<std::int64_t>(prefix, 0);
}

}  // namespace zipformat
