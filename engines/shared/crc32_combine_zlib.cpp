#include <zlib.h>

#include "engines/shared/crc32.h"

namespace engines::shared {

// z_off_t is 32 bits wide in the mingw build's zlib, and crc32_combine64 is not
// declared there; pieces are far below 2 GiB.
std::uint32_t CombineCrc32(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength) {
  return static_cast<std::uint32_t>(crc32_combine(first, second, static_cast<z_off_t>(secondLength)));
}

}  // namespace engines::shared
