// Where the directory lies, the prefix in front of the archive data, the walk
// over the central headers and the whole single-disk directory.
#include <gtest/gtest.h>

#include <ostream>

#include "tests/zipformat/memory_archive.h"
#include "zipformat/directory_placement.h"
#include "zipformat/directory_walker.h"
#include "zipformat/end_record_search.h"
#include "zipformat/single_disk_directory.h"

namespace zipformat {
namespace {

using testing_support::BuildArchive;
using testing_support::BuiltArchive;
using testing_support::CentralHeaderBytes;
using testing_support::EndRecordBytes;
using testing_support::MemorySource;
using testing_support::TestEntry;
using testing_support::TestLayout;

const std::vector<TestEntry> TwoFiles = {{.name = "a.txt", .data = "alpha"}, {.name = "b.txt", .data = "bravo!"}};

// ---------------------------------------------------------------------------
// Placement and prefix, as List and the engines measure them.

struct PrefixCase {
  const char* description;
  std::vector<TestEntry> entries;
  TestLayout layout;
  std::int64_t displacement;
  std::int64_t prefixSize;
};

void PrintTo(const PrefixCase& test, std::ostream* out) { *out << test.description; }

class PrefixTest : public testing::TestWithParam<PrefixCase> {};

TEST_P(PrefixTest, PlacementAndPrefixFollowFromTheEndRecordAndTheOffsets) {
  const PrefixCase& test = GetParam();
  const BuiltArchive archive = BuildArchive(test.entries, test.layout);
  MemorySource source(archive.bytes);
  const EndRecordSearch search = LocateEndRecord(source.Size(), source.Reader());
  ASSERT_EQ(search.outcome, EndRecordOutcome::Found);

  const DirectoryPlacement placement = PlaceDirectory(search.located.record, search.located.offset);
  EXPECT_EQ(placement.start, archive.directoryStart);
  EXPECT_EQ(placement.Displacement(), test.displacement);
  EXPECT_EQ(placement.StructureWarning(), test.displacement != 0);

  PrefixMeasure prefix(search.located.archiveEnd);
  MemorySource walked(archive.bytes);
  CentralDirectoryWalker walker(walked.Reader(), placement.start);
  DirectoryEntry entry;
  for (std::size_t index = 0; index < test.entries.size(); ++index) {
    ASSERT_EQ(walker.Next(entry), WalkStep::Entry);
    prefix.NoteLocalHeaderOffset(entry.header.localHeaderOffset);
  }
  EXPECT_EQ(prefix.Result(placement), test.prefixSize);
}

const std::string Stub(1000, 'S');

INSTANTIATE_TEST_SUITE_P(
    Layouts, PrefixTest,
    testing::Values(
        PrefixCase{"a plain archive", TwoFiles, {}, 0, 0},
        PrefixCase{"behind a stub with adjusted offsets", TwoFiles, {.prefix = Stub, .offsetsIncludePrefix = true}, 0,
                   1000},
        PrefixCase{"behind a stub without adjusted offsets", TwoFiles, {.prefix = Stub}, 1000, 1000},
        PrefixCase{"with a comment behind a stub", TwoFiles,
                   {.prefix = Stub, .offsetsIncludePrefix = true, .comment = "note"}, 0, 1000},
        PrefixCase{"empty: the end record alone", {}, {}, 0, 0},
        PrefixCase{"empty with a comment", {}, {.comment = "empty"}, 0, 0},
        PrefixCase{"empty behind a stub", {}, {.prefix = std::string(300, 'S'), .offsetsIncludePrefix = true}, 0,
                   300},
        PrefixCase{"empty behind a stub without adjusted offsets", {}, {.prefix = std::string(300, 'S')}, 300,
                   300}));

TEST(PrefixMeasure, TheArchiveEndBoundsTheOffsetsAndAnEndRecordAloneHasNoPrefix) {
  const DirectoryPlacement undisplaced{.start = 100, .storedOffset = 100};
  PrefixMeasure beyondTheEnd(5000);
  beyondTheEnd.NoteLocalHeaderOffset(9000);
  EXPECT_EQ(beyondTheEnd.SoFar(), 5000);
  EXPECT_EQ(beyondTheEnd.Result(undisplaced), 5000);

  PrefixMeasure endRecordAlone(22);
  EXPECT_EQ(endRecordAlone.SoFar(), 0);
  endRecordAlone.NoteLocalHeaderOffset(7);
  EXPECT_EQ(endRecordAlone.Result(undisplaced), 0);
}

TEST(PrefixMeasure, OffsetsBeyondTheDirectoryNeverMakeItNegative) {
  PrefixMeasure prefix(5000);
  prefix.NoteLocalHeaderOffset(10);
  EXPECT_EQ(prefix.Result({.start = 100, .storedOffset = 400}), 0);
  EXPECT_EQ(PrefixMeasure(5000).Result({.start = -20, .storedOffset = 0}), 0);
}

TEST(DirectoryPlacement, ADirectoryOnAnotherDiskIsTakenAtItsStoredOffset) {
  EndRecord record;
  record.thisDisk = 2;
  record.directoryDisk = 1;
  record.directorySize = 500;
  record.directoryOffset = 123;
  const DirectoryPlacement placement = PlaceDirectory(record, 40);
  EXPECT_EQ(placement.start, 123);
  EXPECT_FALSE(placement.StructureWarning());
}

TEST(DirectoryPlacement, ADirectoryLargerThanWhatPrecedesTheRecordStartsBelowZero) {
  EndRecord record;
  record.directorySize = 500;
  const DirectoryPlacement placement = PlaceDirectory(record, 40);
  EXPECT_EQ(placement.start, -460);
  EXPECT_TRUE(placement.StructureWarning());
}

// ---------------------------------------------------------------------------
// The walk over the central headers.

const std::vector<TestEntry> ThreeEntries = {
    {.name = "first.txt", .data = "1", .extra = "EXTRA", .comment = "about the first"},
    {.name = "folder/", .data = ""},
    {.name = "folder/second.txt", .data = "22", .comment = "c"},
};

// The central directory of ThreeEntries alone, offsets 0, 10, 20.
std::string ThreeHeaders() {
  return CentralHeaderBytes(ThreeEntries[0], 0) + CentralHeaderBytes(ThreeEntries[1], 10) +
         CentralHeaderBytes(ThreeEntries[2], 20);
}

TEST(CentralDirectoryWalker, ReadsEveryHeaderWithItsTextsThroughChunksSmallerThanARecord) {
  MemorySource source("prefix" + ThreeHeaders());
  CentralDirectoryWalker walker(source.Reader(), 6, CentralDirectoryWalker::NoEnd, 50);
  DirectoryEntry entry;
  for (std::size_t index = 0; index < ThreeEntries.size(); ++index) {
    ASSERT_EQ(walker.Next(entry), WalkStep::Entry) << index;
    EXPECT_EQ(entry.index, index);
    EXPECT_EQ(entry.name, ThreeEntries[index].name);
    EXPECT_EQ(entry.extra, ThreeEntries[index].extra);
    EXPECT_EQ(entry.comment, ThreeEntries[index].comment);
    EXPECT_EQ(entry.header.localHeaderOffset, 10 * index);
  }
  EXPECT_EQ(walker.Position(), source.Size());
  EXPECT_EQ(walker.Next(entry), WalkStep::HeaderShort);
}

TEST(CentralDirectoryWalker, AThousandHeadersCostAFewReads) {
  std::string directory;
  for (std::uint32_t index = 0; index < 1000; ++index) {
    directory += CentralHeaderBytes({.name = "entry" + std::to_string(index) + ".txt"}, index);
  }
  MemorySource source(directory);
  CentralDirectoryWalker walker(source.Reader(), 0);
  DirectoryEntry entry;
  for (int index = 0; index < 1000; ++index) {
    ASSERT_EQ(walker.Next(entry), WalkStep::Entry);
  }
  EXPECT_EQ(entry.name, "entry999.txt");
  EXPECT_LE(source.Reads(), 2);
}

struct WalkFailureCase {
  const char* description;
  std::size_t keptBytes;  // of the first header and its parts
  WalkStep expected;
};

void PrintTo(const WalkFailureCase& test, std::ostream* out) { *out << test.description; }

class WalkFailureTest : public testing::TestWithParam<WalkFailureCase> {};

// The first entry's parts: 46 header bytes, 9 of name, 5 of extra, 15 of comment.
TEST_P(WalkFailureTest, SaysWhatWentShort) {
  MemorySource source(ThreeHeaders().substr(0, GetParam().keptBytes));
  CentralDirectoryWalker walker(source.Reader(), 0);
  DirectoryEntry entry;
  EXPECT_EQ(walker.Next(entry), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cuts, WalkFailureTest,
                         testing::Values(WalkFailureCase{"nothing", 0, WalkStep::HeaderShort},
                                         WalkFailureCase{"half a header", 30, WalkStep::HeaderShort},
                                         WalkFailureCase{"the header without its name", 46, WalkStep::NameShort},
                                         WalkFailureCase{"half the name", 50, WalkStep::NameShort},
                                         WalkFailureCase{"the name without the extra field", 55,
                                                         WalkStep::ExtraShort},
                                         WalkFailureCase{"the extra field without the comment", 60,
                                                         WalkStep::CommentShort},
                                         WalkFailureCase{"all but the comment's last byte", 74,
                                                         WalkStep::CommentShort}));

TEST(CentralDirectoryWalker, AWrongSignatureIsNoHeader) {
  std::string directory = ThreeHeaders();
  directory[3] = '\x07';
  MemorySource source(directory);
  CentralDirectoryWalker walker(source.Reader(), 0);
  DirectoryEntry entry;
  EXPECT_EQ(walker.Next(entry), WalkStep::SignatureWrong);
  EXPECT_EQ(walker.Position(), 0);
}

TEST(CentralDirectoryWalker, TheEndGivenIsNotReadPast) {
  const std::string directory = ThreeHeaders();
  const std::int64_t firstEntryEnd = 46 + 9 + 5 + 15;
  MemorySource source(directory);
  CentralDirectoryWalker walker(source.Reader(), 0, firstEntryEnd);
  DirectoryEntry entry;
  ASSERT_EQ(walker.Next(entry), WalkStep::Entry);
  EXPECT_EQ(walker.Next(entry), WalkStep::HeaderShort);

  CentralDirectoryWalker cutInTheName(source.Reader(), 0, 50);
  EXPECT_EQ(cutInTheName.Next(entry), WalkStep::NameShort);
}

TEST(CentralDirectoryWalker, AShortHeaderConsumesNothingAndTheWalkGoesOnOnTheNextSource) {
  const std::string directory = ThreeHeaders();
  const std::size_t firstEntryLength = 46 + 9 + 5 + 15;
  // The first disk ends with the first entry and 20 bytes of the second header,
  // which the writer of the set began again on the next disk.
  MemorySource firstDisk(directory.substr(0, firstEntryLength + 20));
  MemorySource secondDisk(directory.substr(firstEntryLength));
  CentralDirectoryWalker walker(firstDisk.Reader(), 0);
  DirectoryEntry entry;
  ASSERT_EQ(walker.Next(entry), WalkStep::Entry);
  EXPECT_EQ(walker.Next(entry), WalkStep::HeaderShort);
  EXPECT_EQ(walker.Position(), static_cast<std::int64_t>(firstEntryLength));
  EXPECT_EQ(walker.Next(entry), WalkStep::HeaderShort);

  walker.ContinueOn(secondDisk.Reader(), 0);
  ASSERT_EQ(walker.Next(entry), WalkStep::Entry);
  EXPECT_EQ(entry.name, "folder/");
  EXPECT_EQ(entry.index, 1u);
  ASSERT_EQ(walker.Next(entry), WalkStep::Entry);
  EXPECT_EQ(entry.name, "folder/second.txt");
  EXPECT_EQ(entry.index, 2u);
}

// ---------------------------------------------------------------------------
// The whole directory of a single-disk archive.

TEST(SingleDiskDirectory, ReadsEveryEntryWhereTheDirectoryWasFound) {
  const BuiltArchive archive = BuildArchive(ThreeEntries, {.prefix = Stub, .comment = "note"});
  MemorySource source(archive.bytes);
  const DirectoryReading reading = ReadSingleDiskDirectory(source.Size(), source.Reader());

  ASSERT_EQ(reading.problem, DirectoryProblem::None);
  const SingleDiskDirectory& directory = reading.directory;
  ASSERT_EQ(directory.entries.size(), 3u);
  EXPECT_EQ(directory.entries[2].name, "folder/second.txt");
  EXPECT_EQ(directory.entries[0].extra, "EXTRA");
  EXPECT_EQ(directory.placement.Displacement(), 1000);
  EXPECT_EQ(directory.end.comment, "note");
  EXPECT_FALSE(directory.hasZip64Locator);
  for (std::size_t index = 0; index < 3; ++index) {
    EXPECT_EQ(directory.entries[index].header.localHeaderOffset + directory.placement.Displacement(),
              archive.localHeaderPositions[index]);
  }
}

TEST(SingleDiskDirectory, NoticesAZip64LocatorInFrontOfTheEndRecord) {
  std::string locator(Zip64LocatorSize, '\0');
  locator.replace(0, 4, "PK\x06\x07", 4);
  EndRecord end;
  end.directoryOffset = static_cast<std::uint32_t>(locator.size());
  MemorySource source(locator + EndRecordBytes(end));
  const DirectoryReading reading = ReadSingleDiskDirectory(source.Size(), source.Reader());
  EXPECT_EQ(reading.problem, DirectoryProblem::None);
  EXPECT_TRUE(reading.directory.hasZip64Locator);
}

struct ProblemCase {
  const char* description;
  std::string bytes;
  DirectoryProblem expected;
};

void PrintTo(const ProblemCase& test, std::ostream* out) { *out << test.description; }

std::string WithEndRecord(void (*change)(EndRecord&)) {
  const std::string directory = ThreeHeaders();
  EndRecord end;
  end.entriesOnThisDisk = 3;
  end.totalEntries = 3;
  end.directorySize = static_cast<std::uint32_t>(directory.size());
  change(end);
  return directory + EndRecordBytes(end);
}

class ProblemTest : public testing::TestWithParam<ProblemCase> {};

TEST_P(ProblemTest, IsNamed) {
  MemorySource source(GetParam().bytes);
  EXPECT_EQ(ReadSingleDiskDirectory(source.Size(), source.Reader()).problem, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Archives, ProblemTest,
    testing::Values(
        ProblemCase{"sound", WithEndRecord([](EndRecord&) {}), DirectoryProblem::None},
        ProblemCase{"no end record", std::string(3000, 'x'), DirectoryProblem::NoEndRecord},
        ProblemCase{"the last disk of a set", WithEndRecord([](EndRecord& end) { end.thisDisk = 1; }),
                    DirectoryProblem::Spanned},
        ProblemCase{"a directory on another disk", WithEndRecord([](EndRecord& end) { end.directoryDisk = 1; }),
                    DirectoryProblem::Spanned},
        ProblemCase{"fewer entries on this disk", WithEndRecord([](EndRecord& end) { end.entriesOnThisDisk = 2; }),
                    DirectoryProblem::Spanned},
        ProblemCase{"a Zip64 entry count", WithEndRecord([](EndRecord& end) {
                      end.entriesOnThisDisk = 0xFFFF;
                      end.totalEntries = 0xFFFF;
                    }),
                    DirectoryProblem::Zip64},
        ProblemCase{"a Zip64 directory offset", WithEndRecord([](EndRecord& end) { end.directoryOffset = 0xFFFFFFFF; }),
                    DirectoryProblem::Zip64},
        ProblemCase{"a directory larger than what precedes the record",
                    WithEndRecord([](EndRecord& end) { end.directorySize += 1; }), DirectoryProblem::Damaged},
        ProblemCase{"more entries than the directory holds", WithEndRecord([](EndRecord& end) {
                      end.entriesOnThisDisk = 4;
                      end.totalEntries = 4;
                    }),
                    DirectoryProblem::Damaged},
        ProblemCase{"a directory smaller than its headers",
                    WithEndRecord([](EndRecord& end) { end.directorySize -= 1; }), DirectoryProblem::Damaged}));

TEST(SingleDiskDirectory, AnEndOfTheFileThatCannotBeReadIsUnreadable) {
  MemorySource source(BuildArchive(TwoFiles, {.comment = "note"}).bytes);
  source.UnreachableFrom(0);
  EXPECT_EQ(ReadSingleDiskDirectory(source.Size(), source.Reader()).problem, DirectoryProblem::Unreadable);
}

}  // namespace
}  // namespace zipformat
