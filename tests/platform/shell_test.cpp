// Deleting through the shell, permanently or to the recycle bin.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/shell.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;

class ShellDelete : public ::testing::Test {
 protected:
  platform_test::TestMachine machine;
  platform_test::ScratchFolder scratch;
};

TEST_F(ShellDelete, PermanentDeletionRemovesTheFile) {
  scratch.WriteFile("old.zip", "data");
  EXPECT_EQ(ShellDeleteFile(scratch.PathOf("old.zip"), DeleteMode::Permanent), 0);
  EXPECT_FALSE(scratch.Exists("old.zip"));
}

TEST_F(ShellDelete, MissingFileIsAnError) {
  EXPECT_NE(ShellDeleteFile(scratch.PathOf("missing.zip"), DeleteMode::Permanent), 0);
  EXPECT_NE(ShellDeleteFile(scratch.PathOf("missing.zip"), DeleteMode::ToRecycleBin), 0);
}

TEST_F(ShellDelete, RecycledFileLeavesItsFolderAndLandsInTheTrash) {
  scratch.WriteFile("old archive.zip", "data");
  ASSERT_EQ(ShellDeleteFile(scratch.PathOf("old archive.zip"), DeleteMode::ToRecycleBin), 0);
  EXPECT_FALSE(scratch.Exists("old archive.zip"));

  const std::optional<std::string> trash = machine.TrashFolder();
  if (!trash) {
    GTEST_SKIP() << "where the recycle bin keeps files is not known here";
  }
  std::ifstream trashed(std::filesystem::path(*trash) / "files" / "old archive.zip", std::ios::binary);
  std::string contents((std::istreambuf_iterator<char>(trashed)), std::istreambuf_iterator<char>());
  EXPECT_EQ(contents, "data");

  std::ifstream info(std::filesystem::path(*trash) / "info" / "old archive.zip.trashinfo");
  std::string record((std::istreambuf_iterator<char>(info)), std::istreambuf_iterator<char>());
  EXPECT_EQ(record.rfind("[Trash Info]\n", 0), 0u);
  EXPECT_NE(record.find("Path=" + std::filesystem::path(scratch.Path()).generic_string() + "/old%20archive.zip\n"),
            std::string::npos)
      << record;
  EXPECT_NE(record.find("\nDeletionDate=20"), std::string::npos) << record;
}

TEST_F(ShellDelete, RecyclingTwoFilesOfTheSameNameKeepsBoth) {
  scratch.WriteFile("a/same.txt", "first");
  scratch.WriteFile("b/same.txt", "second");
  ASSERT_EQ(ShellDeleteFile(scratch.PathOf("a/same.txt"), DeleteMode::ToRecycleBin), 0);
  ASSERT_EQ(ShellDeleteFile(scratch.PathOf("b/same.txt"), DeleteMode::ToRecycleBin), 0);

  const std::optional<std::string> trash = machine.TrashFolder();
  if (!trash) {
    GTEST_SKIP() << "where the recycle bin keeps files is not known here";
  }
  int trashedFiles = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(*trash) / "files")) {
    trashedFiles += entry.path().filename().string().starts_with("same") ? 1 : 0;
  }
  int infoFiles = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(*trash) / "info")) {
    infoFiles += entry.path().extension() == ".trashinfo" ? 1 : 0;
  }
  EXPECT_EQ(trashedFiles, 2);
  EXPECT_EQ(infoFiles, 2);
}

}  // namespace
