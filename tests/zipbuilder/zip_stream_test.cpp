#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "zipbuilder/zip_stream.h"

namespace zipbuilder {
namespace {

std::vector<std::uint8_t> ReadAll(TZipStream& stream) {
  std::vector<std::uint8_t> bytes(stream.Size());
  EXPECT_TRUE(stream.Seek(0, StreamOrigin::Beginning));
  EXPECT_EQ(stream.Read(bytes), bytes.size());
  return bytes;
}

TEST(ZipStream, WritesGrowTheStreamAndReadsComeBack) {
  TZipStream stream;
  const std::array<std::uint8_t, 3> first{1, 2, 3};
  const std::array<std::uint8_t, 2> second{9, 8};
  EXPECT_EQ(stream.Write(first), 3u);
  ASSERT_TRUE(stream.Seek(-1, StreamOrigin::Current));
  EXPECT_EQ(stream.Write(second), 2u);
  EXPECT_EQ(stream.Size(), 4u);
  EXPECT_EQ(ReadAll(stream), (std::vector<std::uint8_t>{1, 2, 9, 8}));
}

TEST(ZipStream, SetSizeZeroFillsAndKeepsThePositionInside) {
  TZipStream stream;
  ASSERT_TRUE(stream.SetSize(4));
  EXPECT_EQ(ReadAll(stream), (std::vector<std::uint8_t>(4, 0)));
  EXPECT_EQ(stream.Position(), 4u);
  ASSERT_TRUE(stream.SetSize(2));
  EXPECT_EQ(stream.Position(), 2u);
  ASSERT_TRUE(stream.SetSize(0));
  EXPECT_EQ(stream.Position(), 0u);
}

TEST(ZipStream, SeekOutsideTheStreamIsRefused) {
  TZipStream stream;
  ASSERT_TRUE(stream.SetSize(10));
  EXPECT_FALSE(stream.Seek(-1, StreamOrigin::Beginning));
  EXPECT_FALSE(stream.Seek(1, StreamOrigin::End));
  EXPECT_TRUE(stream.Seek(-10, StreamOrigin::End));
  EXPECT_EQ(stream.Position(), 0u);
}

TEST(ZipStream, ImpossibleSizeLeavesTheStreamUnchanged) {
  TZipStream stream;
  ASSERT_TRUE(stream.SetSize(5));
  EXPECT_FALSE(stream.SetSize(SIZE_MAX));
  EXPECT_EQ(stream.Size(), 5u);
}

TEST(ZipStream, SetPointerWorksOnTheOutsideBlockUntilItGrows) {
  std::array<std::uint8_t, 4> block{1, 2, 3, 4};
  TZipStream stream;
  stream.SetPointer(block.data(), block.size());
  EXPECT_EQ(stream.Memory(), block.data());
  EXPECT_EQ(stream.Size(), 4u);

  const std::array<std::uint8_t, 1> seven{7};
  EXPECT_EQ(stream.Write(seven), 1u);
  EXPECT_EQ(block[0], 7);

  ASSERT_TRUE(stream.SetSize(6));
  EXPECT_NE(stream.Memory(), block.data());
  EXPECT_EQ(ReadAll(stream), (std::vector<std::uint8_t>{7, 2, 3, 4, 0, 0}));
  EXPECT_EQ(block, (std::array<std::uint8_t, 4>{7, 2, 3, 4}));
}

TEST(ZipStream, ClearLetsGoOfEverything) {
  std::array<std::uint8_t, 2> block{1, 2};
  TZipStream stream;
  stream.SetPointer(block.data(), block.size());
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0u);
  EXPECT_EQ(stream.Position(), 0u);
}

}  // namespace
}  // namespace zipbuilder
