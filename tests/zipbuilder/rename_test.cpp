// Rename: the rules by which items rename entries, what the new archive holds
// (both headers, data, descriptors, extras, prefix, comment), what it reports,
// and that a failure at any file operation leaves the archive as it was.
#include <algorithm>
#include <array>
#include <filesystem>

#include "platform/file_faults.h"
#include "platform/text.h"
#include "tests/zipbuilder/archive_bytes.h"
#include "tests/zipbuilder/archive_inspection.h"
#include "tests/zipbuilder/listing_fixture.h"
#include "zipbuilder/message_table.h"

namespace zipbuilder {
namespace {

using archive_bytes::BuildArchive;
using archive_bytes::Descriptor;
using archive_bytes::Entry;
using archive_inspection::InspectedArchive;
using archive_inspection::InspectWholeArchive;

constexpr std::uint32_t NewYear2030 = (50u << 25 | 1u << 21 | 1u << 16) | (12u << 11);  // 2030-01-01 12:00:00
constexpr std::uint32_t Midsummer2031 = (51u << 25 | 6u << 21 | 21u << 16) | (9u << 11 | 30u << 5);

class RenameTest : public ListingTest {
 protected:
  RenameTest() {
    component.SetUnattended(true);
    component.SetHowToDelete(DeleteOpts::htdFinal);
  }
  void TearDown() override { platform::file_faults::Clear(); }

  void ListArchive(const std::string& bytes) {
    reports.clear();
    original = bytes;
    path = WriteArchive("rename.zip", bytes);
    component.SetZipFileName(path);
    // A stub whose offsets were never adjusted is only worth a warning.
    for (const Report& report : reports) {
      ASSERT_EQ(report.Id, message_id::ListStructureWarning) << report.Text;
    }
    reports.clear();
  }

  [[nodiscard]] int RenameBy(std::vector<RenameItem> items, std::uint32_t dateTime = 0) {
    return component.Rename(items, dateTime);
  }

  [[nodiscard]] std::string FileBytes() const { return scratch.ReadFile("rename.zip").value_or(""); }

  [[nodiscard]] InspectedArchive Inspected() const { return InspectWholeArchive(FileBytes()); }

  [[nodiscard]] std::vector<std::string> StoredNames() const {
    std::vector<std::string> names;
    for (const auto& entry : Inspected().Entries) {
      EXPECT_EQ(entry.LocalName, entry.Name) << "both headers carry the name";
      names.push_back(entry.Name);
    }
    return names;
  }

  std::string original;
  std::string path;
};

TEST_F(RenameTest, ItemsMatchSubstringsFoldersAndAsciiCaseAnywhereInTheName) {
  ListArchive(BuildArchive({{.Name = "data.txt", .Data = "d"},
                            {.Name = "docs/readme.txt", .Data = "r"},
                            {.Name = "Docs/Guide.TXT", .Data = "g"},
                            {.Name = "keep.bin", .Data = "k"}}));

  EXPECT_EQ(RenameBy({{"a.txt", "b.txt"}, {"DOCS/", "manual\\x.txt"}, {"GUIDE", "Intro"}}), rewrite_result::Success);

  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"datb.txt", "manual/readme.txt", "manual/Intro.TXT", "keep.bin"}));
  EXPECT_EQ(ListedNames(),
            (std::vector<std::string>{"datb.txt", "manual\\readme.txt", "manual\\Intro.TXT", "keep.bin"}));
  const InspectedArchive archive = Inspected();
  EXPECT_EQ(archive.Entries[1].Data, "r");
  EXPECT_EQ(archive.Entries[3].Data, "k");
  // One message per entry, naming every rename that acted on it.
  std::vector<std::string> texts;
  for (const Report& report : reports) {
    texts.push_back(report.Text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Processing: data.txt renamed to: datb.txt",
                       "Processing: docs/readme.txt renamed to: manual/readme.txt",
                       "Processing: Docs/Guide.TXT renamed to: manual/Guide.TXT renamed to: manual/Intro.TXT",
                       "Processing: keep.bin",
                   }));
  EXPECT_EQ(component.ErrCode(), 0) << "the messages are no errors";
}

TEST_F(RenameTest, NonAsciiLettersMatchOnlyThemselvesAndRenamedNamesKeepTheirEncoding) {
  // "été.txt" in the OEM code page of an MS-DOS archive, and in UTF-8 under bit 11.
  ListArchive(BuildArchive({{.Name = "\x82t\x82.txt", .Data = "1", .HostSystem = 0},
                            {.Name = "\xC3\xA9t\xC3\xA9.txt", .Data = "2", .Flags = 0x0800, .HostSystem = 3}}));
  const std::string shown = platform::OemToChar("\x82t\x82");
  ASSERT_EQ(ListedNames()[0], shown + ".txt");

  EXPECT_EQ(RenameBy({{".TXT", ".doc"}, {platform::OemToChar("\x90"), "E"}}), rewrite_result::Success);

  const InspectedArchive archive = Inspected();
  EXPECT_EQ(archive.Entries[0].Name, "\x82t\x82.doc") << "written back in the OEM code page";
  EXPECT_EQ(archive.Entries[1].Name, "\xC3\xA9t\xC3\xA9.doc") << "written back in UTF-8";
  EXPECT_EQ(archive.Entries[1].Flags & 0x0800, 0x0800);
}

TEST_F(RenameTest, AFileRenamedToAFolderNameIsRefusedBeforeAnythingHappens) {
  ListArchive(BuildArchive({{.Name = "readme.txt", .Data = "r"}}));

  EXPECT_EQ(RenameBy({{"readme.txt", "sub\\"}}), rewrite_result::NewNameWithoutFileName);

  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(FileBytes(), original);
  EXPECT_FALSE(component.ZipSideBusy());
  EXPECT_EQ(toolkit.ScreenCursor(), CursorShape::Default);
}

TEST_F(RenameTest, DatesGoToBothHeadersByItemOrByDefault) {
  ListArchive(BuildArchive(
      {{.Name = "a.txt", .Data = "a"},
       {.Name = "b.txt", .Data = "b"},
       {.Name = "locked.txt", .Data = "l", .DataDescriptor = Descriptor::WithSignature, .Flags = 0x0001}}));
  const std::uint32_t stored = Inspected().Entries[2].DosDateTime;

  EXPECT_EQ(RenameBy({{"b.txt", "c.txt", Midsummer2031}}, NewYear2030), rewrite_result::Success);

  const InspectedArchive archive = Inspected();
  EXPECT_EQ(archive.Entries[0].DosDateTime, NewYear2030);
  EXPECT_EQ(archive.Entries[0].LocalDosDateTime, NewYear2030);
  EXPECT_EQ(archive.Entries[1].DosDateTime, Midsummer2031) << "the item's date wins for what it renames";
  EXPECT_EQ(archive.Entries[1].LocalDosDateTime, Midsummer2031);
  // Its password check byte is the stored time's high byte.
  EXPECT_EQ(archive.Entries[2].DosDateTime, stored) << "an encrypted entry with a descriptor keeps its date";
  EXPECT_EQ(archive.Entries[2].LocalDosDateTime, stored);
}

TEST_F(RenameTest, WithNothingToDoTheArchiveIsWrittenAgainIdentically) {
  ListArchive(BuildArchive({{.Name = "a.txt", .Data = "alpha", .Comment = "first"}, {.Name = "dir/", .Data = ""}},
                           {.ArchiveComment = "the archive's comment"}));

  EXPECT_EQ(RenameBy({{"absent", "present"}}), rewrite_result::Success);

  EXPECT_TRUE(FileBytes() == original);
}

TEST_F(RenameTest, HiddenLayoutsOfOtherArchiversComeThroughWhole) {
  // Local extras longer than the central ones, descriptors with and without a
  // signature, data in the reverse of the directory's order, bytes between
  // entries, and a stub in front whose offsets were never adjusted.
  const std::vector<Entry> entries = {
      {.Name = "one.txt",
       .Data = "first entry",
       .Extra = "UT\x05\x00\x03\x01\x02\x03\x04",
       .LocalExtra = "UT\x09\x00\x03\x01\x02\x03\x04\x05\x06\x07\x08ux\x00\x00"},
      {.Name = "two.txt", .Data = "second", .DataDescriptor = Descriptor::WithSignature},
      {.Name = "three.txt", .Data = "third!", .DataDescriptor = Descriptor::WithoutSignature},
  };
  ListArchive(BuildArchive(entries, {.Prefix = "MZ a stub of some bytes",
                                     .ArchiveComment = "kept",
                                     .DataInReverseOrder = true,
                                     .GapBeforeEachEntry = "gap"}));

  EXPECT_EQ(RenameBy({{"two", "2"}}), rewrite_result::Success);

  const InspectedArchive archive = Inspected();
  ASSERT_EQ(archive.Entries.size(), 3u);
  // The bytes in front of the first entry, gap included, stay in front.
  EXPECT_EQ(archive.Prefix, "MZ a stub of some bytesgap");
  EXPECT_EQ(archive.Comment, "kept");
  EXPECT_EQ(archive.Entries[0].LocalExtra, entries[0].LocalExtra);
  EXPECT_EQ(archive.Entries[0].Extra, entries[0].Extra);
  EXPECT_EQ(archive.Entries[1].Name, "2.txt");
  const std::array<std::string, 3> data = {"first entry", "second", "third!"};
  for (std::size_t index = 0; index < 3; ++index) {
    EXPECT_EQ(archive.Entries[index].Data, data[index]);
  }
  EXPECT_EQ(archive.Entries[1].Descriptor.size(), 16u);
  EXPECT_EQ(archive.Entries[1].Descriptor.substr(4), original.substr(original.find("second") + 10, 12));
  EXPECT_EQ(archive.Entries[2].Descriptor.size(), 12u);
  EXPECT_EQ(archive.Entries[0].LocalHeaderOffset, 26u) << "offsets count from the file's start";
  TZipBuilder fresh;
  fresh.SetZipFileName(path);
  EXPECT_FALSE(fresh.Directory().StructureWarning);
}

TEST_F(RenameTest, NamesOfAnyLengthAreRenamedAndANameTooLongForTheHeaderIsRefused) {
  const std::string longName = std::string(60000, 'n') + ".txt";
  ListArchive(BuildArchive({{.Name = longName, .Data = "long"}, {.Name = "short.txt", .Data = "s"}}));

  EXPECT_EQ(RenameBy({{".txt", ".text"}}), rewrite_result::Success);
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{std::string(60000, 'n') + ".text", "short.text"}));

  const std::string before = FileBytes();
  reports.clear();
  EXPECT_EQ(RenameBy({{"nnnn", std::string(6000, 'm')}}), rewrite_result::Reported);
  EXPECT_EQ(component.ErrCode(), message_id::LocalHeaderWriteError);
  EXPECT_TRUE(FileBytes() == before);
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"rename.zip"});
}

TEST_F(RenameTest, SpannedAndDamagedArchivesAreRefusedAndLeftAlone) {
  struct Refusal {
    const char* Description;
    std::string Bytes;
    int MessageId;
  };
  const std::string sound = BuildArchive({{.Name = "a.txt", .Data = "a"}});
  std::string wrongLocal = sound;
  wrongLocal[0] = 'X';
  std::string spanned = sound;
  spanned[spanned.size() - 22 + 4] = 1;  // the end record's disk number
  for (const Refusal& refusal :
       {Refusal{"a local header without its signature", wrongLocal, message_id::LocalHeaderSignatureWrong},
        Refusal{"the last disk of a set", spanned, message_id::RenameSpannedNotImplemented}}) {
    SCOPED_TRACE(refusal.Description);
    // The file changes after it was listed: Rename reads it again itself.
    ListArchive(sound);
    original = refusal.Bytes;
    scratch.WriteFile("rename.zip", refusal.Bytes);

    EXPECT_EQ(RenameBy({{"a", "b"}}), rewrite_result::Reported);
    EXPECT_EQ(component.ErrCode(), refusal.MessageId) << component.LastMessage();
    EXPECT_TRUE(FileBytes() == original);
    EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"rename.zip"});
  }
}

TEST_F(RenameTest, ProgressCountsTheEntriesAndABusyComponentRefusesASecondRewrite) {
  ListArchive(BuildArchive({{.Name = "a.txt", .Data = "aaaa"}, {.Name = "b.txt", .Data = "bb"}}));
  std::vector<ProgressType> kinds;
  std::int64_t bytesDone = 0;
  int nested = 1;
  component.OnProgress = [&](TZipBuilder& sender, ProgressType kind, const std::string&, std::int32_t value) {
    kinds.push_back(kind);
    bytesDone += kind == ProgressType::pgBytesDone ? value : 0;
    if (kind == ProgressType::pgFileCount) {
      std::vector<RenameItem> none;
      nested = sender.Rename(none, 0);
    }
  };

  EXPECT_EQ(RenameBy({{"a", "c"}}), rewrite_result::Success);

  EXPECT_EQ(nested, rewrite_result::Busy);
  ASSERT_GE(kinds.size(), 5u);
  EXPECT_EQ(kinds[0], ProgressType::pgFileCount);
  EXPECT_EQ(kinds[1], ProgressType::pgTotalSize);
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), ProgressType::pgNewFile), 2);
  EXPECT_EQ(kinds.back(), ProgressType::pgBatchEnd);
  EXPECT_EQ(bytesDone, (30 + 5 + 4) + (30 + 5 + 2)) << "the entries' bytes, once each";
  EXPECT_FALSE(component.ZipSideBusy());
}

// Every create, write, flush, close, move, deletion, recycling, link and date
// of a rename fails in turn: the archive's name holds the old archive or the
// complete new one, and nothing is left behind.
struct FaultRun {
  const char* Description;
  DeleteOpts HowToDelete;
  bool WithTempDir;
};

void PrintTo(const FaultRun& run, std::ostream* out) { *out << run.Description; }

class EveryRenameFault : public RenameTest, public testing::WithParamInterface<FaultRun> {
 protected:
  platform_test::TestMachine machine;  // a scratch recycle bin
};

TEST_P(EveryRenameFault, LeavesTheOldArchiveOrTheCompleteNewOne) {
  using platform::file_faults::Operation;
  component.SetHowToDelete(GetParam().HowToDelete);
  if (GetParam().WithTempDir) {
    scratch.MakeFolder("work");
    component.SetTempDir(scratch.PathOf("work"));
  }
  const std::string bytes = BuildArchive({{.Name = "a.txt", .Data = std::string(5000, 'a')},
                                          {.Name = "b.txt", .Data = "b", .DataDescriptor = Descriptor::WithSignature}});
  for (const Operation operation : platform::file_faults::AllOperations) {
    for (std::uint32_t callNumber = 1;; ++callNumber) {
      SCOPED_TRACE(std::string(platform::file_faults::NameOf(operation)) + " call " + std::to_string(callNumber));
      ListArchive(bytes);
      platform::file_faults::Fail(operation, callNumber, platform::file_faults::Persistence::Once);
      const int result = RenameBy({{"a.txt", "renamed.txt"}});
      const bool fired = platform::file_faults::Fired(operation);
      platform::file_faults::Clear();

      if (FileBytes() == original) {
        EXPECT_NE(result, rewrite_result::Success) << "an archive left as it was is reported";
      } else {
        EXPECT_EQ(StoredNames(), (std::vector<std::string>{"renamed.txt", "b.txt"})) << "the complete new archive";
      }
      // A temporary file whose deletion failed is the one thing that may stay.
      for (const std::string& name : scratch.FileNames()) {
        EXPECT_TRUE(name == "rename.zip" || (operation == Operation::Delete && name.ends_with(".tmp"))) << name;
      }
      if (GetParam().WithTempDir) {
        EXPECT_TRUE(operation == Operation::Delete || scratch.FileNames("work").empty());
        std::filesystem::remove_all(scratch.PathOf("work"));
        scratch.MakeFolder("work");
      }
      for (const std::string& name : scratch.FileNames()) {
        if (name != "rename.zip") {
          std::filesystem::remove(scratch.PathOf(name));
        }
      }
      if (!fired) {
        EXPECT_EQ(result, rewrite_result::Success) << "without a fault the rename succeeds";
        break;
      }
      ASSERT_LT(callNumber, 40u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, EveryRenameFault,
                         testing::Values(FaultRun{"for good", DeleteOpts::htdFinal, false},
                                         FaultRun{"with the recycle bin", DeleteOpts::htdAllowUndo, false},
                                         FaultRun{"through a TempDir", DeleteOpts::htdAllowUndo, true}));

}  // namespace
}  // namespace zipbuilder
