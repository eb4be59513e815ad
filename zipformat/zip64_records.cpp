#include "zipformat/zip64_records.h"

#include "zipformat/little_endian.h"

namespace zipformat {

namespace {

constexpr std::size_t SizeFieldLength = 8;
constexpr std::size_t DiskFieldLength = 4;

[[nodiscard]] std::span<const std::byte> BytesOf(std::string_view text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

// Takes the deferred values from `data` in the standard order.
[[nodiscard]] ExtentResult ReadDeferred(const DeferredFields& fields, EntryExtent extent, std::string_view extra) {
  if (!fields.Any()) {
    return {ExtentReading::Read, extent};
  }
  const std::optional<std::string_view> block = FindExtraBlock(extra, Zip64ExtraId);
  if (!block) {
    return {ExtentReading::MissingExtra, extent};
  }
  if (block->size() < fields.DataLength()) {
    return {ExtentReading::ShortExtra, extent};
  }
  const std::span<const std::byte> data = BytesOf(*block);
  std::size_t position = 0;
  const auto take = [&data, &position](std::uint64_t& value) {
    value = ReadUint64(data, position);
    position += SizeFieldLength;
  };
  if (fields.uncompressedSize) {
    take(extent.uncompressedSize);
  }
  if (fields.compressedSize) {
    take(extent.compressedSize);
  }
  if (fields.localHeaderOffset) {
    take(extent.localHeaderOffset);
  }
  if (fields.diskStart) {
    extent.diskStart = ReadUint32(data, position);
  }
  return {ExtentReading::Read, extent};
}

}  // namespace

std::optional<Zip64EndRecord> ParseZip64EndRecord(std::span<const std::byte> bytes) {
  if (bytes.size() < Zip64EndRecordSize || ReadUint32(bytes, 0) != Zip64EndRecordSignature) {
    return std::nullopt;
  }
  // Bytes 4 to 11 hold the size of the rest of the record, which only says how
  // long its extensible data sector is.
  Zip64EndRecord record;
  record.versionMadeBy = ReadUint16(bytes, 12);
  record.versionNeeded = ReadUint16(bytes, 14);
  record.thisDisk = ReadUint32(bytes, 16);
  record.directoryDisk = ReadUint32(bytes, 20);
  record.entriesOnThisDisk = ReadUint64(bytes, 24);
  record.totalEntries = ReadUint64(bytes, 32);
  record.directorySize = ReadUint64(bytes, 40);
  record.directoryOffset = ReadUint64(bytes, 48);
  return record;
}

std::optional<Zip64Locator> ParseZip64Locator(std::span<const std::byte> bytes) {
  if (!IsZip64Locator(bytes)) {
    return std::nullopt;
  }
  return Zip64Locator{ReadUint32(bytes, 4), ReadUint64(bytes, 8), ReadUint32(bytes, 16)};
}

void WriteZip64EndRecord(std::span<std::byte> bytes, const Zip64EndRecord& record) {
  WriteUint32(bytes, 0, Zip64EndRecordSignature);
  WriteUint64(bytes, 4, Zip64EndRecordSize - 12);
  WriteUint16(bytes, 12, record.versionMadeBy);
  WriteUint16(bytes, 14, record.versionNeeded);
  WriteUint32(bytes, 16, record.thisDisk);
  WriteUint32(bytes, 20, record.directoryDisk);
  WriteUint64(bytes, 24, record.entriesOnThisDisk);
  WriteUint64(bytes, 32, record.totalEntries);
  WriteUint64(bytes, 40, record.directorySize);
  WriteUint64(bytes, 48, record.directoryOffset);
}

void WriteZip64Locator(std::span<std::byte> bytes, const Zip64Locator& locator) {
  WriteUint32(bytes, 0, Zip64LocatorSignature);
  WriteUint32(bytes, 4, locator.endRecordDisk);
  WriteUint64(bytes, 8, locator.endRecordOffset);
  WriteUint32(bytes, 16, locator.totalDisks);
}

std::size_t DeferredFields::DataLength() const {
  return SizeFieldLength * ((uncompressedSize ? 1 : 0) + (compressedSize ? 1 : 0) + (localHeaderOffset ? 1 : 0)) +
         (diskStart ? DiskFieldLength : 0);
}

DeferredFields DeferredFieldsOf(const CentralHeader& header) {
  return {header.uncompressedSize == Zip64Marker, header.compressedSize == Zip64Marker,
          header.localHeaderOffset == Zip64Marker, header.diskStart == Zip64CountMarker};
}

DeferredFields DeferredFieldsOf(const LocalHeader& header) {
  const bool deferred = header.uncompressedSize == Zip64Marker || header.compressedSize == Zip64Marker;
  return {deferred, deferred, false, false};
}

std::optional<std::string_view> FindExtraBlock(std::string_view extra, std::uint16_t id) {
  const std::span<const std::byte> bytes = BytesOf(extra);
  for (std::size_t position = 0; position + ExtraBlockHeaderSize <= bytes.size();) {
    const std::uint16_t blockId = ReadUint16(bytes, position);
    const std::size_t length = ReadUint16(bytes, position + 2);
    const std::size_t dataStart = position + ExtraBlockHeaderSize;
    if (dataStart + length > bytes.size()) {
      return std::nullopt;
    }
    if (blockId == id) {
      return extra.substr(dataStart, length);
    }
    position = dataStart + length;
  }
  return std::nullopt;
}

ExtentResult ReadEntryExtent(const CentralHeader& header, std::string_view extra) {
  const EntryExtent classic{header.uncompressedSize, header.compressedSize, header.localHeaderOffset, header.diskStart};
  return ReadDeferred(DeferredFieldsOf(header), classic, extra);
}

ExtentResult ReadEntryExtent(const LocalHeader& header, std::string_view extra) {
  const EntryExtent classic{header.uncompressedSize, header.compressedSize, 0, 0};
  return ReadDeferred(DeferredFieldsOf(header), classic, extra);
}

std::string MakeZip64ExtraBlock(const DeferredFields& fields, const EntryExtent& extent) {
  std::string block(ExtraBlockHeaderSize + fields.DataLength(), '\0');
  const std::span<std::byte> bytes = std::as_writable_bytes(std::span(block));
  WriteUint16(bytes, 0, Zip64ExtraId);
  WriteUint16(bytes, 2, static_cast<std::uint16_t>(fields.DataLength()));
  std::size_t position = ExtraBlockHeaderSize;
  const auto put = [&bytes, &position](std::uint64_t value) {
    WriteUint64(bytes, position, value);
    position += SizeFieldLength;
  };
  if (fields.uncompressedSize) {
    put(extent.uncompressedSize);
  }
  if (fields.compressedSize) {
    put(extent.compressedSize);
  }
  if (fields.localHeaderOffset) {
    put(extent.localHeaderOffset);
  }
  if (fields.diskStart) {
    WriteUint32(bytes, position, extent.diskStart);
  }
  return block;
}

}  // namespace zipformat
