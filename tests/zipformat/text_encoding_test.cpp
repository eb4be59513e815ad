// The code page rule: how a stored name or comment is encoded, and how a new one is stored.
#include "zipformat/text_encoding.h"

#include <gtest/gtest.h>

#include <ostream>

namespace zipformat {
namespace {

constexpr std::uint16_t Utf8Flag = 0x0800;

struct StoredCase {
  CodePageChoice choice;
  std::uint8_t hostSystem;
  std::uint8_t versionMadeBy;
  std::uint16_t flags;
  StoredTextEncoding expected;
};

void PrintTo(const StoredCase& test, std::ostream* out) {
  *out << "choice " << static_cast<int>(test.choice) << ", host " << int{test.hostSystem} << ", version "
       << int{test.versionMadeBy} << ", flags " << test.flags;
}

class StoredTextTest : public testing::TestWithParam<StoredCase> {};

TEST_P(StoredTextTest, FollowsTheChoiceTheHostAndTheUtf8Flag) {
  const StoredCase& test = GetParam();
  EXPECT_EQ(EncodingOfStoredText(test.choice, test.hostSystem, test.versionMadeBy, test.flags), test.expected);
}

constexpr auto Auto = CodePageChoice::Automatic;
constexpr auto Oem = StoredTextEncoding::Oem;
constexpr auto AsStored = StoredTextEncoding::AsStored;
constexpr auto Utf8 = StoredTextEncoding::Utf8;

INSTANTIATE_TEST_SUITE_P(
    Automatic, StoredTextTest,
    testing::Values(StoredCase{Auto, 0, 50, 0, Oem}, StoredCase{Auto, 0, 63, 0, Oem},        // MS-DOS
                    StoredCase{Auto, 3, 50, 0, AsStored}, StoredCase{Auto, 3, 63, 0, AsStored},  // Unix
                    StoredCase{Auto, 6, 50, 0, Oem}, StoredCase{Auto, 6, 63, 0, Oem},        // OS/2 HPFS
                    StoredCase{Auto, 11, 50, 0, Oem},                                        // NTFS by 5.0
                    StoredCase{Auto, 11, 63, 0, AsStored}, StoredCase{Auto, 11, 20, 0, AsStored},
                    StoredCase{Auto, 10, 50, 0, AsStored},  // another host, even by 5.0
                    StoredCase{Auto, 0, 20, Utf8Flag, Utf8}, StoredCase{Auto, 3, 63, Utf8Flag, Utf8},
                    StoredCase{Auto, 11, 50, Utf8Flag | 0x0008, Utf8}));

INSTANTIATE_TEST_SUITE_P(
    NoneAndOem, StoredTextTest,
    testing::Values(StoredCase{CodePageChoice::None, 0, 50, 0, AsStored},
                    StoredCase{CodePageChoice::None, 11, 50, 0, AsStored},
                    StoredCase{CodePageChoice::None, 6, 63, Utf8Flag, Utf8},
                    StoredCase{CodePageChoice::Oem, 3, 63, 0, Oem}, StoredCase{CodePageChoice::Oem, 11, 63, 0, Oem},
                    StoredCase{CodePageChoice::Oem, 0, 50, Utf8Flag, Utf8},
                    // An ordinal the records do not know counts as Automatic.
                    StoredCase{static_cast<CodePageChoice>(7), 0, 20, 0, Oem},
                    StoredCase{static_cast<CodePageChoice>(7), 3, 30, 0, AsStored}));

std::string FromUtf8(std::string_view text) { return "utf8:" + std::string(text); }
std::string FromOem(std::string_view text) { return "oem:" + std::string(text); }

TEST(StoredText, IsDecodedWithTheConversionItsEncodingNames) {
  const TextDecoders decoders{FromUtf8, FromOem};
  EXPECT_EQ(DecodeStoredText("n\x81", Utf8, decoders), "utf8:n\x81");
  EXPECT_EQ(DecodeStoredText("n\x81", Oem, decoders), "oem:n\x81");
  EXPECT_EQ(DecodeStoredText("n\x81", AsStored, decoders), "n\x81");
}

TEST(NewText, PlainAsciiIsStoredAsItIsOtherTextsAsAskedFor) {
  EXPECT_EQ(EncodingOfNewText(CodePageChoice::Oem, "plain/name.txt"), AsStored);
  EXPECT_EQ(EncodingOfNewText(CodePageChoice::Automatic, "plain"), AsStored);
  EXPECT_EQ(EncodingOfNewText(CodePageChoice::Oem, "caf\xE9"), Oem);
  EXPECT_EQ(EncodingOfNewText(CodePageChoice::Automatic, "caf\xE9"), Utf8);
  EXPECT_EQ(EncodingOfNewText(CodePageChoice::None, "\x80"), Utf8);
}

}  // namespace
}  // namespace zipformat
