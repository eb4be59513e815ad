#include "zipformat/end_record_search.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace zipformat {

namespace {

[[nodiscard]] std::optional<LocatedEndRecord> ReadFastPath(std::int64_t fileSize, const ReadAtFunction& readAt) {
  if (fileSize < static_cast<std::int64_t>(EndRecordSize)) {
    return std::nullopt;
  }
  std::array<std::byte, EndRecordSize> bytes{};
  const std::int64_t offset = fileSize - static_cast<std::int64_t>(EndRecordSize);
  if (!ReadExactly(readAt, offset, bytes)) {
    return std::nullopt;
  }
  const std::optional<EndRecord> record = ParseEndRecord(bytes);
  if (!record) {
    return std::nullopt;
  }
  LocatedEndRecord located;
  located.record = *record;
  located.offset = offset;
  located.archiveEnd = fileSize;
  located.foundBy = EndRecordPath::FastPath;
  return located;
}

[[nodiscard]] bool AllZero(std::span<const std::byte> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::byte value) { return value == std::byte{0}; });
}

// Writers that fill the last block of a file with zeros leave less than one
// block of them behind the comment, in a file of whole blocks.
[[nodiscard]] TrailingBytes TrailingBytesOf(std::int64_t fileSize, std::int64_t archiveEnd,
                                            std::span<const std::byte> behindComment) {
  if (archiveEnd == fileSize) {
    return TrailingBytes::None;
  }
  if (archiveEnd > fileSize) {
    return TrailingBytes::CommentCutShort;
  }
  const bool padding =
      fileSize - archiveEnd < PaddingBlockSize && fileSize % PaddingBlockSize == 0 && AllZero(behindComment);
  return padding ? TrailingBytes::BlockPadding : TrailingBytes::Garbage;
}

[[nodiscard]] LocatedEndRecord AcceptSearched(std::span<const std::byte> window, std::size_t position,
                                              std::int64_t fileSize) {
  LocatedEndRecord located;
  located.record = *ParseEndRecord(window.subspan(position));
  located.offset = fileSize - static_cast<std::int64_t>(window.size()) + static_cast<std::int64_t>(position);
  located.foundBy = EndRecordPath::Search;
  const std::size_t commentStart = position + EndRecordSize;
  const std::size_t commentLength = located.record.commentLength;
  located.archiveEnd = located.offset + static_cast<std::int64_t>(EndRecordSize + commentLength);
  const std::span<const std::byte> present =
      window.subspan(commentStart, std::min(commentLength, window.size() - commentStart));
  located.comment.assign(reinterpret_cast<const char*>(present.data()), present.size());
  const std::span<const std::byte> behind = window.subspan(std::min(commentStart + commentLength, window.size()));
  located.trailing = TrailingBytesOf(fileSize, located.archiveEnd, behind);
  return located;
}

[[nodiscard]] EndRecordSearch Search(std::int64_t fileSize, const ReadAtFunction& readAt) {
  const auto windowSize =
      static_cast<std::size_t>(std::min(fileSize, static_cast<std::int64_t>(EndRecordSearchWindow)));
  // The fast path tried the window's last position; a window without another
  // position is not worth reading.
  if (windowSize <= EndRecordSize) {
    return {};
  }
  std::vector<std::byte> window(windowSize);
  const ReadResult read = readAt(fileSize - static_cast<std::int64_t>(windowSize), window);
  if (read.status == ReadStatus::OffsetUnreachable) {
    return {EndRecordOutcome::SeekFailed, {}};
  }
  if (read.bytesRead < windowSize) {
    return {EndRecordOutcome::ShortRead, {}};
  }
  const std::optional<std::size_t> position = FindEndRecord(std::span(window).first(windowSize - 1));
  if (!position) {
    return {};
  }
  return {EndRecordOutcome::Found, AcceptSearched(window, *position, fileSize)};
}

}  // namespace

std::string_view LocatedEndRecord::CommentText() const {
  return TextBeforeZero(comment);
}

EndRecordSearch LocateEndRecord(std::int64_t fileSize, const ReadAtFunction& readAt) {
  if (std::optional<LocatedEndRecord> fast = ReadFastPath(fileSize, readAt)) {
    return {EndRecordOutcome::Found, std::move(*fast)};
  }
  return Search(fileSize, readAt);
}

}  // namespace zipformat
