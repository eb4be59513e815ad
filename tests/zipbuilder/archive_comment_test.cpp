// Writing ArchiveComment: a copy of the archive with the new end record and
// comment replaces it, and a failure at any step leaves the archive and the
// component's state as they were.
#include <algorithm>
#include <filesystem>

#include "platform/file_faults.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tests/zipbuilder/archive_bytes.h"
#include "tests/zipbuilder/listing_fixture.h"
#include "zipbuilder/message_table.h"

namespace zipbuilder {
namespace {

using archive_bytes::BuildArchive;
using archive_bytes::Entry;

const std::vector<Entry> TwoFiles = {{.Name = "a.txt", .Data = "alpha"}, {.Name = "b.txt", .Data = "bravo!"}};

class ArchiveCommentTest : public ListingTest {
 protected:
  void TearDown() override { platform::file_faults::Clear(); }

  // Lists `archive` as "comment.zip" and remembers its bytes.
  void ListArchive(const std::string& archive) {
    original = archive;
    path = WriteArchive("comment.zip", archive);
    component.SetZipFileName(path);
    ASSERT_TRUE(reports.empty());
  }

  [[nodiscard]] std::string FileBytes() const { return scratch.ReadFile("comment.zip").value_or(""); }


  // What a fresh component lists from the file now.
  void ExpectFileListsWithComment(const std::string& rawComment) {
    TZipBuilder fresh;
    fresh.SetUnattended(true);
    fresh.SetZipFileName(path);
    EXPECT_EQ(fresh.ErrCode(), 0) << fresh.LastMessage();
    EXPECT_EQ(fresh.DirEntries().size(), 2u);
    EXPECT_EQ(fresh.Directory().RawComment, rawComment);
  }

  std::string original;
  std::string path;
};

struct RewriteCase {
  const char* Description;
  std::string OldComment;
  std::string NewComment;
};

void PrintTo(const RewriteCase& test, std::ostream* out) { *out << test.Description; }

class CommentRewriteTest : public ArchiveCommentTest, public testing::WithParamInterface<RewriteCase> {};

TEST_P(CommentRewriteTest, RewritesTheEndRecordAndCutsTheFileAfterTheComment) {
  const RewriteCase& test = GetParam();
  ListArchive(BuildArchive(TwoFiles, {.ArchiveComment = test.OldComment}));
  const std::int32_t endRecordOffset = Directory().EndRecordOffset;

  component.SetArchiveComment(test.NewComment);

  EXPECT_TRUE(reports.empty()) << test.Description;
  EXPECT_EQ(Directory().RawComment, test.NewComment);
  EXPECT_EQ(component.ArchiveComment(), test.NewComment);
  const std::string bytes = FileBytes();
  EXPECT_EQ(bytes.size(), static_cast<std::size_t>(endRecordOffset) + 22 + test.NewComment.size());
  // Everything up to the comment length is as it was.
  const std::size_t unchangedLength = static_cast<std::size_t>(endRecordOffset) + 20;
  EXPECT_EQ(bytes.substr(0, unchangedLength), original.substr(0, unchangedLength));
  EXPECT_EQ(bytes.substr(unchangedLength + 2), test.NewComment);
  EXPECT_EQ(Directory().ArchiveEnd, static_cast<std::int32_t>(bytes.size()));
  ExpectFileListsWithComment(test.NewComment);
}

INSTANTIATE_TEST_SUITE_P(Comments, CommentRewriteTest,
                         testing::Values(RewriteCase{"a first comment", "", "written later"},
                                         RewriteCase{"a shorter one", std::string(300, 'o'), "short"},
                                         RewriteCase{"a longer one", "short", std::string(2000, 'l')},
                                         RewriteCase{"removing it", "going away", ""},
                                         RewriteCase{"the largest", "", std::string(65535, 'x')}));

TEST_F(ArchiveCommentTest, IsStoredInTheOemCodePageOfAnMsDosArchive) {
  ListArchive(BuildArchive({{.Name = "a.txt", .HostSystem = 0}, {.Name = "b.txt", .HostSystem = 0}}));
  const std::string ansiComment = platform::OemToChar("caf\x82 \x81" "ber");

  component.SetArchiveComment(ansiComment);

  EXPECT_EQ(Directory().RawComment, "caf\x82 \x81" "ber");
  EXPECT_TRUE(FileBytes().ends_with("caf\x82 \x81" "ber"));
  EXPECT_EQ(component.ArchiveComment(), ansiComment);
}

TEST_F(ArchiveCommentTest, ACommentTooLongForTheRecordIsRefusedAndTheFileLeftAlone) {
  ListArchive(BuildArchive(TwoFiles, {.ArchiveComment = "old"}));

  component.SetArchiveComment(std::string(65536, 'x'));

  ASSERT_EQ(ReportedIds(), std::vector<int>{message_id::EndRecordWriteError});
  EXPECT_EQ(reports[0].Text, "Error while writing the End Of Central Directory\nThe comment is longer than 65535 bytes.");
  EXPECT_EQ(FileBytes(), original);
  EXPECT_EQ(Directory().RawComment, "old") << "the state describes the file";
  EXPECT_EQ(dirUpdates, 1);
}

TEST_F(ArchiveCommentTest, WithoutAnArchiveNameItFailsWith11001) {
  component.SetArchiveComment("nowhere");
  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::InputFileMissing});
  EXPECT_EQ(Directory().RawComment, "");
}

TEST_F(ArchiveCommentTest, AnArchiveGoneSinceListingFailsWith11002) {
  ListArchive(BuildArchive(TwoFiles));
  ASSERT_TRUE(platform::DeleteFile(path));
  component.SetArchiveComment("too late");
  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::ZipFileNotOpened});
  EXPECT_EQ(Directory().RawComment, "");
  EXPECT_EQ(dirUpdates, 1);
}

TEST_F(ArchiveCommentTest, AnArchiveChangedSinceListingFailsWith11011AndStaysAsItIs) {
  ListArchive(BuildArchive(TwoFiles, {.ArchiveComment = "old"}));
  const std::string changed = "prefix" + original;
  scratch.WriteFile("comment.zip", changed);

  component.SetArchiveComment("new");

  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::EndRecordReadError});
  EXPECT_EQ(FileBytes(), changed);
  EXPECT_EQ(dirUpdates, 1);
}

// The copy's writes: the archive up to its end record (one write for a small
// archive), the end record, the comment.
struct FailedWrite {
  std::uint32_t CallNumber;
  int MessageId;
};

TEST_F(ArchiveCommentTest, AFailedWriteAtAnyStepLeavesTheArchiveAndTheStateAsTheyWere) {
  for (const FailedWrite fault : {FailedWrite{1, message_id::WriteError}, FailedWrite{2, message_id::EndRecordWriteError},
                                  FailedWrite{3, message_id::WriteError}}) {
    SCOPED_TRACE(fault.CallNumber);
    reports.clear();
    dirUpdates = 0;
    ListArchive(BuildArchive(TwoFiles, {.ArchiveComment = "the old comment"}));
    dirUpdates = 0;
    const DirectoryState before = Directory();
    platform::file_faults::Fail(platform::file_faults::Operation::Write, fault.CallNumber,
                                platform::file_faults::Persistence::Once);
    component.SetArchiveComment("a new and longer comment");
    platform::file_faults::Clear();

    EXPECT_EQ(ReportedIds(), std::vector<int>{fault.MessageId});
    EXPECT_TRUE(FileBytes() == original) << "the archive is byte for byte as it was";
    EXPECT_EQ(dirUpdates, 0) << "nothing to read again";
    EXPECT_EQ(Directory().RawComment, "the old comment") << "the state describes the file";
    EXPECT_EQ(Directory().ArchiveEnd, before.ArchiveEnd);
    EXPECT_EQ(component.DirEntries().size(), 2u);
    EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"comment.zip"});
  }
}

TEST_F(ArchiveCommentTest, AFullDiskWhileWritingALongerCommentLeavesTheArchiveByteForByte) {
  ListArchive(BuildArchive(TwoFiles, {.ArchiveComment = "short"}));
  platform::file_faults::Fail(platform::file_faults::Operation::Write, 3, platform::file_faults::Persistence::FromThenOn,
                              platform::win32_error::DiskFull);
  component.SetArchiveComment(std::string(4000, 'l'));
  platform::file_faults::Clear();

  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::WriteError});
  EXPECT_TRUE(FileBytes() == original);
  EXPECT_EQ(Directory().RawComment, "short");
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"comment.zip"});
  ExpectFileListsWithComment("short");
}

TEST_F(ArchiveCommentTest, AReadOnlyArchiveFailsWith11002BeforeAnythingIsWritten) {
  ListArchive(BuildArchive(TwoFiles, {.ArchiveComment = "kept"}));
  ASSERT_TRUE(platform::SetFileAttributes(path, platform::file_attribute::ReadOnly));
  const platform::FileHandle writer = platform::CreateFile(path, platform::FileAccess::ReadWrite,
                                                           platform::FileShare::Read,
                                                           platform::FileCreation::OpenExisting);
  if (writer != platform::InvalidFileHandle) {
    platform::CloseHandle(writer);
    ASSERT_TRUE(platform::SetFileAttributes(path, platform::file_attribute::Normal));
    GTEST_SKIP() << "this system lets the process write read-only files";
  }
  component.SetArchiveComment("refused");
  ASSERT_TRUE(platform::SetFileAttributes(path, platform::file_attribute::Normal));
  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::ZipFileNotOpened});
  EXPECT_TRUE(FileBytes() == original);
  EXPECT_EQ(Directory().RawComment, "kept");
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"comment.zip"});
}

// Every operation of the fault table failing in turn, at each of its calls: the
// archive is the old one byte for byte or the complete new one, which lists with
// its entries and the new comment; no temporary file stays. A failing Delete is
// the clean-up of an earlier failure, which this comment writer never reaches with
// one fault: it deletes nothing on success.
TEST_F(ArchiveCommentTest, EveryFailingFileOperationLeavesTheOldOrTheNewArchive) {
  namespace faults = platform::file_faults;
  const std::string newComment = "the new comment, longer than the old";
  for (const faults::Operation operation : faults::AllOperations) {
    for (std::uint32_t callNumber = 1;; ++callNumber) {
      SCOPED_TRACE(std::string(faults::NameOf(operation)) + " call " + std::to_string(callNumber));
      reports.clear();
      ListArchive(BuildArchive(TwoFiles, {.ArchiveComment = "the old comment"}));
      faults::Fail(operation, callNumber, faults::Persistence::Once);
      component.SetArchiveComment(newComment);
      const bool fired = faults::Fired(operation);
      faults::Clear();

      const bool unchanged = FileBytes() == original;
      if (unchanged) {
        EXPECT_EQ(Directory().RawComment, "the old comment");
        EXPECT_FALSE(reports.empty()) << "a comment that was not written is reported";
      } else {
        ExpectFileListsWithComment(newComment);
        EXPECT_EQ(Directory().RawComment, newComment);
      }
      EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"comment.zip"});
      if (!fired) {
        EXPECT_TRUE(reports.empty());
        EXPECT_FALSE(unchanged);
        break;
      }
      ASSERT_LT(callNumber, 20u);
    }
  }
}

}  // namespace
}  // namespace zipbuilder
