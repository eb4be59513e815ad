// The codecs added for the zip engine: pieces deflated apart join into one
// stream, whole buffers answer 0 when deflating does not pay, CRCs combine.
#include <gtest/gtest.h>
#include <zlib.h>

#include "engines/shared/crc32.h"
#include "engines/shared/inflate_codec.h"
#include "engines/shared/piece_deflate.h"
#include "engines/shared/whole_deflate.h"
#include "engines/zip/compression_pipeline.h"
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

std::size_t ZlibRawDeflateSize(const std::string& input, int level) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::vector<Bytef> output(deflateBound(&stream, static_cast<uLong>(input.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = output.data();
  stream.avail_out = static_cast<uInt>(output.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  const std::size_t produced = stream.total_out;
  deflateEnd(&stream);
  return produced;
}

// Whichever codec and level a size picks, a whole buffer deflates no larger than
// zlib does at the same level, on either side of the small-input limit.
TEST(Codecs, AWholeBufferIsNoLargerThanZlibMakesItAtTheSameLevel) {
  for (const std::size_t size : {600u, 3000u, 15000u, 17000u, 200000u}) {
    const std::string text = TextOfSize(size / 2) + RandomBytes(size / 4, 11) + TextOfSize(size - size / 2 - size / 4);
    for (const int level : {6, 8, 9}) {
      shared::WholeBufferDeflater deflater(level);
      std::vector<std::byte> room(text.size());
      const std::size_t produced = deflater.Compress(BytesOf(text), room);
      ASSERT_GT(produced, 0u) << size << " " << level;
      EXPECT_LE(produced, ZlibRawDeflateSize(text, level)) << size << " " << level;
      EXPECT_EQ(Inflate(std::vector<std::byte>(room.begin(), room.begin() + static_cast<std::ptrdiff_t>(produced)),
                        text.size()),
                text);
    }
  }
}

// Many small sources go to the workers in batches, between a file too large to
// hold whole and one that cannot be opened: every job still comes back once, in
// source order, with its own data.
TEST(Pipeline, BatchedSmallSourcesComeBackInOrderAroundPiecesAndFailures) {
  std::vector<std::string> contents;
  for (std::size_t index = 0; index < 300; ++index) {
    contents.push_back(index % 7 == 0 ? RandomBytes(100 + index * 37, static_cast<unsigned>(index))
                                      : TextOfSize(50 + index * 211));
  }
  contents[150] = TextOfSize(static_cast<std::size_t>(WholeFileLimit) + 12345);
  std::vector<DataSource> sources;
  for (const std::string& content : contents) {
    sources.push_back(DataSource{.memory = BytesOf(content), .size = content.size()});
  }
  sources.insert(sources.begin() + 200, DataSource{.diskPath = "/no/such/folder/file.txt", .size = 10});
  CompressionPipeline pipeline(std::move(sources), 6, 2);

  for (std::size_t index = 0; index < contents.size(); ++index) {
    if (index == 200) {
      const std::unique_ptr<CompressionJob> missing = pipeline.Next();
      ASSERT_TRUE(missing);
      EXPECT_EQ(missing->readStatus, ReadStatus::OpenFailed);
    }
    std::vector<std::byte> deflated;
    std::uint32_t crc = 0;
    std::unique_ptr<CompressionJob> job;
    do {
      job = pipeline.Next();
      ASSERT_TRUE(job) << index;
      ASSERT_EQ(job->readStatus, ReadStatus::Complete) << index;
      deflated.insert(deflated.end(), job->output.begin(), job->output.end());
      crc = shared::CombineCrc32(crc, job->crc32, job->inputSize);
    } while (job->place != shared::PiecePlace::Last);
    // Noise that does not shrink comes back as it was read, to be stored.
    const std::string data = job->deflated ? Inflate(deflated, contents[index].size())
                                           : std::string(reinterpret_cast<const char*>(job->input.data()),
                                                         job->input.size());
    EXPECT_EQ(data, contents[index]) << index;
    EXPECT_EQ(crc, shared::UpdateCrc32(0, BytesOf(contents[index]))) << index;
  }
  EXPECT_FALSE(pipeline.Next());
}

}  // namespace
}  // namespace engines::zip::testing
