// The header of compressed data kept in memory.
#include "engines/shared/memory_stream_header.h"

#include <gtest/gtest.h>

#include <vector>

#include "zipformat/records.h"

namespace engines::shared {
namespace {

namespace compression_method = zipformat::compression_method;

TEST(MemoryStreamHeader, HoldsMethodThenCrcLittleEndian) {
  std::vector<std::byte> bytes(MemoryStreamHeaderSize);
  WriteMemoryStreamHeader(bytes, MemoryStreamHeader{compression_method::Deflated, 0x11223344});
  EXPECT_EQ(std::to_integer<int>(bytes[0]), 8);
  EXPECT_EQ(std::to_integer<int>(bytes[1]), 0);
  EXPECT_EQ(std::to_integer<int>(bytes[2]), 0x44);
  EXPECT_EQ(std::to_integer<int>(bytes[5]), 0x11);
  const std::optional<MemoryStreamHeader> parsed = ParseMemoryStreamHeader(bytes);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->method, compression_method::Deflated);
  EXPECT_EQ(parsed->crc32, 0x11223344u);
  EXPECT_FALSE(ParseMemoryStreamHeader(std::span(bytes).first(5)).has_value());
}

}  // namespace
}  // namespace engines::shared
