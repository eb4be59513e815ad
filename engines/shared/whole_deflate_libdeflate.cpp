#include <libdeflate.h>

#include <algorithm>
#include <array>

#include "engines/shared/whole_deflate.h"

namespace engines::shared {

namespace {

// The levels are zlib's (and Info-ZIP's): for each, the libdeflate level whose
// output is no larger than zlib's at that level. libdeflate's own 6 and 9 fall
// short on repetitive text (its 6 is larger than zlib's 6, its 9 larger and
// slower than zlib's 9); its 7 and its near-optimal 10 are not, and over a
// mixed corpus they still take less time than zlib's 6 and 9.
constexpr std::array<int, 9> LibdeflateLevels{1, 2, 3, 4, 5, 7, 8, 10, 10};

int LibdeflateLevel(int zlibLevel) {
  return LibdeflateLevels[static_cast<std::size_t>(std::clamp(zlibLevel, 1, 9) - 1)];
}

}  // namespace

struct WholeBufferDeflater::State {
  libdeflate_compressor* compressor = nullptr;
};

WholeBufferDeflater::WholeBufferDeflater(int level) : state_(std::make_unique<State>()) {
  state_->compressor = libdeflate_alloc_compressor(LibdeflateLevel(level));
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
