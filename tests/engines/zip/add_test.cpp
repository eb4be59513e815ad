// Adding files from disk through the library: selection, names, levels, the
// replacement rules, moving, and what becomes of an archive that already exists.
#include <sys/stat.h>

#include "platform/files.h"
#include "platform/temp_and_environment.h"
#include "tests/engines/unzip/test_archive_writer.h"
#include "tests/engines/zip/zip_test_fixture.h"
#include "zipformat/records.h"

namespace engines::zip::testing {
namespace {

namespace zf = zipformat;
using Names = std::vector<std::string>;

const std::map<std::string, std::string> Tree = {
    {"src/a.txt", "alpha alpha alpha alpha alpha alpha"},
    {"src/notes.log", "log line\nlog line\nlog line\n"},
    {"src/sub/b.txt", "beta"},
    {"src/sub/deeper/c.txt", std::string(5000, 'c')},
};

class AddFiles : public ZipEngineTest {
 protected:
  void SetUp() override {
    MakeTree(scratch_.Path(), Tree);
    std::filesystem::create_directories(Source() / "empty");
  }
};

TEST_F(AddFiles, RecursionTakesEveryFileAndFolderWithTheirFolderNames) {
  EXPECT_EQ(Run(AddEverything()).count, 7);
  EXPECT_EQ(Inspect(ArchivePath()).Names(),
            (Names{"src/a.txt", "src/empty/", "src/notes.log", "src/sub/", "src/sub/b.txt", "src/sub/deeper/",
                   "src/sub/deeper/c.txt"}));
  ExpectArchiveHolds(Tree);
}

struct SelectionCase {
  std::string title;
  std::function<void(ZipRequest&)> change;
  Names names;
};

class Selections : public AddFiles, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(Selections, StoreTheExpectedNames) {
  ZipRequest request = AddEverything();
  GetParam().change(request);
  static_cast<void>(Run(request));
  EXPECT_EQ(Inspect(ArchivePath()).Names(), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    AddFiles, Selections,
    ::testing::Values(
        SelectionCase{"WithoutRecursionOnlyTheTopFolder",
                      [](ZipRequest& request) { request.specifications[0].recurse = false; },
                      {"src/a.txt", "src/notes.log"}},
        SelectionCase{"WithoutFolderNames", [](ZipRequest& request) { request.folderNames = false; },
                      {"a.txt", "notes.log", "b.txt", "c.txt"}},
        SelectionCase{"WithoutFolderEntries", [](ZipRequest& request) { request.folderEntries = false; },
                      {"src/a.txt", "src/notes.log", "src/sub/b.txt", "src/sub/deeper/c.txt"}},
        SelectionCase{"PatternSearchedInEveryFolder",
                      [](ZipRequest& request) { request.specifications[0].text = "src\\*.txt"; },
                      {"src/a.txt", "src/sub/b.txt", "src/sub/deeper/c.txt"}},
        SelectionCase{"QuestionMarkMatchesOneCharacter",
                      [](ZipRequest& request) { request.specifications[0].text = "src/?.txt"; },
                      {"src/a.txt", "src/sub/b.txt", "src/sub/deeper/c.txt"}},
        SelectionCase{"ExclusionsByPatternAndFolder",
                      [](ZipRequest& request) { request.exclusions = {"*.log", "src/sub/deeper"}; },
                      {"src/a.txt", "src/empty/", "src/sub/", "src/sub/b.txt"}},
        SelectionCase{"AFolderNamedWithRecursion",
                      [](ZipRequest& request) { request.specifications[0].text = "src/sub"; },
                      {"src/sub/", "src/sub/b.txt", "src/sub/deeper/", "src/sub/deeper/c.txt"}},
        SelectionCase{"NamesRelativeToTheRootFolder",
                      [](ZipRequest& request) { request.specifications[0].rootFolder += "/src"; request.specifications[0].text = "sub/*"; },
                      {"sub/b.txt", "sub/deeper/", "sub/deeper/c.txt"}},
        SelectionCase{"ParentReferencesLeaveNoTrace",
                      [](ZipRequest& request) { request.specifications[0].rootFolder += "/src/sub"; request.specifications[0].text = "../a.txt"; },
                      {"a.txt"}},
        SelectionCase{"ForcedDosNames",
                      [](ZipRequest& request) {
                        request.forceDos = true;
                        request.specifications[0].text = "src/notes.log";
                      },
                      {"SRC/NOTES.LOG"}}),
    [](const auto& named) { return named.param.title; });

TEST_F(AddFiles, AnAbsoluteSpecificationIsStoredBelowItsRootFolderOrWithoutItsRoot) {
  ZipRequest request = AddEverything();
  request.specifications = {{.text = (Source() / "sub" / "b.txt").string(), .rootFolder = Source().string()},
                            {.text = (Source() / "a.txt").string()}};
  EXPECT_EQ(Run(request).count, 2);
  const Names names = Inspect(ArchivePath()).Names();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "sub/b.txt");
  EXPECT_TRUE(names[1].ends_with("/src/a.txt")) << names[1];
  EXPECT_NE(names[1].front(), '/');
  EXPECT_EQ(names[1].find(':'), std::string::npos);
}

TEST_F(AddFiles, TheStartingFolderItselfIsNoEntryAndNothingLeftOut) {
  ZipRequest request = AddEverything();
  request.specifications = {{.text = ".", .recurse = true, .rootFolder = Source().string()}};
  EXPECT_EQ(Run(request).count, 7);
  EXPECT_EQ(Inspect(ArchivePath()).Names(),
            (Names{"a.txt", "empty/", "notes.log", "sub/", "sub/b.txt", "sub/deeper/", "sub/deeper/c.txt"}));
  EXPECT_TRUE(callback_.Of(EngineAction::Message).empty())
      << ::testing::PrintToString(callback_.TextsOf(EngineAction::Message));
}

TEST_F(AddFiles, LongFileNamesBecomeEightDotThree) {
  MakeFile(Source() / "Long File Name.text", "x");
  ZipRequest request = AddEverything();
  request.specifications[0].text = "src/Long File Name.text";
  request.forceDos = true;
  static_cast<void>(Run(request));
  EXPECT_EQ(Inspect(ArchivePath()).Names(), Names{"SRC/LONGFILE.TEX"});
}

struct LevelCase {
  int level;
  std::uint16_t textMethod;
};

class Levels : public AddFiles, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(Levels, CompressTextAndStoreWhatDoesNotShrink) {
  MakeFile(Source() / "noise.bin", RandomBytes(70000, 1));
  MakeFile(Source() / "picture.PNG", TextOfSize(4000));
  ZipRequest request = AddEverything();
  request.level = GetParam().level;
  request.storedSuffixes = ".gif:.png:.zip";
  static_cast<void>(Run(request));
  const InspectedArchive archive = Inspect(ArchivePath());
  EXPECT_EQ(archive.Find("src/sub/deeper/c.txt")->central.method, GetParam().textMethod);
  EXPECT_EQ(archive.Find("src/noise.bin")->central.method, zf::compression_method::Stored);
  EXPECT_EQ(archive.Find("src/picture.PNG")->central.method, zf::compression_method::Stored) << "stored suffix";
  EXPECT_EQ(archive.Find("src/sub/")->central.method, zf::compression_method::Stored);
  std::map<std::string, std::string> expected = Tree;
  expected["src/noise.bin"] = RandomBytes(70000, 1);
  expected["src/picture.PNG"] = TextOfSize(4000);
  ExpectArchiveHolds(expected);
}

INSTANTIATE_TEST_SUITE_P(AddFiles, Levels,
                         ::testing::Values(LevelCase{0, zf::compression_method::Stored},
                                           LevelCase{1, zf::compression_method::Deflated},
                                           LevelCase{6, zf::compression_method::Deflated},
                                           LevelCase{9, zf::compression_method::Deflated}),
                         [](const auto& named) { return "Level" + std::to_string(named.param.level); });

TEST_F(AddFiles, LargeFilesAreCompressedInPiecesOrStoredWhenIncompressible) {
  const std::string text = TextOfSize(21 * 1024 * 1024 + 12345);
  const std::string noise = RandomBytes(9 * 1024 * 1024 + 7, 2);
  MakeFile(scratch_ / "big" / "text.txt", text);
  MakeFile(scratch_ / "big" / "noise.bin", noise);
  ZipRequest request = AddEverything();
  request.specifications[0].text = "big/*";
  EXPECT_EQ(Run(request).count, 2);
  const InspectedArchive archive = Inspect(ArchivePath());
  EXPECT_EQ(archive.Find("big/text.txt")->central.method, zf::compression_method::Deflated);
  EXPECT_LT(archive.Find("big/text.txt")->central.compressedSize, text.size() / 10);
  EXPECT_EQ(archive.Find("big/noise.bin")->central.method, zf::compression_method::Stored);
  ExpectArchiveHolds({{"big/text.txt", text}, {"big/noise.bin", noise}});
}

TEST_F(AddFiles, HiddenFilesOnlyWhenAskedFor) {
  MakeFile(Source() / ".hidden", "secret");
  ZipRequest request = AddEverything();
  request.specifications[0].recurse = false;
  static_cast<void>(Run(request));
  EXPECT_EQ(Inspect(ArchivePath()).Names(), (Names{"src/a.txt", "src/notes.log"}));
  request.hiddenFiles = true;
  static_cast<void>(Run(request));
  EXPECT_EQ(Inspect(ArchivePath()).Names(), (Names{"src/.hidden", "src/a.txt", "src/notes.log"}));
}

TEST_F(AddFiles, NamesOutsideAsciiAreUtf8AndFlagged) {
  const std::string name = "src/gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC.txt";
  MakeFile(scratch_.Path() / std::filesystem::u8path(name), "unicode");
  ZipRequest request = AddEverything();
  request.specifications[0].recurse = false;
  static_cast<void>(Run(request));
  const InspectedArchive archive = Inspect(ArchivePath());
  const InspectedEntry* entry = archive.Find(name);
  ASSERT_NE(entry, nullptr) << ::testing::PrintToString(archive.Names());
  EXPECT_NE(entry->central.flags & zf::general_flag::Utf8Names, 0);
  EXPECT_EQ(archive.Find("src/a.txt")->central.flags & zf::general_flag::Utf8Names, 0);
  ExpectArchiveHolds({{"src/a.txt", Tree.at("src/a.txt")}, {"src/notes.log", Tree.at("src/notes.log")}, {name, "unicode"}});
}

TEST_F(AddFiles, TheOemCodePageWhenAskedFor) {
  MakeFile(scratch_.Path() / std::filesystem::u8path("src/gr\xC3\xBC\xC3\x9F" "e.txt"), "oem");
  ZipRequest request = AddEverything();
  request.specifications[0].text = "src/gr*";
  request.oemNames = true;
  static_cast<void>(Run(request));
  const InspectedArchive archive = Inspect(ArchivePath());
  ASSERT_EQ(archive.entries.size(), 1u);
  if (PeerToolsAvailable()) {
    EXPECT_EQ(archive.entries[0].name, "src/gr\x81\xE1" "e.txt") << "CP437";
  }
  EXPECT_EQ(archive.entries[0].central.flags & zf::general_flag::Utf8Names, 0);
}

TEST_F(AddFiles, PermissionsOrDosAttributesAreStored) {
  const std::filesystem::path script = Source() / "run.sh";
  MakeFile(script, "#!/bin/sh\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
  ZipRequest request = AddEverything();
  request.specifications[0].text = "src/*";
  static_cast<void>(Run(request));
  const InspectedArchive archive = Inspect(ArchivePath());
  const zf::CentralHeader& file = archive.Find("src/run.sh")->central;
  const zf::CentralHeader& folder = archive.Find("src/sub/")->central;
  if (PeerToolsAvailable()) {
    EXPECT_EQ(file.hostSystem, zf::host_system::Unix);
    EXPECT_EQ((file.externalAttributes >> 16) & 07777, 0744u);
    EXPECT_TRUE(S_ISREG(file.externalAttributes >> 16));
    EXPECT_TRUE(S_ISDIR(folder.externalAttributes >> 16));
  } else {
    EXPECT_EQ(file.hostSystem, zf::host_system::MsDos);
  }
  EXPECT_NE(folder.externalAttributes & platform::file_attribute::Directory, 0u);
}

TEST_F(AddFiles, NothingMatchingLeavesNoArchive) {
  ZipRequest request = AddEverything();
  request.specifications[0].text = "src/*.none";
  EXPECT_EQ(Run(request).count, 0);
  EXPECT_FALSE(std::filesystem::exists(ArchivePath()));
  ASSERT_FALSE(callback_.Of(EngineAction::Message).empty());
  EXPECT_EQ(callback_.Of(EngineAction::Message).back().value1, 4) << "NothingMatched";
}

TEST_F(AddFiles, TheArchiveNeverTakesItself) {
  ZipRequest request = AddEverything();
  request.archive = (Source() / "self.zip").string();
  static_cast<void>(Run(request));
  static_cast<void>(Run(request));
  const Names names = Inspect(request.archive).Names();
  EXPECT_EQ(std::count(names.begin(), names.end(), "src/self.zip"), 0);
  EXPECT_EQ(names.size(), 7u);
}

// An archive with stored, deflated, encrypted and data-descriptor entries, made
// by the tests' own writer, with `stub` in front and offsets counted from the
// archive's own start, as `cat stub a.zip` leaves them.
std::vector<std::byte> OldArchive(const std::string& stub) {
  using unzip::testing::Descriptor;
  using unzip::testing::StoreAs;
  std::vector<std::byte> bytes(reinterpret_cast<const std::byte*>(stub.data()),
                               reinterpret_cast<const std::byte*>(stub.data()) + stub.size());
  const std::vector<std::byte> archive =
      unzip::testing::BuildArchive({
                                       {.name = "old/stored.txt", .content = "stored as is", .storeAs = StoreAs::Stored},
                                       {.name = "old/deflated.txt", .content = std::string(3000, 'd')},
                                       {.name = "old/described.txt", .content = "with a descriptor",
                                        .descriptor = Descriptor::AfterData},
                                       {.name = "src/a.txt", .content = "the old a",
                                        .dosDateTime = unzip::testing::DosDateTime(2000, 1, 1, 0, 0, 0)},
                                   })
          .bytes;
  bytes.insert(bytes.end(), archive.begin(), archive.end());
  return bytes;
}

TEST_F(AddFiles, OldEntriesAreCopiedAsTheyAreBehindTheStub) {
  const std::string stub = "MZ self-extractor stub " + std::string(1000, 's');
  unzip::testing::WriteBytes(scratch_ / "plain.zip", OldArchive({}));
  const InspectedArchive before = Inspect(scratch_ / "plain.zip");
  ASSERT_EQ(before.entries.size(), 4u);
  unzip::testing::WriteBytes(ArchivePath(), OldArchive(stub));
  ZipRequest request = AddEverything();
  request.specifications[0].text = "src/sub/b.txt";
  EXPECT_EQ(Run(request).count, 1);
  const InspectedArchive after = Inspect(ArchivePath());
  EXPECT_TRUE(after.problems.empty()) << ::testing::PrintToString(after.problems);
  EXPECT_EQ(after.Names(), (Names{"old/stored.txt", "old/deflated.txt", "old/described.txt", "src/a.txt", "src/sub/b.txt"}));
  EXPECT_EQ(after.firstLocalHeader, stub.size());
  const std::vector<std::byte> bytes = ReadBytes(ArchivePath());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), stub.size()), stub);
  for (std::size_t index = 0; index < 4; ++index) {
    EXPECT_EQ(after.entries[index].central.crc32, before.entries[index].central.crc32);
    EXPECT_EQ(after.entries[index].central.compressedSize, before.entries[index].central.compressedSize);
    EXPECT_EQ(after.entries[index].central.flags, before.entries[index].central.flags);
  }
  ExpectArchiveHolds({{"old/stored.txt", "stored as is"},
                      {"old/deflated.txt", std::string(3000, 'd')},
                      {"old/described.txt", "with a descriptor"},
                      {"src/a.txt", "the old a"},
                      {"src/sub/b.txt", "beta"}});

  // Now the offsets count from the file's start, as `zip -A` leaves them; they must stay so.
  ZipRequest deletion;
  deletion.archive = ArchivePath();
  deletion.deleteEntries = true;
  deletion.specifications = {{.text = "old/stored.txt"}};
  EXPECT_EQ(Run(deletion).count, 1);
  EXPECT_EQ(Inspect(ArchivePath()).firstLocalHeader, stub.size());
  ExpectArchiveHolds({{"old/deflated.txt", std::string(3000, 'd')},
                      {"old/described.txt", "with a descriptor"},
                      {"src/a.txt", "the old a"},
                      {"src/sub/b.txt", "beta"}});
}

// Disk: a.txt newer than its entry, notes.log older than its entry, b.txt not in
// the archive.
struct ReplacementCase {
  std::string title;
  std::function<void(ZipRequest&)> change;
  std::int32_t count;
  std::string aContent;
  std::string logContent;
  bool hasB;
};

class Replacements : public AddFiles, public ::testing::WithParamInterface<ReplacementCase> {};

TEST_P(Replacements, FollowTheRule) {
  unzip::testing::WriteBytes(
      ArchivePath(),
      unzip::testing::BuildArchive({{.name = "src/a.txt", .content = "old a",
                                     .dosDateTime = unzip::testing::DosDateTime(2000, 1, 1, 0, 0, 0)},
                                    {.name = "src/notes.log", .content = "newer log",
                                     .dosDateTime = unzip::testing::DosDateTime(2099, 1, 1, 0, 0, 0)}})
          .bytes);
  ZipRequest request = AddEverything();
  request.specifications[0] = {.text = "src/*", .rootFolder = scratch_.Path().string()};
  request.specifications.push_back({.text = "src/sub/b.txt", .rootFolder = scratch_.Path().string()});
  GetParam().change(request);
  EXPECT_EQ(Run(request).count, GetParam().count);
  const std::map<std::string, std::string> content = ExtractWithUnzipEngine(ArchivePath());
  EXPECT_EQ(content.at("src/a.txt"), GetParam().aContent);
  EXPECT_EQ(content.at("src/notes.log"), GetParam().logContent);
  EXPECT_EQ(content.contains("src/sub/b.txt"), GetParam().hasB);
}

INSTANTIATE_TEST_SUITE_P(
    AddFiles, Replacements,
    ::testing::Values(
        ReplacementCase{"AlwaysReplaces", [](ZipRequest&) {}, 3, Tree.at("src/a.txt"), Tree.at("src/notes.log"), true},
        ReplacementCase{"FreshenTakesOnlyNewerFilesOfEntries", [](ZipRequest& request) { request.freshen = true; }, 1,
                        Tree.at("src/a.txt"), "newer log", false},
        ReplacementCase{"UpdateAddsNewFilesAndNewerOnes", [](ZipRequest& request) { request.update = true; }, 2,
                        Tree.at("src/a.txt"), "newer log", true}),
    [](const auto& named) { return named.param.title; });

TEST_F(AddFiles, MoveRemovesTheSourcesOnlyOnceTheArchiveIsWritten) {
  ZipRequest request = AddEverything();
  request.specifications[0].text = "src/sub";
  request.move = true;
  EXPECT_EQ(Run(request).count, 4);
  EXPECT_FALSE(std::filesystem::exists(Source() / "sub"));
  EXPECT_TRUE(std::filesystem::exists(Source() / "a.txt"));
  ExpectArchiveHolds({{"src/sub/b.txt", "beta"}, {"src/sub/deeper/c.txt", Tree.at("src/sub/deeper/c.txt")}});
}

TEST_F(AddFiles, ZipTimeDatesTheArchiveAsItsNewestEntry) {
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  for (const auto& [name, content] : Tree) {
    std::filesystem::last_write_time(scratch_ / name, old);
  }
  ZipRequest request = AddEverything();
  request.specifications[0].text = "src/*.txt";
  request.zipTime = true;
  static_cast<void>(Run(request));
  const InspectedArchive archive = Inspect(ArchivePath());
  std::uint32_t newest = 0;
  for (const InspectedEntry& entry : archive.entries) {
    newest = std::max(newest, entry.central.dosDateTime);
  }
  const platform::FileHandle file = platform::CreateFile(ArchivePath(), platform::FileAccess::Read,
                                                         platform::FileShare::Read, platform::FileCreation::OpenExisting);
  std::uint32_t archiveDate = 0;
  EXPECT_TRUE(platform::GetFileDosDateTime(file, archiveDate));
  platform::CloseHandle(file);
  EXPECT_EQ(archiveDate, newest);
}

TEST_F(AddFiles, ArchiveOnlyAndResetWhereThePlatformKeepsTheAttribute) {
  const std::string a = (Source() / "a.txt").string();
  ASSERT_TRUE(platform::SetFileAttributes(a, platform::file_attribute::Normal));
  if ((platform::GetFileAttributes(a) & platform::file_attribute::Archive) != 0) {
    GTEST_SKIP() << "this platform keeps no archive attribute: every file counts as changed";
  }
  ZipRequest request = AddEverything();
  request.specifications[0].text = "src/*";
  request.specifications[0].recurse = false;
  request.archiveOnly = true;
  request.resetArchive = true;
  EXPECT_EQ(Run(request).count, 1);
  EXPECT_EQ(Inspect(ArchivePath()).Names(), Names{"src/notes.log"});
  EXPECT_EQ(platform::GetFileAttributes((Source() / "notes.log").string()) & platform::file_attribute::Archive, 0u);
}

TEST_F(AddFiles, TheArchiveCommentIsWrittenAndKept) {
  ZipRequest request = AddEverything();
  request.comment = "made by the tests";
  static_cast<void>(Run(request));
  EXPECT_EQ(Inspect(ArchivePath()).comment, "made by the tests");
  request.comment.reset();
  request.specifications[0].text = "src/a.txt";
  MakeFile(Source() / "a.txt", "changed");
  static_cast<void>(Run(request));
  EXPECT_EQ(Inspect(ArchivePath()).comment, "made by the tests");
}

TEST_F(AddFiles, ATemporaryFolderElsewhereLeavesNothingBehind) {
  const std::filesystem::path temporary = scratch_ / "temporary";
  std::filesystem::create_directories(temporary);
  ZipRequest request = AddEverything();
  request.tempFolder = temporary.string();
  EXPECT_EQ(Run(request).count, 7);
  EXPECT_TRUE(std::filesystem::is_empty(temporary));
  ExpectArchiveHolds(Tree);
}

TEST_F(AddFiles, TheRecycleBinTakesTheReplacedArchive) {
  if (!PeerToolsAvailable()) {
    GTEST_SKIP() << "under Wine the recycle bin is the real user's";
  }
  const std::filesystem::path data = scratch_ / "data";
  platform::SetEnvironmentVariable("XDG_DATA_HOME", data.string());
  ZipRequest request = AddEverything();
  static_cast<void>(Run(request));
  request.recycle = true;
  request.specifications[0].text = "src/a.txt";
  EXPECT_EQ(Run(request).count, 1);
  platform::SetEnvironmentVariable("XDG_DATA_HOME", std::nullopt);
  // The old archive's second name, made before the new one took the name, says
  // in the recycle bin what it was.
  const std::filesystem::path trashed = data / "Trash" / "files" / "out (old).zip";
  ASSERT_TRUE(std::filesystem::exists(trashed));
  EXPECT_EQ(Inspect(trashed).entries.size(), 7u);
  EXPECT_EQ(Inspect(ArchivePath()).entries.size(), 7u);
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "out (old).zip"));
}

}  // namespace
}  // namespace engines::zip::testing

namespace engines::zip::testing {
namespace {

TEST_F(AddFiles, TheVolumeLabelOfTheFirstFilesDriveComesFirst) {
  if (!PeerToolsAvailable()) {
    GTEST_SKIP() << "a drive with a label of our own needs the POSIX backend's scratch Wine prefix";
  }
  const std::filesystem::path prefix = scratch_ / "prefix";
  std::filesystem::create_directories(prefix / "dosdevices");
  std::filesystem::create_symlink(scratch_.Path(), prefix / "dosdevices" / "x:");
  MakeFile(scratch_ / ".windows-label", "BACKUP 7\n");
  platform::SetEnvironmentVariable("WINEPREFIX", prefix.string());
  ZipRequest request = AddEverything();
  request.specifications = {{.text = "x:\\src\\a.txt", .rootFolder = "x:\\"}};
  request.volumeLabel = true;
  const std::int32_t count = Run(request).count;
  platform::SetEnvironmentVariable("WINEPREFIX", std::nullopt);
  EXPECT_EQ(count, 2);
  const InspectedArchive archive = Inspect(ArchivePath());
  ASSERT_EQ(archive.Names(), (Names{"BACKUP 7", "src/a.txt"}));
  EXPECT_EQ(archive.entries[0].central.externalAttributes, 0x08u) << "the volume label attribute";
  EXPECT_EQ(archive.entries[0].central.uncompressedSize, 0u);
  EXPECT_EQ(std::system(("unzip -tq '" + ArchivePath() + "' >/dev/null").c_str()), 0);
}

}  // namespace
}  // namespace engines::zip::testing
