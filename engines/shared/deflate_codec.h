// Raw deflate encoding with zlib, streaming, for whatever must write zip data:
// the zip engine, and the tests' archive writer.
#pragma once

#include <cstddef>
#include <memory>
#include <span>

namespace engines::shared {

enum class DeflateFlush {
  MoreInputFollows,
  FinishStream,  // the input given is the last; keep calling until Finished
};

struct DeflateStep {
  std::size_t consumed = 0;
  std::size_t produced = 0;
  bool finished = false;  // the final block has been written out completely
};

class StreamingDeflater {
 public:
  // Level 0 (stored blocks) to 9 (smallest); out-of-range levels are clamped.
  explicit StreamingDeflater(int level);
  ~StreamingDeflater();
  StreamingDeflater(const StreamingDeflater&) = delete;
  StreamingDeflater& operator=(const StreamingDeflater&) = delete;

  [[nodiscard]] bool IsReady() const;
  [[nodiscard]] DeflateStep Deflate(std::span<const std::byte> input, std::span<std::byte> output, DeflateFlush flush);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace engines::shared
