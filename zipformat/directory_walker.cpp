#include "zipformat/directory_walker.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

namespace zipformat {

CentralDirectoryWalker::CentralDirectoryWalker(ReadAtFunction readAt, std::int64_t start, std::int64_t end,
                                               std::size_t chunkSize)
    : readAt_(std::move(readAt)),
      end_(end),
      chunkSize_(std::max<std::size_t>(chunkSize, CentralHeaderSize)),
      bufferStart_(start),
      position_(start) {}

void CentralDirectoryWalker::ContinueOn(ReadAtFunction readAt, std::int64_t start, std::int64_t end) {
  readAt_ = std::move(readAt);
  end_ = end;
  bufferStart_ = start;
  position_ = start;
  filled_ = 0;
}

WalkStep CentralDirectoryWalker::Next(DirectoryEntry& entry) {
  if (!Buffer(CentralHeaderSize)) {
    return WalkStep::HeaderShort;
  }
  const std::optional<CentralHeader> header = ParseCentralHeader(std::span(Buffered(), CentralHeaderSize));
  if (!header) {
    return WalkStep::SignatureWrong;
  }
  position_ += static_cast<std::int64_t>(CentralHeaderSize);
  entry.index = entriesRead_;
  entry.header = *header;
  if (!Take(header->nameLength, entry.name)) {
    return WalkStep::NameShort;
  }
  if (!Take(header->extraLength, entry.extra)) {
    return WalkStep::ExtraShort;
  }
  if (!Take(header->commentLength, entry.comment)) {
    return WalkStep::CommentShort;
  }
  ++entriesRead_;
  return WalkStep::Entry;
}

bool CentralDirectoryWalker::Buffer(std::size_t count) {
  const auto consumed = static_cast<std::size_t>(position_ - bufferStart_);
  if (filled_ - consumed >= count) {
    return true;
  }
  // What was consumed goes, so that the buffer never holds more than a chunk
  // and the longest record.
  if (consumed > 0) {
    std::memmove(buffer_.data(), buffer_.data() + consumed, filled_ - consumed);
    filled_ -= consumed;
  }
  bufferStart_ = position_;
  buffer_.resize(std::max(buffer_.size(), std::max(chunkSize_, count)));
  while (filled_ < count) {
    const std::int64_t readFrom = bufferStart_ + static_cast<std::int64_t>(filled_);
    const std::int64_t room =
        std::min<std::int64_t>(static_cast<std::int64_t>(buffer_.size() - filled_), end_ - readFrom);
    if (room <= 0) {
      return false;
    }
    const auto wanted = static_cast<std::size_t>(room);
    const ReadResult read = readAt_(readFrom, std::span(buffer_).subspan(filled_, wanted));
    if (read.status == ReadStatus::OffsetUnreachable || read.bytesRead == 0) {
      return false;
    }
    filled_ += std::min(read.bytesRead, wanted);
  }
  return true;
}

const std::byte* CentralDirectoryWalker::Buffered() const {
  return buffer_.data() + (position_ - bufferStart_);
}

bool CentralDirectoryWalker::Take(std::size_t count, std::string& text) {
  if (!Buffer(count)) {
    return false;
  }
  text.assign(reinterpret_cast<const char*>(Buffered()), count);
  position_ += static_cast<std::int64_t>(count);
  return true;
}

}  // namespace zipformat
