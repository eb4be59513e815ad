// The registry lookup of the target rows, against a scratch Wine prefix (POSIX)
// or the real registry below the tests' own key.
#include <gtest/gtest.h>

#include <string>

#include "installer/registry_lookup.h"
#include "tests/installer/installer_machine.h"
#include "tests/platform/test_machine.h"

namespace installer {
namespace {

using platform::RegistryRoot;
using platform::RegistryValueType;

const std::string GameKey = "\\" + std::string(platform_test::TestKeyPath) + "\\Game";

KnownTarget TestRow(std::string_view valueName) {
  return {RegistryRoot::CurrentUser, GameKey, valueName, "Test Game", "Game.exe"};
}

class TargetLookup : public testing::Test {
 protected:
  [[nodiscard]] std::string Read(std::string_view valueName, bool expectedFound) {
    const bool found = ReadTargetFolder(TestRow(valueName), buffer);
    EXPECT_EQ(found, expectedFound) << valueName;
    return buffer.data();
  }

  platform_test::TestMachine machine;
  TargetFolderBuffer buffer{};
};

TEST_F(TargetLookup, StringValuesComeBackAsStoredAndUnexpanded) {
  machine.SetStringValue(RegistryRoot::CurrentUser, "Game", "Plain", "C:\\Games\\Kestrane 2\\");
  machine.SetStringValue(RegistryRoot::CurrentUser, "Game", "Expand", "%ProgramFiles%\\Kestrane",
                         RegistryValueType::ExpandString);
  EXPECT_EQ(Read("Plain", true), "C:\\Games\\Kestrane 2\\");
  EXPECT_EQ(Read("Expand", true), "%ProgramFiles%\\Kestrane");
}

TEST_F(TargetLookup, TextEndsAtTheFirstNul) {
  machine.SetBinaryValue(RegistryRoot::CurrentUser, "Game", "Two", RegistryValueType::String,
                         {'C', ':', '\\', 'A', 0, 'B', 0});
  EXPECT_EQ(Read("Two", true), "C:\\A");
}

TEST_F(TargetLookup, OtherTypesAndMissingKeysGiveAnEmptyTextAndNotFound) {
  machine.SetDwordValue(RegistryRoot::CurrentUser, "Game", "Number", 7);
  EXPECT_EQ(Read("Number", false), "");
  const KnownTarget absentKey{RegistryRoot::CurrentUser, "\\Software\\NoSuchMaker\\NoSuchGame", "Path", "", ""};
  buffer.fill('x');
  EXPECT_FALSE(ReadTargetFolder(absentKey, buffer));
  EXPECT_STREQ(buffer.data(), "");
}

TEST_F(TargetLookup, MissingOrEmptyValueReadsAsEmptyTextWithoutError) {
  machine.SetStringValue(RegistryRoot::CurrentUser, "Game", "Empty", "");
  EXPECT_EQ(Read("Absent", true), "");
  EXPECT_EQ(Read("Empty", true), "");
}

TEST_F(TargetLookup, ValuesOf256CharactersOrMoreAreCutTo255) {
  const std::string longFolder = "C:\\" + std::string(300, 'd');
  machine.SetStringValue(RegistryRoot::CurrentUser, "Game", "Long", longFolder);
  EXPECT_EQ(Read("Long", true), longFolder.substr(0, 255));
}

TEST_F(TargetLookup, AKeyRefusedForFullAccessIsNotFound) {
  machine.SetStringValue(RegistryRoot::CurrentUser, "Game", "Plain", "C:\\Games");
  std::string reason;
  if (!machine.MakeRegistryReadOnly(RegistryRoot::CurrentUser, reason)) {
    GTEST_SKIP() << reason;
  }
  EXPECT_EQ(Read("Plain", false), "");
}

TEST(AllTargetFolders, OnlyTheRecordedRowGetsAText) {
  installer_test::InstallerMachine machine;
  machine.RecordInstallDir("C:\\Games\\Kestrane 2");
  TargetFolders.fill("stale");
  ReadAllTargetFolders();
  for (std::size_t index = 0; index < KnownTargetCount; ++index) {
    EXPECT_EQ(TargetFolders[index], index == TargetIndex ? "C:\\Games\\Kestrane 2" : "") << index;
  }
  EXPECT_EQ(KnownTargets[TargetIndex].DisplayName, "Kestrane 2");
  EXPECT_EQ(KnownTargets[TargetIndex].ExeName, "Brevane2.exe");
}

}  // namespace
}  // namespace installer
