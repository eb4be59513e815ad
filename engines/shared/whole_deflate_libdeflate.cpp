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

// Below this size libdeflate's own level is already smaller than zlib's, and the
// set-up of the near-optimal parser would cost more than the data: small files
// take libdeflate's level of the same number.
constexpr std::size_t SmallInputLimit = 16 * 1024;

int LibdeflateLevel(int zlibLevel) {
  return LibdeflateLevels[static_cast<std::size_t>(zlibLevel - 1)];
}

}  // namespace

struct WholeBufferDeflater::State {
  libdeflate_compressor* small = nullptr;
  libdeflate_compressor* large = nullptr;
};

WholeBufferDeflater::WholeBufferDeflater(int level) : state_(std::make_unique<State>()) {
  const int zlibLevel = std::clamp(level, 1, 9);
  state_->small = libdeflate_alloc_compressor(zlibLevel);
  state_->large = LibdeflateLevel(zlibLevel) == zlibLevel ? state_->small
                                                          : libdeflate_alloc_compressor(LibdeflateLevel(zlibLevel));
}

WholeBufferDeflater::~WholeBufferDeflater() {
  if (state_->large != nullptr && state_->large != state_->small) {
    libdeflate_free_compressor(state_->large);
  }
  if (state_->small != nullptr) {
    libdeflate_free_compressor(state_->small);
  }
}

bool WholeBufferDeflater::IsReady() const {
  return state_->small != nullptr && state_->large != nullptr;
}

std::size_t WholeBufferDeflater::Compress(std::span<const std::byte> input, std::span<std::byte> output) {
  libdeflate_compressor* compressor = input.size() < SmallInputLimit ? state_->small : state_->large;
  if (compressor == nullptr || output.empty()) {
    return 0;
  }
  return libdeflate_deflate_compress(compressor, input.data(), input.size(), output.data(), output.size());
}

}  // namespace engines::shared
