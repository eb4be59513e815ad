// Code-page conversion and comparison. ANSI texts are built from UTF-8 with
// Utf8ToAnsi, so the same expectations hold whatever the ANSI code page is.
#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

using namespace platform;

TEST(CodePages, AsciiPassesUnchanged) {
  const std::string ascii = "readme.txt Folder\\Name 0123 ~!";
  EXPECT_EQ(OemToChar(ascii), ascii);
  EXPECT_EQ(CharToOem(ascii), ascii);
  EXPECT_EQ(Utf8ToAnsi(ascii), ascii);
  EXPECT_EQ(AnsiToUtf8(ascii), ascii);
}

TEST(CodePages, OemLettersBecomeTheirAnsiForm) {
  // CP437 0x80 0x81 0x82 0x84 0xE1 0xA4 are Ç ü é ä ß ñ.
  EXPECT_EQ(AnsiToUtf8(OemToChar("\x80\x81\x82\x84\xE1\xA4")), "\u00C7\u00FC\u00E9\u00E4\u00DF\u00F1");
  EXPECT_EQ(AnsiToUtf8(OemToChar("Gr\x81\xE1")), "Gr\u00FC\u00DF");
}

TEST(CodePages, AnsiLettersBecomeTheirOemForm) {
  EXPECT_EQ(CharToOem(Utf8ToAnsi("\u00C7\u00FC\u00E9\u00E4\u00DF\u00F1")), "\x80\x81\x82\x84\xE1\xA4");
  EXPECT_EQ(CharToOem(Utf8ToAnsi("Stra\u00DFe")), "Stra\xE1" "e");
}

TEST(CodePages, Utf8RoundTripsThroughAnsi) {
  const std::string text = "Caf\u00E9 \u00C4rger";
  EXPECT_EQ(AnsiToUtf8(Utf8ToAnsi(text)), text);
}

TEST(CompareText, IgnoresCase) {
  EXPECT_EQ(CompareTextIgnoreCase("ReadMe.TXT", "readme.txt"), 0);
  EXPECT_EQ(CompareTextIgnoreCase("DOCS\\A.TXT", "docs\\a.txt"), 0);
  EXPECT_EQ(CompareTextIgnoreCase(Utf8ToAnsi("\u00C9T\u00C9"), Utf8ToAnsi("\u00E9t\u00E9")), 0);
  EXPECT_EQ(CompareTextIgnoreCase("", ""), 0);
}

TEST(CompareText, OrdersWithoutRegardToCase) {
  EXPECT_LT(CompareTextIgnoreCase("apple", "Banana"), 0);
  EXPECT_GT(CompareTextIgnoreCase("Banana", "apple"), 0);
  EXPECT_LT(CompareTextIgnoreCase("abc", "ABCD"), 0);
  EXPECT_LT(CompareTextIgnoreCase("file1", "FILE2"), 0);
  EXPECT_LT(CompareTextIgnoreCase("9", "a"), 0) << "digits sort before letters";
}

TEST(CompareText, AccentsAndHyphensStillMakeADifference) {
  EXPECT_NE(CompareTextIgnoreCase("resume", Utf8ToAnsi("r\u00E9sum\u00E9")), 0);
  EXPECT_NE(CompareTextIgnoreCase("coop", "co-op"), 0);
  // The accent decides only between otherwise equal texts: e < é < f.
  EXPECT_LT(CompareTextIgnoreCase(Utf8ToAnsi("\u00E9"), "f"), 0);
  EXPECT_GT(CompareTextIgnoreCase(Utf8ToAnsi("\u00E9"), "e"), 0);
}

}  // namespace
