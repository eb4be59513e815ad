#include "zipformat/records.h"

#include "zipformat/little_endian.h"

namespace zipformat {

namespace {

bool StartsWithSignature(std::span<const std::byte> bytes, std::size_t fixedSize, std::uint32_t signature) {
  return bytes.size() >= fixedSize && ReadUint32(bytes, 0) == signature;
}

}  // namespace

std::optional<EndRecord> ParseEndRecord(std::span<const std::byte> bytes) {
  if (!StartsWithSignature(bytes, EndRecordSize, EndRecordSignature)) {
    return std::nullopt;
  }
  EndRecord record;
  record.thisDisk = ReadUint16(bytes, 4);
  record.directoryDisk = ReadUint16(bytes, 6);
  record.entriesOnThisDisk = ReadUint16(bytes, 8);
  record.totalEntries = ReadUint16(bytes, 10);
  record.directorySize = ReadUint32(bytes, 12);
  record.directoryOffset = ReadUint32(bytes, 16);
  record.commentLength = ReadUint16(bytes, 20);
  return record;
}

std::optional<CentralHeader> ParseCentralHeader(std::span<const std::byte> bytes) {
  if (!StartsWithSignature(bytes, CentralHeaderSize, CentralHeaderSignature)) {
    return std::nullopt;
  }
  CentralHeader header;
  header.versionMadeBy = std::to_integer<std::uint8_t>(bytes[4]);
  header.hostSystem = std::to_integer<std::uint8_t>(bytes[5]);
  header.versionNeeded = ReadUint16(bytes, 6);
  header.flags = ReadUint16(bytes, 8);
  header.method = ReadUint16(bytes, 10);
  header.dosDateTime = ReadUint32(bytes, 12);
  header.crc32 = ReadUint32(bytes, 16);
  header.compressedSize = ReadUint32(bytes, 20);
  header.uncompressedSize = ReadUint32(bytes, 24);
  header.nameLength = ReadUint16(bytes, 28);
  header.extraLength = ReadUint16(bytes, 30);
  header.commentLength = ReadUint16(bytes, 32);
  header.diskStart = ReadUint16(bytes, 34);
  header.internalAttributes = ReadUint16(bytes, 36);
  header.externalAttributes = ReadUint32(bytes, 38);
  header.localHeaderOffset = ReadUint32(bytes, 42);
  return header;
}

std::optional<LocalHeader> ParseLocalHeader(std::span<const std::byte> bytes) {
  if (!StartsWithSignature(bytes, LocalHeaderSize, LocalHeaderSignature)) {
    return std::nullopt;
  }
  LocalHeader header;
  header.versionNeeded = ReadUint16(bytes, 4);
  header.flags = ReadUint16(bytes, 6);
  header.method = ReadUint16(bytes, 8);
  header.dosDateTime = ReadUint32(bytes, 10);
  header.crc32 = ReadUint32(bytes, 14);
  header.compressedSize = ReadUint32(bytes, 18);
  header.uncompressedSize = ReadUint32(bytes, 22);
  header.nameLength = ReadUint16(bytes, 26);
  header.extraLength = ReadUint16(bytes, 28);
  return header;
}

bool UsesZip64Markers(const EndRecord& record) {
  return record.thisDisk == Zip64CountMarker || record.directoryDisk == Zip64CountMarker ||
         record.entriesOnThisDisk == Zip64CountMarker || record.totalEntries == Zip64CountMarker ||
         record.directorySize == Zip64Marker || record.directoryOffset == Zip64Marker;
}

bool UsesZip64Markers(const CentralHeader& header) {
  return header.compressedSize == Zip64Marker || header.uncompressedSize == Zip64Marker ||
         header.localHeaderOffset == Zip64Marker || header.diskStart == Zip64CountMarker;
}

bool IsZip64Locator(std::span<const std::byte> bytes) {
  return StartsWithSignature(bytes, Zip64LocatorSize, Zip64LocatorSignature);
}

std::optional<std::size_t> FindEndRecord(std::span<const std::byte> tail) {
  if (tail.size() < EndRecordSize) {
    return std::nullopt;
  }
  for (std::size_t position = tail.size() - EndRecordSize + 1; position-- > 0;) {
    if (ReadUint32(tail, position) == EndRecordSignature) {
      return position;
    }
  }
  return std::nullopt;
}

void WriteEndRecord(std::span<std::byte> bytes, const EndRecord& record) {
  WriteUint32(bytes, 0, EndRecordSignature);
  WriteUint16(bytes, 4, record.thisDisk);
  WriteUint16(bytes, 6, record.directoryDisk);
  WriteUint16(bytes, 8, record.entriesOnThisDisk);
  WriteUint16(bytes, 10, record.totalEntries);
  WriteUint32(bytes, 12, record.directorySize);
  WriteUint32(bytes, 16, record.directoryOffset);
  WriteUint16(bytes, 20, record.commentLength);
}

void WriteCentralHeader(std::span<std::byte> bytes, const CentralHeader& header) {
  WriteUint32(bytes, 0, CentralHeaderSignature);
  bytes[4] = static_cast<std::byte>(header.versionMadeBy);
  bytes[5] = static_cast<std::byte>(header.hostSystem);
  WriteUint16(bytes, 6, header.versionNeeded);
  WriteUint16(bytes, 8, header.flags);
  WriteUint16(bytes, 10, header.method);
  WriteUint32(bytes, 12, header.dosDateTime);
  WriteUint32(bytes, 16, header.crc32);
  WriteUint32(bytes, 20, header.compressedSize);
  WriteUint32(bytes, 24, header.uncompressedSize);
  WriteUint16(bytes, 28, header.nameLength);
  WriteUint16(bytes, 30, header.extraLength);
  WriteUint16(bytes, 32, header.commentLength);
  WriteUint16(bytes, 34, header.diskStart);
  WriteUint16(bytes, 36, header.internalAttributes);
  WriteUint32(bytes, 38, header.externalAttributes);
  WriteUint32(bytes, 42, header.localHeaderOffset);
}

void WriteLocalHeader(std::span<std::byte> bytes, const LocalHeader& header) {
  WriteUint32(bytes, 0, LocalHeaderSignature);
  WriteUint16(bytes, 4, header.versionNeeded);
  WriteUint16(bytes, 6, header.flags);
  WriteUint16(bytes, 8, header.method);
  WriteUint32(bytes, 10, header.dosDateTime);
  WriteUint32(bytes, 14, header.crc32);
  WriteUint32(bytes, 18, header.compressedSize);
  WriteUint32(bytes, 22, header.uncompressedSize);
  WriteUint16(bytes, 26, header.nameLength);
  WriteUint16(bytes, 28, header.extraLength);
}

void WriteDataDescriptor(std::span<std::byte> bytes, const DataDescriptor& descriptor) {
  WriteUint32(bytes, 0, DataDescriptorSignature);
  WriteUint32(bytes, 4, descriptor.crc32);
  WriteUint32(bytes, 8, descriptor.compressedSize);
  WriteUint32(bytes, 12, descriptor.uncompressedSize);
}

}  // namespace zipformat
