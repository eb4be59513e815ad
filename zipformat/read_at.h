// How the zip format core reads: through a function of the caller's that reads
// bytes at an offset. The core never opens, seeks or reads a file itself, so the
// caller decides what a source is (a file, a disk of a spanned set, a buffer) and
// what its failures mean.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace zipformat {

enum class ReadStatus : std::uint8_t {
  Read,               // bytesRead bytes came, fewer than asked at the end of the data
  OffsetUnreachable,  // the source could not get to the offset at all (a failed seek)
};

struct ReadResult {
  ReadStatus status = ReadStatus::Read;
  std::size_t bytesRead = 0;

  [[nodiscard]] static ReadResult Got(std::size_t count) { return {ReadStatus::Read, count}; }
  [[nodiscard]] static ReadResult Unreachable() { return {ReadStatus::OffsetUnreachable, 0}; }
};

// Reads up to `into.size()` bytes at `offset` into the front of `into`. A read
// the source refuses counts as a read of 0 bytes.
using ReadAtFunction = std::function<ReadResult(std::int64_t offset, std::span<std::byte> into)>;

// Reads all of `into` at `offset` or answers false.
using ExactReadFunction = std::function<bool(std::int64_t offset, std::span<std::byte> into)>;

// A source of `sourceSize` bytes that only reads whole requests, as a read-at
// function: a request running past the end is cut to what the source holds.
[[nodiscard]] ReadAtFunction FromExactReader(std::int64_t sourceSize, ExactReadFunction readExactly);

// True when the read at `offset` filled all of `into`.
[[nodiscard]] bool ReadExactly(const ReadAtFunction& readAt, std::int64_t offset, std::span<std::byte> into);

}  // namespace zipformat
