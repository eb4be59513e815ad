// Add, AddFromZipStream, CompressStream and Delete against the scripted test
// engine: the preconditions and their messages, the record the engine receives
// at each layout, and how every run ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/zipbuilder/record_bytes.h"
#include "tests/zipbuilder/test_access.h"
#include "tests/zipbuilder/test_engine_client.h"
#include "tests/zipbuilder/test_files.h"
#include "platform/date_time.h"
#include "zipbuilder/command_records.h"
#include "zipbuilder/engine_callback.h"
#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

using engines::EngineAction;
using engines::ZipCommandRecord;
using engines::ZipCommandRecordBelow151;
using testing_support::AddressValue;
using testing_support::BuildArchive;
using testing_support::ExpectedField;
using testing_support::ExpectRecordBytes;
using testing_support::ScratchFolder;
using testing_support::TestEngine;
using testing_support::TestEngineVariant;

std::string StreamText(const TZipStream& stream) {
  return {reinterpret_cast<const char*>(stream.Memory()), stream.Size()};
}

void Fill(TZipStream& stream, std::string_view text) {
  ASSERT_TRUE(stream.SetSize(text.size()));
  std::copy(text.begin(), text.end(), stream.Memory());
}

class AddDeleteTest : public testing::Test {
 protected:
  AddDeleteTest() : engine(TestEngineVariant::Full, EngineKind::Zip) {
    engine.Reset(160, 0);
    toolkit.SetApplicationWindow(&windowToken);
    component = std::make_unique<TZipBuilder>(toolkit);
    component->SetUnattended(true);
    component->SetDLLDirectory(engine.Folder());
    component->OnMessage = [this](TZipBuilder& sender, int, const std::string&) {
      reported.push_back(sender.ErrCode());
    };
    component->OnDirUpdate = [this](TZipBuilder&) { ++listings; };
    folder.WriteFile("a.zip", BuildArchive({{"one.txt", "one"}, {"two.txt", "two"}}));
    component->SetZipFileName(folder.PathOf("a.zip"));
    listings = 0;
  }

  [[nodiscard]] int ExecCalls() const { return engine.Captured().ExecCalls; }
  [[nodiscard]] std::string CapturedSpecification(int index) const {
    return engine.CapturedText(engine.Captured().Specifications[index]);
  }

  HeadlessToolkit toolkit;
  int windowToken = 0;
  TestEngine engine;
  ScratchFolder folder;
  std::unique_ptr<TZipBuilder> component;
  std::vector<int> reported;
  int listings = 0;
};

// ---------------------------------------------------------------------------
// Preconditions: each reported, nothing loaded, FSpecArgs kept
// ---------------------------------------------------------------------------

TEST_F(AddDeleteTest, AddPreconditionsInTheirOrder) {
  component->Add();
  EXPECT_EQ(component->ErrCode(), 10301);
  EXPECT_EQ(component->LastMessage(), "Error - no files to zip!");

  component->SetFSpecArgs({"*.txt"});
  component->SetMode(ComponentMode::Designing);
  component->SetZipFileName("");
  component->SetMode(ComponentMode::Running);
  component->Add();
  EXPECT_EQ(component->ErrCode(), 10102);

  component->SetZipFileName(folder.PathOf("a.zip"));
  component->SetAddOptions({AddOptsEnum::AddEncrypt});
  component->Add();
  EXPECT_EQ(component->ErrCode(), 10302);
  EXPECT_EQ(component->LastMessage(), "Unattended action not possible without a password");

  EXPECT_EQ(reported, (std::vector<int>{10301, 10102, 10302}));
  EXPECT_EQ(ExecCalls(), 0);
  EXPECT_EQ(component->ZipEngineHandle(), nullptr);
  EXPECT_EQ(component->FSpecArgs(), StringList{"*.txt"});
}

TEST_F(AddDeleteTest, SpannedAddsAreRefusedAndTheEngineIsUnloadedAgain) {
  component->SetFSpecArgs({"*.txt"});
  component->SetAddOptions({AddOptsEnum::AddDiskSpan, AddOptsEnum::AddUpdate});
  component->Add();
  EXPECT_EQ(component->ErrCode(), 10303);

  component->SetMode(ComponentMode::Designing);
  component->SetZipFileName(folder.PathOf("a.exe"));
  component->SetMode(ComponentMode::Running);
  folder.WriteFile("a.exe", "existing");
  component->SetAddOptions({AddOptsEnum::AddDiskSpanErase});
  component->Add();
  EXPECT_EQ(component->ErrCode(), 11041);

  component->SetZipFileName(folder.PathOf("a.zip"));
  component->SetAddOptions({AddOptsEnum::AddDiskSpan});
  component->Add();
  EXPECT_EQ(component->ErrCode(), 11024);
  EXPECT_NE(component->LastMessage().find("spanned"), std::string::npos) << component->LastMessage();

  EXPECT_EQ(ExecCalls(), 0);
  EXPECT_EQ(component->ZipEngineHandle(), nullptr);
  EXPECT_FALSE(component->ZipSideBusy());
}

TEST_F(AddDeleteTest, ANewExecutableArchiveIsRefusedBeforeTheEngineLoads) {
  component->SetMode(ComponentMode::Designing);
  component->SetZipFileName(folder.PathOf("new.Exe"));
  component->SetMode(ComponentMode::Running);
  component->SetFSpecArgs({"*.txt"});

  component->Add();

  EXPECT_EQ(component->ErrCode(), 11024);
  EXPECT_NE(component->LastMessage().find("self-extracting"), std::string::npos);
  EXPECT_EQ(ExecCalls(), 0);
  EXPECT_FALSE(folder.ReadFile("new.Exe").has_value());
}

TEST_F(AddDeleteTest, AddFromZipStreamChecksItsName) {
  component->AddFromZipStream("*.txt", 1, 0);
  EXPECT_EQ(component->ErrCode(), 10307);
  component->FSpecArgs().clear();
  component->AddFromZipStream("", 1, 0);
  EXPECT_EQ(component->ErrCode(), 10301);
  component->SetFSpecArgs({"dir/name?.txt"});
  component->AddFromZipStream("", 1, 0);
  EXPECT_EQ(component->ErrCode(), 10307);
  EXPECT_EQ(ExecCalls(), 0);
}

TEST_F(AddDeleteTest, MemoryModesNeedVersion160) {
  engine.Reset(151, 1);
  TZipStream source;
  Fill(source, "data");
  EXPECT_EQ(component->CompressStream(source), &component->ZipStream());
  EXPECT_EQ(component->ErrCode(), 10305);
  EXPECT_EQ(component->ZipStream().Size(), 0u);

  component->AddFromZipStream("entry.txt", 1, 0);
  EXPECT_EQ(component->ErrCode(), 10305);
  EXPECT_EQ(ExecCalls(), 0);
  EXPECT_EQ(component->ZipEngineHandle(), nullptr);
  EXPECT_FALSE(component->ZipSideBusy());
}

TEST_F(AddDeleteTest, CompressStreamRefusesZipStreamAndAnEmptySource) {
  EXPECT_EQ(component->CompressStream(component->ZipStream()), nullptr);
  EXPECT_EQ(component->ErrCode(), 10306);
  TZipStream empty;
  EXPECT_EQ(component->CompressStream(empty), &component->ZipStream());
  EXPECT_EQ(component->ErrCode(), 10301);
  EXPECT_EQ(ExecCalls(), 0);
}

TEST_F(AddDeleteTest, DeletePreconditions) {
  component->SetMode(ComponentMode::Designing);
  component->SetZipFileName("");
  component->SetMode(ComponentMode::Running);
  component->Delete();
  EXPECT_EQ(component->ErrCode(), 10401) << "an empty FSpecArgs is reported first";
  EXPECT_EQ(component->LastMessage(), "Error - no files selected for deletion");

  component->SetFSpecArgs({"one.txt"});
  component->SetZipFileName(folder.Path());
  component->Delete();
  EXPECT_EQ(component->ErrCode(), 10102) << "a folder is no archive";

  EXPECT_EQ(ExecCalls(), 0);
  EXPECT_EQ(component->FSpecArgs(), StringList{"one.txt"});
}

// ---------------------------------------------------------------------------
// The record the engine receives
// ---------------------------------------------------------------------------

struct RecordCase {
  std::int32_t Version;
  ZipCommandKind Kind;
};

class RecordAsReceived : public AddDeleteTest, public testing::WithParamInterface<RecordCase> {
 protected:
  void SetUp() override {
    engine.Reset(GetParam().Version, 0);
    component->SetAddOptions({AddOptsEnum::AddRecurseDirs, AddOptsEnum::AddEncrypt, AddOptsEnum::AddMove,
                              AddOptsEnum::AddUpdate, AddOptsEnum::AddHiddenFiles, AddOptsEnum::AddArchiveOnly});
    component->SetAddCompLevel(3);
    component->SetPassword("pw");
    component->SetAddStoreSuffixes({AddStoreSuffix::assZIP});
    component->SetTempDir(folder.Path());
    component->SetRootDir(folder.Path());
    component->SetHowToDelete(DeleteOpts::htdFinal);
    component->SetFSpecArgs({">docs/*.txt<secret", "one.txt"});
    component->SetFSpecArgsExcl({"*.bak"});
  }

  template <typename Record>
  std::vector<ExpectedField> HeaderFields(bool isAdd) const {
    return {
        RECORD_FIELD(Record, Header.OwnerWindow, AddressValue(&windowToken)),
        RECORD_FIELD(Record, Header.Caller, AddressValue(component.get())),
        RECORD_FIELD(Record, Header.RecordVersion, 160u),
        RECORD_FIELD(Record, Header.Callback, AddressValue(reinterpret_cast<const void*>(&EngineCallback))),
        RECORD_FIELD(Record, Header.Password),
        RECORD_FIELD(Record, Header.StoredSuffixes),
        RECORD_FIELD(Record, Header.Encrypt, isAdd ? 1u : 0u),
        RECORD_FIELD(Record, Header.HiddenFiles, 1u),
        RECORD_FIELD(Record, Header.DirectoryEntries, 1u),
        RECORD_FIELD(Record, Header.AlwaysOne, 1u),
        RECORD_FIELD(Record, Header.CompressionLevel, 3u),
        RECORD_FIELD(Record, Header.DropFolderNames, isAdd ? 1u : 0u),
        RECORD_FIELD(Record, Header.Recurse, isAdd ? 1u : 0u),
        RECORD_FIELD(Record, Header.AddCommand, isAdd ? 1u : 0u),
        RECORD_FIELD(Record, Header.Move, isAdd ? 1u : 0u),
        RECORD_FIELD(Record, Header.DeleteCommand, isAdd ? 0u : 1u),
        RECORD_FIELD(Record, Header.Update, isAdd ? 1u : 0u),
        RECORD_FIELD(Record, Header.SpecificationCount, 2u),
        RECORD_FIELD(Record, Header.ArchivePath),
        RECORD_FIELD(Record, EndMarker, 7u),
    };
  }
};

TEST_P(RecordAsReceived, EveryByte) {
  const bool isAdd = GetParam().Kind == ZipCommandKind::Add;
  const std::int32_t version = GetParam().Version;
  isAdd ? component->Add() : component->Delete();

  ASSERT_EQ(ExecCalls(), 1);
  const auto bytes = std::span<const std::byte>(reinterpret_cast<const std::byte*>(engine.Captured().RecordBytes),
                                                engine.Captured().RecordSize);
  if (version < 151) {
    ASSERT_EQ(bytes.size(), sizeof(ZipCommandRecordBelow151));
    std::vector<ExpectedField> fields = HeaderFields<ZipCommandRecordBelow151>(isAdd);
    fields.push_back(RECORD_FIELD(ZipCommandRecordBelow151, SpecificationTexts[0]));
    fields.push_back(RECORD_FIELD(ZipCommandRecordBelow151, SpecificationTexts[1]));
    ExpectRecordBytes(bytes, fields);
    EXPECT_EQ(CapturedSpecification(0), ">docs/*.txt<secret") << "the old layout takes lines as they stand";
  } else {
    ASSERT_EQ(bytes.size(), sizeof(ZipCommandRecord));
    std::vector<ExpectedField> fields = HeaderFields<ZipCommandRecord>(isAdd);
    fields.push_back(RECORD_FIELD(ZipCommandRecord, Specifications));
    fields.push_back(RECORD_FIELD(ZipCommandRecord, TempDir));
    if (version == 160) {
      fields.push_back(RECORD_FIELD(ZipCommandRecord, ArchiveOnly, 1u));
      fields.push_back(RECORD_FIELD(ZipCommandRecord, ExclusionCount, 1u));
      fields.push_back(RECORD_FIELD(ZipCommandRecord, ExclusionTexts));
    }
    ExpectRecordBytes(bytes, fields);
    EXPECT_EQ(CapturedSpecification(0), isAdd ? "docs/*.txt" : ">docs/*.txt<secret");
  }
  EXPECT_EQ(CapturedSpecification(1), "one.txt");
  EXPECT_EQ(engine.CapturedText(engine.Captured().Password), "pw");
  EXPECT_EQ(engine.CapturedText(engine.Captured().ArchivePath), component->ZipFileName());
  EXPECT_TRUE(component->FSpecArgs().empty());
  EXPECT_TRUE(component->FSpecArgsExcl().empty());
  EXPECT_EQ(listings, 0) << "nothing was processed, so nothing is listed";
}

INSTANTIATE_TEST_SUITE_P(Layouts, RecordAsReceived,
                         testing::Values(RecordCase{150, ZipCommandKind::Add}, RecordCase{151, ZipCommandKind::Add},
                                         RecordCase{160, ZipCommandKind::Add},
                                         RecordCase{150, ZipCommandKind::Delete},
                                         RecordCase{151, ZipCommandKind::Delete},
                                         RecordCase{160, ZipCommandKind::Delete}),
                         [](const auto& instance) {
                           return std::string(instance.param.Kind == ZipCommandKind::Add ? "Add" : "Delete") +
                                  std::to_string(instance.param.Version);
                         });

TEST_F(AddDeleteTest, AddFromZipStreamHandsOverTheStreamDateAndAttributes) {
  engine.Reset(160, 1);
  Fill(component->ZipStream(), "memory content");

  component->AddFromZipStream("mem.txt", 0, 0x20);

  ASSERT_EQ(ExecCalls(), 1);
  const auto record = engine.CapturedRecord<ZipCommandRecord>();
  EXPECT_EQ(record.InputFromMemory, 1);
  EXPECT_EQ(record.InputBuffer, component->ZipStream().Memory());
  EXPECT_EQ(record.InputSize, 14u);
  EXPECT_EQ(record.OutputToMemory, 0);
  EXPECT_EQ(record.MemoryEntryAttributes, 0x20u);
  // Date-time 0 means now: within a day of the clock read here.
  const platform::SystemTime now = platform::GetLocalTime();
  const platform::SystemTime stamped = platform::DosDateTimeToSystemTime(record.MemoryEntryDosDateTime);
  EXPECT_EQ(stamped.year, now.year);
  EXPECT_EQ(stamped.month, now.month);
  EXPECT_LE(now.day - stamped.day, 1);
  EXPECT_EQ(CapturedSpecification(0), "mem.txt");
  EXPECT_EQ(listings, 1) << "an entry was added, so the archive is listed again";
}

TEST_F(AddDeleteTest, CompressStreamSizesAndPositionsZipStream) {
  engine.Reset(160, 1);
  const std::string produced = "HEADER" + std::string("compressed");
  engine.SetOutput({reinterpret_cast<const std::uint8_t*>(produced.data()), produced.size()});
  TZipStream source;
  Fill(source, std::string(40, 's'));

  TZipStream* result = component->CompressStream(source);

  ASSERT_EQ(result, &component->ZipStream());
  const auto record = engine.CapturedRecord<ZipCommandRecord>();
  EXPECT_EQ(record.OutputToMemory, 1);
  EXPECT_EQ(record.InputBuffer, source.Memory());
  EXPECT_EQ(record.InputSize, 40u);
  EXPECT_EQ(StreamText(*result), produced);
  EXPECT_EQ(result->Position(), 6u);
}

TEST_F(AddDeleteTest, CompressStreamThatFailsLeavesAnEmptyStream) {
  engine.Reset(160, 0);
  TZipStream source;
  Fill(source, "data");
  EXPECT_EQ(component->CompressStream(source)->Size(), 0u);
}

// ---------------------------------------------------------------------------
// Busy guard, loading policy, clean-up, listing afterwards
// ---------------------------------------------------------------------------

TEST_F(AddDeleteTest, ASecondAddOrDeleteFromAHandlerReturnsAtOnce) {
  engine.Reset(160, 2);
  engine.AddStep(EngineAction::NewFile, 0, 5, "one.txt");
  component->SetFSpecArgs({"*.txt"});
  std::vector<bool> busyInside;
  component->OnProgress = [&](TZipBuilder& sender, ProgressType, const std::string&, std::int32_t) {
    sender.SetFSpecArgs({"x"});
    sender.Add();
    sender.Delete();
    busyInside.push_back(sender.ZipSideBusy());
  };

  component->Add();

  EXPECT_EQ(ExecCalls(), 1);
  EXPECT_EQ(busyInside, std::vector<bool>{true});
  EXPECT_TRUE(reported.empty());
  EXPECT_EQ(component->ProcessedCount(), 2);
  EXPECT_FALSE(component->ZipSideBusy());
  EXPECT_EQ(listings, 1);
}

TEST_F(AddDeleteTest, CancelFromAHandlerStopsTheEngineAndIsClearedAfterwards) {
  engine.Reset(160, 0);
  engine.AddStep(EngineAction::NewFile, 0, 5, "one.txt");
  engine.AddStep(EngineAction::NewFile, 0, 5, "two.txt");
  component->SetFSpecArgs({"*.txt"});
  component->OnProgress = [](TZipBuilder& sender, ProgressType, const std::string&, std::int32_t) {
    sender.SetCancel(true);
  };

  component->Add();

  EXPECT_EQ(engine.Captured().StepsPlayed, 1);
  EXPECT_EQ(engine.Captured().Outcomes[0].Returned, 1);
  EXPECT_FALSE(component->Cancel());
}

TEST_F(AddDeleteTest, AnEngineTheOwnerLoadedStaysLoaded) {
  engine.Reset(160, 1);
  component->LoadZipEngine();
  ASSERT_NE(component->ZipEngineHandle(), nullptr);
  component->SetFSpecArgs({"one.txt"});
  component->Delete();
  component->SetFSpecArgs({"one.txt"});
  component->Add();
  EXPECT_EQ(ExecCalls(), 2);
  EXPECT_NE(component->ZipEngineHandle(), nullptr);
  component->UnloadZipEngine();
}

TEST_F(AddDeleteTest, AFailingHandlerIsReportedAsAnEngineAbort) {
  engine.Reset(160, 1);
  engine.AddStep(EngineAction::NewFile, 0, 5, "one.txt");
  component->SetFSpecArgs({"*.txt"});
  component->OnProgress = [](TZipBuilder&, ProgressType, const std::string&, std::int32_t) {
    throw std::runtime_error("handler failed");
  };

  component->Add();

  EXPECT_EQ(component->ErrCode(), 10101);
  EXPECT_TRUE(component->FSpecArgs().empty());
  EXPECT_FALSE(component->ZipSideBusy());
  EXPECT_EQ(component->ZipEngineHandle(), nullptr);
}

TEST_F(AddDeleteTest, AMissingEngineEndsQuietlyAfterTheLoadersReport) {
  component->SetDLLDirectory(testing_support::TestEngineFolder(TestEngineVariant::NoExec));
  component->SetFSpecArgs({"one.txt"});
  component->Delete();
  EXPECT_EQ(reported, std::vector<int>{10602});
  EXPECT_FALSE(component->ZipSideBusy());
}

TEST_F(AddDeleteTest, DeleteListsAgainOnlyWhenSomethingWasDeleted) {
  engine.Reset(160, 0);
  component->SetFSpecArgs({"nothing*"});
  component->Delete();
  EXPECT_EQ(listings, 0);
  EXPECT_TRUE(component->FSpecArgs().empty());

  engine.Reset(160, 1);
  component->SetFSpecArgs({"one.txt"});
  component->Delete();
  EXPECT_EQ(listings, 1);
  EXPECT_EQ(component->ProcessedCount(), 1);
}

}  // namespace
}  // namespace zipbuilder
