// Raw deflate decoding (no zlib or gzip wrapper: zip keeps its own CRC-32).
//
// Two decoders behind one small interface, so that the extraction logic never
// knows which library does the work:
//   - StreamingInflater: zlib, resumable at any byte boundary; bounded memory
//     whatever the entry size.
//   - WholeBufferInflater: the whole compressed entry in, the whole output out,
//     for entries small enough to hold in memory. The build picks libdeflate
//     where it is available (much faster) and zlib elsewhere.
// Neither does I/O; both move caller-owned buffers.
#pragma once

#include <cstddef>
#include <memory>
#include <span>

namespace engines::shared {

enum class InflateStatus {
  NeedsInput,  // all input consumed, the stream goes on
  OutputFull,  // the output span is full, the stream goes on
  StreamEnd,   // the final block ended
  DataError,   // the input is not valid deflate data
};

struct InflateStep {
  std::size_t consumed = 0;
  std::size_t produced = 0;
  InflateStatus status = InflateStatus::NeedsInput;
};

class StreamingInflater {
 public:
  StreamingInflater();
  ~StreamingInflater();
  StreamingInflater(const StreamingInflater&) = delete;
  StreamingInflater& operator=(const StreamingInflater&) = delete;

  // False when the decoder's state could not be allocated; Inflate then fails.
  [[nodiscard]] bool IsReady() const;
  [[nodiscard]] InflateStep Inflate(std::span<const std::byte> input, std::span<std::byte> output);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

enum class WholeInflateResult {
  Success,       // the stream ended having produced exactly output.size() bytes
  SizeMismatch,  // the stream ended early, or would produce more than output.size()
  DataError,     // invalid or truncated deflate data
  OutOfMemory,
};

class WholeBufferInflater {
 public:
  WholeBufferInflater();
  ~WholeBufferInflater();
  WholeBufferInflater(const WholeBufferInflater&) = delete;
  WholeBufferInflater& operator=(const WholeBufferInflater&) = delete;

  // `output` has the exact uncompressed size; never more is written.
  [[nodiscard]] WholeInflateResult Inflate(std::span<const std::byte> input, std::span<std::byte> output);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace engines::shared
