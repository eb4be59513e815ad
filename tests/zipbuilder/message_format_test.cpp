#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zipbuilder/message_format.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder_error.h"

namespace zipbuilder {
namespace {

struct FormatCase {
  const char* Name;
  const char* Pattern;
  std::vector<MessageValue> Values;
  const char* Expected;
};

class FormatMessageTextTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatMessageTextTest, FillsPlaceholdersInOrder) {
  const FormatCase& test = GetParam();
  EXPECT_EQ(FormatMessageText(test.Pattern, test.Values), test.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatMessageTextTest,
    testing::Values(
        FormatCase{"TwoTexts", "Overwrite file '%s' in '%s' ?", {std::string("a.txt"), std::string("b.zip")},
                   "Overwrite file 'a.txt' in 'b.zip' ?"},
        FormatCase{"Decimal", "This is the %dth disk", {std::int64_t{3}}, "This is the 3th disk"},
        FormatCase{"AtLeastOneDigit", "Error %.1d occurred", {std::int64_t{0}}, "Error 0 occurred"},
        FormatCase{"Negative", "Error %.1d occurred", {std::int64_t{-12}}, "Error -12 occurred"},
        FormatCase{"TwoNumbers", "volume %.1d of %.1d", {std::int64_t{2}, std::int64_t{5}}, "volume 2 of 5"},
        FormatCase{"PercentSign", "100%% of %s", {std::string("x")}, "100% of x"},
        FormatCase{"ValueIsNeverAPattern", "file %s", {std::string("%s%d%n")}, "file %s%d%n"},
        FormatCase{"MissingValueKeepsPlaceholder", "%s and %s", {std::string("one")}, "one and %s"},
        FormatCase{"UnknownConversionKept", "50%x %s", {std::string("y")}, "50%x y"},
        FormatCase{"TrailingPercentKept", "rate %", {}, "rate %"},
        FormatCase{"NumberUnderTextPlaceholder", "drive %s", {std::int64_t{7}}, "drive 7"},
        FormatCase{"SurplusValuesIgnored", "plain", {std::string("unused")}, "plain"}),
    [](const testing::TestParamInfo<FormatCase>& parameter) { return std::string(parameter.param.Name); });

TEST(EZipBuilder, IdAndDisplayFlagCarryTheTableText) {
  const EZipBuilder shown(11002, MessageDisplay::ShowBox);
  EXPECT_EQ(shown.Message(), "Zip file could not be opened");
  EXPECT_STREQ(shown.what(), "Zip file could not be opened");
  EXPECT_EQ(shown.MessageId(), 11002);
  EXPECT_EQ(shown.Display(), MessageDisplay::ShowBox);

  const EZipBuilder silent(11007, MessageDisplay::Silent);
  EXPECT_EQ(silent.Message(), "User canceled operation");
  EXPECT_EQ(silent.Display(), MessageDisplay::Silent);
}

TEST(EZipBuilder, ValuesFillTheTextAndAlwaysShow) {
  const EZipBuilder number(11038, std::int64_t{3});
  EXPECT_EQ(number.Message(), "This is the 3th disk in a backup set,\nplease insert the last disk of this set");
  EXPECT_EQ(number.Display(), MessageDisplay::ShowBox);

  const EZipBuilder text(11004, "Q:\\");
  EXPECT_EQ(text.Message(), "Drive Q:\\ is NOT defined");
  EXPECT_EQ(text.Display(), MessageDisplay::ShowBox);

  const EZipBuilder twoTexts(10182, "a.zip", "b.zip");
  EXPECT_EQ(twoTexts.Message(), "Copying a file from 'a.zip' to 'b.zip' failed");
  EXPECT_EQ(twoTexts.MessageId(), 10182);
}

TEST(EZipBuilder, MissingIdGivesTheUnformattedFallback) {
  const std::string fallback = MissingMessageText(12000);
  EXPECT_EQ(EZipBuilder(12000, MessageDisplay::ShowBox).Message(), fallback);
  EXPECT_EQ(EZipBuilder(12000, std::int64_t{5}).Message(), fallback);
  EXPECT_EQ(EZipBuilder(12000, "a").Message(), fallback);
  EXPECT_EQ(EZipBuilder(12000, "a", "b").Message(), fallback);
}

TEST(EZipBuilder, CopyKeepsTextFlagAndId) {
  const EZipBuilder original(11007, MessageDisplay::Silent);
  const EZipBuilder copy = original;
  EXPECT_EQ(copy.Message(), original.Message());
  EXPECT_EQ(copy.Display(), MessageDisplay::Silent);
  EXPECT_EQ(copy.MessageId(), 11007);
}

TEST(EZipBuilder, CaughtAsTheBaseException) {
  try {
    throw EZipBuilder(11036, MessageDisplay::ShowBox);
  } catch (const Exception& caught) {
    EXPECT_EQ(caught.Message(), "This archive is not a valid Zip archive");
    EXPECT_EQ(caught.HelpContext(), 0);
  }
}

}  // namespace
}  // namespace zipbuilder
