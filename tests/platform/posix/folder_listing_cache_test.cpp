// The case-insensitive lookup keeps its answers while folder listings are cached:
// changes made behind the backend's back show, and so do its own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/files.h"
#include "platform/posix/path_mapping.h"
#include "tests/platform/test_machine.h"

namespace {

using platform::posix::ToNativePath;

class FolderListingCache : public ::testing::Test {
 protected:
  [[nodiscard]] std::string In(std::string_view name) const { return folder.Path() + "/" + std::string(name); }

  // A change made behind the backend's back within one tick of the file system's
  // clock leaves the folder's time as it was; the test makes that happen at will.
  [[nodiscard]] timespec FolderTime() const {
    struct stat status{};
    EXPECT_EQ(stat(folder.Path().c_str(), &status), 0);
    return status.st_mtim;
  }
  void SetFolderTime(timespec modified) const {
    const timespec times[2] = {{0, UTIME_OMIT}, modified};
    ASSERT_EQ(utimensat(AT_FDCWD, folder.Path().c_str(), times, 0), 0);
  }
  void CreateBehindTheBack(std::string_view name) const { std::ofstream(In(name)) << "x"; }

  void CreateThroughTheBackend(std::string_view name) const {
    const platform::FileHandle file = platform::CreateFile(In(name), platform::FileAccess::Write,
                                                           platform::FileShare::None, platform::FileCreation::CreateNew);
    ASSERT_NE(file, platform::InvalidFileHandle) << name;
    platform::CloseHandle(file);
  }

  platform_test::ScratchFolder folder;
};

constexpr timespec LongAgo{1'600'000'000, 123'456'789};

TEST_F(FolderListingCache, NameCreatedBehindTheBackAfterAReadIsFound) {
  SetFolderTime(LongAgo);
  EXPECT_EQ(ToNativePath(In("behind.txt")), In("behind.txt"));
  CreateBehindTheBack("Behind.TXT");
  EXPECT_EQ(ToNativePath(In("behind.txt")), In("Behind.TXT"));
}

TEST_F(FolderListingCache, NameCreatedBehindTheBackInTheTickOfTheReadIsFound) {
  SetFolderTime({0, UTIME_NOW});
  const timespec readInTick = FolderTime();
  EXPECT_EQ(ToNativePath(In("same tick.txt")), In("same tick.txt"));
  CreateBehindTheBack("Same Tick.TXT");
  SetFolderTime(readInTick);
  EXPECT_EQ(ToNativePath(In("same tick.txt")), In("Same Tick.TXT"));
}

TEST_F(FolderListingCache, NameDeletedBehindTheBackIsNotFound) {
  CreateBehindTheBack("Gone.txt");
  SetFolderTime(LongAgo);
  EXPECT_EQ(ToNativePath(In("gone.txt")), In("Gone.txt"));
  ASSERT_EQ(unlink(In("Gone.txt").c_str()), 0);
  SetFolderTime(LongAgo);
  EXPECT_EQ(ToNativePath(In("gone.txt")), In("gone.txt"));
}

TEST_F(FolderListingCache, RenamedAndDeletedThroughTheBackendAreFollowed) {
  CreateThroughTheBackend("Old.txt");
  EXPECT_EQ(ToNativePath(In("old.txt")), In("Old.txt"));
  ASSERT_TRUE(platform::MoveFile(In("old.txt"), In("New.TXT"), platform::MoveMode::KeepExisting));
  EXPECT_EQ(ToNativePath(In("OLD.TXT")), In("OLD.TXT"));
  EXPECT_EQ(ToNativePath(In("new.txt")), In("New.TXT"));
  ASSERT_TRUE(platform::DeleteFile(In("new.txt")));
  EXPECT_EQ(ToNativePath(In("new.txt")), In("new.txt"));
  ASSERT_TRUE(platform::CreateDirectory(In("Sub")));
  EXPECT_EQ(ToNativePath(In("sub")), In("Sub"));
  ASSERT_TRUE(platform::RemoveDirectory(In("SUB")));
  EXPECT_EQ(ToNativePath(In("sub")), In("sub"));
}

TEST_F(FolderListingCache, AnotherVariantRemainsWhenOneIsDeleted) {
  // The backend would open "Pair.txt" for "PAIR.txt": the second variant comes from outside.
  CreateThroughTheBackend("Pair.txt");
  CreateBehindTheBack("PAIR.txt");
  const std::optional<std::string> first = ToNativePath(In("pair.txt"));
  ASSERT_TRUE(first == In("Pair.txt") || first == In("PAIR.txt"));
  ASSERT_TRUE(platform::DeleteFile(*first));
  const std::string other = *first == In("Pair.txt") ? In("PAIR.txt") : In("Pair.txt");
  EXPECT_EQ(ToNativePath(In("pair.txt")), other);
}

TEST_F(FolderListingCache, ManyFilesInOneFolderKeepTheirNames) {
  constexpr int FileCount = 600;
  for (int index = 0; index < FileCount; ++index) {
    if (index % 3 == 0) {
      CreateBehindTheBack("Outside" + std::to_string(index) + ".Dat");
    } else {
      CreateThroughTheBackend("Inside" + std::to_string(index) + ".Txt");
    }
    if (index % 5 == 4) {
      ASSERT_TRUE(platform::DeleteFile(In("inside" + std::to_string(index - 1) + ".txt")) || (index - 1) % 3 == 0);
    }
  }
  for (int index = 0; index < FileCount; ++index) {
    const std::string number = std::to_string(index);
    if (index % 3 == 0) {
      EXPECT_EQ(ToNativePath(In("OUTSIDE" + number + ".DAT")), In("Outside" + number + ".Dat"));
    } else if (index % 5 == 3) {
      EXPECT_EQ(ToNativePath(In("inside" + number + ".txt")), In("inside" + number + ".txt"));
    } else {
      EXPECT_EQ(ToNativePath(In("INSIDE" + number + ".TXT")), In("Inside" + number + ".Txt"));
    }
  }
}

}  // namespace
