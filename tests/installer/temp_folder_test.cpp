// TTempFolder: the folder from TEMP, TMP or the literal %tmp%, and the names
// made from the per-thread generator and the time in seconds.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>

#include "installer/temp_folder.h"
#include "platform/temp_and_environment.h"
#include "tests/installer/installer_machine.h"

namespace installer {
namespace {

using installer_test::InstallerMachine;

class TempFolderSettings : public testing::Test {
 protected:
  InstallerMachine machine;
};

TEST_F(TempFolderSettings, TempGivesTheFolderWithOneBackslashAppended) {
  platform::SetEnvironmentVariable("TEMP", "C:\\TEMP");
  platform::SetEnvironmentVariable("TMP", "C:\\OTHER");
  const TTempFolder folder;
  EXPECT_EQ(folder.Path, "C:\\TEMP\\");
  EXPECT_TRUE(folder.Found);
  EXPECT_STREQ(folder.ExpandBuffer.data(), "C:\\TEMP");
}

TEST_F(TempFolderSettings, AnEmptyTempGoesOnToTmpAndKeepsItsBackslash) {
  platform::SetEnvironmentVariable("TEMP", "");
  platform::SetEnvironmentVariable("TMP", "C:\\TMP\\");
  const TTempFolder folder;
  EXPECT_EQ(folder.Path, "C:\\TMP\\");
  EXPECT_TRUE(folder.Found);
}

TEST_F(TempFolderSettings, AnExpansionBeyondTheBufferIsNoFolder) {
  platform::SetEnvironmentVariable("TEMP", "C:\\" + std::string(300, 'a'));
  platform::SetEnvironmentVariable("TMP", "C:\\TMP");
  EXPECT_EQ(TTempFolder().Path, "C:\\TMP\\");
}

TEST_F(TempFolderSettings, WithoutTempTmpGivesTheFolder) {
  platform::SetEnvironmentVariable("TEMP", std::nullopt);
  platform::SetEnvironmentVariable("TMP", "C:\\TMP\\");
  EXPECT_EQ(TTempFolder().Path, "C:\\TMP\\");
}

TEST_F(TempFolderSettings, NeitherVariableLeavesTheLiteralTmpAndNotFound) {
  platform::SetEnvironmentVariable("TEMP", std::nullopt);
  platform::SetEnvironmentVariable("TMP", std::nullopt);
  const TTempFolder folder;
  EXPECT_EQ(folder.Path, "%tmp%\\");
  EXPECT_FALSE(folder.Found);
}

TEST_F(TempFolderSettings, EmptyVariablesCountAsNoFolder) {
  platform::SetEnvironmentVariable("TEMP", "");
  platform::SetEnvironmentVariable("TMP", "");
  const TTempFolder folder;
  EXPECT_EQ(folder.Path, "%tmp%\\");
  EXPECT_FALSE(folder.Found);
}

TEST(UniqueNumbers, FollowTheLinearCongruentialGeneratorOfEveryPlatform) {
  // state 1 x 0x015A4E35 + 1 = 0x015A4E36; bits 16 to 30 give 0x15A.
  SeedUniqueNumbers(1);
  EXPECT_EQ(NextUniqueNumber(), 0x15Au);
  // The next state is 0x015A4E36 x 0x015A4E35 + 1 = 0x8082A52F (mod 2^32): 0x82.
  EXPECT_EQ(NextUniqueNumber(), 0x82u);
}

TEST(UniqueNumbers, EachThreadHasAStateOfItsOwn) {
  SeedUniqueNumbers(1);
  std::uint32_t otherThreadsFirst = 0;
  std::thread other([&otherThreadsFirst] {
    SeedUniqueNumbers(1);
    static_cast<void>(NextUniqueNumber());
    otherThreadsFirst = NextUniqueNumber();
  });
  other.join();
  EXPECT_EQ(otherThreadsFirst, 0x82u);
  EXPECT_EQ(NextUniqueNumber(), 0x15Au);
}

class UniqueNames : public TempFolderSettings {
 protected:
  UniqueNames() { platform::SetEnvironmentVariable("TEMP", "C:\\TEMP"); }
  std::array<char, 256> buffer{};
  std::uint32_t number = 0;
};

TEST_F(UniqueNames, AreFolderPrefixAndUpperCaseHexadecimalWithoutLeadingZeros) {
  const TTempFolder folder;
  const std::int32_t length = folder.UniqueFileNameAt(1, buffer.data(), "zz", 250, number);
  EXPECT_STREQ(buffer.data(), "C:\\TEMP\\zz15A");
  EXPECT_EQ(length, 13);
  EXPECT_EQ(number, 0x15Au);
}

TEST_F(UniqueNames, AreTheSameWithinOneSecond) {
  const TTempFolder folder;
  std::array<char, 256> second{};
  folder.UniqueFileNameAt(1'700'000'000, buffer.data(), "zz", 250, number);
  folder.UniqueFileNameAt(1'700'000'000, second.data(), "zz", 250, number);
  EXPECT_STREQ(buffer.data(), second.data());
}

TEST_F(UniqueNames, NeedEightCharactersBeyondFolderAndPrefixBelowTheLimit) {
  TTempFolder folder;
  folder.Path = std::string(238, 'f') + "\\";  // 239 characters
  EXPECT_GT(folder.UniqueFileName(buffer.data(), "zz", 250), 0);
  EXPECT_EQ(std::string(buffer.data()).substr(0, 241), folder.Path + "zz");

  folder.Path = std::string(239, 'f') + "\\";  // 240 characters
  EXPECT_EQ(folder.UniqueFileName(buffer.data(), "zz", 250), 0);
  EXPECT_STREQ(buffer.data(), "");
}

}  // namespace
}  // namespace installer
