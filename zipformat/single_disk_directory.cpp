#include "zipformat/single_disk_directory.h"

#include <algorithm>
#include <array>
#include <utility>

namespace zipformat {

namespace {

// A central directory larger than this is not one to hold in memory: it would
// describe millions of entries, more than an end record can count.
constexpr std::uint32_t LargestDirectory = 256u * 1024 * 1024;

[[nodiscard]] bool IsSpanned(const EndRecord& record) {
  return record.thisDisk != 0 || record.directoryDisk != 0 || record.entriesOnThisDisk != record.totalEntries;
}

[[nodiscard]] bool HasZip64Locator(const ReadAtFunction& readAt, std::int64_t endRecordOffset) {
  std::array<std::byte, Zip64LocatorSize> locator{};
  const std::int64_t offset = endRecordOffset - static_cast<std::int64_t>(Zip64LocatorSize);
  return offset >= 0 && ReadExactly(readAt, offset, locator) && IsZip64Locator(locator);
}

[[nodiscard]] DirectoryProblem ReadEntries(const ReadAtFunction& readAt, SingleDiskDirectory& directory) {
  const EndRecord& record = directory.end.record;
  directory.entries.reserve(std::min<std::size_t>(record.totalEntries, record.directorySize / CentralHeaderSize));
  CentralDirectoryWalker walker(readAt, directory.placement.start, directory.end.offset);
  for (std::uint16_t index = 0; index < record.totalEntries; ++index) {
    DirectoryEntry entry;
    if (walker.Next(entry) != WalkStep::Entry) {
      return DirectoryProblem::Damaged;
    }
    directory.entries.push_back(std::move(entry));
  }
  return DirectoryProblem::None;
}

}  // namespace

DirectoryReading ReadSingleDiskDirectory(std::int64_t fileSize, const ReadAtFunction& readAt) {
  DirectoryReading reading;
  EndRecordSearch search = LocateEndRecord(fileSize, readAt);
  if (search.outcome == EndRecordOutcome::NotFound) {
    reading.problem = DirectoryProblem::NoEndRecord;
    return reading;
  }
  if (search.outcome != EndRecordOutcome::Found) {
    reading.problem = DirectoryProblem::Unreadable;
    return reading;
  }
  SingleDiskDirectory& directory = reading.directory;
  directory.end = std::move(search.located);
  const EndRecord& record = directory.end.record;
  if (UsesZip64Markers(record)) {
    reading.problem = DirectoryProblem::Zip64;
    return reading;
  }
  if (IsSpanned(record)) {
    reading.problem = DirectoryProblem::Spanned;
    return reading;
  }
  directory.placement = PlaceDirectory(record, directory.end.offset);
  if (record.directorySize > LargestDirectory || directory.placement.start < 0) {
    reading.problem = DirectoryProblem::Damaged;
    return reading;
  }
  directory.hasZip64Locator = HasZip64Locator(readAt, directory.end.offset);
  reading.problem = ReadEntries(readAt, directory);
  return reading;
}

std::string_view DescribeDirectoryProblem(DirectoryProblem problem) {
  switch (problem) {
    case DirectoryProblem::None:
      return "no problem";
    case DirectoryProblem::NoEndRecord:
      return "it is not a zip archive (no end of central directory record)";
    case DirectoryProblem::Spanned:
      return "it is one part of an archive spanned over several disks or files";
    case DirectoryProblem::Zip64:
      return "it is a Zip64 archive, which is not supported";
    case DirectoryProblem::Unreadable:
      return "it cannot be read";
    case DirectoryProblem::Damaged:
      return "its central directory is damaged";
  }
  return "unknown problem";
}

}  // namespace zipformat
