#include <zlib.h>

#include <algorithm>
#include <limits>

#include "engines/shared/whole_deflate.h"

namespace engines::shared {

namespace {

constexpr int RawDeflateWindowBits = -15;
constexpr int DefaultMemoryLevel = 8;

}  // namespace

struct WholeBufferDeflater::State {
  z_stream stream{};
  bool ready = false;
};

WholeBufferDeflater::WholeBufferDeflater(int level) : state_(std::make_unique<State>()) {
  state_->ready = deflateInit2(&state_->stream, std::clamp(level, 1, 9), Z_DEFLATED, RawDeflateWindowBits,
                               DefaultMemoryLevel, Z_DEFAULT_STRATEGY) == Z_OK;
}

WholeBufferDeflater::~WholeBufferDeflater() {
  if (state_->ready) {
    deflateEnd(&state_->stream);
  }
}

bool WholeBufferDeflater::IsReady() const {
  return state_->ready;
}

std::size_t WholeBufferDeflater::Compress(std::span<const std::byte> input, std::span<std::byte> output) {
  constexpr std::size_t Largest = std::numeric_limits<uInt>::max();
  if (!state_->ready || output.empty() || input.size() > Largest || output.size() > Largest) {
    return 0;
  }
  z_stream& stream = state_->stream;
  deflateReset(&stream);
  Bytef placeholderInput = 0;
  stream.next_in = input.empty() ? &placeholderInput : const_cast<Bytef*>(reinterpret_cast<const Bytef*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = reinterpret_cast<Bytef*>(output.data());
  stream.avail_out = static_cast<uInt>(output.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
    return 0;
  }
  return output.size() - stream.avail_out;
}

}  // namespace engines::shared
