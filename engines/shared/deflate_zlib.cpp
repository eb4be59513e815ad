#include <zlib.h>

#include <algorithm>
#include <limits>

#include "engines/shared/deflate_codec.h"

namespace engines::shared {

namespace {

constexpr int RawDeflateWindowBits = -15;
constexpr int DefaultMemoryLevel = 8;

uInt ClampToUInt(std::size_t size) {
  return static_cast<uInt>(std::min<std::size_t>(size, std::numeric_limits<uInt>::max()));
}

}  // namespace

struct StreamingDeflater::State {
  z_stream stream{};
  bool ready = false;
  bool finished = false;
};

StreamingDeflater::StreamingDeflater(int level) : state_(std::make_unique<State>()) {
  const int clamped = std::clamp(level, 0, 9);
  state_->ready = deflateInit2(&state_->stream, clamped, Z_DEFLATED, RawDeflateWindowBits, DefaultMemoryLevel,
                               Z_DEFAULT_STRATEGY) == Z_OK;
}

StreamingDeflater::~StreamingDeflater() {
  if (state_->ready) {
    deflateEnd(&state_->stream);
  }
}

bool StreamingDeflater::IsReady() const {
  return state_->ready;
}

DeflateStep StreamingDeflater::Deflate(std::span<const std::byte> input, std::span<std::byte> output,
                                       DeflateFlush flush) {
  if (!state_->ready || state_->finished || output.empty()) {
    return DeflateStep{0, 0, state_->finished};
  }
  z_stream& stream = state_->stream;
  Bytef placeholderInput = 0;
  stream.next_in = input.empty() ? &placeholderInput : const_cast<Bytef*>(reinterpret_cast<const Bytef*>(input.data()));
  stream.avail_in = ClampToUInt(input.size());
  stream.next_out = reinterpret_cast<Bytef*>(output.data());
  stream.avail_out = ClampToUInt(output.size());
  const uInt inputBefore = stream.avail_in;
  const uInt outputBefore = stream.avail_out;
  const int result = deflate(&stream, flush == DeflateFlush::FinishStream ? Z_FINISH : Z_NO_FLUSH);
  state_->finished = result == Z_STREAM_END;
  return DeflateStep{inputBefore - stream.avail_in, outputBefore - stream.avail_out, state_->finished};
}

}  // namespace engines::shared
