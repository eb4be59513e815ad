// Finding the end of central directory record (end record) of an archive with at
// most two reads: the last 22 bytes (an archive without a comment), then, only if
// they are no end record, the last 65557 bytes (the record with the longest
// comment), searched backwards for the record's signature.
//
// A comment that happens to hold the signature can mislead the search, as it
// misleads every zip reader: the last signature from the end is taken.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "zipformat/read_at.h"
#include "zipformat/records.h"

namespace zipformat {

// The bytes of a file whose size is a multiple of this that follow the comment
// can be the zero padding of its last block.
inline constexpr std::int64_t PaddingBlockSize = 512;

enum class EndRecordPath : std::uint8_t { FastPath, Search };

// What stands behind the comment the end record states.
enum class TrailingBytes : std::uint8_t {
  None,             // the comment ends where the file ends
  BlockPadding,     // fewer than 512 zero bytes that fill up the file's last 512-byte block
  Garbage,          // anything else behind the comment
  CommentCutShort,  // the stated comment runs past the end of the file
};

struct LocatedEndRecord {
  EndRecord record;
  std::int64_t offset = 0;  // of the record in the file
  // Just past the comment the record states, which may lie beyond the end of the
  // file; on the fast path the file size, the comment length unlooked at.
  std::int64_t archiveEnd = 0;
  // The comment bytes as far as the file holds them; empty on the fast path.
  std::string comment;
  TrailingBytes trailing = TrailingBytes::None;
  EndRecordPath foundBy = EndRecordPath::FastPath;

  // The comment as a text: a zero byte ends it early.
  [[nodiscard]] std::string_view CommentText() const;
};

enum class EndRecordOutcome : std::uint8_t {
  Found,
  SeekFailed,  // the search window could not be reached
  ShortRead,   // the search window came short
  NotFound,    // no end record in the window (always so in a file of 22 bytes or fewer that fails the fast path)
};

struct EndRecordSearch {
  EndRecordOutcome outcome = EndRecordOutcome::NotFound;
  LocatedEndRecord located;  // meaningful when Found
};

// Searches the last bytes of a file of `fileSize` bytes, read through `readAt`.
// The fast path's own failures (a seek, a short read) only lead to the search.
[[nodiscard]] EndRecordSearch LocateEndRecord(std::int64_t fileSize, const ReadAtFunction& readAt);

}  // namespace zipformat
