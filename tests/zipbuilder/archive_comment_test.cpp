// Writing ArchiveComment: the end record rewritten in place, the file cut after
// the comment, and a half-done rewrite read back.
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
  EXPECT_EQ(Directory().RawComment, "");
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

TEST_F(ArchiveCommentTest, AFailedEndRecordWriteLeavesTheOldCommentToBeReadBack) {
  ListArchive(BuildArchive(TwoFiles, {.ArchiveComment = "the old comment"}));
  platform::file_faults::Fail(platform::file_faults::Operation::Write, 1,
                              platform::file_faults::Persistence::FromThenOn);
  component.SetArchiveComment("new");
  platform::file_faults::Clear();

  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::EndRecordWriteError});
  EXPECT_EQ(dirUpdates, 2) << "listed again";
  EXPECT_EQ(FileBytes(), original);
  EXPECT_EQ(Directory().RawComment, "the old comment");
  EXPECT_EQ(component.DirEntries().size(), 2u);
}

TEST_F(ArchiveCommentTest, AFailedCommentWriteIsReadBackAsTheFileNowIs) {
  ListArchive(BuildArchive(TwoFiles, {.ArchiveComment = "the old comment"}));
  platform::file_faults::Fail(platform::file_faults::Operation::Write, 2,
                              platform::file_faults::Persistence::FromThenOn);
  component.SetArchiveComment("a new and longer comment");
  platform::file_faults::Clear();

  // The new length stands in the record, the old comment's bytes behind it:
  // the comment now seems to run past the end of the file.
  EXPECT_EQ(ReportedIds(), (std::vector<int>{message_id::WriteError, message_id::ListGarbageWarning}));
  EXPECT_EQ(dirUpdates, 2) << "listed again";
  EXPECT_EQ(component.ZipFileName(), path);
  EXPECT_EQ(Directory().RawComment, "the old comment");
  EXPECT_EQ(component.DirEntries().size(), 2u);
}

}  // namespace
}  // namespace zipbuilder
