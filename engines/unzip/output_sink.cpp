#include "engines/unzip/output_sink.h"

#include <cstring>

namespace engines::unzip {

bool MemorySink::Write(std::span<const std::byte> bytes) {
  if (bytes.size() > block_.size() - filled_) {
    return false;
  }
  if (!bytes.empty()) {
    std::memcpy(block_.data() + filled_, bytes.data(), bytes.size());
  }
  filled_ += bytes.size();
  return true;
}

std::span<std::byte> MemorySink::DirectBuffer(std::uint32_t size) {
  if (filled_ != 0 || size > block_.size()) {
    return {};
  }
  return block_.first(size);
}

}  // namespace engines::unzip
