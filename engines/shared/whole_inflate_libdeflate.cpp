// The whole-buffer decoder on libdeflate, which decodes complete buffers several
// times faster than zlib.
#include <libdeflate.h>

#include "engines/shared/inflate_codec.h"

namespace engines::shared {

struct WholeBufferInflater::State {
  libdeflate_decompressor* decompressor = nullptr;
};

WholeBufferInflater::WholeBufferInflater() : state_(std::make_unique<State>()) {
  state_->decompressor = libdeflate_alloc_decompressor();
}

WholeBufferInflater::~WholeBufferInflater() {
  if (state_->decompressor != nullptr) {
    libdeflate_free_decompressor(state_->decompressor);
  }
}

WholeInflateResult WholeBufferInflater::Inflate(std::span<const std::byte> input, std::span<std::byte> output) {
  if (state_->decompressor == nullptr) {
    return WholeInflateResult::OutOfMemory;
  }
  // Passing no "actual size" makes libdeflate insist on exactly output.size() bytes.
  std::byte placeholder{};
  void* outputStart = output.empty() ? &placeholder : output.data();
  const libdeflate_result result = libdeflate_deflate_decompress(state_->decompressor, input.data(), input.size(),
                                                                 outputStart, output.size(), nullptr);
  switch (result) {
    case LIBDEFLATE_SUCCESS:
      return WholeInflateResult::Success;
    case LIBDEFLATE_SHORT_OUTPUT:
    case LIBDEFLATE_INSUFFICIENT_SPACE:
      return WholeInflateResult::SizeMismatch;
    default:
      return WholeInflateResult::DataError;
  }
}

}  // namespace engines::shared
