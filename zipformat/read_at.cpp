#include "zipformat/read_at.h"

#include <algorithm>
#include <utility>

namespace zipformat {

ReadAtFunction FromExactReader(std::int64_t sourceSize, ExactReadFunction readExactly) {
  return [sourceSize, readExactly = std::move(readExactly)](std::int64_t offset, std::span<std::byte> into) {
    if (offset < 0 || offset > sourceSize) {
      return ReadResult::Unreachable();
    }
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(into.size()),
                                                                        sourceSize - offset));
    return ReadResult::Got(readExactly(offset, into.first(count)) ? count : 0);
  };
}

bool ReadExactly(const ReadAtFunction& readAt, std::int64_t offset, std::span<std::byte> into) {
  const ReadResult result = readAt(offset, into);
  return result.status == ReadStatus::Read && result.bytesRead == into.size();
}

}  // namespace zipformat
