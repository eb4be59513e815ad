// Spanned sets listed from their last disk: numbered part files on an ordinary
// drive, and disks swapped in a removable drive from OnGetNextDisk.
#include "tests/zipbuilder/archive_bytes.h"
#include "tests/zipbuilder/floppy_drive.h"
#include "tests/zipbuilder/listing_fixture.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/path_text.h"

namespace zipbuilder {
namespace {

using archive_bytes::Entry;

const std::vector<Entry> SetEntries = {
    {.Name = "one.txt", .Data = "first"},   {.Name = "two.txt", .Data = "second"},
    {.Name = "three.txt", .Data = "third"}, {.Name = "four.txt", .Data = "fourth"},
    {.Name = "five.txt", .Data = "fifth"},
};
const std::vector<std::string> SetNames = {"one.txt", "two.txt", "three.txt", "four.txt", "five.txt"};

// Three disks: the entries' data on the first (behind the span mark), the
// directory begun on the second and continued on the third, which ends with
// the end record.
std::vector<std::string> ThreeDiskSet() {
  std::string first = archive_bytes::SpanMark();
  std::vector<std::uint32_t> offsets;
  for (const Entry& entry : SetEntries) {
    offsets.push_back(static_cast<std::uint32_t>(first.size()));
    first += archive_bytes::LocalHeaderWithData(entry);
  }
  std::string second;
  std::string third;
  for (std::size_t index = 0; index < SetEntries.size(); ++index) {
    (index < 3 ? second : third) += archive_bytes::CentralHeader(SetEntries[index], offsets[index]);
  }
  archive_bytes::EndRecordFields end;
  end.ThisDisk = 2;
  end.DirectoryDisk = 1;
  end.EntriesOnThisDisk = 2;
  end.TotalEntries = static_cast<std::uint16_t>(SetEntries.size());
  end.DirectorySize = static_cast<std::uint32_t>(second.size() + third.size());
  end.DirectoryOffset = 0;
  third += archive_bytes::EndRecord(end);
  return {first, second, third};
}

// ---------------------------------------------------------------------------
// Part files

struct PartNameCase {
  std::string FileName;
  int DiskNumber;
  std::string PartName;
};

class PartFileNameTest : public testing::TestWithParam<PartNameCase> {};

TEST_P(PartFileNameTest, ReplacesTheThreeCharactersBeforeTheExtension) {
  EXPECT_EQ(PartFileName(GetParam().FileName, GetParam().DiskNumber), GetParam().PartName);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PartFileNameTest,
    testing::Values(PartNameCase{"C:\\sets\\backup005.zip", 0, "C:\\sets\\backup001.zip"},
                    PartNameCase{"C:\\sets\\backup005.zip", 11, "C:\\sets\\backup012.zip"},
                    PartNameCase{"/tmp/sets/archive.zip", 1, "/tmp/sets/arch002.zip"},
                    PartNameCase{"set.v1\\parts003", 0, "set.v1\\parts001"},
                    PartNameCase{"C:\\sets\\ab.zip", 0, "C:\\sets\\001.zip"},
                    PartNameCase{"ab.zip", 2, "003.zip"},
                    PartNameCase{"C:\\sets\\big.zip", 999, "C:\\sets\\1000.zip"}));

class PartFileSetTest : public ListingTest {
 protected:
  void WriteParts(const std::vector<std::string>& disks) {
    for (std::size_t index = 0; index < disks.size(); ++index) {
      WriteArchive("set00" + std::to_string(index + 1) + ".zip", disks[index]);
    }
  }
};

TEST_F(PartFileSetTest, AreFollowedByNameWithoutAPrompt) {
  WriteParts(ThreeDiskSet());
  component.OnGetNextDisk = [](TZipBuilder&, int, int, const std::string&, bool&) {
    ADD_FAILURE() << "part files are never asked for";
  };
  component.SetZipFileName(scratch.PathOf("set003.zip"));

  EXPECT_EQ(ListedNames(), SetNames);
  EXPECT_TRUE(reports.empty()) << reports.front().Text;
  EXPECT_TRUE(Directory().Spanned);
  EXPECT_EQ(Directory().LastDiskNumber, 2);
  EXPECT_EQ(Directory().CurrentDisk, 2);
  EXPECT_EQ(Directory().DirectoryOffset, 0u);
  EXPECT_TRUE(Directory().WorkFileName.ends_with("set003.zip")) << Directory().WorkFileName;
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
}

TEST_F(PartFileSetTest, AMissingPartFailsWith11001) {
  const std::vector<std::string> disks = ThreeDiskSet();
  WriteArchive("set001.zip", disks[0]);
  WriteArchive("set003.zip", disks[2]);
  component.SetZipFileName(scratch.PathOf("set003.zip"));

  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::InputFileMissing});
  EXPECT_EQ(component.ZipFileName(), "");
  EXPECT_EQ(dirUpdates, 1);
}

TEST_F(PartFileSetTest, TheFirstPartAloneSaysToChooseTheLast) {
  WriteParts(ThreeDiskSet());
  component.SetZipFileName(scratch.PathOf("set001.zip"));
  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::FirstFileOfSet});
}

TEST_F(PartFileSetTest, ADirectoryRunningPastTheLastDiskFailsWith11013) {
  std::vector<std::string> disks = ThreeDiskSet();
  // The end record claims one entry more than the two disks hold.
  disks[2][disks[2].size() - 22 + 10] = static_cast<char>(SetEntries.size() + 1);
  WriteParts(disks);
  component.SetZipFileName(scratch.PathOf("set003.zip"));

  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::CentralHeaderReadError});
  EXPECT_EQ(ListedNames(), SetNames);
}

// ---------------------------------------------------------------------------
// Removable disks

class RemovableSetTest : public ListingTest {
 protected:
  void SetUp() override {
    if (!floppy.Mapped()) {
      GTEST_SKIP() << floppy.Reason();
    }
  }

  void Insert(std::size_t diskIndex) {
    floppy.Insert("set.zip", disks[diskIndex], SpanDiskLabel(static_cast<int>(diskIndex)));
    ASSERT_TRUE(floppy.Labelled()) << floppy.Reason();
  }

  // OnGetNextDisk puts in the disk asked for, after `wrongDisksFirst` wrong ones.
  void SwapDisksOnRequest(int wrongDisksFirst = 0) {
    component.OnGetNextDisk = [this, wrongDisksFirst](TZipBuilder&, int seqNo, int total, const std::string& drive,
                                                      bool& cancel) {
      requests.push_back(seqNo);
      EXPECT_EQ(total, 3);
      EXPECT_EQ(drive, "A");
      cancel = false;
      const bool giveWrongDisk = static_cast<int>(requests.size()) % (wrongDisksFirst + 1) != 0;
      Insert(giveWrongDisk ? 0 : static_cast<std::size_t>(seqNo - 1));
    };
  }

  FloppyDrive floppy{scratch};
  std::vector<std::string> disks = ThreeDiskSet();
  std::vector<int> requests;
};

TEST_F(RemovableSetTest, AreListedByAskingForEachDisk) {
  Insert(2);
  SwapDisksOnRequest();
  component.SetZipFileName(FloppyDrive::PathOf("set.zip"));

  EXPECT_EQ(ListedNames(), SetNames);
  EXPECT_TRUE(reports.empty()) << reports.front().Text;
  EXPECT_EQ(requests, (std::vector<int>{2, 3}));
  EXPECT_TRUE(Directory().Spanned);
  EXPECT_EQ(Directory().VolumeLabel, "PKBACK# 003");
  EXPECT_EQ(Directory().CurrentDisk, 2);
}

TEST_F(RemovableSetTest, AWrongDiskIsAskedForAgain) {
  Insert(2);
  SwapDisksOnRequest(1);
  component.SetZipFileName(FloppyDrive::PathOf("set.zip"));

  EXPECT_EQ(ListedNames(), SetNames);
  EXPECT_EQ(requests, (std::vector<int>{2, 2, 3, 3}));
}

TEST_F(RemovableSetTest, UnattendedTheSetCannotBeListed) {
  Insert(2);
  SwapDisksOnRequest();
  component.SetUnattended(true);
  component.SetZipFileName(FloppyDrive::PathOf("set.zip"));

  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::UnattendedSpanningNotImplemented});
  EXPECT_TRUE(requests.empty());
  EXPECT_EQ(component.ZipFileName(), "");
}

TEST_F(RemovableSetTest, CancellingThePromptEndsWith11007WithoutABox) {
  Insert(2);
  component.OnGetNextDisk = [](TZipBuilder&, int, int, const std::string&, bool& cancel) { cancel = true; };
  component.SetZipFileName(FloppyDrive::PathOf("set.zip"));

  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::UserCanceled});
  EXPECT_EQ(component.LastMessage(), "User canceled operation");
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
  EXPECT_EQ(component.ZipFileName(), "");
  EXPECT_EQ(dirUpdates, 1);
}

TEST_F(RemovableSetTest, TheFirstDiskSaysToInsertTheLast) {
  Insert(0);
  component.SetZipFileName(FloppyDrive::PathOf("set.zip"));
  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::FirstDiskOfSet});
}

TEST_F(RemovableSetTest, AMiddleDiskSaysWhichItIs) {
  Insert(1);
  component.SetZipFileName(FloppyDrive::PathOf("set.zip"));
  ASSERT_EQ(ReportedIds(), std::vector<int>{message_id::NthDiskOfSet});
  EXPECT_EQ(reports[0].Text, "This is the 2th disk in a backup set,\nplease insert the last disk of this set");
}

}  // namespace
}  // namespace zipbuilder
