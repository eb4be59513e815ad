#include "tools/json_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tools {
namespace {

std::string Quoted(std::string_view text) {
  std::string json;
  AppendJsonString(json, text);
  return json;
}

struct JsonCase {
  std::string_view Input;
  std::string_view Expected;
};

constexpr std::string_view Replacement = "\xEF\xBF\xBD";

TEST(JsonText, EscapesWhatJsonForbidsAndNothingElse) {
  const JsonCase cases[] = {
      {"", R"("")"},
      {"docs\\a.txt", R"("docs\\a.txt")"},
      {"say \"hi\"", R"("say \"hi\"")"},
      {"a/b", R"("a/b")"},
      {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {std::string_view("\x00\x01\x1f", 3), R"("\u0000\u0001\u001f")"},
      {"\x7f~ ", "\"\x7f~ \""},
  };
  for (const JsonCase& testCase : cases) {
    EXPECT_EQ(Quoted(testCase.Input), testCase.Expected) << testCase.Input;
  }
}

TEST(JsonText, KeepsWellFormedUtf8OfEveryLength) {
  // é, the euro sign, the last character before the surrogates, U+10000 and U+10FFFF
  for (std::string_view text : {"\xC3\xA9", "\xE2\x82\xAC", "\xED\x9F\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
    std::string expected = "\"";
    expected += text;
    expected += '"';
    EXPECT_EQ(Quoted(text), expected);
  }
}

std::string Replaced(int count, std::string_view tail = {}) {
  std::string expected = "\"";
  for (int index = 0; index < count; ++index) {
    expected += Replacement;
  }
  return expected + std::string(tail) + "\"";
}

TEST(JsonText, ReplacesIllFormedUtf8AsReplacingDecodersDo) {
  EXPECT_EQ(Quoted("\x80"), Replaced(1)) << "stray continuation byte";
  EXPECT_EQ(Quoted("\xF5"), Replaced(1)) << "byte that never starts a sequence";
  EXPECT_EQ(Quoted("\xE2\x82"), Replaced(1)) << "truncated at the end of the text";
  EXPECT_EQ(Quoted("\xF0\x9F\x98" "A"), Replaced(1, "A")) << "truncated before ASCII, which survives";
  EXPECT_EQ(Quoted("\xC0\xAF"), Replaced(2)) << "overlong two-byte form of '/'";
  EXPECT_EQ(Quoted("\xE0\x80\x80"), Replaced(3)) << "overlong three-byte form";
  EXPECT_EQ(Quoted("\xED\xA0\x80"), Replaced(3)) << "surrogate";
  EXPECT_EQ(Quoted("\xF4\x90\x80\x80"), Replaced(4)) << "above U+10FFFF";
}

TEST(JsonText, ReplacementDoesNotSwallowTheCharactersAround) {
  EXPECT_EQ(Quoted("a\xFF\"\xC3\xA9\n"), "\"a" + std::string(Replacement) + "\\\"\xC3\xA9\\n\"");
}

TEST(JsonText, AppendsBehindWhatIsThere) {
  std::string json = "{\"name\": ";
  AppendJsonString(json, "x");
  EXPECT_EQ(json, R"({"name": "x")");
}

}  // namespace
}  // namespace tools
