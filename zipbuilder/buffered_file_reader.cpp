#include "zipbuilder/buffered_file_reader.h"

#include <algorithm>
#include <cstring>

namespace zipbuilder {

BufferedFileReader::BufferedFileReader(std::size_t chunkSize) : buffer_(chunkSize) {}

void BufferedFileReader::Attach(platform::FileHandle file) {
  file_ = file;
  position_ = 0;
  filled_ = 0;
  exhausted_ = false;
}

std::size_t BufferedFileReader::Read(std::span<std::uint8_t> destination) {
  std::size_t copied = 0;
  while (copied < destination.size()) {
    if (position_ == filled_ && !Refill()) {
      break;
    }
    const std::size_t count = std::min(destination.size() - copied, filled_ - position_);
    std::memcpy(destination.data() + copied, buffer_.data() + position_, count);
    position_ += count;
    copied += count;
  }
  return copied;
}

std::size_t BufferedFileReader::Read(std::span<char> destination) {
  return Read(std::span(reinterpret_cast<std::uint8_t*>(destination.data()), destination.size()));
}

bool BufferedFileReader::Refill() {
  position_ = 0;
  filled_ = 0;
  if (exhausted_ || file_ == platform::InvalidFileHandle) {
    return false;
  }
  std::uint32_t bytesRead = 0;
  if (!platform::ReadFile(file_, buffer_.data(), static_cast<std::uint32_t>(buffer_.size()), bytesRead) ||
      bytesRead == 0) {
    exhausted_ = true;
    return false;
  }
  filled_ = bytesRead;
  return true;
}

}  // namespace zipbuilder
