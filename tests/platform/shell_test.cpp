// Deleting through the shell, permanently or to the recycle bin.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/shell.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;

std::string ReadWhole(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

struct TrashedItem {
  std::string record;    // the .trashinfo text
  std::string contents;  // of the file kept in files/
};

class ShellDelete : public ::testing::Test {
 protected:
  // The items in the trash that came from this test's scratch folder, found by the
  // folder's unique name in their recorded path (the trash may hold older items).
  std::vector<TrashedItem> TrashedFromScratch(const std::string& trash) const {
    const std::string scratchName = std::filesystem::path(scratch.Path()).filename().string();
    std::vector<TrashedItem> items;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(trash) / "info")) {
      const std::string record = ReadWhole(entry.path());
      if (entry.path().extension() != ".trashinfo" || record.find(scratchName) == std::string::npos) {
        continue;
      }
      const std::filesystem::path kept = std::filesystem::path(trash) / "files" / entry.path().stem();
      items.push_back({record, ReadWhole(kept)});
    }
    return items;
  }

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
  const std::vector<TrashedItem> items = TrashedFromScratch(*trash);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].contents, "data");
  EXPECT_EQ(items[0].record.rfind("[Trash Info]\n", 0), 0u) << items[0].record;
  EXPECT_NE(items[0].record.find("\nPath=/"), std::string::npos) << "an absolute path\n" << items[0].record;
  EXPECT_NE(items[0].record.find("/old%20archive.zip\n"), std::string::npos) << "percent-encoded\n" << items[0].record;
  EXPECT_NE(items[0].record.find("\nDeletionDate=20"), std::string::npos) << items[0].record;
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
  std::vector<std::string> contents;
  for (const TrashedItem& item : TrashedFromScratch(*trash)) {
    contents.push_back(item.contents);
  }
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(contents, (std::vector<std::string>{"first", "second"}));
}

}  // namespace
