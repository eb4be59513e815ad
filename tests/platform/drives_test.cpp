// Drives and volumes. Tests that need a drive letter of a chosen type map one
// through the test machine and skip where that cannot be prepared.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/drives.h"
#include "platform/files.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;

std::string Root(char letter) {
  return std::string(1, letter) + ":\\";
}

// A letter no drive uses, from the end of the alphabet; 0 when all are in use.
char UnusedLetter() {
  const std::uint32_t drives = GetLogicalDrives();
  for (char letter = 'Y'; letter >= 'D'; --letter) {
    if ((drives & (1u << (letter - 'A'))) == 0) {
      return letter;
    }
  }
  return 0;
}

class Drives : public ::testing::Test {
 protected:
  // Maps a free letter to a scratch folder; returns 0 (and skips) where impossible.
  char MapScratchDrive(std::string_view wineType, char letter = 0) {
    if (letter == 0) {
      letter = UnusedLetter();
    }
    if (letter == 0) {
      return 0;
    }
    if (!machine.MapDrive(letter, driveFolder.Path(), wineType, reason)) {
      return 0;
    }
    return letter;
  }

  platform_test::TestMachine machine;
  platform_test::ScratchFolder driveFolder;
  std::string reason = "every drive letter is in use";
};

TEST_F(Drives, FolderOfTheTemporaryFilesIsOnAFixedDriveWithSpace) {
  const platform_test::ScratchFolder scratch;
  EXPECT_EQ(GetDriveType(scratch.Path()), DriveType::Fixed);
  DiskSpace space;
  ASSERT_TRUE(GetDiskFreeSpaceEx(scratch.Path(), space));
  EXPECT_GT(space.totalBytes, 0u);
  EXPECT_LE(space.totalFreeBytes, space.totalBytes);
  EXPECT_LE(space.freeBytesAvailableToCaller, space.totalFreeBytes);
  VolumeInformation volume;
  EXPECT_TRUE(GetVolumeInformation(scratch.Path(), volume));
}

TEST_F(Drives, UnusedLetterHasNoRootAndNoVolume) {
  const char letter = UnusedLetter();
  if (letter == 0) {
    GTEST_SKIP() << reason;
  }
  EXPECT_EQ(GetDriveType(Root(letter)), DriveType::NoRootDirectory);
  VolumeInformation volume;
  EXPECT_FALSE(GetVolumeInformation(Root(letter), volume));
  EXPECT_EQ(GetFileAttributes(Root(letter) + "a.zip"), InvalidFileAttributes);
}

TEST_F(Drives, MappedLetterIsALogicalDrive) {
  const char letter = MapScratchDrive("");
  if (letter == 0) {
    GTEST_SKIP() << reason;
  }
  EXPECT_NE(GetLogicalDrives() & (1u << (letter - 'A')), 0u);
  EXPECT_EQ(GetDriveType(Root(letter)), DriveType::Fixed);
}

struct TypeCase {
  char letter;
  const char* wineType;
  DriveType expected;
};

void PrintTo(const TypeCase& typeCase, std::ostream* stream) {
  *stream << typeCase.letter << ": \"" << typeCase.wineType << "\"";
}

class DriveTypes : public Drives, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(DriveTypes, TypeFollowsTheDriveSetting) {
  const TypeCase& typeCase = GetParam();
  const char letter = MapScratchDrive(typeCase.wineType, typeCase.letter);
  if (letter == 0) {
    GTEST_SKIP() << reason;
  }
  EXPECT_EQ(GetDriveType(Root(letter)), typeCase.expected);
  EXPECT_EQ(GetDriveType(Root(letter) + "folder\\file.zip"), typeCase.expected) << "any path answers for its drive";
}

INSTANTIATE_TEST_SUITE_P(WineSettings, DriveTypes,
                         ::testing::Values(TypeCase{'A', "", DriveType::Removable},
                                           TypeCase{'Q', "", DriveType::Fixed},
                                           TypeCase{'R', "hd", DriveType::Fixed},
                                           TypeCase{'S', "floppy", DriveType::Removable},
                                           TypeCase{'T', "CDROM", DriveType::CdRom},
                                           TypeCase{'U', "network", DriveType::Remote},
                                           TypeCase{'V', "ramdisk", DriveType::RamDisk}),
                         [](const ::testing::TestParamInfo<TypeCase>& parameter) {
                           const std::string wineType = parameter.param.wineType;
                           return std::string(1, parameter.param.letter) + "_" + (wineType.empty() ? "default" : wineType);
                         });

TEST_F(Drives, FilesOnAMappedDriveAreItsFolder) {
  const char letter = MapScratchDrive("");
  if (letter == 0) {
    GTEST_SKIP() << reason;
  }
  driveFolder.WriteFile("Sub/Disk1.zip", "archive");
  const FileHandle file = CreateFile(Root(letter) + "sub\\DISK1.ZIP", FileAccess::Read, FileShare::Read,
                                     FileCreation::OpenExisting);
  ASSERT_NE(file, InvalidFileHandle);
  char buffer[16] = {};
  std::uint32_t got = 0;
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, got));
  EXPECT_EQ(std::string(buffer, got), "archive");
  EXPECT_TRUE(CloseHandle(file));

  EXPECT_NE(GetFileAttributes(Root(letter) + "sub\\..\\..\\Sub\\disk1.zip"), InvalidFileAttributes)
      << "\"..\" stops at the drive's root";
  EXPECT_EQ(GetFullPathName(Root(letter) + "a\\..\\b\\.\\c.zip"), Root(letter) + "b\\c.zip");
}

TEST_F(Drives, LabelAndSerialComeFromTheMedia) {
  const char letter = MapScratchDrive("floppy");
  if (letter == 0 || !machine.SetDriveMedia(letter, "PKBACK# 003", 0x44000000, reason)) {
    GTEST_SKIP() << reason;
  }
  VolumeInformation volume;
  ASSERT_TRUE(GetVolumeInformation(Root(letter), volume));
  EXPECT_EQ(volume.label, "PKBACK# 003");
  EXPECT_EQ(volume.serialNumber, 0x44000000u);
}

// The label goes onto the media as Wine keeps it there. (Wine's mount manager keeps
// reporting the label it read when the drive was defined, so the media are checked.)
TEST_F(Drives, LabelIsWrittenToTheMediaAndRemoved) {
  const char letter = MapScratchDrive("floppy");
  if (letter == 0) {
    GTEST_SKIP() << reason;
  }
  ASSERT_TRUE(SetVolumeLabel(Root(letter), "PKBACK# 001"));
  EXPECT_EQ(driveFolder.ReadFile(".windows-label"), "PKBACK# 001\n");

  ASSERT_TRUE(SetVolumeLabel(Root(letter), ""));
  EXPECT_FALSE(driveFolder.Exists(".windows-label"));
}

TEST_F(Drives, LabelOfACdIsRefused) {
  const char letter = MapScratchDrive("cdrom");
  if (letter == 0) {
    GTEST_SKIP() << reason;
  }
  EXPECT_FALSE(SetVolumeLabel(Root(letter), "NEW"));
  EXPECT_EQ(GetLastError(), win32_error::AccessDenied);
}

}  // namespace
