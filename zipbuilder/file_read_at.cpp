#include "zipbuilder/file_read_at.h"

#include <algorithm>
#include <limits>

namespace zipbuilder {

zipformat::ReadAtFunction ReadAtOf(platform::FileHandle file) {
  return [file](std::int64_t offset, std::span<std::byte> into) {
    if (!platform::SetFilePointer(file, offset, platform::SeekOrigin::Begin, nullptr)) {
      return zipformat::ReadResult::Unreachable();
    }
    const auto count = static_cast<std::uint32_t>(
        std::min<std::size_t>(into.size(), std::numeric_limits<std::uint32_t>::max()));
    std::uint32_t bytesRead = 0;
    if (!platform::ReadFile(file, into.data(), count, bytesRead)) {
      return zipformat::ReadResult::Got(0);
    }
    return zipformat::ReadResult::Got(bytesRead);
  };
}

}  // namespace zipbuilder
