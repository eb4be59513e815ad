// The whole-buffer decoder where libdeflate is not available: one zlib call over
// the complete input and output.
#include <zlib.h>

#include <limits>

#include "engines/shared/inflate_codec.h"

namespace engines::shared {

namespace {

constexpr int RawDeflateWindowBits = -15;

}  // namespace

struct WholeBufferInflater::State {};

WholeBufferInflater::WholeBufferInflater() : state_(std::make_unique<State>()) {}

WholeBufferInflater::~WholeBufferInflater() = default;

WholeInflateResult WholeBufferInflater::Inflate(std::span<const std::byte> input, std::span<std::byte> output) {
  constexpr std::size_t largest = std::numeric_limits<uInt>::max();
  if (input.size() > largest || output.size() > largest) {
    return WholeInflateResult::OutOfMemory;
  }
  z_stream stream{};
  if (inflateInit2(&stream, RawDeflateWindowBits) != Z_OK) {
    return WholeInflateResult::OutOfMemory;
  }
  // One spare byte beyond the expected size tells "ends exactly here" from "goes on".
  Bytef spare = 0;
  stream.next_in = const_cast<Bytef*>(reinterpret_cast<const Bytef*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = output.empty() ? &spare : reinterpret_cast<Bytef*>(output.data());
  stream.avail_out = static_cast<uInt>(output.size());
  int result = inflate(&stream, Z_FINISH);
  if (result != Z_STREAM_END && result != Z_DATA_ERROR && stream.avail_out == 0) {
    stream.next_out = &spare;
    stream.avail_out = 1;
    result = inflate(&stream, Z_FINISH);
  }
  const uLong produced = stream.total_out;
  inflateEnd(&stream);
  if (result == Z_STREAM_END) {
    return produced == output.size() ? WholeInflateResult::Success : WholeInflateResult::SizeMismatch;
  }
  if (result == Z_MEM_ERROR) {
    return WholeInflateResult::OutOfMemory;
  }
  if (produced > output.size()) {
    return WholeInflateResult::SizeMismatch;
  }
  return WholeInflateResult::DataError;
}

}  // namespace engines::shared
