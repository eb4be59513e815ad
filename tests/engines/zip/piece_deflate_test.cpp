// The codecs added for the zip engine: pieces deflated apart join into one
// stream, whole buffers answer 0 when deflating does not pay, CRCs combine.
#include <gtest/gtest.h>

#include "engines/shared/crc32.h"
#include "engines/shared/inflate_codec.h"
#include "engines/shared/piece_deflate.h"
#include "engines/shared/whole_deflate.h"
#include "tests/engines/zip/test_tree.h"

namespace engines::zip::testing {
namespace {

std::span<const std::byte> BytesOf(const std::string& text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

std::string Inflate(const std::vector<std::byte>& deflated, std::size_t size) {
  std::vector<std::byte> output(size);
  shared::WholeBufferInflater inflater;
  EXPECT_EQ(inflater.Inflate(deflated, output), shared::WholeInflateResult::Success);
  return std::string(reinterpret_cast<const char*>(output.data()), output.size());
}

struct PieceCase {
  std::size_t size;
  std::size_t pieceSize;
};

class Pieces : public ::testing::TestWithParam<PieceCase> {};

TEST_P(Pieces, JoinIntoOneStreamAndTheirCrcsCombine) {
  const std::string input = TextOfSize(GetParam().size / 2) + RandomBytes(GetParam().size - GetParam().size / 2, 5);
  shared::PieceDeflater deflater(6);
  ASSERT_TRUE(deflater.IsReady());
  std::vector<std::byte> joined;
  std::uint32_t crc = 0;
  for (std::size_t start = 0; start < input.size(); start += GetParam().pieceSize) {
    const std::size_t length = std::min(GetParam().pieceSize, input.size() - start);
    const auto place = start + length == input.size() ? shared::PiecePlace::Last : shared::PiecePlace::Inner;
    std::vector<std::byte> piece;
    ASSERT_TRUE(deflater.Compress(BytesOf(input).first(start), BytesOf(input).subspan(start, length), place, piece));
    joined.insert(joined.end(), piece.begin(), piece.end());
    crc = shared::CombineCrc32(crc, shared::UpdateCrc32(0, BytesOf(input).subspan(start, length)), length);
  }
  EXPECT_EQ(Inflate(joined, input.size()), input);
  EXPECT_EQ(crc, shared::UpdateCrc32(0, BytesOf(input)));
}

INSTANTIATE_TEST_SUITE_P(Codecs, Pieces,
                         ::testing::Values(PieceCase{1, 1}, PieceCase{100000, 100000}, PieceCase{300000, 65536},
                                           PieceCase{200000, 1000}));

TEST(Codecs, PiecesReachBackIntoThePrecedingInput) {
  const std::string repeated = RandomBytes(20000, 6);
  const std::string input = repeated + repeated;
  shared::PieceDeflater deflater(6);
  std::vector<std::byte> first;
  std::vector<std::byte> second;
  ASSERT_TRUE(deflater.Compress({}, BytesOf(repeated), shared::PiecePlace::Inner, first));
  ASSERT_TRUE(deflater.Compress(BytesOf(repeated), BytesOf(repeated), shared::PiecePlace::Last, second));
  EXPECT_LT(second.size(), 1000u) << "the second piece refers to the first instead of repeating it";
  first.insert(first.end(), second.begin(), second.end());
  EXPECT_EQ(Inflate(first, input.size()), input);
}

TEST(Codecs, AWholeBufferThatDoesNotShrinkAnswersNothing) {
  for (const int level : {1, 6, 9}) {
    shared::WholeBufferDeflater deflater(level);
    ASSERT_TRUE(deflater.IsReady());
    const std::string noise = RandomBytes(10000, 7);
    std::vector<std::byte> room(noise.size() - 1);
    EXPECT_EQ(deflater.Compress(BytesOf(noise), room), 0u) << level;
    const std::string text = TextOfSize(10000);
    const std::size_t produced = deflater.Compress(BytesOf(text), room);
    ASSERT_GT(produced, 0u) << level;
    EXPECT_EQ(Inflate(std::vector<std::byte>(room.begin(), room.begin() + static_cast<std::ptrdiff_t>(produced)),
                      text.size()),
              text);
  }
}

}  // namespace
}  // namespace engines::zip::testing
