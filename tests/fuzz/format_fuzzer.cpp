// libFuzzer target: the zip format core alone on arbitrary bytes, held in
// memory. The end record search, the whole single-disk directory, a walk with a
// chunk smaller than a header from wherever the input says, and every entry's
// local header and stored length: all that the component and the engines ask
// of the core, without any file in between.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "zipformat/directory_walker.h"
#include "zipformat/end_record_search.h"
#include "zipformat/local_entry.h"
#include "zipformat/single_disk_directory.h"

namespace {

zipformat::ReadAtFunction MemoryReader(std::span<const std::byte> bytes) {
  return [bytes](std::int64_t offset, std::span<std::byte> into) {
    if (offset < 0 || offset > static_cast<std::int64_t>(bytes.size())) {
      return zipformat::ReadResult::Unreachable();
    }
    const std::span<const std::byte> rest = bytes.subspan(static_cast<std::size_t>(offset));
    const std::size_t count = std::min(rest.size(), into.size());
    if (count > 0) {
      std::memcpy(into.data(), rest.data(), count);
    }
    return zipformat::ReadResult::Got(count);
  };
}

std::uint64_t MeasureEntries(const zipformat::SingleDiskDirectory& directory,
                             const zipformat::ReadAtFunction& readAt) {
  std::uint64_t digest = directory.end.CommentText().size();
  for (const zipformat::DirectoryEntry& entry : directory.entries) {
    const std::int64_t offset = entry.header.localHeaderOffset + directory.placement.Displacement();
    const std::optional<zipformat::LocalEntry> local = zipformat::ReadLocalEntry(readAt, offset, entry.header);
    if (local) {
      digest += static_cast<std::uint64_t>(zipformat::MeasureStoredLength(readAt, *local, entry.header));
    }
  }
  return digest;
}

// A walk from an offset the input's first bytes choose, through chunks smaller
// than a header, so that every record straddles the buffer's refills.
std::uint64_t Walk(std::span<const std::byte> bytes, const zipformat::ReadAtFunction& readAt) {
  if (bytes.size() < 2) {
    return 0;
  }
  const std::int64_t start = std::to_integer<std::int64_t>(bytes[0]) | (std::to_integer<std::int64_t>(bytes[1]) << 8);
  constexpr std::size_t SmallChunk = 7;
  zipformat::CentralDirectoryWalker walker(readAt, start, zipformat::CentralDirectoryWalker::NoEnd, SmallChunk);
  zipformat::DirectoryEntry entry;
  std::uint64_t digest = 0;
  while (walker.Next(entry) == zipformat::WalkStep::Entry) {
    digest += entry.name.size() + entry.extra.size() + entry.comment.size();
  }
  return digest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  const zipformat::ReadAtFunction readAt = MemoryReader(bytes);
  const auto fileSize = static_cast<std::int64_t>(size);

  volatile std::uint64_t sink = 0;
  const zipformat::EndRecordSearch search = zipformat::LocateEndRecord(fileSize, readAt);
  if (search.outcome == zipformat::EndRecordOutcome::Found) {
    sink = sink + search.located.comment.size() + static_cast<std::uint64_t>(search.located.archiveEnd);
  }
  const zipformat::DirectoryReading reading = zipformat::ReadSingleDiskDirectory(fileSize, readAt);
  if (reading.problem == zipformat::DirectoryProblem::None) {
    sink = sink + MeasureEntries(reading.directory, readAt);
  }
  sink = sink + Walk(bytes, readAt);
  return 0;
}
