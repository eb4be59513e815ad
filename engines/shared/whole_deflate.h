// Raw deflate of a whole buffer in one call, for data small enough to hold in
// memory. The build picks libdeflate where it is available (about twice as fast
// as zlib at the same size) and zlib elsewhere. No I/O: caller-owned buffers only.
#pragma once

#include <cstddef>
#include <memory>
#include <span>

namespace engines::shared {

class WholeBufferDeflater {
 public:
  // Level 1 (fastest) to 9 (smallest); out-of-range levels are clamped.
  explicit WholeBufferDeflater(int level);
  ~WholeBufferDeflater();
  WholeBufferDeflater(const WholeBufferDeflater&) = delete;
  WholeBufferDeflater& operator=(const WholeBufferDeflater&) = delete;

  [[nodiscard]] bool IsReady() const;
  // The compressed size, or 0 when the compressed data would not fit in `output`:
  // offering an output one byte smaller than the input answers at once whether
  // deflating is worth it.
  [[nodiscard]] std::size_t Compress(std::span<const std::byte> input, std::span<std::byte> output);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace engines::shared
