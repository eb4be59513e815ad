#include "tests/zipformat/memory_archive.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace zipformat::testing_support {

namespace {

constexpr std::uint16_t VersionNeeded = 20;

template <std::size_t Size, typename Record, typename Writer>
std::string FixedPart(const Record& record, Writer writer) {
  std::string bytes(Size, '\0');
  writer(std::as_writable_bytes(std::span(bytes.data(), bytes.size())), record);
  return bytes;
}

std::uint16_t FlagsOf(const TestEntry& entry) {
  return entry.descriptor == Descriptor::None ? entry.flags
                                              : static_cast<std::uint16_t>(entry.flags | general_flag::DataDescriptor);
}

std::string LocalPart(const TestEntry& entry) {
  LocalHeader header;
  header.versionNeeded = VersionNeeded;
  header.flags = FlagsOf(entry);
  header.compressedSize = static_cast<std::uint32_t>(entry.data.size());
  header.uncompressedSize = header.compressedSize;
  header.nameLength = static_cast<std::uint16_t>(entry.name.size());
  std::string bytes = FixedPart<LocalHeaderSize>(header, WriteLocalHeader) + entry.name + entry.data;
  if (entry.descriptor == Descriptor::Signed) {
    bytes += FixedPart<DataDescriptorSize>(DataDescriptor{0, header.compressedSize, header.uncompressedSize},
                                           WriteDataDescriptor);
  } else if (entry.descriptor == Descriptor::Unsigned) {
    bytes += std::string(UnsignedDataDescriptorSize, '\x11');
  }
  return bytes;
}

}  // namespace

std::string CentralHeaderBytes(const TestEntry& entry, std::uint32_t localHeaderOffset) {
  CentralHeader header;
  header.versionMadeBy = VersionNeeded;
  header.versionNeeded = VersionNeeded;
  header.flags = FlagsOf(entry);
  header.compressedSize = static_cast<std::uint32_t>(entry.data.size());
  header.uncompressedSize = header.compressedSize;
  header.nameLength = static_cast<std::uint16_t>(entry.name.size());
  header.extraLength = static_cast<std::uint16_t>(entry.extra.size());
  header.commentLength = static_cast<std::uint16_t>(entry.comment.size());
  header.localHeaderOffset = localHeaderOffset;
  return FixedPart<CentralHeaderSize>(header, WriteCentralHeader) + entry.name + entry.extra + entry.comment;
}

std::string EndRecordBytes(const EndRecord& record, std::string_view comment) {
  return FixedPart<EndRecordSize>(record, WriteEndRecord) + std::string(comment);
}

BuiltArchive BuildArchive(const std::vector<TestEntry>& entries, const TestLayout& layout) {
  BuiltArchive archive;
  const auto offsetBase = static_cast<std::uint32_t>(layout.offsetsIncludePrefix ? layout.prefix.size() : 0);
  std::string data;
  std::string directory;
  for (const TestEntry& entry : entries) {
    archive.localHeaderPositions.push_back(static_cast<std::int64_t>(layout.prefix.size() + data.size()));
    directory += CentralHeaderBytes(entry, offsetBase + static_cast<std::uint32_t>(data.size()));
    data += LocalPart(entry);
  }
  EndRecord end;
  end.entriesOnThisDisk = static_cast<std::uint16_t>(entries.size());
  end.totalEntries = end.entriesOnThisDisk;
  end.directorySize = static_cast<std::uint32_t>(directory.size());
  end.directoryOffset = offsetBase + static_cast<std::uint32_t>(data.size());
  end.commentLength = layout.statedCommentLength.value_or(static_cast<std::uint16_t>(layout.comment.size()));
  archive.directoryStart = static_cast<std::int64_t>(layout.prefix.size() + data.size());
  archive.endRecordOffset = archive.directoryStart + static_cast<std::int64_t>(directory.size());
  archive.bytes = layout.prefix + data + directory + EndRecordBytes(end, layout.comment) + layout.trailer;
  return archive;
}

ReadAtFunction MemorySource::Reader() {
  return [this](std::int64_t offset, std::span<std::byte> into) {
    ++reads_;
    if (offset < 0 || (unreachableFrom_ && offset >= *unreachableFrom_)) {
      return ReadResult::Unreachable();
    }
    const auto start = static_cast<std::size_t>(std::min<std::int64_t>(offset, Size()));
    std::size_t count = std::min(into.size(), bytes_.size() - start);
    if (shortRead_ && shortRead_->offset == offset) {
      count = std::min(count, shortRead_->count);
    }
    if (count > 0) {
      std::memcpy(into.data(), bytes_.data() + start, count);
    }
    return ReadResult::Got(count);
  };
}

}  // namespace zipformat::testing_support
