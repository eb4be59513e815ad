// Behaviour of the Win32 backend that the shared platform suite cannot see: how it
// finds a drive's root for the volume API, and its own wrapping of the API's results.
#include <gtest/gtest.h>

#include <string>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/temp_and_environment.h"

namespace {

std::string CurrentDriveRoot() {
  return platform::GetCurrentDirectory().substr(0, 3);
}

TEST(Win32Drives, AnyPathOnADriveAnswersForThatDrivesRoot) {
  const std::string root = CurrentDriveRoot();
  const platform::DriveType rootType = platform::GetDriveType(root);
  ASSERT_NE(rootType, platform::DriveType::NoRootDirectory);

  EXPECT_EQ(platform::GetDriveType(root + "no such folder\\file.zip"), rootType);
  EXPECT_EQ(platform::GetDriveType("relative\\name.zip"), rootType);
  EXPECT_EQ(platform::GetDriveType(""), rootType);
}

TEST(Win32Drives, FreeSpaceOfAFolderIsThatOfItsDrive) {
  const std::string folder = platform::GetTempPath();
  platform::DiskSpace ofFolder;
  platform::DiskSpace ofRoot;
  ASSERT_TRUE(platform::GetDiskFreeSpaceEx(folder, ofFolder));
  ASSERT_TRUE(platform::GetDiskFreeSpaceEx(folder.substr(0, 3), ofRoot));

  EXPECT_GT(ofFolder.totalBytes, 0u);
  EXPECT_EQ(ofFolder.totalBytes, ofRoot.totalBytes);
  EXPECT_LE(ofFolder.freeBytesAvailableToCaller, ofFolder.totalBytes);
}

TEST(Win32Drives, UnusedLetterHasNoRootDirectory) {
  const std::uint32_t drives = platform::GetLogicalDrives();
  for (char letter = 'Z'; letter >= 'D'; --letter) {
    if ((drives & (1u << (letter - 'A'))) == 0) {
      EXPECT_EQ(platform::GetDriveType(std::string{letter} + ":\\"), platform::DriveType::NoRootDirectory);
      return;
    }
  }
  GTEST_SKIP() << "every letter from D: to Z: is in use";
}

}  // namespace
