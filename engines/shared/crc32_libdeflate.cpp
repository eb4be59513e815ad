#include <libdeflate.h>

#include "engines/shared/crc32.h"

namespace engines::shared {

std::uint32_t UpdateCrc32(std::uint32_t crc, std::span<const std::byte> bytes) {
  if (bytes.empty()) {
    return crc;
  }
  return libdeflate_crc32(crc, bytes.data(), bytes.size());
}

}  // namespace engines::shared
