#include "zipbuilder/zip_stream.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace zipbuilder {

std::size_t TZipStream::Size() const { return UsesOutsideBlock() ? outsideSize_ : ownedMemory_.size(); }

std::uint8_t* TZipStream::Memory() { return UsesOutsideBlock() ? outsideMemory_ : ownedMemory_.data(); }

const std::uint8_t* TZipStream::Memory() const {
  return UsesOutsideBlock() ? outsideMemory_ : ownedMemory_.data();
}

bool TZipStream::TakeOwnershipOfOutsideBlock() {
  try {
    ownedMemory_.assign(outsideMemory_, outsideMemory_ + outsideSize_);
  } catch (const std::bad_alloc&) {
    return false;
  }
  outsideMemory_ = nullptr;
  outsideSize_ = 0;
  return true;
}

bool TZipStream::SetSize(std::size_t size) {
  if (size == Size()) {
    return true;
  }
  if (UsesOutsideBlock() && !TakeOwnershipOfOutsideBlock()) {
    return false;
  }
  try {
    ownedMemory_.resize(size);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  position_ = std::min(position_, size);
  return true;
}

void TZipStream::Clear() {
  outsideMemory_ = nullptr;
  outsideSize_ = 0;
  std::vector<std::uint8_t>().swap(ownedMemory_);
  position_ = 0;
}

bool TZipStream::Seek(std::int64_t offset, StreamOrigin origin) {
  std::int64_t base = 0;
  if (origin == StreamOrigin::Current) {
    base = static_cast<std::int64_t>(position_);
  } else if (origin == StreamOrigin::End) {
    base = static_cast<std::int64_t>(Size());
  }
  const std::int64_t target = base + offset;
  if (target < 0 || target > static_cast<std::int64_t>(Size())) {
    return false;
  }
  position_ = static_cast<std::size_t>(target);
  return true;
}

std::size_t TZipStream::Read(std::span<std::uint8_t> buffer) {
  const std::size_t count = std::min(buffer.size(), Size() - position_);
  if (count == 0) {
    return 0;
  }
  std::memcpy(buffer.data(), Memory() + position_, count);
  position_ += count;
  return count;
}

std::size_t TZipStream::Write(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) {
    return 0;
  }
  const std::size_t end = position_ + bytes.size();
  if (end > Size() && !SetSize(end)) {
    return 0;
  }
  std::memcpy(Memory() + position_, bytes.data(), bytes.size());
  position_ = end;
  return bytes.size();
}

void TZipStream::SetPointer(std::uint8_t* memory, std::size_t size) {
  std::vector<std::uint8_t>().swap(ownedMemory_);
  outsideMemory_ = memory;
  outsideSize_ = memory != nullptr ? size : 0;
  position_ = 0;
}

}  // namespace zipbuilder
