// The format of compressed data held in memory rather than in an archive: what the
// zip engine produces when it compresses a memory block into memory, and what the
// unzip engine accepts as its memory input.
//
//   offset 0, 2 bytes: compression method, little-endian (0 stored, 8 deflated)
//   offset 2, 4 bytes: CRC-32 of the uncompressed data, little-endian
//   offset 6:          the data: raw deflate (no zlib or gzip wrapper) or stored bytes
//
// The uncompressed size is not part of it: the caller knows it and sizes the
// output block accordingly, and a decoder must produce exactly that many bytes.
// The data is never encrypted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace engines::shared {

inline constexpr std::size_t MemoryStreamHeaderSize = 6;

struct MemoryStreamHeader {
  std::uint16_t method = 0;
  std::uint32_t crc32 = 0;
};

// Nothing when fewer than six bytes are given.
[[nodiscard]] std::optional<MemoryStreamHeader> ParseMemoryStreamHeader(std::span<const std::byte> bytes);
// `bytes` must hold at least six bytes.
void WriteMemoryStreamHeader(std::span<std::byte> bytes, const MemoryStreamHeader& header);

}  // namespace engines::shared
