#include <zlib.h>

#include "engines/shared/crc32.h"

namespace engines::shared {

std::uint32_t CombineCrc32(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength) {
  return static_cast<std::uint32_t>(crc32_combine64(first, second, static_cast<z_off64_t>(secondLength)));
}

}  // namespace engines::shared
