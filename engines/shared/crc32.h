// CRC-32 as zip uses it (the IEEE polynomial, reflected, inverted at both ends).
// The build picks the implementation: libdeflate where it is available, else zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace engines::shared {

// Continues `crc` (0 to start) over `bytes`.
[[nodiscard]] std::uint32_t UpdateCrc32(std::uint32_t crc, std::span<const std::byte> bytes);

// A running CRC-32 over data that arrives in pieces.
class Crc32 {
 public:
  void Update(std::span<const std::byte> bytes) { value_ = UpdateCrc32(value_, bytes); }
  [[nodiscard]] std::uint32_t Value() const { return value_; }

 private:
  std::uint32_t value_ = 0;
};

}  // namespace engines::shared
