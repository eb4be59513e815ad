#include <zlib.h>

#include <algorithm>
#include <limits>

#include "engines/shared/piece_deflate.h"

namespace engines::shared {

namespace {

constexpr int RawDeflateWindowBits = -15;
constexpr int DefaultMemoryLevel = 8;
// A sync flush adds an empty stored block (5 bytes) and may pad a partial byte.
constexpr std::size_t FlushAllowance = 16;

}  // namespace

struct PieceDeflater::State {
  z_stream stream{};
  bool ready = false;
};

PieceDeflater::PieceDeflater(int level) : state_(std::make_unique<State>()) {
  state_->ready = deflateInit2(&state_->stream, std::clamp(level, 1, 9), Z_DEFLATED, RawDeflateWindowBits,
                               DefaultMemoryLevel, Z_DEFAULT_STRATEGY) == Z_OK;
}

PieceDeflater::~PieceDeflater() {
  if (state_->ready) {
    deflateEnd(&state_->stream);
  }
}

bool PieceDeflater::IsReady() const {
  return state_->ready;
}

bool PieceDeflater::Compress(std::span<const std::byte> precedingInput, std::span<const std::byte> input,
                             PiecePlace place, std::vector<std::byte>& output) {
  output.clear();
  if (!state_->ready || input.size() > std::numeric_limits<uInt>::max() / 2) {
    return false;
  }
  z_stream& stream = state_->stream;
  if (deflateReset(&stream) != Z_OK) {
    return false;
  }
  if (!precedingInput.empty()) {
    const std::span<const std::byte> window =
        precedingInput.last(std::min(precedingInput.size(), DeflateWindowSize));
    if (deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(window.data()),
                             static_cast<uInt>(window.size())) != Z_OK) {
      return false;
    }
  }
  output.resize(deflateBound(&stream, static_cast<uLong>(input.size())) + FlushAllowance);
  Bytef placeholderInput = 0;
  stream.next_in = input.empty() ? &placeholderInput : const_cast<Bytef*>(reinterpret_cast<const Bytef*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = reinterpret_cast<Bytef*>(output.data());
  stream.avail_out = static_cast<uInt>(output.size());
  const int flush = place == PiecePlace::Last ? Z_FINISH : Z_SYNC_FLUSH;
  const int result = deflate(&stream, flush);
  const bool complete = place == PiecePlace::Last ? result == Z_STREAM_END
                                                  : result == Z_OK && stream.avail_in == 0 && stream.avail_out > 0;
  if (!complete) {
    output.clear();
    return false;
  }
  output.resize(output.size() - stream.avail_out);
  return true;
}

}  // namespace engines::shared
