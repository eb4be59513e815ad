// CRC-32 as zip uses it (the IEEE polynomial, reflected, inverted at both ends).
// The build picks the implementation: libdeflate where it is available, else zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace engines::shared {

// Continues `crc` (0 to start) over `bytes`.
[[nodiscard]] std::uint32_t UpdateCrc32(std::uint32_t crc, std::span<const std::byte> bytes);

// The CRC-32 of two pieces joined, from the CRC-32 of each and the length of the
// second (below 2 GiB): lets pieces of one stream be checked on several threads.
[[nodiscard]] std::uint32_t CombineCrc32(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength);

// A running CRC-32 over data that arrives in pieces.
class Crc32 {
 public:
  void Update(std::span<const std::byte> bytes) { value_ = UpdateCrc32(value_, bytes); }
  [[nodiscard]] std::uint32_t Value() const { return value_; }

 private:
  std::uint32_t value_ = 0;
};

}  // namespace engines::shared
