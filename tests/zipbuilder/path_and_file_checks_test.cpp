#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/temp_and_environment.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/path_text.h"
#include "zipbuilder/zip_dir_entry.h"

namespace zipbuilder {
namespace {

TEST(PathText, AppendBackslash) {
  EXPECT_EQ(AppendBackslash(""), "");
  EXPECT_EQ(AppendBackslash("C:"), "C:\\");
  EXPECT_EQ(AppendBackslash("C:\\dir"), "C:\\dir\\");
  EXPECT_EQ(AppendBackslash("C:\\dir\\"), "C:\\dir\\");
}

TEST(PathText, SlashesToBackslashes) {
  EXPECT_EQ(SlashesToBackslashes("docs/sub/a.txt"), "docs\\sub\\a.txt");
  EXPECT_EQ(SlashesToBackslashes("plain"), "plain");
}

class FileChecksTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string name;
    ASSERT_NE(platform::GetTempFileName(platform::GetTempPath(), "zbt", 0, name), 0u);
    filePath = name;
    folderPath = name + ".dir";
    ASSERT_TRUE(platform::CreateDirectory(folderPath));
  }
  void TearDown() override {
    static_cast<void>(platform::DeleteFile(filePath));
    static_cast<void>(platform::RemoveDirectory(folderPath));
  }
  std::string filePath;
  std::string folderPath;
};

TEST_F(FileChecksTest, TellFilesFromFolders) {
  EXPECT_TRUE(FileExists(filePath));
  EXPECT_FALSE(FolderExists(filePath));
  EXPECT_TRUE(FolderExists(folderPath));
  EXPECT_FALSE(FileExists(folderPath));
}

TEST_F(FileChecksTest, MissingAndEmptyPathsExistAsNeither) {
  EXPECT_FALSE(FileExists(filePath + ".missing"));
  EXPECT_FALSE(FolderExists(folderPath + ".missing"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FolderExists(""));
}

TEST(ZipDirEntryFields, OneCopyOfTheCentralHeaderFillsThemInOrder) {
  std::array<std::uint8_t, 46> header{};
  for (std::size_t index = 0; index < header.size(); ++index) {
    header[index] = static_cast<std::uint8_t>(index);
  }
  ZipDirEntry entry;
  static_cast<CentralHeaderFields&>(entry) = CentralHeaderFieldsFromHeader(header);
  // Packed fields are read by value: a reference to one may be misaligned.
  const auto value = [](auto field) { return field; };
  EXPECT_EQ(value(entry.VersionMadeBy), 4);
  EXPECT_EQ(value(entry.HostSystem), 5);
  EXPECT_EQ(value(entry.VersionNeeded), 0x0706);
  EXPECT_EQ(value(entry.Method), 0x0B0A);
  EXPECT_EQ(value(entry.DosDateTime), 0x0F0E0D0Cu);
  EXPECT_EQ(value(entry.Crc32), 0x13121110u);
  EXPECT_EQ(value(entry.NameLength), 0x1D1C);
  EXPECT_EQ(value(entry.CommentLength), 0x2120);
  EXPECT_EQ(value(entry.ExternalAttributes), 0x29282726u);
  EXPECT_EQ(value(entry.LocalHeaderOffset), 0x2D2C2B2Au);
  EXPECT_TRUE(entry.FileName.empty());
  EXPECT_TRUE(entry.ExtraData.empty());
}

}  // namespace
}  // namespace zipbuilder
