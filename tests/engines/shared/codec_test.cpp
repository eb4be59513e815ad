// The deflate encoder and both decoders, checked against each other on data of
// several kinds and against broken input. Compressed bytes are never compared,
// only what they decode to.
#include <gtest/gtest.h>

#include <vector>

#include "engines/shared/deflate_codec.h"
#include "engines/shared/inflate_codec.h"

namespace engines::shared {
namespace {

std::vector<std::byte> SampleData(std::size_t size, unsigned seed) {
  std::vector<std::byte> data(size);
  std::uint32_t state = seed;
  for (std::size_t index = 0; index < size; ++index) {
    state = state * 1103515245 + 12345;
    // Every other kilobyte is text-like, the rest noise: both block kinds occur.
    const bool textLike = (index / 1024) % 2 == 0;
    data[index] = static_cast<std::byte>(textLike ? 'a' + (state >> 16) % 4 : state >> 16);
  }
  return data;
}

std::vector<std::byte> Deflate(std::span<const std::byte> input, int level) {
  StreamingDeflater deflater(level);
  EXPECT_TRUE(deflater.IsReady());
  std::vector<std::byte> output;
  std::vector<std::byte> chunk(1000);
  std::size_t offset = 0;
  for (;;) {
    const DeflateStep step = deflater.Deflate(input.subspan(offset), chunk, DeflateFlush::FinishStream);
    offset += step.consumed;
    output.insert(output.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(step.produced));
    if (step.finished) {
      return output;
    }
  }
}

// Feeds the decoder tiny pieces of input and output to exercise every resume point.
std::vector<std::byte> InflateInPieces(std::span<const std::byte> input, std::size_t inputPiece,
                                       std::size_t outputPiece, InflateStatus& finalStatus) {
  StreamingInflater inflater;
  EXPECT_TRUE(inflater.IsReady());
  std::vector<std::byte> output;
  std::vector<std::byte> chunk(outputPiece);
  std::size_t offset = 0;
  for (;;) {
    const std::span<const std::byte> piece = input.subspan(offset, std::min(inputPiece, input.size() - offset));
    const InflateStep step = inflater.Inflate(piece, chunk);
    offset += step.consumed;
    output.insert(output.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(step.produced));
    finalStatus = step.status;
    if (step.status == InflateStatus::StreamEnd || step.status == InflateStatus::DataError) {
      return output;
    }
    if (step.status == InflateStatus::NeedsInput && offset == input.size()) {
      return output;
    }
  }
}

TEST(Codec, EveryLevelAndSizeRoundTripsThroughBothDecoders) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{5000}, std::size_t{300000}}) {
    for (const int level : {0, 1, 6, 9}) {
      const std::vector<std::byte> original = SampleData(size, static_cast<unsigned>(size) + 1);
      const std::vector<std::byte> compressed = Deflate(original, level);

      InflateStatus status{};
      EXPECT_EQ(InflateInPieces(compressed, 7, 13, status), original) << size << " level " << level;
      EXPECT_EQ(status, InflateStatus::StreamEnd);

      std::vector<std::byte> whole(original.size());
      WholeBufferInflater inflater;
      EXPECT_EQ(inflater.Inflate(compressed, whole), WholeInflateResult::Success) << size << " level " << level;
      EXPECT_EQ(whole, original);
    }
  }
}

TEST(Codec, WholeBufferDecoderInsistsOnTheExactSize) {
  const std::vector<std::byte> original = SampleData(10000, 3);
  const std::vector<std::byte> compressed = Deflate(original, 6);
  WholeBufferInflater inflater;
  std::vector<std::byte> tooSmall(original.size() - 1);
  EXPECT_EQ(inflater.Inflate(compressed, tooSmall), WholeInflateResult::SizeMismatch);
  std::vector<std::byte> tooLarge(original.size() + 1);
  EXPECT_EQ(inflater.Inflate(compressed, tooLarge), WholeInflateResult::SizeMismatch);
}

TEST(Codec, BrokenInputIsADataError) {
  const std::vector<std::byte> original = SampleData(20000, 5);
  const std::vector<std::byte> compressed = Deflate(original, 6);

  std::vector<std::byte> invalidBlockType = {std::byte{0x07}, std::byte{0x00}};  // final block of type 3
  std::vector<std::byte> output(original.size());
  WholeBufferInflater inflater;
  EXPECT_EQ(inflater.Inflate(invalidBlockType, output), WholeInflateResult::DataError);
  InflateStatus status{};
  InflateInPieces(invalidBlockType, 100, 100, status);
  EXPECT_EQ(status, InflateStatus::DataError);

  const std::span<const std::byte> truncated = std::span(compressed).first(compressed.size() / 2);
  EXPECT_EQ(inflater.Inflate(truncated, output), WholeInflateResult::DataError);
  InflateInPieces(truncated, 100, 100, status);
  EXPECT_EQ(status, InflateStatus::NeedsInput);  // the stream never ends
}

}  // namespace
}  // namespace engines::shared
