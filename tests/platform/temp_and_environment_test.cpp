// The temporary folder, temporary names and the environment.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "platform/temp_and_environment.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;

bool IsSeparator(char character) {
  return character == '/' || character == '\\';
}

std::string Lower(std::string text) {
  for (char& character : text) {
    character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
  }
  return text;
}

std::string FileNameOf(const std::string& path) {
  return path.substr(path.find_last_of("/\\") + 1);
}

// Sets variables for one test and puts the old values back.
class Environment : public ::testing::Test {
 protected:
  void Set(const std::string& name, const std::optional<std::string>& value) {
    saved.emplace_back(name, GetEnvironmentVariable(name));
    SetEnvironmentVariable(name, value);
  }
  void TearDown() override {
    for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
      SetEnvironmentVariable(it->first, it->second);
    }
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(Environment, VariablesAreSetReadAndRemovedWithoutRegardToCase) {
  Set("ZB_PLATFORM_TEST", "value one");
  EXPECT_EQ(GetEnvironmentVariable("ZB_PLATFORM_TEST"), "value one");
  EXPECT_EQ(GetEnvironmentVariable("zb_platform_test"), "value one");
  SetEnvironmentVariable("Zb_Platform_Test", "value two");
  EXPECT_EQ(GetEnvironmentVariable("ZB_PLATFORM_TEST"), "value two");
  SetEnvironmentVariable("ZB_PLATFORM_TEST", std::nullopt);
  EXPECT_EQ(GetEnvironmentVariable("ZB_PLATFORM_TEST"), std::nullopt);
}

TEST_F(Environment, ExpansionReplacesKnownNamesOnly) {
  Set("ZB_PLATFORM_TEST", "X");
  Set("ZB_PLATFORM_UNDEFINED", std::nullopt);
  EXPECT_EQ(ExpandEnvironmentStrings("%zb_platform_test%"), "X");
  EXPECT_EQ(ExpandEnvironmentStrings("a%ZB_PLATFORM_TEST%b%ZB_PLATFORM_TEST%c"), "aXbXc");
  EXPECT_EQ(ExpandEnvironmentStrings("%ZB_PLATFORM_UNDEFINED%"), "%ZB_PLATFORM_UNDEFINED%");
  EXPECT_EQ(ExpandEnvironmentStrings("100% sure"), "100% sure");
  EXPECT_EQ(ExpandEnvironmentStrings("no references"), "no references");
}

TEST_F(Environment, TempIsDefinedUntilRemoved) {
  EXPECT_NE(GetEnvironmentVariable("TEMP"), std::nullopt);
  EXPECT_NE(ExpandEnvironmentStrings("%temp%"), "%temp%");

  Set("TEMP", std::nullopt);
  Set("TMP", std::nullopt);
  EXPECT_EQ(GetEnvironmentVariable("TEMP"), std::nullopt);
  EXPECT_EQ(ExpandEnvironmentStrings("%temp%"), "%temp%");
  EXPECT_EQ(ExpandEnvironmentStrings("%tmp%"), "%tmp%");

  Set("TEMP", "C:\\TEMP");
  EXPECT_EQ(ExpandEnvironmentStrings("%temp%"), "C:\\TEMP");
}

TEST_F(Environment, TempPathComesFromTmpThenTemp) {
  const platform_test::ScratchFolder tmpFolder;
  const platform_test::ScratchFolder tempFolder;
  Set("TMP", tmpFolder.Path());
  Set("TEMP", tempFolder.Path());
  std::string path = GetTempPath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(IsSeparator(path.back()));
  EXPECT_EQ(path.substr(0, path.size() - 1), tmpFolder.Path());

  Set("TMP", std::nullopt);
  path = GetTempPath();
  EXPECT_EQ(path.substr(0, path.size() - 1), tempFolder.Path());
}

TEST(TempPath, NamesAnExistingFolderEndingInASeparator) {
  const std::string path = GetTempPath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(IsSeparator(path.back()));
  const std::uint32_t attributes = GetFileAttributes(path);
  ASSERT_NE(attributes, InvalidFileAttributes);
  EXPECT_NE(attributes & file_attribute::Directory, 0u);
}

TEST(TempFileName, CreatesAnEmptyFileWithAUniqueName) {
  const platform_test::ScratchFolder scratch;
  std::string first;
  std::string second;
  const std::uint32_t firstNumber = GetTempFileName(scratch.Path(), "zipper", 0, first);
  const std::uint32_t secondNumber = GetTempFileName(scratch.Path(), "zipper", 0, second);
  ASSERT_NE(firstNumber, 0u);
  ASSERT_NE(secondNumber, 0u);
  EXPECT_NE(first, second);
  EXPECT_NE(firstNumber, secondNumber);

  char expected[32] = {};
  std::snprintf(expected, sizeof expected, "zip%x.tmp", firstNumber);
  EXPECT_EQ(Lower(FileNameOf(first)), expected);
  EXPECT_EQ(Lower(first.substr(0, scratch.Path().size())), Lower(scratch.Path()));
  EXPECT_EQ(scratch.ReadFile(FileNameOf(first)), "");
  EXPECT_EQ(scratch.ReadFile(FileNameOf(second)), "");
}

TEST(TempFileName, GivenNumberMakesTheNameWithoutCreatingIt) {
  const platform_test::ScratchFolder scratch;
  std::string name;
  EXPECT_EQ(GetTempFileName(scratch.Path(), "ab", 0x1F, name), 0x1Fu);
  EXPECT_EQ(Lower(FileNameOf(name)), "ab1f.tmp");
  EXPECT_FALSE(scratch.Exists(FileNameOf(name)));
}

TEST(TempFileName, MissingFolderFails) {
  const platform_test::ScratchFolder scratch;
  std::string name = "unchanged";
  EXPECT_EQ(GetTempFileName(scratch.PathOf("missing"), "zip", 0, name), 0u);
  EXPECT_EQ(name, "unchanged");
}

}  // namespace
