// Finding the end record: the fast path, the backwards search, and what the
// search says about the bytes behind the comment.
#include "zipformat/end_record_search.h"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/zipformat/memory_archive.h"

namespace zipformat {
namespace {

using testing_support::BuildArchive;
using testing_support::BuiltArchive;
using testing_support::MemorySource;
using testing_support::TestEntry;
using testing_support::TestLayout;

const std::vector<TestEntry> TwoFiles = {{.name = "a.txt", .data = "alpha"}, {.name = "b.txt", .data = "bravo!"}};

EndRecordSearch Search(MemorySource& source) { return LocateEndRecord(source.Size(), source.Reader()); }

TEST(EndRecordSearch, AnArchiveEndingInItsRecordIsFoundByTheFastPathInOneRead) {
  const BuiltArchive archive = BuildArchive(TwoFiles);
  MemorySource source(archive.bytes);
  const EndRecordSearch search = Search(source);

  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);
  EXPECT_EQ(search.located.foundBy, EndRecordPath::FastPath);
  EXPECT_EQ(search.located.offset, archive.endRecordOffset);
  EXPECT_EQ(search.located.archiveEnd, source.Size());
  EXPECT_EQ(search.located.record.totalEntries, 2);
  EXPECT_EQ(search.located.record.directoryOffset, archive.directoryStart);
  EXPECT_EQ(search.located.comment, "");
  EXPECT_EQ(search.located.trailing, TrailingBytes::None);
  EXPECT_EQ(source.Reads(), 1);
}

TEST(EndRecordSearch, TheFastPathDoesNotLookAtTheCommentLength) {
  MemorySource source(BuildArchive(TwoFiles, {.statedCommentLength = 30}).bytes);
  const EndRecordSearch search = Search(source);
  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);
  EXPECT_EQ(search.located.foundBy, EndRecordPath::FastPath);
  EXPECT_EQ(search.located.archiveEnd, source.Size());
  EXPECT_EQ(search.located.trailing, TrailingBytes::None);
}

TEST(EndRecordSearch, AHundredByteCommentIsFoundByTheSearchInTwoReads) {
  const std::string comment(100, 'c');
  const BuiltArchive archive = BuildArchive(TwoFiles, {.comment = comment});
  MemorySource source(archive.bytes);
  const EndRecordSearch search = Search(source);

  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);
  EXPECT_EQ(search.located.foundBy, EndRecordPath::Search);
  EXPECT_EQ(search.located.offset, archive.endRecordOffset);
  EXPECT_EQ(search.located.archiveEnd, source.Size());
  EXPECT_EQ(search.located.comment, comment);
  EXPECT_EQ(search.located.trailing, TrailingBytes::None);
  EXPECT_EQ(source.Reads(), 2);
}

TEST(EndRecordSearch, TheCommentTextEndsAtItsFirstZeroByte) {
  const std::string comment("kept\0dropped", 12);
  MemorySource source(BuildArchive(TwoFiles, {.comment = comment}).bytes);
  const EndRecordSearch search = Search(source);
  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);
  EXPECT_EQ(search.located.comment, comment);
  EXPECT_EQ(search.located.CommentText(), "kept");
}

TEST(EndRecordSearch, TheLongestCommentPutsTheRecordAtTheStartOfTheWindow) {
  const std::string comment(MaximumCommentLength, 'L');
  const BuiltArchive archive = BuildArchive(TwoFiles, {.prefix = std::string(5000, 'S'), .comment = comment});
  MemorySource source(archive.bytes);
  const EndRecordSearch search = Search(source);
  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);
  EXPECT_EQ(search.located.offset, source.Size() - static_cast<std::int64_t>(EndRecordSearchWindow));
  EXPECT_EQ(search.located.comment.size(), MaximumCommentLength);
}

struct TrailerCase {
  const char* description;
  std::string trailer;  // behind the comment, sized against the archive it follows
  TrailingBytes expected;
};

void PrintTo(const TrailerCase& test, std::ostream* out) { *out << test.description; }

const std::size_t NotedArchiveSize = BuildArchive(TwoFiles, {.comment = "note"}).bytes.size();

class TrailerTest : public testing::TestWithParam<TrailerCase> {};

TEST_P(TrailerTest, OnlyZeroPaddingOfTheLastBlockIsPadding) {
  const BuiltArchive archive = BuildArchive(TwoFiles, {.comment = "note", .trailer = GetParam().trailer});
  MemorySource source(archive.bytes);
  const EndRecordSearch search = Search(source);

  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);
  EXPECT_EQ(search.located.trailing, GetParam().expected);
  EXPECT_EQ(search.located.archiveEnd, static_cast<std::int64_t>(NotedArchiveSize));
  EXPECT_EQ(search.located.comment, "note");
}

INSTANTIATE_TEST_SUITE_P(
    Trailers, TrailerTest,
    testing::Values(
        TrailerCase{"zeros to the block end", std::string(512 - NotedArchiveSize % 512, '\0'),
                    TrailingBytes::BlockPadding},
        TrailerCase{"one non-zero byte in the padding",
                    std::string(511 - NotedArchiveSize % 512, '\0') + std::string(1, '\x01'), TrailingBytes::Garbage},
        TrailerCase{"zeros short of the block end", std::string(100, '\0'), TrailingBytes::Garbage},
        TrailerCase{"a whole block of zeros more", std::string(1024 - NotedArchiveSize % 512, '\0'),
                    TrailingBytes::Garbage},
        TrailerCase{"text garbage", "garbage", TrailingBytes::Garbage}));

TEST(EndRecordSearch, AWholeBlockOfZerosIsMoreThanPadding) {
  // A comment that makes the archive end on a block boundary.
  const std::string comment(512 - NotedArchiveSize % 512 + 4, 'c');
  const BuiltArchive archive = BuildArchive(TwoFiles, {.comment = comment, .trailer = std::string(512, '\0')});
  ASSERT_EQ(archive.bytes.size() % 512, 0u);
  MemorySource source(archive.bytes);
  const EndRecordSearch search = Search(source);
  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);
  EXPECT_EQ(search.located.trailing, TrailingBytes::Garbage);
  EXPECT_EQ(search.located.archiveEnd, source.Size() - 512);
}

TEST(EndRecordSearch, ACommentStatedLongerThanTheFileIsKeptAsFarAsItGoes) {
  const BuiltArchive archive = BuildArchive(TwoFiles, {.comment = "short", .statedCommentLength = 50});
  MemorySource source(archive.bytes);
  const EndRecordSearch search = Search(source);

  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);
  EXPECT_EQ(search.located.comment, "short");
  EXPECT_EQ(search.located.trailing, TrailingBytes::CommentCutShort);
  EXPECT_EQ(search.located.archiveEnd, archive.endRecordOffset + 22 + 50);
}

struct SignatureInCommentCase {
  const char* description;
  std::string comment;
  std::int64_t offsetInComment;  // where the record is found, counted from the comment; -22 for the real one
};

void PrintTo(const SignatureInCommentCase& test, std::ostream* out) { *out << test.description; }

class SignatureInCommentTest : public testing::TestWithParam<SignatureInCommentCase> {};

TEST_P(SignatureInCommentTest, TheLastSignatureWithRoomForARecordIsTaken) {
  const BuiltArchive archive = BuildArchive(TwoFiles, {.comment = GetParam().comment});
  MemorySource source(archive.bytes);
  const EndRecordSearch search = Search(source);
  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);
  EXPECT_EQ(search.located.offset, archive.endRecordOffset + 22 + GetParam().offsetInComment)
      << GetParam().description;
}

const std::string Signature("PK\x05\x06", 4);

INSTANTIATE_TEST_SUITE_P(
    Comments, SignatureInCommentTest,
    testing::Values(
        SignatureInCommentCase{"too near the end to hold a record", "xx" + Signature + std::string(17, 'y'), -22},
        SignatureInCommentCase{"just room for a record", "xx" + Signature + std::string(18, 'y'), 2},
        SignatureInCommentCase{"at the comment's start", Signature + std::string(40, 'y'), 0}));

struct NoRecordCase {
  const char* description;
  std::string bytes;
  int reads;
};

void PrintTo(const NoRecordCase& test, std::ostream* out) { *out << test.description; }

class NoRecordTest : public testing::TestWithParam<NoRecordCase> {};

TEST_P(NoRecordTest, IsNotFound) {
  MemorySource source(GetParam().bytes);
  EXPECT_EQ(Search(source).outcome, EndRecordOutcome::NotFound);
  EXPECT_EQ(source.Reads(), GetParam().reads);
}

INSTANTIATE_TEST_SUITE_P(
    Files, NoRecordTest,
    testing::Values(NoRecordCase{"empty", "", 0},
                    NoRecordCase{"shorter than a record", Signature + "abc", 0},
                    NoRecordCase{"22 bytes that are no record", std::string(22, 'x'), 1},
                    NoRecordCase{"no signature", std::string(1000, 'x'), 2},
                    NoRecordCase{"a signature in the last 21 bytes only", std::string(500, 'x') + Signature + "12345",
                                 2},
                    NoRecordCase{"the record just outside the window",
                                 BuildArchive(TwoFiles, {.comment = std::string(MaximumCommentLength, 'L'),
                                                         .trailer = "x"})
                                     .bytes,
                                 2}));

TEST(EndRecordSearch, AWindowOutOfReachIsASeekFailure) {
  MemorySource source(BuildArchive(TwoFiles, {.comment = "note"}).bytes);
  source.UnreachableFrom(0);
  EXPECT_EQ(Search(source).outcome, EndRecordOutcome::SeekFailed);
  EXPECT_EQ(source.Reads(), 2);
}

TEST(EndRecordSearch, AWindowThatComesShortIsAShortRead) {
  const std::string bytes = BuildArchive(TwoFiles, {.comment = "note"}).bytes;
  MemorySource source(bytes);
  source.ShortReadAt(0, bytes.size() - 1);
  EXPECT_EQ(Search(source).outcome, EndRecordOutcome::ShortRead);
}

TEST(EndRecordSearch, AFastPathOutOfReachOnlyLeadsToTheSearch) {
  const BuiltArchive archive = BuildArchive(TwoFiles, {.comment = "note"});
  MemorySource source(archive.bytes);
  source.UnreachableFrom(source.Size() - 22);
  const EndRecordSearch search = Search(source);
  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);
  EXPECT_EQ(search.located.foundBy, EndRecordPath::Search);
  EXPECT_EQ(search.located.offset, archive.endRecordOffset);
}

TEST(EndRecordSearch, TheSearchLeavesOutThePositionTheFastPathTried) {
  MemorySource source(BuildArchive(TwoFiles).bytes);
  source.ShortReadAt(source.Size() - 22, 10);
  EXPECT_EQ(Search(source).outcome, EndRecordOutcome::NotFound);
  EXPECT_EQ(source.Reads(), 2);
}

}  // namespace
}  // namespace zipformat
