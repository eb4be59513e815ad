// What the Win32 backend adds to the API it wraps, beyond the shared suite: how it
// finds a drive's root for the volume API, and how it tells an empty environment
// value from a missing one (both read back as length 0 from the API).
#include <gtest/gtest.h>

#include <string>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/temp_and_environment.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;

TEST(Win32Drives, RelativeAndEmptyPathsAnswerForTheCurrentDrive) {
  const std::string currentFolder = GetCurrentDirectory();
  ASSERT_GE(currentFolder.size(), 3u);
  const std::string root = currentFolder.substr(0, 3);
  const DriveType rootType = GetDriveType(root);
  ASSERT_NE(rootType, DriveType::NoRootDirectory);

  EXPECT_EQ(GetDriveType("relative\\name.zip"), rootType);
  EXPECT_EQ(GetDriveType(""), rootType);
  DiskSpace ofRelative;
  DiskSpace ofRoot;
  ASSERT_TRUE(GetDiskFreeSpaceEx("relative\\name.zip", ofRelative));
  ASSERT_TRUE(GetDiskFreeSpaceEx(root, ofRoot));
  EXPECT_EQ(ofRelative.totalBytes, ofRoot.totalBytes);
}

TEST(Win32Drives, LabelOfADriveNamedByAFileOnItIsWrittenAtTheRoot) {
  platform_test::TestMachine machine;
  const platform_test::ScratchFolder driveFolder;
  std::string reason;
  if (!machine.MapDrive('W', driveFolder.Path(), "floppy", reason)) {
    GTEST_SKIP() << reason;
  }
  driveFolder.MakeFolder("sub");

  ASSERT_TRUE(SetVolumeLabel("W:\\sub\\archive.zip", "PKBACK# 002"));
  EXPECT_EQ(driveFolder.ReadFile(".windows-label"), "PKBACK# 002\n");
  EXPECT_FALSE(driveFolder.Exists("sub\\.windows-label"));
}

class Win32Environment : public ::testing::Test {
 protected:
  ~Win32Environment() override { SetEnvironmentVariable(Name, std::nullopt); }

  static constexpr const char* Name = "ZB_WIN32_BACKEND_TEST";
};

TEST_F(Win32Environment, EmptyValueIsPresentAndMissingValueIsNot) {
  SetEnvironmentVariable(Name, std::string{});
  EXPECT_EQ(GetEnvironmentVariable(Name), std::string{});

  SetEnvironmentVariable(Name, std::nullopt);
  EXPECT_EQ(GetEnvironmentVariable(Name), std::nullopt);
}

}  // namespace
