// The marks of a spanned set: the span mark at the start of its first file and
// the volume labels of its disks.
#include "zipformat/spanning.h"

#include <gtest/gtest.h>

#include <string>

namespace zipformat {
namespace {

std::span<const std::byte> BytesOf(const std::string& text) { return std::as_bytes(std::span(text.data(), text.size())); }

TEST(SpanMark, IsTheDescriptorSignatureFollowedByALocalHeader) {
  EXPECT_TRUE(IsSpanMarked(BytesOf(std::string("PK\x07\x08PK\x03\x04rest", 12))));
  EXPECT_FALSE(IsSpanMarked(BytesOf(std::string("PK\x07\x08PK\x01\x02", 8)))) << "a central header behind it";
  EXPECT_FALSE(IsSpanMarked(BytesOf(std::string("PK\x03\x04PK\x03\x04", 8)))) << "a plain archive";
  EXPECT_FALSE(IsSpanMarked(BytesOf(std::string("PK\x07\x08PK\x03", 7)))) << "too short";
}

TEST(SpanLabel, NumbersDisksFromOneInThreeDigits) {
  EXPECT_EQ(SpanDiskLabel(0), "PKBACK# 001");
  EXPECT_EQ(SpanDiskLabel(11), "PKBACK# 012");
  EXPECT_EQ(SpanDiskLabel(998), "PKBACK# 999");
}

TEST(SpanLabel, TheDiskNumberIsReadBackFromALabel) {
  struct Case {
    const char* label;
    int number;
  };
  const Case cases[] = {
      {"PKBACK# 001", 1}, {"PKBACK# 003", 3}, {"PKBACK# 120", 120}, {"PKBACK# 7", 7},
      {"PKBACK# 0045", 4},  // three digits are read
      {"PKBACK# x1", 0},    {"PKBACK# 12a", 0}, {"PKBACK#003", 0},   {"PKBACK# ", 0},
      {"DATA", 0},          {"", 0},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(DiskNumberOfLabel(test.label), test.number) << '"' << test.label << '"';
  }
  for (const int disk : {0, 4, 998}) {
    EXPECT_EQ(DiskNumberOfLabel(SpanDiskLabel(disk)), disk + 1);
  }
}

}  // namespace
}  // namespace zipformat
