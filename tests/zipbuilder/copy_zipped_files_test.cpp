// CopyZippedFiles: which entries the new destination holds and in what order,
// the overwrite decisions and the kept names, entries copied whole from any
// layout with their names as stored, the refusals, deleting from the source
// with the real zip engine, and a failure at any file operation.
#include <algorithm>
#include <filesystem>

#include "platform/file_faults.h"
#include "platform/text.h"
#include "tests/zipbuilder/archive_bytes.h"
#include "tests/zipbuilder/archive_inspection.h"
#include "tests/zipbuilder/listing_fixture.h"
#include "tests/zipbuilder/test_engine_client.h"
#include "zipbuilder/message_table.h"

namespace zipbuilder {
namespace {

using archive_bytes::BuildArchive;
using archive_bytes::Descriptor;
using archive_bytes::Entry;
using archive_inspection::InspectArchive;
using archive_inspection::InspectedArchive;
using archive_inspection::InspectWholeArchive;

class CopyTest : public ListingTest {
 protected:
  CopyTest() : destination(toolkit) {
    for (TZipBuilder* each : {&component, &destination}) {
      each->SetUnattended(true);
      each->SetHowToDelete(DeleteOpts::htdFinal);
    }
    destination.OnDirUpdate = [this](TZipBuilder&) { ++destinationListings; };
  }
  void TearDown() override { platform::file_faults::Clear(); }

  void ListBoth(const std::string& sourceBytes, const std::string& destinationBytes) {
    reports.clear();
    component.SetZipFileName(WriteArchive("source.zip", sourceBytes));
    destination.SetZipFileName(WriteArchive("destination.zip", destinationBytes));
    sourceBefore = sourceBytes;
    destinationBefore = destinationBytes;
    // A stub whose offsets were never adjusted is only worth a warning.
    for (const Report& report : reports) {
      ASSERT_EQ(report.Id, message_id::ListStructureWarning) << report.Text;
    }
    destinationListings = 0;
  }

  [[nodiscard]] int Copy(std::vector<std::string> names, OvrOpts mode,
                         CopySourceEntries sourceEntries = CopySourceEntries::Keep) {
    component.SetFSpecArgs(names);
    return component.CopyZippedFiles(destination, sourceEntries, mode);
  }

  [[nodiscard]] std::string DestinationBytes() const { return scratch.ReadFile("destination.zip").value_or(""); }

  [[nodiscard]] InspectedArchive Inspected() const { return InspectWholeArchive(DestinationBytes()); }

  // Names and data of the destination, in its order.
  [[nodiscard]] std::vector<std::string> NamesAndData() const {
    std::vector<std::string> result;
    for (const auto& entry : Inspected().Entries) {
      EXPECT_EQ(entry.LocalName, entry.Name) << "both headers carry the same name";
      result.push_back(entry.Name + "=" + entry.Data);
    }
    return result;
  }

  TZipBuilder destination;
  std::string sourceBefore;
  std::string destinationBefore;
  int destinationListings = 0;
};

const std::string Source = BuildArchive({{.Name = "shared.txt", .Data = "from the source"},
                                         {.Name = "new/one.txt", .Data = "one"},
                                         {.Name = "two.txt", .Data = "two"}});
const std::string Destination = BuildArchive({{.Name = "first.txt", .Data = "first"},
                                              {.Name = "SHARED.TXT", .Data = "in the destination"},
                                              {.Name = "folder/", .Data = ""}},
                                             {.ArchiveComment = "the destination's comment"});

TEST_F(CopyTest, AlwaysReplacesInPlaceAndAppendsNewNamesInTheOrderAskedFor) {
  ListBoth(Source, Destination);

  EXPECT_EQ(Copy({"two.txt", "shared.txt", "new\\one.txt", "TWO.TXT"}, OvrOpts::OvrAlways), rewrite_result::Success);

  EXPECT_EQ(NamesAndData(), (std::vector<std::string>{"first.txt=first", "shared.txt=from the source",
                                                      "folder/=", "two.txt=two", "new/one.txt=one"}))
      << "a folder entry List leaves out stays too";
  EXPECT_EQ(Inspected().Comment, "the destination's comment");
  EXPECT_TRUE(component.FSpecArgs().empty()) << "nothing was kept";
  EXPECT_EQ(destinationListings, 1);
  EXPECT_EQ(destination.DirEntries().size(), 4u);
  EXPECT_EQ(scratch.ReadFile("source.zip"), sourceBefore);
}

TEST_F(CopyTest, NeverKeepsTheDestinationsEntryAndLeavesItsNameInFSpecArgs) {
  ListBoth(Source, Destination);

  EXPECT_EQ(Copy({"shared.txt", "two.txt"}, OvrOpts::OvrNever), rewrite_result::Success);

  EXPECT_EQ(NamesAndData(),
            (std::vector<std::string>{"first.txt=first", "SHARED.TXT=in the destination", "folder/=", "two.txt=two"}));
  EXPECT_EQ(component.FSpecArgs(), StringList{"SHARED.TXT"});
}

TEST_F(CopyTest, ConfirmAsksTheHandlerElseTheUserEvenWhenUnattended) {
  ListBoth(Source, Destination);
  std::vector<std::string> asked;
  component.OnCopyZipOverwrite = [&](TZipBuilder& sender, const std::string& name, bool& doOverwrite) {
    EXPECT_EQ(&sender, &destination);
    asked.push_back(name);
    EXPECT_FALSE(doOverwrite);
  };
  EXPECT_EQ(Copy({"shared.txt"}, OvrOpts::OvrConfirm), rewrite_result::Success);
  EXPECT_EQ(asked, std::vector<std::string>{"SHARED.TXT"});
  EXPECT_EQ(component.FSpecArgs(), StringList{"SHARED.TXT"}) << "a handler that says nothing keeps the entry";

  component.OnCopyZipOverwrite = nullptr;
  toolkit.QueueMessageBoxAnswer(DialogAnswer::Yes);
  EXPECT_EQ(Copy({"shared.txt"}, OvrOpts::OvrConfirm), rewrite_result::Success);
  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  const MessageBoxRequest& box = toolkit.MessageBoxesShown()[0];
  EXPECT_EQ(box.Text, "Overwrite file 'SHARED.TXT' in '" + destination.ZipFileName() + "' ?");
  EXPECT_EQ(box.Buttons, MessageBoxButtons::YesNo);
  EXPECT_EQ(box.Icon, MessageBoxIcon::Question);
  EXPECT_EQ(box.DefaultButton, MessageBoxDefaultButton::Second);
  EXPECT_EQ(NamesAndData()[1], "shared.txt=from the source");
  EXPECT_TRUE(component.FSpecArgs().empty());
}

TEST_F(CopyTest, StoredFlagsThatLookLikeMarkersAreNoDecisions) {
  ListBoth(Source, BuildArchive({{.Name = "asks.txt", .Data = "a", .Flags = 0x6000},
                                 {.Name = "keeps.txt", .Data = "k", .Flags = 0x8000}}));

  EXPECT_EQ(Copy({"two.txt"}, OvrOpts::OvrConfirm), rewrite_result::Success);

  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
  EXPECT_TRUE(component.FSpecArgs().empty());
  const InspectedArchive archive = Inspected();
  ASSERT_EQ(archive.Entries.size(), 3u);
  EXPECT_EQ(archive.Entries[0].Flags, 0x6000) << "the stored flags are copied as they are";
  EXPECT_EQ(archive.Entries[1].Flags, 0x8000);
}

TEST_F(CopyTest, EntriesComeWholeFromAnyLayoutWithTheirNamesAsStored) {
  const std::vector<Entry> entries = {
      {.Name = "local-extra.txt",
       .Data = "longer local extra",
       .Extra = "UT\x01\x00\x01",
       .LocalExtra = "UT\x05\x00\x01\x02\x03\x04\x05ux\x00\x00"},
      {.Name = "descriptor.txt", .Data = "with descriptor", .DataDescriptor = Descriptor::WithoutSignature},
      {.Name = "caf\x82.txt", .Data = "OEM name", .Comment = "entry comment", .HostSystem = 0},
  };
  ListBoth(BuildArchive(entries, {.Prefix = "stub", .DataInReverseOrder = true, .GapBeforeEachEntry = "~~"}),
           BuildArchive({{.Name = "there.txt", .Data = "t"}}, {.Prefix = "SFX STUB", .OffsetsIncludePrefix = true}));
  const std::string oemShown = platform::OemToChar("caf\x82") + ".txt";

  EXPECT_EQ(Copy({"local-extra.txt", "descriptor.txt", oemShown}, OvrOpts::OvrAlways), rewrite_result::Success);

  const InspectedArchive archive = Inspected();
  ASSERT_EQ(archive.Entries.size(), 4u);
  EXPECT_EQ(archive.Prefix, "SFX STUB") << "the destination's stub stays in front";
  EXPECT_EQ(archive.Entries[0].LocalHeaderOffset, 8u) << "offsets count from the file's start";
  EXPECT_EQ(archive.Entries[1].LocalExtra, entries[0].LocalExtra);
  EXPECT_EQ(archive.Entries[1].Extra, entries[0].Extra);
  EXPECT_EQ(archive.Entries[1].Data, "longer local extra");
  EXPECT_EQ(archive.Entries[2].Data, "with descriptor");
  EXPECT_EQ(archive.Entries[2].Descriptor.size(), 12u);
  EXPECT_EQ(archive.Entries[3].Name, "caf\x82.txt") << "the stored bytes, not the converted name";
  EXPECT_EQ(archive.Entries[3].LocalName, "caf\x82.txt");
  EXPECT_EQ(archive.Entries[3].Comment, "entry comment");
  EXPECT_EQ(destination.DirEntries()[3]->FileName, oemShown);
}

TEST_F(CopyTest, RefusalsLeaveBothArchivesAsTheyWereAndListTheDestinationAgain) {
  struct Refusal {
    const char* Description;
    std::string DestinationName;  // empty: the destination component
    std::vector<std::string> Names;
    int MessageId;
  };
  for (const Refusal& refusal :
       {Refusal{"the same archive by another spelling", "SOURCE.ZIP", {"two.txt"}, message_id::CopySameArchive},
        Refusal{"a name in neither archive", "", {"two.txt", "absent.txt"}, message_id::CopyFileNotPresent}}) {
    SCOPED_TRACE(refusal.Description);
    ListBoth(Source, Destination);
    if (!refusal.DestinationName.empty()) {
      // Names of files are the same whatever the letter case.
      const std::string sourcePath = scratch.PathOf("source.zip");
      destination.SetZipFileName(sourcePath.substr(0, sourcePath.size() - 10) + refusal.DestinationName);
      ASSERT_FALSE(destination.ZipFileName().empty()) << "the other spelling names the source";
      destinationListings = 0;
    }

    EXPECT_EQ(Copy(refusal.Names, OvrOpts::OvrAlways), rewrite_result::Reported);

    EXPECT_EQ(component.ErrCode(), refusal.MessageId) << component.LastMessage();
    EXPECT_EQ(scratch.ReadFile("source.zip"), sourceBefore);
    EXPECT_EQ(scratch.ReadFile("destination.zip"), destinationBefore);
    EXPECT_EQ(scratch.FileNames(), (std::vector<std::string>{"destination.zip", "source.zip"}));
    EXPECT_EQ(destinationListings, 1);
  }
  EXPECT_EQ(component.LastMessage(), "File 'absent.txt' is not present in '" + component.ZipFileName() + "'!");
}

TEST_F(CopyTest, ADestinationNamedButNotMadeYetIsMadeWithTheCopiedEntries) {
  ListBoth(Source, Destination);
  destination.SetZipFileName(scratch.PathOf("new.zip"));
  ASSERT_EQ(destination.ZipFileName(), scratch.PathOf("new.zip")) << "a missing archive keeps its name";

  EXPECT_EQ(Copy({"two.txt", "new\\one.txt"}, OvrOpts::OvrConfirm), rewrite_result::Success);

  const std::optional<InspectedArchive> made = InspectArchive(scratch.ReadFile("new.zip").value_or(""));
  ASSERT_TRUE(made);
  ASSERT_EQ(made->Entries.size(), 2u);
  EXPECT_EQ(made->Entries[0].Name, "two.txt");
  EXPECT_EQ(made->Entries[1].Data, "one");
  EXPECT_EQ(destination.DirEntries().size(), 2u);
}

TEST_F(CopyTest, ABusySourceRefusesWithoutAReport) {
  ListBoth(Source, Destination);
  int nested = 0;
  component.OnCopyZipOverwrite = [&](TZipBuilder&, const std::string&, bool& doOverwrite) {
    nested = component.CopyZippedFiles(destination, CopySourceEntries::Keep, OvrOpts::OvrAlways);
    doOverwrite = true;
  };
  EXPECT_EQ(Copy({"shared.txt"}, OvrOpts::OvrConfirm), rewrite_result::Success);
  EXPECT_EQ(nested, rewrite_result::Busy);
  EXPECT_EQ(component.ErrCode(), 0);
  EXPECT_FALSE(component.ZipSideBusy());
}

TEST_F(CopyTest, DeletingFromTheSourceTakesOnlyTheCopiedEntries) {
  component.SetDLLDirectory(testing_support::RealEngineFolder());
  ListBoth(Source, Destination);

  EXPECT_EQ(Copy({"shared.txt", "two.txt"}, OvrOpts::OvrNever, CopySourceEntries::DeleteCopied),
            rewrite_result::Success)
      << component.LastMessage();

  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"shared.txt", "new\\one.txt"})) << "the kept one stays";
  EXPECT_EQ(component.FSpecArgs(), StringList{"SHARED.TXT"});
  EXPECT_EQ(NamesAndData().back(), "two.txt=two");
}

// Every file operation of a copy fails in turn: the destination holds the old
// archive or the complete new one, the source is untouched, nothing is left behind.
class EveryCopyFault : public CopyTest, public testing::WithParamInterface<DeleteOpts> {
 protected:
  platform_test::TestMachine machine;  // a scratch recycle bin
};

TEST_P(EveryCopyFault, LeavesTheOldDestinationOrTheCompleteNewOne) {
  using platform::file_faults::Operation;
  destination.SetHowToDelete(GetParam());
  for (const Operation operation : platform::file_faults::AllOperations) {
    for (std::uint32_t callNumber = 1;; ++callNumber) {
      SCOPED_TRACE(std::string(platform::file_faults::NameOf(operation)) + " call " + std::to_string(callNumber));
      ListBoth(Source, Destination);
      platform::file_faults::Fail(operation, callNumber, platform::file_faults::Persistence::Once);
      const int result = Copy({"two.txt"}, OvrOpts::OvrAlways);
      const bool fired = platform::file_faults::Fired(operation);
      platform::file_faults::Clear();

      if (DestinationBytes() == destinationBefore) {
        EXPECT_NE(result, rewrite_result::Success);
      } else {
        EXPECT_EQ(NamesAndData().size(), 4u) << "the complete new archive";
      }
      EXPECT_EQ(scratch.ReadFile("source.zip"), sourceBefore);
      for (const std::string& name : scratch.FileNames()) {
        const bool archive = name == "source.zip" || name == "destination.zip";
        EXPECT_TRUE(archive || (operation == Operation::Delete && name.ends_with(".tmp"))) << name;
        if (!archive) {
          std::filesystem::remove(scratch.PathOf(name));
        }
      }
      if (!fired) {
        EXPECT_EQ(result, rewrite_result::Success);
        break;
      }
      ASSERT_LT(callNumber, 40u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, EveryCopyFault, testing::Values(DeleteOpts::htdFinal, DeleteOpts::htdAllowUndo));

}  // namespace
}  // namespace zipbuilder
