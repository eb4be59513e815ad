// List on archives built byte by byte: where the end record and the directory
// are found, what is reported, and what the entries hold.
#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>

#include "platform/files.h"
#include "platform/text.h"
#include "tests/zipbuilder/archive_bytes.h"
#include "tests/zipbuilder/listing_fixture.h"
#include "zipbuilder/message_table.h"

namespace zipbuilder {
namespace {

using archive_bytes::BuildArchive;
using archive_bytes::Entry;
using archive_bytes::Layout;

const std::vector<Entry> TwoFiles = {{.Name = "a.txt", .Data = "alpha"}, {.Name = "b.txt", .Data = "bravo!"}};

// ---------------------------------------------------------------------------
// The end record: fast path, comments, what lies behind the comment.

TEST_F(ListingTest, AnArchiveEndingInItsEndRecordIsFoundByTheFastPath) {
  const std::string bytes = BuildArchive(TwoFiles);
  ListBytes(bytes);

  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(Directory().EndRecordOffset, static_cast<std::int32_t>(bytes.size() - 22));
  EXPECT_EQ(Directory().ArchiveEnd, static_cast<std::int32_t>(bytes.size()));
  EXPECT_EQ(Directory().ArchiveFileSize, static_cast<std::int32_t>(bytes.size()));
  EXPECT_EQ(Directory().RawComment, "");
  EXPECT_EQ(Directory().PrefixSize, 0);
  EXPECT_FALSE(Directory().StructureWarning);
  EXPECT_FALSE(Directory().Spanned);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(dirUpdates, 1);
  EXPECT_EQ(component.EntryCount(), 2);
}

TEST_F(ListingTest, AHundredByteCommentIsFoundByTheSearch) {
  const std::string comment(100, 'c');
  const std::string bytes = BuildArchive(TwoFiles, {.ArchiveComment = comment});
  ListBytes(bytes);

  EXPECT_EQ(Directory().RawComment, comment);
  EXPECT_EQ(Directory().ArchiveEnd, static_cast<std::int32_t>(bytes.size()));
  EXPECT_EQ(Directory().EndRecordOffset, static_cast<std::int32_t>(bytes.size() - 22 - 100));
  EXPECT_EQ(ListedNames().size(), 2u);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ListingTest, ACommentEndsAtItsFirstZeroByte) {
  ListBytes(BuildArchive(TwoFiles, {.ArchiveComment = std::string("kept\0dropped", 12)}));
  EXPECT_EQ(Directory().RawComment, "kept");
}

struct TrailerCase {
  const char* Description;
  std::string Trailer;  // behind the comment
  bool Warned;
};

void PrintTo(const TrailerCase& test, std::ostream* out) { *out << test.Description; }

class TrailerTest : public ListingTest, public testing::WithParamInterface<TrailerCase> {};

TEST_P(TrailerTest, OnlyZeroPaddingOfTheLastBlockGoesWithoutWarning) {
  const std::string archive = BuildArchive(TwoFiles, {.ArchiveComment = "note"});
  ListBytes(archive + GetParam().Trailer);

  EXPECT_EQ(ListedNames().size(), 2u) << GetParam().Description;
  EXPECT_EQ(Directory().ArchiveEnd, static_cast<std::int32_t>(archive.size()));
  EXPECT_EQ(Directory().ArchiveFileSize, static_cast<std::int32_t>(archive.size() + GetParam().Trailer.size()));
  EXPECT_EQ(Directory().RawComment, "note");
  const std::vector<int> expected =
      GetParam().Warned ? std::vector<int>{message_id::ListGarbageWarning} : std::vector<int>{};
  EXPECT_EQ(ReportedIds(), expected) << GetParam().Description;
}

// Trailers are cut to the size of the archive they follow.
const std::size_t BuiltArchiveSize = BuildArchive(TwoFiles, {.ArchiveComment = "note"}).size();

INSTANTIATE_TEST_SUITE_P(
    Trailers, TrailerTest,
    testing::Values(
        TrailerCase{"zeros to the block end", std::string(512 - BuiltArchiveSize % 512, '\0'), false},
        TrailerCase{"one non-zero byte in the padding",
                    std::string(511 - BuiltArchiveSize % 512, '\0') + std::string(1, '\x01'), true},
        TrailerCase{"zeros short of the block end", std::string(100, '\0'), true},
        TrailerCase{"a whole block of zeros more", std::string(1024 - BuiltArchiveSize % 512, '\0'), true},
        TrailerCase{"text garbage", "garbage", true}));

TEST_F(ListingTest, ACommentRunningPastTheEndOfTheFileKeepsWhatIsThere) {
  const std::string bytes = BuildArchive(TwoFiles, {.ArchiveComment = "short", .StatedCommentLength = 50});
  ListBytes(bytes);

  EXPECT_EQ(ListedNames().size(), 2u);
  EXPECT_EQ(Directory().RawComment, "short");
  // Where the stated comment would end, so that the directory is still found.
  EXPECT_EQ(Directory().ArchiveEnd, static_cast<std::int32_t>(bytes.size() - 5 + 50));
  EXPECT_FALSE(Directory().StructureWarning);
  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::ListGarbageWarning});
}

TEST_F(ListingTest, AnEndRecordWithAWrongCommentLengthAtTheVeryEndStillLeadsToTheDirectory) {
  ListBytes(BuildArchive(TwoFiles, {.StatedCommentLength = 30}));
  EXPECT_EQ(ListedNames().size(), 2u);
  EXPECT_FALSE(Directory().StructureWarning);
  EXPECT_TRUE(reports.empty());
}

// ---------------------------------------------------------------------------
// Files without an end record.

struct MissingEndRecordCase {
  const char* Description;
  std::string Bytes;
  std::string VolumeLabel;
  int Expected;
  std::string ExpectedText;
};

void PrintTo(const MissingEndRecordCase& test, std::ostream* out) { *out << test.Description; }

std::string SpanMarkedFirstFile() {
  return archive_bytes::SpanMark() + archive_bytes::LocalHeaderWithData({.Name = "a.txt", .Data = "alpha"});
}

class MissingEndRecordTest : public ListingTest, public testing::WithParamInterface<MissingEndRecordCase> {};

TEST_P(MissingEndRecordTest, TheFileAndItsDiskSayWhy) {
  const MissingEndRecordCase& test = GetParam();
  DirectoryState& directory = TZipBuilderTestAccess::Directory(component);
  directory.WorkFileName = WriteArchive("part.zip", test.Bytes);
  directory.VolumeLabel = test.VolumeLabel;
  EndRecord endRecord;
  try {
    static_cast<void>(TZipBuilderTestAccess::LocateEndRecord(component, endRecord, EndRecordFailure::Raise));
    ADD_FAILURE() << test.Description << ": no error raised";
  } catch (const EZipBuilder& error) {
    EXPECT_EQ(error.MessageId(), test.Expected) << test.Description;
    EXPECT_EQ(error.Message(), test.ExpectedText) << test.Description;
  }
  TZipBuilderTestAccess::CloseArchiveHandle(component);

  EXPECT_FALSE(TZipBuilderTestAccess::LocateEndRecord(component, endRecord, EndRecordFailure::ReturnFalse));
  TZipBuilderTestAccess::CloseArchiveHandle(component);
  EXPECT_TRUE(reports.empty()) << test.Description;
}

INSTANTIATE_TEST_SUITE_P(
    Marks, MissingEndRecordTest,
    testing::Values(
        MissingEndRecordCase{"no marks", std::string(1000, 'x'), "", message_id::NotAValidZip,
                             "This archive is not a valid Zip archive"},
        MissingEndRecordCase{"shorter than an end record", "PK\x05\x06" "abc", "", message_id::NotAValidZip,
                             "This archive is not a valid Zip archive"},
        MissingEndRecordCase{"empty", "", "", message_id::NotAValidZip, "This archive is not a valid Zip archive"},
        MissingEndRecordCase{"span mark", SpanMarkedFirstFile(), "", message_id::FirstFileOfSet,
                             "This is the first file in a backup set,\nplease choose the last file of this set"},
        MissingEndRecordCase{"span mark on disk 1", SpanMarkedFirstFile(), "PKBACK# 001", message_id::FirstDiskOfSet,
                             "This is the first disk in a backup set,\nplease insert the last disk of this set"},
        MissingEndRecordCase{"span mark on disk 2", SpanMarkedFirstFile(), "PKBACK# 002", message_id::FirstFileOfSet,
                             "This is the first file in a backup set,\nplease choose the last file of this set"},
        MissingEndRecordCase{"disk 3 without span mark", std::string(300, 'x'), "PKBACK# 003",
                             message_id::NthDiskOfSet,
                             "This is the 3th disk in a backup set,\nplease insert the last disk of this set"},
        MissingEndRecordCase{"a label that is no disk number", std::string(300, 'x'), "PKBACK# x1",
                             message_id::NotAValidZip, "This archive is not a valid Zip archive"}));

TEST_F(ListingTest, AFileThatCannotBeOpenedRaises11001OrReports11002) {
  TZipBuilderTestAccess::Directory(component).WorkFileName = scratch.PathOf("absent.zip");
  EndRecord endRecord;
  try {
    static_cast<void>(TZipBuilderTestAccess::LocateEndRecord(component, endRecord, EndRecordFailure::Raise));
    ADD_FAILURE() << "no error raised";
  } catch (const EZipBuilder& error) {
    EXPECT_EQ(error.MessageId(), message_id::InputFileMissing);
  }
  EXPECT_FALSE(TZipBuilderTestAccess::LocateEndRecord(component, endRecord, EndRecordFailure::ReturnFalse));
  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::ZipFileNotOpened});
}

TEST_F(ListingTest, AnArchiveEndingBeyondThirtyTwoBitOffsetsIsRefused) {
  const std::string archive = BuildArchive(TwoFiles);
  const std::string path = WriteArchive("huge.zip", "");
  std::error_code error;
  // Sparse where the file system allows: 3 GiB of nothing, then the archive.
  std::filesystem::resize_file(path, (std::uintmax_t{3} << 30) - archive.size(), error);
  if (error) {
    GTEST_SKIP() << "cannot make a 3 GiB file here: " << error.message();
  }
  std::ofstream(path, std::ios::binary | std::ios::app).write(archive.data(), static_cast<std::streamsize>(archive.size()));
  component.SetZipFileName(path);
  std::filesystem::remove(path, error);

  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::NotAValidZip});
  EXPECT_TRUE(component.DirEntries().empty());
}

TEST_F(ListingTest, ListReportsAMissingEndRecordAndForgetsTheName) {
  ListBytes(std::string(2000, 'x'));
  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::NotAValidZip});
  EXPECT_EQ(component.ZipFileName(), "");
  EXPECT_EQ(dirUpdates, 1);
}

// ---------------------------------------------------------------------------
// Self-extractors: the prefix in front of the archive.

TEST_F(ListingTest, AStubWhoseOffsetsWereAdjustedGivesTheSmallestLocalHeaderOffset) {
  const std::string stub(1000, 'S');
  ListBytes(BuildArchive(TwoFiles, {.Prefix = stub, .OffsetsIncludePrefix = true}));

  EXPECT_EQ(Directory().PrefixSize, 1000);
  EXPECT_FALSE(Directory().StructureWarning);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(ListedNames().size(), 2u);
}

TEST_F(ListingTest, AStubPutInFrontOfAnArchiveGivesTheDisplacementWithOneWarning) {
  const std::string stub(1000, 'S');
  const std::string plain = BuildArchive(TwoFiles);
  ListBytes(BuildArchive(TwoFiles, {.Prefix = stub}));

  EXPECT_EQ(Directory().PrefixSize, 1000);
  EXPECT_TRUE(Directory().StructureWarning);
  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::ListStructureWarning});
  EXPECT_EQ(Directory().DirectoryOffset, 1000u + (plain.size() - 22 - 2 * 51));
  EXPECT_EQ(ListedNames().size(), 2u);
}

struct EmptyArchiveCase {
  const char* Description;
  Layout ArchiveLayout;
  std::int32_t PrefixSize;
};

void PrintTo(const EmptyArchiveCase& test, std::ostream* out) { *out << test.Description; }

class EmptyArchiveTest : public ListingTest, public testing::WithParamInterface<EmptyArchiveCase> {};

TEST_P(EmptyArchiveTest, PrefixIsWhatStandsInFrontOfTheDirectory) {
  ListBytes(BuildArchive({}, GetParam().ArchiveLayout));
  EXPECT_TRUE(component.DirEntries().empty());
  EXPECT_EQ(Directory().PrefixSize, GetParam().PrefixSize) << GetParam().Description;
  EXPECT_NE(component.ZipFileName(), "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, EmptyArchiveTest,
                         testing::Values(EmptyArchiveCase{"the end record alone", {}, 0},
                                         EmptyArchiveCase{"with a comment", {.ArchiveComment = "empty"}, 0},
                                         EmptyArchiveCase{"behind a stub",
                                                          {.Prefix = std::string(300, 'S'),
                                                           .OffsetsIncludePrefix = true},
                                                          300}));

// ---------------------------------------------------------------------------
// Entries: folders, separators, texts, fields.

const std::vector<Entry> FolderAndFile = {{.Name = "docs/"}, {.Name = "docs/a.txt", .Data = "alpha"}};

TEST_F(ListingTest, FolderEntriesAreLeftOutButCountedInSeqNo) {
  std::vector<std::pair<int, std::string>> newNames;
  component.OnNewName = [&newNames](TZipBuilder&, int seqNo, ZipDirEntry& entry) {
    newNames.emplace_back(seqNo, entry.FileName);
  };
  ListBytes(BuildArchive(FolderAndFile));

  EXPECT_EQ(ListedNames(), std::vector<std::string>{"docs\\a.txt"});
  EXPECT_EQ(Directory().SkippedDirCount, 1);
  EXPECT_EQ(newNames, (std::vector<std::pair<int, std::string>>{{2, "docs\\a.txt"}}));
}

TEST_F(ListingTest, FolderEntriesAreKeptWhenAskedFor) {
  std::vector<int> seqNos;
  component.OnNewName = [&seqNos](TZipBuilder&, int seqNo, ZipDirEntry&) { seqNos.push_back(seqNo); };
  component.SetUseDirOnlyEntries(true);
  ListBytes(BuildArchive(FolderAndFile));

  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"docs\\", "docs\\a.txt"}));
  EXPECT_EQ(Directory().SkippedDirCount, 0);
  EXPECT_EQ(seqNos, (std::vector<int>{1, 2}));
}

TEST_F(ListingTest, AnOnNewNameHandlerMayChangeTheEntry) {
  component.OnNewName = [](TZipBuilder&, int, ZipDirEntry& entry) { entry.FileComment = "seen"; };
  ListBytes(BuildArchive(TwoFiles));
  ASSERT_EQ(component.DirEntries().size(), 2u);
  EXPECT_EQ(component.DirEntries()[1]->FileComment, "seen");
}

TEST_F(ListingTest, SlashesBecomeBackslashesAndFieldsAreCopied) {
  Entry entry{.Name = "a/b/c.txt", .Data = "payload", .Comment = "about c", .Extra = "XYZW", .Flags = 1,
              .HostSystem = 3, .VersionMadeBy = 30};
  ListBytes(BuildArchive({TwoFiles[0], entry}));
  ASSERT_EQ(component.DirEntries().size(), 2u);
  const ZipDirEntry& listed = *component.DirEntries()[1];

  EXPECT_EQ(listed.FileName, "a\\b\\c.txt");
  EXPECT_EQ(listed.FileComment, "about c");
  EXPECT_EQ(std::string(listed.ExtraData.begin(), listed.ExtraData.end()), "XYZW");
  EXPECT_TRUE(listed.Encrypted);
  const std::uint32_t crc = listed.Crc32;
  const std::uint32_t size = listed.UncompressedSize;
  const std::uint32_t offset = listed.LocalHeaderOffset;
  const std::uint16_t nameLength = listed.NameLength;
  const std::uint8_t host = listed.HostSystem;
  EXPECT_EQ(crc, archive_bytes::Crc32("payload"));
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(offset, 30u + 5 + 5);
  EXPECT_EQ(nameLength, 9u);
  EXPECT_EQ(host, 3u);
  EXPECT_TRUE(component.DirEntries()[0]->ExtraData.empty());
  EXPECT_FALSE(component.DirEntries()[0]->Encrypted);
}

TEST_F(ListingTest, NamesOfAnyLengthAreKeptWhole) {
  const std::string longName = std::string(300, 'n') + "/" + std::string(4000, 'm') + ".txt";
  ListBytes(BuildArchive({{.Name = longName, .Data = "x"}, TwoFiles[0]}));
  ASSERT_EQ(ListedNames().size(), 2u);
  EXPECT_EQ(ListedNames()[0], std::string(300, 'n') + "\\" + std::string(4000, 'm') + ".txt");
  EXPECT_EQ(ListedNames()[1], "a.txt");
}

struct CodePageCase {
  const char* Description;
  CPOpts CodePage;
  std::uint8_t HostSystem;
  std::uint8_t VersionMadeBy;
  std::uint16_t Flags;
  std::string StoredName;
  std::string ExpectedName;
};

void PrintTo(const CodePageCase& test, std::ostream* out) { *out << test.Description; }

class EntryCodePageTest : public ListingTest, public testing::WithParamInterface<CodePageCase> {};

TEST_P(EntryCodePageTest, NamesAndCommentsAreDecodedByTheirOwnHeader) {
  const CodePageCase& test = GetParam();
  component.SetCodePage(test.CodePage);
  // A Unix entry in between shows that each header decides for its own texts.
  const std::vector<Entry> entries = {
      {.Name = "unix\x81", .HostSystem = 3, .VersionMadeBy = 30},
      {.Name = test.StoredName, .Comment = test.StoredName, .Flags = test.Flags, .HostSystem = test.HostSystem,
       .VersionMadeBy = test.VersionMadeBy},
  };
  ListBytes(BuildArchive(entries));
  ASSERT_EQ(component.DirEntries().size(), 2u) << test.Description;

  EXPECT_EQ(component.DirEntries()[1]->FileName, test.ExpectedName) << test.Description;
  EXPECT_EQ(component.DirEntries()[1]->FileComment, test.ExpectedName) << test.Description;
  const std::string expectedUnixName = test.CodePage == CPOpts::cpOEM ? platform::OemToChar("unix\x81") : "unix\x81";
  EXPECT_EQ(component.DirEntries()[0]->FileName, expectedUnixName) << test.Description;
  EXPECT_EQ(Directory().LastHostSystem, test.HostSystem);
  EXPECT_EQ(Directory().LastVersionMadeBy, test.VersionMadeBy);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, EntryCodePageTest,
    testing::Values(
        CodePageCase{"MS-DOS under cpAUTO", CPOpts::cpAUTO, 0, 20, 0, "m\x81.txt", platform::OemToChar("m\x81.txt")},
        CodePageCase{"Unix under cpAUTO", CPOpts::cpAUTO, 3, 30, 0, "m\x81.txt", "m\x81.txt"},
        CodePageCase{"NTFS by 5.0 under cpAUTO", CPOpts::cpAUTO, 11, 50, 0, "m\x81.txt",
                     platform::OemToChar("m\x81.txt")},
        CodePageCase{"NTFS by 2.0 under cpAUTO", CPOpts::cpAUTO, 11, 20, 0, "m\x81.txt", "m\x81.txt"},
        CodePageCase{"MS-DOS under cpNone", CPOpts::cpNone, 0, 20, 0, "m\x81.txt", "m\x81.txt"},
        CodePageCase{"UTF-8 flag on MS-DOS", CPOpts::cpAUTO, 0, 20, 0x0800, "caf\xC3\xA9\xC3\xBC.txt",
                     platform::Utf8ToAnsi("caf\xC3\xA9\xC3\xBC.txt")},
        CodePageCase{"UTF-8 flag under cpOEM", CPOpts::cpOEM, 3, 30, 0x0800, "caf\xC3\xA9.txt",
                     platform::Utf8ToAnsi("caf\xC3\xA9.txt")}));

// ---------------------------------------------------------------------------
// Nothing to list, and failures.

TEST_F(ListingTest, AMissingFileOrAFolderEmptiesTheListWithoutAMessage) {
  ListBytes(BuildArchive(TwoFiles));
  ASSERT_EQ(component.DirEntries().size(), 2u);

  component.SetZipFileName(scratch.PathOf("absent.zip"));
  EXPECT_TRUE(component.DirEntries().empty());
  EXPECT_EQ(component.ZipFileName(), scratch.PathOf("absent.zip"));

  scratch.MakeFolder("folder.zip");
  component.SetZipFileName(scratch.PathOf("folder.zip"));
  component.SetZipFileName("");

  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(dirUpdates, 4);
  EXPECT_EQ(toolkit.CursorChanges().size(), 2u);  // the one List that read a file
}

TEST_F(ListingTest, InDesignModeNothingHappens) {
  component.SetMode(ComponentMode::Designing);
  ListBytes(BuildArchive(TwoFiles));
  component.List();
  EXPECT_TRUE(component.DirEntries().empty());
  EXPECT_EQ(dirUpdates, 0);
}

TEST_F(ListingTest, ACorruptCentralSignatureKeepsTheEntriesReadBefore) {
  std::string bytes = BuildArchive({TwoFiles[0], TwoFiles[1], {.Name = "c.txt", .Data = "c"}});
  const std::size_t thirdHeader = bytes.rfind("PK\x01\x02");
  bytes[thirdHeader + 3] = 9;
  ListBytes(bytes);

  EXPECT_EQ(ReportedIds(), std::vector<int>{message_id::CentralHeaderSignatureWrong});
  EXPECT_EQ(reports[0].Text, "A central header signature is wrong");
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(component.ZipFileName(), "");
  EXPECT_EQ(component.EntryCount(), 0);
  EXPECT_EQ(Directory().PrefixSize, 0);
  EXPECT_EQ(dirUpdates, 1);
  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  EXPECT_EQ(toolkit.CursorChanges().back(), CursorShape::Default);
}

struct DamageCase {
  const char* Description;
  std::string Bytes;
  std::vector<int> Reported;
  std::size_t EntriesKept;
};

void PrintTo(const DamageCase& test, std::ostream* out) { *out << test.Description; }

// Three entries whose third header lies about a length: the text it announces
// runs into the end record and past the end of the file.
std::string ThirdHeaderClaims(std::size_t fieldOffset, std::uint16_t length) {
  std::string bytes = BuildArchive({TwoFiles[0], TwoFiles[1], {.Name = "c.txt", .Data = "c"}});
  const std::size_t thirdHeader = bytes.rfind("PK\x01\x02");
  bytes[thirdHeader + fieldOffset] = static_cast<char>(length & 0xFF);
  bytes[thirdHeader + fieldOffset + 1] = static_cast<char>(length >> 8);
  return bytes;
}

std::string WithDirectorySize(std::uint32_t size) {
  std::string bytes = BuildArchive(TwoFiles);
  std::string field;
  archive_bytes::AppendUint32(field, size);
  bytes.replace(bytes.size() - 22 + 12, 4, field);
  return bytes;
}

class DamagedDirectoryTest : public ListingTest, public testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedDirectoryTest, FailsCleanlyWithTheRightMessage) {
  const DamageCase& test = GetParam();
  ListBytes(test.Bytes);
  EXPECT_EQ(ReportedIds(), test.Reported) << test.Description;
  EXPECT_EQ(component.DirEntries().size(), test.EntriesKept) << test.Description;
  EXPECT_EQ(component.ZipFileName(), "") << test.Description;
  EXPECT_EQ(dirUpdates, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedDirectoryTest,
    testing::Values(
        DamageCase{"more entries stated than there are; the end record follows",
                   BuildArchive(TwoFiles, {.ArchiveComment = std::string(40, 'c'), .StatedEntryCount = 3}),
                   {message_id::CentralHeaderSignatureWrong}, 2},
        DamageCase{"more entries stated than there are; the file ends",
                   BuildArchive(TwoFiles, {.StatedEntryCount = 65535}), {message_id::CentralHeaderReadError}, 2},
        DamageCase{"a name longer than the file", ThirdHeaderClaims(28, 60000),
                   {message_id::CentralFileNameReadError}, 2},
        DamageCase{"an extra field longer than the file", ThirdHeaderClaims(30, 60000), {message_id::ListSeekError},
                   2},
        DamageCase{"a comment longer than the file", ThirdHeaderClaims(32, 60000),
                   {message_id::FileCommentReadError}, 2},
        DamageCase{"a directory larger than the file", WithDirectorySize(0xFFFFFF00),
                   {message_id::ListStructureWarning, message_id::ListSeekError}, 0}));

TEST_F(ListingTest, AHostileEntryCountReservesNoMoreThanTheDirectoryHolds) {
  ListBytes(BuildArchive(TwoFiles, {.StatedEntryCount = 65535}));
  EXPECT_LE(component.DirEntries().capacity(), 4u);
}

struct HandlerFailureCase {
  const char* Description;
  std::function<void()> Raise;
  int Reported;
  std::string Text;
};

void PrintTo(const HandlerFailureCase& test, std::ostream* out) { *out << test.Description; }

class HandlerFailureTest : public ListingTest, public testing::WithParamInterface<HandlerFailureCase> {};

TEST_P(HandlerFailureTest, IsReportedAndKeepsTheEntriesSoFar) {
  component.OnNewName = [this](TZipBuilder&, int seqNo, ZipDirEntry&) {
    if (seqNo == 2) {
      GetParam().Raise();
    }
  };
  ListBytes(BuildArchive({TwoFiles[0], TwoFiles[1], {.Name = "c.txt"}}));
  ASSERT_EQ(reports.size(), 1u) << GetParam().Description;
  EXPECT_EQ(reports[0].Id, GetParam().Reported);
  EXPECT_EQ(reports[0].Text, GetParam().Text);
  EXPECT_EQ(component.DirEntries().size(), 2u);
  EXPECT_EQ(component.ZipFileName(), "");
  EXPECT_EQ(dirUpdates, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, HandlerFailureTest,
    testing::Values(HandlerFailureCase{"out of memory", [] { throw std::bad_alloc(); }, message_id::MemoryNotAvailable,
                                       "Requested memory not available"},
                    HandlerFailureCase{"an error with a message", [] { throw std::runtime_error("handler broke"); },
                                       message_id::ListUnknownError,
                                       "Unknown error in List() function\n\nhandler broke"},
                    HandlerFailureCase{"anything else", [] { throw 42; }, message_id::ListUnknownError,
                                       "Unknown error in List() function\n"},
                    HandlerFailureCase{"a component error", [] { throw EZipBuilder(11010, MessageDisplay::ShowBox); },
                                       11010, "Write error in output file"}));

TEST_F(ListingTest, TheArchiveIsClosedAfterListing) {
  const std::string path = WriteArchive("closed.zip", BuildArchive(TwoFiles));
  component.SetZipFileName(path);
  EXPECT_EQ(Directory().ArchiveHandle, platform::InvalidFileHandle);
  EXPECT_TRUE(platform::DeleteFile(path));

  component.SetZipFileName(WriteArchive("broken.zip", std::string(100, 'x')));
  EXPECT_EQ(Directory().ArchiveHandle, platform::InvalidFileHandle);
  EXPECT_TRUE(platform::DeleteFile(scratch.PathOf("broken.zip")));
}

TEST_F(ListingTest, ListsAllOf65535Entries) {
  std::vector<Entry> entries;
  entries.reserve(65535);
  for (int index = 0; index < 65535; ++index) {
    entries.push_back({.Name = "d/" + std::to_string(index) + ".txt", .HostSystem = 3, .VersionMadeBy = 30});
  }
  ListBytes(BuildArchive(entries, {.ArchiveComment = "many"}));

  ASSERT_EQ(component.DirEntries().size(), 65535u);
  EXPECT_EQ(component.DirEntries().front()->FileName, "d\\0.txt");
  EXPECT_EQ(component.DirEntries().back()->FileName, "d\\65534.txt");
  EXPECT_EQ(Directory().RawComment, "many");
  EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace zipbuilder
