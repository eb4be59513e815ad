// One raw deflate stream made of pieces compressed independently, so that the
// pieces of a large file can be compressed on several threads with bounded
// memory. Each piece is primed with the (up to) 32 KiB of input before it and
// ends on a byte boundary (an empty stored block), except the last, which ends
// the stream: joined in order, the pieces are one valid deflate stream. The cost
// is a few bytes per piece and matches that cannot reach across a piece's start
// beyond the primed window, which deflate's window never could anyway.
//
// zlib only (libdeflate cannot prime a dictionary). No I/O.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace engines::shared {

// Deflate looks back this far; a piece needs no more of what came before it.
inline constexpr std::size_t DeflateWindowSize = 32768;

enum class PiecePlace { Inner, Last };

class PieceDeflater {
 public:
  // Level 1 (fastest) to 9 (smallest); out-of-range levels are clamped.
  explicit PieceDeflater(int level);
  ~PieceDeflater();
  PieceDeflater(const PieceDeflater&) = delete;
  PieceDeflater& operator=(const PieceDeflater&) = delete;

  [[nodiscard]] bool IsReady() const;
  // Replaces `output` by the compressed piece. `precedingInput` is the input just
  // before this piece (only its last 32 KiB are used; empty for the first piece).
  [[nodiscard]] bool Compress(std::span<const std::byte> precedingInput, std::span<const std::byte> input,
                              PiecePlace place, std::vector<std::byte>& output);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace engines::shared
