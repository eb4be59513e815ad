#include <zlib.h>

#include <algorithm>
#include <limits>

#include "engines/shared/inflate_codec.h"

namespace engines::shared {

namespace {

// A raw stream: negative window bits tell zlib there is no header or trailer.
constexpr int RawDeflateWindowBits = -15;
uInt ClampToUInt(std::size_t size) {
  return static_cast<uInt>(std::min<std::size_t>(size, std::numeric_limits<uInt>::max()));
}

}  // namespace

struct StreamingInflater::State {
  z_stream stream{};
  bool ready = false;
};

StreamingInflater::StreamingInflater() : state_(std::make_unique<State>()) {
  state_->ready = inflateInit2(&state_->stream, RawDeflateWindowBits) == Z_OK;
}

StreamingInflater::~StreamingInflater() {
  if (state_->ready) {
    inflateEnd(&state_->stream);
  }
}

bool StreamingInflater::IsReady() const {
  return state_->ready;
}

InflateStep StreamingInflater::Inflate(std::span<const std::byte> input, std::span<std::byte> output) {
  if (!state_->ready) {
    return InflateStep{0, 0, InflateStatus::DataError};
  }
  // zlib refuses a null output pointer even when no output is wanted.
  Bytef placeholderOutput = 0;
  z_stream& stream = state_->stream;
  stream.next_in = const_cast<Bytef*>(reinterpret_cast<const Bytef*>(input.data()));
  stream.avail_in = ClampToUInt(input.size());
  stream.next_out = output.empty() ? &placeholderOutput : reinterpret_cast<Bytef*>(output.data());
  stream.avail_out = ClampToUInt(output.size());
  const uInt inputBefore = stream.avail_in;
  const uInt outputBefore = stream.avail_out;
  const int result = inflate(&stream, Z_NO_FLUSH);
  InflateStep step;
  step.consumed = inputBefore - stream.avail_in;
  step.produced = outputBefore - stream.avail_out;
  if (result == Z_STREAM_END) {
    step.status = InflateStatus::StreamEnd;
  } else if (result == Z_OK || result == Z_BUF_ERROR) {
    step.status = stream.avail_out == 0 ? InflateStatus::OutputFull : InflateStatus::NeedsInput;
  } else {
    step.status = InflateStatus::DataError;
  }
  return step;
}

}  // namespace engines::shared
