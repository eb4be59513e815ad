// The zip records as the component reads and rewrites them itself: the end of
// central directory record (end record), the fixed part of a central directory
// header and the spanning marks. The engines keep their own copy of the formats;
// the component never shares code with them, only command records.
//
// All integers in the records are little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace zipbuilder {

namespace zip_signature {
inline constexpr std::uint32_t LocalHeader = 0x04034B50;
inline constexpr std::uint32_t CentralHeader = 0x02014B50;
inline constexpr std::uint32_t EndRecord = 0x06054B50;
// Also the first four bytes of the first file of a spanned set.
inline constexpr std::uint32_t DataDescriptor = 0x08074B50;
}  // namespace zip_signature

inline constexpr std::size_t EndRecordSize = 22;
inline constexpr std::size_t CentralHeaderSize = 46;
inline constexpr std::size_t LargestCommentLength = 0xFFFF;
// The end record with the largest comment: the end record lies in this many
// bytes at the end of an archive.
inline constexpr std::size_t EndRecordSearchWindow = EndRecordSize + LargestCommentLength;

// General purpose flag bits of a central header.
namespace entry_flag {
inline constexpr std::uint16_t Encrypted = 0x0001;
inline constexpr std::uint16_t DataDescriptor = 0x0008;
inline constexpr std::uint16_t Utf8Texts = 0x0800;
}  // namespace entry_flag

// A removable disk of a spanned set is labelled with this and its 1-based number
// in three digits.
inline constexpr std::string_view SpanLabelPrefix = "PKBACK# ";

// The label of disk `diskNumber` (0-based) of a spanned set: "PKBACK# 001" for disk 0.
[[nodiscard]] inline std::string SpanDiskLabel(int diskNumber) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d", diskNumber + 1);
  return std::string(SpanLabelPrefix) + number;
}

[[nodiscard]] inline std::uint16_t ReadUint16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

[[nodiscard]] inline std::uint32_t ReadUint32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(ReadUint16(bytes, offset)) |
         (static_cast<std::uint32_t>(ReadUint16(bytes, offset + 2)) << 16);
}

inline void WriteUint16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

// The 22 fixed bytes of an end record, kept as stored so that the comment
// writer can put them back with only the comment length changed.
struct EndRecord {
  std::array<std::uint8_t, EndRecordSize> Bytes{};

  [[nodiscard]] std::uint32_t Signature() const { return ReadUint32(Bytes, 0); }
  [[nodiscard]] bool HasSignature() const { return Signature() == zip_signature::EndRecord; }
  [[nodiscard]] std::uint16_t ThisDisk() const { return ReadUint16(Bytes, 4); }
  [[nodiscard]] std::uint16_t DirectoryDisk() const { return ReadUint16(Bytes, 6); }
  [[nodiscard]] std::uint16_t EntriesOnThisDisk() const { return ReadUint16(Bytes, 8); }
  [[nodiscard]] std::uint16_t TotalEntries() const { return ReadUint16(Bytes, 10); }
  [[nodiscard]] std::uint32_t DirectorySize() const { return ReadUint32(Bytes, 12); }
  [[nodiscard]] std::uint32_t DirectoryOffset() const { return ReadUint32(Bytes, 16); }
  [[nodiscard]] std::uint16_t CommentLength() const { return ReadUint16(Bytes, 20); }
  void SetCommentLength(std::uint16_t length) { WriteUint16(Bytes, 20, length); }
};

}  // namespace zipbuilder
