// Walking a central directory one header at a time, through a read-at function,
// with a buffer of its own: a directory of 65535 entries costs one read a chunk,
// not three small reads a header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "zipformat/read_at.h"
#include "zipformat/records.h"

namespace zipformat {

// One central directory header with its variable parts, all as stored: no code
// page conversion, "/" between folders.
struct DirectoryEntry {
  std::uint32_t index = 0;  // position in the central directory, from 0
  CentralHeader header;
  std::string name;
  std::string extra;
  std::string comment;
};

// What one step of the walk found.
enum class WalkStep : std::uint8_t {
  Entry,           // the entry holds the next header
  HeaderShort,     // fewer than 46 bytes left; nothing was consumed (see ContinueOn)
  SignatureWrong,  // the next 46 bytes are no central header
  NameShort,       // the header was read, its name runs past the data
  ExtraShort,      // the name was read, the extra field runs past the data
  CommentShort,    // the extra field was read, the comment runs past the data
};

class CentralDirectoryWalker {
 public:
  static constexpr std::size_t DefaultChunkSize = 64 * 1024;
  static constexpr std::int64_t NoEnd = std::numeric_limits<std::int64_t>::max();

  // Walks from `start`, reading no byte at or past `end` (the directory's end
  // where it is known, else the end of the source).
  CentralDirectoryWalker(ReadAtFunction readAt, std::int64_t start, std::int64_t end = NoEnd,
                         std::size_t chunkSize = DefaultChunkSize);

  // Reads the next header with its name, extra field and comment into `entry`.
  // Only after Entry and HeaderShort can the walk go on.
  [[nodiscard]] WalkStep Next(DirectoryEntry& entry);

  // Goes on reading from `start` of another source: the directory of a spanned
  // set continues at the start of the next disk. What was buffered is dropped.
  void ContinueOn(ReadAtFunction readAt, std::int64_t start, std::int64_t end = NoEnd);

  // The offset of the next header in the current source.
  [[nodiscard]] std::int64_t Position() const { return position_; }

 private:
  // Makes `count` bytes from Position() on lie in the buffer; false when the
  // source holds fewer.
  [[nodiscard]] bool Buffer(std::size_t count);
  [[nodiscard]] const std::byte* Buffered() const;
  // Copies the next `count` bytes into `text`; false when the source holds fewer.
  [[nodiscard]] bool Take(std::size_t count, std::string& text);

  ReadAtFunction readAt_;
  std::int64_t end_;
  std::size_t chunkSize_;
  std::vector<std::byte> buffer_;
  std::int64_t bufferStart_;  // the source offset of buffer_[0]
  std::size_t filled_ = 0;    // bytes of buffer_ holding data
  std::int64_t position_;
  std::uint32_t entriesRead_ = 0;
};

}  // namespace zipformat
