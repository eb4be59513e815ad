// The PKWARE zip records the component and both engines read and write: the local
// header, the central directory header, the end of central directory record (end
// record) and the data descriptor, with their signatures and flag bits.
//
// Parsing and writing work on caller-owned byte buffers only; finding the bytes in
// a file is the caller's business. All integers are little-endian. The DOS
// date-time of a header is read as one 32-bit value: time in the low 16 bits, date
// in the high 16 bits, exactly as the two fields lie one after the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zipformat {

// A stored name or comment as a text: it ends at its length or at a zero byte,
// whichever comes first.
[[nodiscard]] constexpr std::string_view TextBeforeZero(std::string_view stored) {
  return stored.substr(0, stored.find('\0'));
}

inline constexpr std::uint32_t LocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t CentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t EndRecordSignature = 0x06054B50;
inline constexpr std::uint32_t DataDescriptorSignature = 0x08074B50;

inline constexpr std::size_t LocalHeaderSize = 30;
inline constexpr std::size_t CentralHeaderSize = 46;
inline constexpr std::size_t EndRecordSize = 22;
inline constexpr std::size_t DataDescriptorSize = 16;
// The CRC-32 and the two sizes of a local header, which a writer that streams an
// entry fills in once the data is written.
inline constexpr std::size_t LocalHeaderCrcAndSizesOffset = 14;
inline constexpr std::size_t LocalHeaderCrcAndSizesLength = 12;
inline constexpr std::size_t MaximumCommentLength = 0xFFFF;
// The end record lies within this many bytes of the end of an archive.
inline constexpr std::size_t EndRecordSearchWindow = EndRecordSize + MaximumCommentLength;

// A 32-bit size or offset field holding this value defers to a Zip64 extra field
// or end record; a 16-bit count or disk number does the same with its own marker.
inline constexpr std::uint32_t Zip64Marker = 0xFFFFFFFF;
inline constexpr std::uint16_t Zip64CountMarker = 0xFFFF;
// A Zip64 archive has its Zip64 end record locator right in front of the end record.
inline constexpr std::uint32_t Zip64LocatorSignature = 0x07064B50;
inline constexpr std::size_t Zip64LocatorSize = 20;

// Writers may leave out the data descriptor's signature.
inline constexpr std::size_t UnsignedDataDescriptorSize = 12;

namespace general_flag {
inline constexpr std::uint16_t Encrypted = 0x0001;
inline constexpr std::uint16_t DataDescriptor = 0x0008;
inline constexpr std::uint16_t PatchedData = 0x0020;
inline constexpr std::uint16_t StrongEncryption = 0x0040;
inline constexpr std::uint16_t Utf8Names = 0x0800;
}  // namespace general_flag

namespace compression_method {
inline constexpr std::uint16_t Stored = 0;
inline constexpr std::uint16_t Deflated = 8;
}  // namespace compression_method

// The high byte of "version made by".
namespace host_system {
inline constexpr std::uint8_t MsDos = 0;
inline constexpr std::uint8_t Unix = 3;
inline constexpr std::uint8_t Os2Hpfs = 6;
inline constexpr std::uint8_t WindowsNtfs = 11;
}  // namespace host_system

struct EndRecord {
  std::uint16_t thisDisk = 0;
  std::uint16_t directoryDisk = 0;
  std::uint16_t entriesOnThisDisk = 0;
  std::uint16_t totalEntries = 0;
  std::uint32_t directorySize = 0;
  std::uint32_t directoryOffset = 0;
  std::uint16_t commentLength = 0;
};

struct CentralHeader {
  std::uint8_t versionMadeBy = 0;
  std::uint8_t hostSystem = 0;
  std::uint16_t versionNeeded = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t dosDateTime = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
  std::uint16_t nameLength = 0;
  std::uint16_t extraLength = 0;
  std::uint16_t commentLength = 0;
  std::uint16_t diskStart = 0;
  std::uint16_t internalAttributes = 0;
  std::uint32_t externalAttributes = 0;
  std::uint32_t localHeaderOffset = 0;

  // The bytes after the fixed part: name, extra field and comment.
  [[nodiscard]] std::size_t VariableLength() const {
    return std::size_t{nameLength} + extraLength + commentLength;
  }
};

struct LocalHeader {
  std::uint16_t versionNeeded = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t dosDateTime = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
  std::uint16_t nameLength = 0;
  std::uint16_t extraLength = 0;

  // The bytes after the fixed part: name and extra field.
  [[nodiscard]] std::size_t VariableLength() const { return std::size_t{nameLength} + extraLength; }
};

struct DataDescriptor {
  std::uint32_t crc32 = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
};

// Each parser wants at least the fixed size of its record and a matching
// signature at the start; otherwise it answers nothing.
[[nodiscard]] std::optional<EndRecord> ParseEndRecord(std::span<const std::byte> bytes);
[[nodiscard]] std::optional<CentralHeader> ParseCentralHeader(std::span<const std::byte> bytes);
[[nodiscard]] std::optional<LocalHeader> ParseLocalHeader(std::span<const std::byte> bytes);

// Zip64 is detected, not read: a record with a marker in any field cannot be
// taken at its word.
[[nodiscard]] bool UsesZip64Markers(const EndRecord& record);
[[nodiscard]] bool UsesZip64Markers(const CentralHeader& header);
// True when `bytes` begins with a Zip64 end record locator.
[[nodiscard]] bool IsZip64Locator(std::span<const std::byte> bytes);

// The position of the end record in `tail`, the last bytes of an archive: the last
// signature from the end at which a whole 22-byte record fits. Comment bytes are
// searched as well, so a comment that happens to hold the signature can mislead it;
// every zip reader shares that weakness.
[[nodiscard]] std::optional<std::size_t> FindEndRecord(std::span<const std::byte> tail);

// Writers: `bytes` must hold at least the fixed size. The variable parts are the
// caller's to append.
void WriteEndRecord(std::span<std::byte> bytes, const EndRecord& record);
void WriteCentralHeader(std::span<std::byte> bytes, const CentralHeader& header);
void WriteLocalHeader(std::span<std::byte> bytes, const LocalHeader& header);
// Writes the 16-byte form with its signature.
void WriteDataDescriptor(std::span<std::byte> bytes, const DataDescriptor& descriptor);

}  // namespace zipformat
