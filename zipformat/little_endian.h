// Little-endian integers in byte buffers, as every zip record stores them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zipformat {

[[nodiscard]] inline std::uint16_t ReadUint16(std::span<const std::byte> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[offset]) |
                                    (std::to_integer<unsigned>(bytes[offset + 1]) << 8));
}

[[nodiscard]] inline std::uint32_t ReadUint32(std::span<const std::byte> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(ReadUint16(bytes, offset)) |
         (static_cast<std::uint32_t>(ReadUint16(bytes, offset + 2)) << 16);
}

[[nodiscard]] inline std::uint64_t ReadUint64(std::span<const std::byte> bytes, std::size_t offset) {
  return static_cast<std::uint64_t>(ReadUint32(bytes, offset)) |
         (static_cast<std::uint64_t>(ReadUint32(bytes, offset + 4)) << 32);
}

inline void WriteUint16(std::span<std::byte> bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::byte>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::byte>(value >> 8);
}

inline void WriteUint32(std::span<std::byte> bytes, std::size_t offset, std::uint32_t value) {
  WriteUint16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
  WriteUint16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

inline void WriteUint64(std::span<std::byte> bytes, std::size_t offset, std::uint64_t value) {
  WriteUint32(bytes, offset, static_cast<std::uint32_t>(value & 0xFFFFFFFF));
  WriteUint32(bytes, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace zipformat
