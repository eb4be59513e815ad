// How Windows names become POSIX names.
#include "platform/posix/path_mapping.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/temp_and_environment.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform::posix;

class PathMapping : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    ASSERT_TRUE(machine.MapDrive('Q', drive.Path(), "", reason)) << reason;
  }
  platform_test::TestMachine machine;
  platform_test::ScratchFolder drive;
};

TEST_F(PathMapping, DriveNamesGoThroughTheDosDevicesLink) {
  drive.WriteFile("Folder/File.TXT", "x");
  const std::optional<std::string> native = ToNativePath("q:\\folder\\file.txt");
  ASSERT_TRUE(native.has_value());
  EXPECT_EQ(*native, WinePrefix() + "/dosdevices/q:/Folder/File.TXT");
}

TEST_F(PathMapping, MissingPartIsKeptAsWritten) {
  drive.MakeFolder("Folder");
  EXPECT_EQ(ToNativePath("Q:/FOLDER/New Name.zip"), WinePrefix() + "/dosdevices/q:/Folder/New Name.zip");
  EXPECT_EQ(ToNativePath("Q:\\missing\\Deeper\\x"), WinePrefix() + "/dosdevices/q:/missing/Deeper/x");
}

TEST_F(PathMapping, DotsResolveWithinTheDrive) {
  EXPECT_EQ(ToNativePath("Q:\\a\\..\\..\\..\\b\\.\\c"), WinePrefix() + "/dosdevices/q:/b/c");
  EXPECT_EQ(FullPathName("Q:\\a\\..\\..\\b\\"), "Q:\\b\\");
  EXPECT_EQ(FullPathName("q:"), "q:\\");
}

TEST_F(PathMapping, UnmappedDriveIsPathNotFound) {
  platform::SetLastError(platform::win32_error::Success);
  EXPECT_EQ(ToNativePath("M:\\a.zip"), std::nullopt);
  EXPECT_EQ(platform::GetLastError(), platform::win32_error::PathNotFound);
  EXPECT_EQ(ToNativePath(""), std::nullopt);
}

TEST_F(PathMapping, PosixNamesStandAsTheyAre) {
  drive.WriteFile("Upper/Case.bin", "x");
  EXPECT_EQ(ToNativePath(drive.Path() + "\\upper\\CASE.BIN"), drive.Path() + "/Upper/Case.bin");
  EXPECT_EQ(FullPathName("/tmp/../usr/./lib/"), "/usr/lib/");
}

TEST_F(PathMapping, RelativeNamesStartAtTheCurrentFolder) {
  const std::string previous = CurrentFolder();
  ASSERT_EQ(chdir(drive.Path().c_str()), 0);
  EXPECT_EQ(FullPathName("a\\..\\b.zip"), drive.Path() + "/b.zip");
  EXPECT_EQ(ToNativePath("sub/x"), drive.Path() + "/sub/x");
  ASSERT_EQ(chdir(previous.c_str()), 0);
}

TEST_F(PathMapping, MissingNamesTellFileFromPath) {
  EXPECT_EQ(MissingPathError(drive.Path() + "/absent.zip"), platform::win32_error::FileNotFound);
  EXPECT_EQ(MissingPathError(drive.Path() + "/absent/x.zip"), platform::win32_error::PathNotFound);
}

}  // namespace
