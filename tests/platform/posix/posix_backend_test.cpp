// What only the POSIX backend shows: the whole CP437 table, the Wine defaults of
// the environment, and files as Wine marks them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/temp_and_environment.h"
#include "platform/text.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;

TEST(PosixCodePages, EveryOemByteRoundTrips) {
  std::string allBytes;
  for (int byte = 1; byte < 256; ++byte) {
    allBytes.push_back(static_cast<char>(byte));
  }
  EXPECT_EQ(CharToOem(OemToChar(allBytes)), allBytes);
  EXPECT_EQ(OemToChar("\xB0\xDB\xFE"), "\u2591\u2588\u25A0");
}

TEST(PosixCodePages, TextWithoutOemFormBecomesQuestionMarks) {
  EXPECT_EQ(CharToOem("\u20AC\u00C0x"), "??x");
  EXPECT_EQ(CharToOem("a\xFF" "b"), "a?b") << "bytes that are not UTF-8";
  EXPECT_EQ(CharToOem("\xE2\x82"), "??") << "a cut sequence";
}

TEST(PosixCodePages, CaseFoldingReachesBeyondAscii) {
  EXPECT_EQ(CompareTextIgnoreCase("\u0416\u0401", "\u0436\u0451"), 0);  // Cyrillic
  EXPECT_EQ(CompareTextIgnoreCase("\u0141\u00D3D\u0179", "\u0142\u00F3d\u017A"), 0);  // Polish
  EXPECT_EQ(CompareTextIgnoreCase("\u03A3", "\u03C3"), 0);  // Greek
}

class PosixEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"TEMP", "TMP", "TMPDIR"}) {
      const char* value = std::getenv(name);
      saved.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
  }
  void TearDown() override {
    // unsetenv rather than SetEnvironmentVariable, which would also withdraw the
    // Wine default of TEMP and TMP for the tests that follow.
    for (const auto& [name, value] : saved) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(PosixEnvironment, TempDefaultsToTmpdirThenSlashTmp) {
  EXPECT_EQ(GetEnvironmentVariable("TEMP"), "/tmp");
  EXPECT_EQ(GetTempPath(), "/tmp/");
  setenv("TMPDIR", "/var/tmp", 1);
  EXPECT_EQ(GetEnvironmentVariable("tmp"), "/var/tmp");
  EXPECT_EQ(ExpandEnvironmentStrings("%TEMP%\\x"), "/var/tmp\\x");
}

TEST(PosixFiles, DotNamesAreHiddenAndFilesCarryTheArchiveBit) {
  const platform_test::ScratchFolder scratch;
  scratch.WriteFile(".profile", "x");
  scratch.WriteFile("plain.txt", "x");
  EXPECT_EQ(GetFileAttributes(scratch.PathOf(".profile")), file_attribute::Archive | file_attribute::Hidden);
  EXPECT_EQ(GetFileAttributes(scratch.PathOf("plain.txt")), file_attribute::Archive);
}

TEST(PosixFiles, ReadOnlyAttributeIsTheWritePermission) {
  const platform_test::ScratchFolder scratch;
  scratch.WriteFile("a.txt", "x");
  ASSERT_TRUE(SetFileAttributes(scratch.PathOf("a.txt"), file_attribute::ReadOnly));
  struct stat status{};
  ASSERT_EQ(stat(scratch.PathOf("a.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0222, 0u);
  ASSERT_TRUE(SetFileAttributes(scratch.PathOf("a.txt"), file_attribute::Normal));
  ASSERT_EQ(stat(scratch.PathOf("a.txt").c_str(), &status), 0);
  EXPECT_NE(status.st_mode & S_IWUSR, 0u);
}

// Windows refuses to write or delete a read-only file whoever asks; so does the
// backend, also for root, whom the POSIX permissions would let through.
TEST(PosixFiles, ReadOnlyFileIsRefusedForWritingEvenToRoot) {
  const platform_test::ScratchFolder scratch;
  scratch.WriteFile("a.txt", "keep");
  scratch.WriteFile("other.txt", "replacement");
  const std::string path = scratch.PathOf("a.txt");
  ASSERT_TRUE(SetFileAttributes(path, file_attribute::ReadOnly));
  EXPECT_EQ(CreateFile(path, FileAccess::Write, FileShare::None, FileCreation::OpenExisting), InvalidFileHandle);
  EXPECT_EQ(GetLastError(), win32_error::AccessDenied);
  EXPECT_EQ(CreateFile(path, FileAccess::ReadWrite, FileShare::None, FileCreation::CreateAlways), InvalidFileHandle);
  EXPECT_FALSE(MoveFile(scratch.PathOf("other.txt"), path, MoveMode::ReplaceExisting));
  EXPECT_EQ(GetLastError(), win32_error::AccessDenied);
  EXPECT_EQ(scratch.ReadFile("a.txt"), "keep");
  EXPECT_TRUE(scratch.Exists("other.txt"));
}

TEST(PosixFiles, DateCannotBeSetThroughAReadHandle) {
  const platform_test::ScratchFolder scratch;
  scratch.WriteFile("a.txt", "x");
  const FileHandle reader = CreateFile(scratch.PathOf("a.txt"), FileAccess::Read, FileShare::Read,
                                       FileCreation::OpenExisting);
  ASSERT_NE(reader, InvalidFileHandle);
  EXPECT_FALSE(SetFileDosDateTime(reader, (23u << 9 | 3u << 5 | 30u) << 16));
  EXPECT_EQ(GetLastError(), win32_error::AccessDenied);
  EXPECT_TRUE(CloseHandle(reader));
}

TEST(PosixDrives, LabelSetIsReadBack) {
  platform_test::TestMachine machine;
  const platform_test::ScratchFolder drive;
  std::string reason;
  ASSERT_TRUE(machine.MapDrive('A', drive.Path(), "", reason)) << reason;
  ASSERT_TRUE(SetVolumeLabel("A:\\", "PKBACK# 002"));
  VolumeInformation volume;
  ASSERT_TRUE(GetVolumeInformation("a:\\", volume));
  EXPECT_EQ(volume.label, "PKBACK# 002");
  EXPECT_EQ(volume.serialNumber, 0u) << "no serial file";
}

}  // namespace
