#include <libdeflate.h>

#include <algorithm>

#include "engines/shared/whole_deflate.h"

namespace engines::shared {

struct WholeBufferDeflater::State {
  libdeflate_compressor* compressor = nullptr;
};

WholeBufferDeflater::WholeBufferDeflater(int level) : state_(std::make_unique<State>()) {
  state_->compressor = libdeflate_alloc_compressor(std::clamp(level, 1, 9));
}

WholeBufferDeflater::~WholeBufferDeflater() {
  if (state_->compressor != nullptr) {
    libdeflate_free_compressor(state_->compressor);
  }
}

bool WholeBufferDeflater::IsReady() const {
  return state_->compressor != nullptr;
}

std::size_t WholeBufferDeflater::Compress(std::span<const std::byte> input, std::span<std::byte> output) {
  if (state_->compressor == nullptr || output.empty()) {
    return 0;
  }
  return libdeflate_deflate_compress(state_->compressor, input.data(), input.size(), output.data(), output.size());
}

}  // namespace engines::shared
