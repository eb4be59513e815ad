// Reads a file through a buffer, so that the many small records of a central
// directory cost one system call per chunk instead of three per header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/files.h"

namespace zipbuilder {

class BufferedFileReader {
 public:
  static constexpr std::size_t DefaultChunkSize = 64 * 1024;

  explicit BufferedFileReader(std::size_t chunkSize = DefaultChunkSize);

  // Reads `file` from its current position on; bytes buffered from an earlier
  // file are dropped. The file stays the caller's to close.
  void Attach(platform::FileHandle file);

  // Fills `destination` and returns how many bytes it got: fewer only at the end
  // of the file or when the system refuses a read. A refused read counts as the
  // end of the data, which is what every caller reports a short read as.
  [[nodiscard]] std::size_t Read(std::span<std::uint8_t> destination);
  // The same for texts.
  [[nodiscard]] std::size_t Read(std::span<char> destination);

 private:
  // Refills the empty buffer; false when nothing more comes.
  [[nodiscard]] bool Refill();

  platform::FileHandle file_ = platform::InvalidFileHandle;
  std::vector<std::uint8_t> buffer_;
  std::size_t position_ = 0;  // next unread byte in buffer_
  std::size_t filled_ = 0;    // bytes of buffer_ holding data
  bool exhausted_ = false;
};

}  // namespace zipbuilder
