#include "engines/shared/crc32.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace engines::shared {
namespace {

std::span<const std::byte> BytesOf(std::string_view text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

TEST(Crc32, KnownCheckValues) {
  struct Case {
    std::string_view text;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {"", 0x00000000},
      {"a", 0xE8B7BE43},
      {"123456789", 0xCBF43926},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339},
  };
  for (const Case& entry : cases) {
    EXPECT_EQ(UpdateCrc32(0, BytesOf(entry.text)), entry.expected) << entry.text;
  }
}

TEST(Crc32, PiecesGiveTheSameValueAsTheWhole) {
  std::vector<std::byte> data(100000);
  for (std::size_t index = 0; index < data.size(); ++index) {
    data[index] = static_cast<std::byte>((index * 7919) >> 3);
  }
  Crc32 running;
  for (std::size_t offset = 0; offset < data.size(); offset += 4097) {
    running.Update(std::span(data).subspan(offset, std::min<std::size_t>(4097, data.size() - offset)));
  }
  EXPECT_EQ(running.Value(), UpdateCrc32(0, data));
}

}  // namespace
}  // namespace engines::shared
