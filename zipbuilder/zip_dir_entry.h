// One archive entry as the component keeps it after List.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace zipbuilder {

static_assert(std::endian::native == std::endian::little,
              "the entry fields are filled by copying little-endian archive bytes");

// Bytes 4 to 45 of a central directory header, in the same order and widths, so
// that one copy of those 42 bytes fills every field. Packed because of that copy;
// so read and write the fields by value and never bind a reference or pointer to
// one (EXPECT_EQ, std::min, out parameters): it may be misaligned.
#pragma pack(push, 1)
struct CentralHeaderFields {
  std::uint8_t VersionMadeBy;  // version number
  std::uint8_t HostSystem;     // 0 FAT, 6 HPFS, 11 NTFS, ...
  std::uint16_t VersionNeeded;
  std::uint16_t Flags;  // bit 0 encrypted, bit 3 data descriptor follows
  std::uint16_t Method;
  std::uint32_t DosDateTime;  // time low 16 bits, date high 16 bits
  std::uint32_t Crc32;
  std::uint32_t CompressedSize;
  std::uint32_t UncompressedSize;
  std::uint16_t NameLength;
  std::uint16_t ExtraLength;
  std::uint16_t CommentLength;
  std::uint16_t DiskStart;
  std::uint16_t InternalAttributes;
  std::uint32_t ExternalAttributes;
  std::uint32_t LocalHeaderOffset;
};
#pragma pack(pop)

inline constexpr std::size_t CentralHeaderFieldsOffset = 4;
inline constexpr std::size_t CentralHeaderFieldsSize = 42;
static_assert(sizeof(CentralHeaderFields) == CentralHeaderFieldsSize);
static_assert(offsetof(CentralHeaderFields, HostSystem) == 5 - CentralHeaderFieldsOffset);
static_assert(offsetof(CentralHeaderFields, DosDateTime) == 12 - CentralHeaderFieldsOffset);
static_assert(offsetof(CentralHeaderFields, NameLength) == 28 - CentralHeaderFieldsOffset);
static_assert(offsetof(CentralHeaderFields, ExternalAttributes) == 38 - CentralHeaderFieldsOffset);
static_assert(offsetof(CentralHeaderFields, LocalHeaderOffset) == 42 - CentralHeaderFieldsOffset);

// `centralHeader` is a whole 46-byte central directory header, signature included.
[[nodiscard]] inline CentralHeaderFields CentralHeaderFieldsFromHeader(std::span<const std::uint8_t, 46> centralHeader) {
  CentralHeaderFields fields;
  std::memcpy(&fields, centralHeader.data() + CentralHeaderFieldsOffset, CentralHeaderFieldsSize);
  return fields;
}

struct ZipDirEntry : CentralHeaderFields {
  ZipDirEntry() : CentralHeaderFields{} {}

  std::string FileName;     // ANSI code page, every "/" turned into "\"
  std::string FileComment;  // ANSI code page; empty when there is none
  bool Encrypted = false;   // bit 0 of Flags
  // An owned copy of the central extra field, ExtraLength bytes; empty when the
  // length is 0 (where the record format speaks of a null pointer).
  std::vector<std::uint8_t> ExtraData;
};

}  // namespace zipbuilder
