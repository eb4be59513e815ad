#include "tests/zipbuilder/archive_inspection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "zipformat/local_entry.h"
#include "zipformat/single_disk_directory.h"

namespace zipbuilder::archive_inspection {

namespace {

[[nodiscard]] zipformat::ReadAtFunction ReadAtOf(std::string_view bytes) {
  return [bytes](std::int64_t offset, std::span<std::byte> into) {
    if (offset < 0 || static_cast<std::size_t>(offset) > bytes.size()) {
      return zipformat::ReadResult::Unreachable();
    }
    const std::size_t count = std::min(into.size(), bytes.size() - static_cast<std::size_t>(offset));
    std::memcpy(into.data(), bytes.data() + offset, count);
    return zipformat::ReadResult::Got(count);
  };
}

[[nodiscard]] std::string Slice(std::string_view bytes, std::int64_t start, std::int64_t end) {
  return std::string(bytes.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
}

}  // namespace

std::optional<InspectedArchive> InspectArchive(std::string_view bytes) {
  const zipformat::ReadAtFunction readAt = ReadAtOf(bytes);
  const zipformat::DirectoryReading reading =
      zipformat::ReadSingleDiskDirectory(static_cast<std::int64_t>(bytes.size()), readAt);
  if (reading.problem != zipformat::DirectoryProblem::None) {
    return std::nullopt;
  }
  InspectedArchive archive;
  const zipformat::SingleDiskDirectory& directory = reading.directory;
  std::int64_t firstLocal = directory.placement.start;
  for (const zipformat::DirectoryEntry& stored : directory.entries) {
    const std::int64_t position = stored.header.localHeaderOffset + directory.placement.Displacement();
    const std::optional<zipformat::LocalEntry> local = zipformat::ReadLocalEntry(readAt, position, stored.header);
    if (!local || local->dataEnd > static_cast<std::int64_t>(bytes.size())) {
      return std::nullopt;
    }
    firstLocal = std::min(firstLocal, position);
    InspectedEntry entry;
    entry.Name = stored.name;
    entry.Extra = stored.extra;
    entry.Comment = stored.comment;
    entry.Flags = stored.header.flags;
    entry.DosDateTime = stored.header.dosDateTime;
    entry.LocalHeaderOffset = stored.header.localHeaderOffset;
    entry.LocalDosDateTime = local->header.dosDateTime;
    const std::int64_t nameStart = position + 30;
    entry.LocalName = Slice(bytes, nameStart, nameStart + local->header.nameLength);
    entry.LocalExtra = Slice(bytes, nameStart + local->header.nameLength, local->dataOffset);
    entry.Data = Slice(bytes, local->dataOffset, local->dataEnd);
    const std::int64_t end = position + zipformat::MeasureStoredLength(readAt, *local, stored.header);
    entry.Descriptor =
        Slice(bytes, local->dataEnd, std::min<std::int64_t>(end, static_cast<std::int64_t>(bytes.size())));
    archive.Entries.push_back(std::move(entry));
  }
  archive.Comment = directory.end.comment;
  archive.Prefix = Slice(bytes, 0, firstLocal);
  return archive;
}

InspectedArchive InspectWholeArchive(std::string_view bytes) {
  std::optional<InspectedArchive> archive = InspectArchive(bytes);
  if (!archive) {
    ADD_FAILURE() << "the archive does not read whole";
    return {};
  }
  return std::move(*archive);
}

}  // namespace zipbuilder::archive_inspection
