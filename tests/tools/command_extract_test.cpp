// The extract and test commands in-process: their command lines. The Python
// suite extract_commands_test.py runs the built tool on real archives.
#include "tools/command_extract.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/temp_and_environment.h"
#include "tests/tools/command_line_fixture.h"

namespace tools {
namespace {

using ExtractCommandLine = CommandLineFixture;

TEST_F(ExtractCommandLine, MisunderstoodArgumentsAreUsageErrorsWithTheCommandsUsage) {
  EXPECT_EQ(Run({"extract"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: missing ARCHIVE\nusage: zipbuilder extract ARCHIVE [-d FOLDER]")) << err.str();

  EXPECT_EQ(Run({"extract", "a.zip", "-d"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: -d needs a FOLDER\n")) << err.str();

  EXPECT_EQ(Run({"extract", "a.zip", "-P"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: -P needs a PASSWORD\n")) << err.str();

  EXPECT_EQ(Run({"extract", "a.zip", "-x"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: unknown option '-x'\n")) << err.str();

  EXPECT_EQ(Run({"extract", "a.zip", "--freshen", "--update"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: --freshen and --update exclude each other\n")) << err.str();
  EXPECT_EQ(out.str(), "");
}

TEST_F(ExtractCommandLine, TestTakesNoneOfTheSwitchesThatOnlyConcernWrittenFiles) {
  for (const std::string option : {"-d", "-o", "-j", "--freshen", "--update"}) {
    EXPECT_EQ(Run({"test", "a.zip", option}), ExitCode::UsageError) << option;
    EXPECT_TRUE(ErrorStartsWith("zipbuilder: unknown option '" + option + "'\nusage: zipbuilder test")) << err.str();
  }
  EXPECT_EQ(Run({"test"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: missing ARCHIVE\n")) << err.str();
}

TEST_F(ExtractCommandLine, MissingArchiveFailsWithInputFileMissing) {
  const std::string missing = platform::GetTempPath() + "zipbuilder-no-such-archive.zip";
  EXPECT_EQ(Run({"test", missing}), ExitCode::OperationFailed);
  EXPECT_EQ(err.str(), "zipbuilder: Input file does not exist (11001)\n");
  EXPECT_EQ(Run({"extract", missing, "-d", platform::GetTempPath()}), ExitCode::OperationFailed);
  EXPECT_EQ(err.str(), "zipbuilder: Input file does not exist (11001)\n");
  EXPECT_EQ(out.str(), "");
}

TEST(SkipReasonTexts, EveryKnownReasonHasATextOfItsOwnAndANewerReasonTheFallback) {
  using zipbuilder::UnZipSkipTypes;
  std::set<std::string_view> texts;
  for (int value = 0; value <= static_cast<int>(UnZipSkipTypes::skNoOutputMemory); ++value) {
    const std::string_view text = SkipReasonText(static_cast<UnZipSkipTypes>(value));
    EXPECT_NE(text, "skipped") << value;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), 13u) << "two reasons share a text";
  EXPECT_EQ(SkipReasonText(static_cast<UnZipSkipTypes>(13)), "skipped");
  EXPECT_EQ(SkipReasonText(static_cast<UnZipSkipTypes>(255)), "skipped");
}

}  // namespace
}  // namespace tools
