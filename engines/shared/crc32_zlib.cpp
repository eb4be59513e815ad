#include <zlib.h>

#include "engines/shared/crc32.h"

namespace engines::shared {

std::uint32_t UpdateCrc32(std::uint32_t crc, std::span<const std::byte> bytes) {
  if (bytes.empty()) {
    return crc;
  }
  return static_cast<std::uint32_t>(
      crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<z_size_t>(bytes.size())));
}

}  // namespace engines::shared
