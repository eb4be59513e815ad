// Extraction runs against the scripted test engine: what the engine is handed,
// when it is not called at all, and how every run ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/zipbuilder/test_access.h"
#include "tests/zipbuilder/test_engine_client.h"
#include "tests/zipbuilder/test_files.h"
#include "zipbuilder/engine_callback.h"
#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

using engines::EngineAction;
using engines::UnzipCommandRecord;
using engines::UnzipCommandRecordBelow152;
using testing_support::ArchiveEntry;
using testing_support::BuildArchive;
using testing_support::ScratchFolder;
using testing_support::TestEngine;
using testing_support::TestEngineVariant;

std::span<const std::uint8_t> BytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string StreamText(const TZipStream& stream) {
  return {reinterpret_cast<const char*>(stream.Memory()), stream.Size()};
}

class ExtractionTest : public testing::Test {
 protected:
  ExtractionTest() : ExtractionTest(TestEngineVariant::Full) {}

  explicit ExtractionTest(TestEngineVariant variant) : engine(variant, EngineKind::Unzip) {
    toolkit.SetApplicationWindow(&windowToken);
    component = std::make_unique<TZipBuilder>(toolkit);
    component->SetUnattended(true);
    component->SetDLLDirectory(engine.Folder());
    component->OnMessage = [this](TZipBuilder& sender, int /*errCode*/, const std::string& /*message*/) {
      reported.push_back(sender.ErrCode());
    };
    folder.WriteFile("patch.zip", BuildArchive({{"Readme.TXT", "hello"}, {"docs/Guide.txt", "guide"}}));
    UseArchive(folder.PathOf("patch.zip"));
  }

  // Names the archive without listing it and sets up the directory by hand, so
  // that the runs here do not depend on the directory reader.
  void UseArchive(const std::string& path) {
    component->SetMode(ComponentMode::Designing);
    component->SetZipFileName(path);
    component->SetMode(ComponentMode::Running);
  }

  void AddEntry(const std::string& name, std::uint32_t uncompressedSize) {
    auto entry = std::make_unique<ZipDirEntry>();
    entry->FileName = name;
    entry->UncompressedSize = uncompressedSize;
    TZipBuilderTestAccess::AddEntry(*component, std::move(entry));
  }

  [[nodiscard]] UnzipCommandRecord Record() const { return engine.CapturedRecord<UnzipCommandRecord>(); }
  [[nodiscard]] int ExecCalls() const { return engine.Captured().ExecCalls; }
  [[nodiscard]] std::string CapturedBaseFolder() const { return engine.CapturedText(engine.Captured().BaseFolder); }

  HeadlessToolkit toolkit;
  int windowToken = 0;
  TestEngine engine;
  ScratchFolder folder;
  std::unique_ptr<TZipBuilder> component;
  std::vector<int> reported;
};

// ---------------------------------------------------------------------------
// What the engine is handed
// ---------------------------------------------------------------------------

TEST_F(ExtractionTest, ExtractHandsTheEngineTheComponentsSettings) {
  engine.Reset(160, 3);
  component->SetUnattended(false);
  component->SetPassword("pw");
  component->SetPasswordReqCount(4);
  component->SetExtrOptions({ExtrOptsEnum::ExtrDirNames, ExtrOptsEnum::ExtrOverWrite});
  component->SetFSpecArgs({"Readme.TXT", "docs/*.txt"});
  component->SetExtrBaseDir(folder.Path());

  component->Extract();

  ASSERT_EQ(ExecCalls(), 1);
  const UnzipCommandRecord record = Record();
  EXPECT_EQ(engine.Captured().RecordSize, sizeof(UnzipCommandRecord));
  EXPECT_EQ(record.Header.OwnerWindow, &windowToken);
  EXPECT_EQ(record.Header.Caller, component.get());
  EXPECT_EQ(record.Header.Callback, &EngineCallback);
  EXPECT_EQ(record.Header.DirectoryNames, 1);
  EXPECT_EQ(record.Header.Overwrite, 1);
  EXPECT_EQ(record.SpecificationCount, 2);
  EXPECT_EQ(record.PasswordReqCount, 4u);
  EXPECT_EQ(record.OutputToMemory, 0);
  EXPECT_EQ(record.InputFromMemory, 0);
  EXPECT_EQ(record.EndMarker, 7u);
  EXPECT_EQ(engine.CapturedText(engine.Captured().Password), "pw");
  EXPECT_EQ(engine.CapturedText(engine.Captured().ArchivePath), component->ZipFileName());
  EXPECT_EQ(engine.CapturedText(engine.Captured().Specifications[0]), "Readme.TXT");
  EXPECT_EQ(engine.CapturedText(engine.Captured().Specifications[1]), "docs/*.txt");
  EXPECT_EQ(CapturedBaseFolder(), folder.Path());

  EXPECT_EQ(component->ProcessedCount(), 3);
  EXPECT_TRUE(component->FSpecArgs().empty());
  EXPECT_EQ(component->UnzipEngineHandle(), nullptr);
  EXPECT_FALSE(component->UnzipSideBusy());
  EXPECT_EQ(component->ErrCode(), 0);
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
}

TEST_F(ExtractionTest, AnExtractionLeavesTheExclusionsOfTheZipSideAlone) {
  engine.Reset(160, 1);
  component->SetPassword("pw");
  component->SetFSpecArgs({"Readme.TXT"});
  component->SetFSpecArgsExcl({"*.bak"});

  component->Extract();

  ASSERT_EQ(ExecCalls(), 1);
  EXPECT_TRUE(component->FSpecArgs().empty());
  EXPECT_EQ(component->FSpecArgsExcl(), StringList{"*.bak"});
}

TEST_F(ExtractionTest, AnEngineBelow152GetsTheLegacyRecord) {
  engine.Reset(151, 1);
  component->SetFSpecArgs({"Readme.TXT"});

  component->Extract();

  ASSERT_EQ(ExecCalls(), 1);
  EXPECT_EQ(engine.Captured().RecordSize, sizeof(UnzipCommandRecordBelow152));
  const auto record = engine.CapturedRecord<UnzipCommandRecordBelow152>();
  EXPECT_EQ(record.SpecificationCount, 1);
  EXPECT_EQ(record.EndMarker, 7u);
  EXPECT_EQ(engine.CapturedText(engine.Captured().Specifications[0]), "Readme.TXT");
  EXPECT_EQ(component->ProcessedCount(), 1);
}

struct BaseFolderCase {
  const char* Name;
  const char* ExtrBaseDir;  // relative to the scratch folder; null: empty
  bool ExpectExtrBaseDir;
};

class ExtractionBaseFolder : public ExtractionTest, public testing::WithParamInterface<BaseFolderCase> {};

TEST_P(ExtractionBaseFolder, IsAnExistingExtrBaseDirElseTheCurrentFolder) {
  folder.CreateFolder("target");
  const std::string baseDir = GetParam().ExtrBaseDir ? folder.PathOf(GetParam().ExtrBaseDir) : std::string();
  component->SetExtrBaseDir(baseDir);

  component->Extract();

  ASSERT_EQ(ExecCalls(), 1);
  EXPECT_EQ(CapturedBaseFolder(), GetParam().ExpectExtrBaseDir ? baseDir : platform::GetCurrentDirectory());
}

INSTANTIATE_TEST_SUITE_P(Cases, ExtractionBaseFolder,
                         testing::Values(BaseFolderCase{"ExistingFolder", "target", true},
                                         BaseFolderCase{"MissingFolder", "no-such-folder", false},
                                         BaseFolderCase{"AFileIsNoFolder", "patch.zip", false},
                                         BaseFolderCase{"Empty", nullptr, false}),
                         [](const auto& instance) { return std::string(instance.param.Name); });

// ---------------------------------------------------------------------------
// Preconditions and refusals
// ---------------------------------------------------------------------------

TEST_F(ExtractionTest, AMissingArchiveIsReportedAndNothingIsLoaded) {
  UseArchive(folder.PathOf("absent.zip"));
  component->SetFSpecArgs({"kept"});

  component->Extract();
  EXPECT_EQ(reported, std::vector<int>{10102});
  EXPECT_EQ(component->ExtractEntryToMemory("Readme.TXT"), nullptr);
  EXPECT_EQ(reported, (std::vector<int>{10102, 10102}));

  EXPECT_EQ(ExecCalls(), 0);
  EXPECT_EQ(component->LastMessage(), "Error - no zip file specified!");
  EXPECT_EQ(component->FSpecArgs(), StringList{"Readme.TXT"}) << "a run that ends this early keeps FSpecArgs";
}

TEST_F(ExtractionTest, MemoryModesNeedVersion160) {
  engine.Reset(159, 1);
  AddEntry("Readme.TXT", 5);
  TZipStream source;
  ASSERT_TRUE(source.SetSize(4));

  EXPECT_EQ(component->ExtractEntryToMemory("Readme.TXT"), nullptr);
  EXPECT_EQ(component->ErrCode(), 10503);
  EXPECT_EQ(component->ExtractMemoryToMemory(source, 5), nullptr);
  EXPECT_EQ(component->ErrCode(), 10503);

  EXPECT_EQ(ExecCalls(), 0);
  EXPECT_EQ(component->UnzipEngineHandle(), nullptr);
}

TEST_F(ExtractionTest, ASpannedArchiveIsRefusedUntilReadSpanExists) {
  TZipBuilderTestAccess::Directory(*component).LastDiskNumber = 2;

  component->Extract();

  EXPECT_EQ(ExecCalls(), 0);
  EXPECT_EQ(component->ErrCode(), 11024);
  EXPECT_NE(component->LastMessage().find("spanned"), std::string::npos) << component->LastMessage();
  EXPECT_EQ(component->UnzipEngineHandle(), nullptr);
}

TEST_F(ExtractionTest, ASecondExtractionFromAHandlerReturnsAtOnce) {
  engine.Reset(160, 2);
  engine.AddStep(EngineAction::Message, 0x105, 0, "an engine message");
  engine.AddStep(EngineAction::NewFile, 0, 5, "Readme.TXT");
  component->SetPassword("pw");  // keeps the unattended warning away
  struct Inner {
    bool Busy;
    int ErrCode;
    std::string LastMessage;
  };
  std::vector<Inner> inner;
  component->OnProgress = [&](TZipBuilder& sender, ProgressType, const std::string&, std::int32_t) {
    sender.Extract();
    inner.push_back({sender.UnzipSideBusy(), sender.ErrCode(), sender.LastMessage()});
  };

  component->Extract();

  EXPECT_EQ(ExecCalls(), 1);
  ASSERT_EQ(inner.size(), 1u);
  EXPECT_TRUE(inner[0].Busy);
  EXPECT_EQ(inner[0].ErrCode, 0);
  EXPECT_EQ(inner[0].LastMessage, "");
  EXPECT_EQ(component->ProcessedCount(), 2);
  EXPECT_FALSE(component->UnzipSideBusy());
}

// ---------------------------------------------------------------------------
// Unattended without a password, Cancel, loading policy, failures
// ---------------------------------------------------------------------------

TEST_F(ExtractionTest, UnattendedWithoutPasswordAsksTheEngineForNoRequests) {
  engine.Reset(160, 1);
  engine.AddStep(EngineAction::FileCount, 0, 1);
  component->SetPasswordReqCount(5);
  std::vector<std::uint32_t> countsDuringRun;
  component->OnProgress = [&](TZipBuilder& sender, ProgressType, const std::string&, std::int32_t) {
    countsDuringRun.push_back(sender.PasswordReqCount());
  };

  component->Extract();

  EXPECT_EQ(reported, std::vector<int>{10502});
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
  EXPECT_EQ(Record().PasswordReqCount, 0u);
  EXPECT_EQ(countsDuringRun, std::vector<std::uint32_t>{0});
  EXPECT_EQ(component->PasswordReqCount(), 5u);
  EXPECT_EQ(component->ErrCode(), 10502);
  EXPECT_EQ(component->ProcessedCount(), 1);
}

TEST_F(ExtractionTest, APasswordOrAHandlerKeepsPasswordReqCount) {
  component->SetPasswordReqCount(5);
  component->SetPassword("pw");
  component->Extract();
  EXPECT_EQ(Record().PasswordReqCount, 5u);

  component->SetPassword("");
  component->OnPasswordError = [](TZipBuilder&, bool, std::string&, const std::string&, std::uint32_t&,
                                  TPasswordButton&) {};
  component->Extract();
  EXPECT_EQ(Record().PasswordReqCount, 5u);
  EXPECT_TRUE(reported.empty());
}

TEST_F(ExtractionTest, PasswordReqCountComesBackWhenTheEngineCannotBeLoaded) {
  folder.WriteFile("broken/UNZDLL.DLL", "no library");
  component->SetDLLDirectory(folder.PathOf("broken"));
  component->SetPasswordReqCount(6);

  component->Extract();

  EXPECT_EQ(reported, (std::vector<int>{10502, 10704}));
  EXPECT_EQ(component->PasswordReqCount(), 6u);
}

TEST_F(ExtractionTest, CancelIsClearedAtTheStartAndAtTheEnd) {
  engine.Reset(160, 0);
  engine.AddStep(EngineAction::FileCount, 0, 2);
  engine.AddStep(EngineAction::NewFile, 0, 5, "Readme.TXT");
  engine.AddStep(EngineAction::NewFile, 0, 5, "docs/Guide.txt");
  component->OnProgress = [](TZipBuilder& sender, ProgressType type, const std::string&, std::int32_t) {
    if (type == ProgressType::pgNewFile) {
      sender.SetCancel(true);
    }
  };
  component->SetCancel(true);

  component->Extract();

  const test_engine::Capture& captured = engine.Captured();
  ASSERT_EQ(captured.StepsPlayed, 2) << "the engine stops at the first answer 1";
  EXPECT_EQ(captured.Outcomes[0].Returned, 0);
  EXPECT_EQ(captured.Outcomes[1].Returned, 1);
  EXPECT_FALSE(component->Cancel());
}

TEST_F(ExtractionTest, AnEngineLoadedBeforeTheRunStaysLoaded) {
  component->LoadUnzipEngine();
  component->Extract();
  component->Extract();
  EXPECT_EQ(ExecCalls(), 2);
  EXPECT_EQ(component->UnzipEngineHandle(), engine.Handle());
  component->UnloadUnzipEngine();
}

TEST_F(ExtractionTest, EachRunLoadsAndUnloadsAnEngineThatWasNotLoaded) {
  std::vector<platform::LibraryHandle> handlesDuringRuns;
  engine.AddStep(EngineAction::BatchEnd);
  component->OnProgress = [&](TZipBuilder& sender, ProgressType, const std::string&, std::int32_t) {
    handlesDuringRuns.push_back(sender.UnzipEngineHandle());
  };
  component->SetTrace(true);

  component->Extract();
  EXPECT_EQ(component->UnzipEngineHandle(), nullptr);
  component->Extract();
  EXPECT_EQ(component->UnzipEngineHandle(), nullptr);

  EXPECT_EQ(handlesDuringRuns, (std::vector<platform::LibraryHandle>{engine.Handle(), engine.Handle()}));
  EXPECT_EQ(std::count(reported.begin(), reported.end(), 10701), 2);
}

TEST_F(ExtractionTest, AFailingHandlerIsReportedAsAnEngineAbortAndTheRunEndsCleanly) {
  engine.Reset(160, 1);
  engine.AddStep(EngineAction::NewFile, 0, 5, "Readme.TXT");
  engine.AddStep(EngineAction::BatchEnd);
  component->SetPassword("pw");
  component->SetFSpecArgs({"Readme.TXT"});
  component->OnProgress = [](TZipBuilder&, ProgressType, const std::string&, std::int32_t) {
    throw std::runtime_error("handler failed");
  };

  component->Extract();

  EXPECT_EQ(engine.Captured().StepsPlayed, 1) << "the failing callback stopped the engine";
  EXPECT_EQ(reported, std::vector<int>{10501});
  EXPECT_EQ(component->LastMessage(), "Fatal Error in UnzDLL.DLL: abort exception");
  EXPECT_TRUE(component->FSpecArgs().empty());
  EXPECT_FALSE(component->UnzipSideBusy());
  EXPECT_EQ(component->UnzipEngineHandle(), nullptr);
}

TEST_F(ExtractionTest, AHandlerThatFailedInOneRunDoesNotFailALaterRunThatCallsNoEngine) {
  engine.Reset(160, 1);
  engine.AddStep(EngineAction::NewFile, 0, 5, "Readme.TXT");
  component->SetPassword("pw");
  component->SetFSpecArgs({"Readme.TXT"});
  component->OnProgress = [](TZipBuilder&, ProgressType, const std::string&, std::int32_t) {
    throw std::runtime_error("handler failed");
  };
  component->Extract();
  ASSERT_EQ(reported, std::vector<int>{10501});
  reported.clear();
  AddEntry("Readme.TXT", 5);

  EXPECT_EQ(component->ExtractEntryToMemory("no-such-entry"), nullptr);

  EXPECT_EQ(ExecCalls(), 1) << "only the first run called the engine";
  EXPECT_EQ(reported, std::vector<int>{});
  EXPECT_EQ(component->ErrCode(), 0);
}

TEST_F(ExtractionTest, CallbacksCrossTheLibraryBoundaryAndComeBackAnswered) {
  engine.Reset(160, 1);
  engine.AddStep(EngineAction::FileCount, 0, 1);
  engine.AddStep(EngineAction::TotalSize, 0, 5);
  engine.AddStep(EngineAction::NewFile, 0, 5, "docs/Guide.txt");
  engine.AddStep(EngineAction::BytesDone, 0, 5);
  engine.AddStep(EngineAction::CrcError, 1, 2, "docs/Guide.txt");
  engine.AddStep(EngineAction::OutputMemoryRequest, 0, 16);
  engine.AddStep(EngineAction::BatchEnd);
  std::vector<std::pair<ProgressType, std::int32_t>> progress;
  component->OnProgress = [&](TZipBuilder&, ProgressType type, const std::string&, std::int32_t size) {
    progress.emplace_back(type, size);
  };

  component->Extract();

  const test_engine::Capture& captured = engine.Captured();
  ASSERT_EQ(captured.StepsPlayed, 7);
  EXPECT_EQ(captured.Outcomes[4].Value1, 2) << "CRC error without a handler";
  EXPECT_EQ(captured.Outcomes[5].Value2, reinterpret_cast<std::intptr_t>(component->ZipStream().Memory()));
  EXPECT_EQ(component->ZipStream().Size(), 16u);
  EXPECT_EQ(progress, (std::vector<std::pair<ProgressType, std::int32_t>>{{ProgressType::pgFileCount, 1},
                                                                          {ProgressType::pgTotalSize, 5},
                                                                          {ProgressType::pgNewFile, 5},
                                                                          {ProgressType::pgBytesDone, 5},
                                                                          {ProgressType::pgBatchEnd, 0}}));
  EXPECT_EQ(component->BatchTotalSize(), 5);
  EXPECT_EQ(toolkit.PendingMessageCalls(), 7u);
}

// ---------------------------------------------------------------------------
// ExtractEntryToMemory and ExtractMemoryToMemory
// ---------------------------------------------------------------------------

TEST_F(ExtractionTest, EntryToMemoryMatchesTheNameIgnoringCase) {
  engine.Reset(160, 1);
  engine.SetOutput(BytesOf("guide"));
  AddEntry("Readme.TXT", 5);
  AddEntry("docs\\Guide.txt", 5);
  folder.CreateFolder("target");
  component->SetExtrBaseDir(folder.PathOf("target"));

  TZipStream* result = component->ExtractEntryToMemory("DOCS\\guide.TXT");

  ASSERT_EQ(result, &component->ZipStream());
  EXPECT_EQ(StreamText(*result), "guide");
  const UnzipCommandRecord record = Record();
  EXPECT_EQ(record.OutputToMemory, 1);
  EXPECT_EQ(record.OutputSize, 5u);
  EXPECT_EQ(record.SpecificationCount, 1);
  EXPECT_EQ(engine.CapturedText(engine.Captured().Specifications[0]), "DOCS\\guide.TXT");
  EXPECT_EQ(CapturedBaseFolder(), platform::GetCurrentDirectory()) << "ExtrBaseDir is for extraction to disk";
  EXPECT_TRUE(component->FSpecArgs().empty());
}

TEST_F(ExtractionTest, EntryToMemoryWithoutAMatchingEntryDoesNotCallTheEngine) {
  AddEntry("Readme.TXT", 5);
  ASSERT_TRUE(component->ZipStream().SetSize(3));

  EXPECT_EQ(component->ExtractEntryToMemory("Readme.txt.bak"), nullptr);

  EXPECT_EQ(ExecCalls(), 0);
  EXPECT_EQ(component->ZipStream().Size(), 0u);
  EXPECT_TRUE(component->FSpecArgs().empty());
  EXPECT_EQ(component->ErrCode(), 10502) << "only the unattended warning";
}

TEST_F(ExtractionTest, EntryToMemoryWithAnEmptyNameUsesTheFirstLineOfFSpecArgs) {
  engine.Reset(160, 1);
  AddEntry("Readme.TXT", 5);
  component->SetFSpecArgs({"readme.txt", "other"});

  EXPECT_NE(component->ExtractEntryToMemory(""), nullptr);

  EXPECT_EQ(Record().SpecificationCount, 1);
  EXPECT_EQ(engine.CapturedText(engine.Captured().Specifications[0]), "readme.txt");
}

TEST_F(ExtractionTest, EntryToMemoryEmptiesZipStreamWhenTheEngineDidNotExtractExactlyOne) {
  engine.Reset(160, 0);
  engine.SetOutput(BytesOf("hello"));
  AddEntry("Readme.TXT", 5);

  EXPECT_EQ(component->ExtractEntryToMemory("Readme.TXT"), nullptr);
  EXPECT_EQ(component->ZipStream().Size(), 0u);
}

TEST_F(ExtractionTest, MemoryToMemoryHandsOverBothStreams) {
  engine.Reset(160, 1);
  engine.SetOutput(BytesOf("inflated"));
  UseArchive("");
  TZipStream source;
  ASSERT_EQ(source.Write(BytesOf("compressed bytes")), 16u);

  TZipStream* result = component->ExtractMemoryToMemory(source, 8);

  ASSERT_EQ(result, &component->ZipStream());
  EXPECT_EQ(StreamText(*result), "inflated");
  const UnzipCommandRecord record = Record();
  EXPECT_EQ(record.InputFromMemory, 1);
  EXPECT_EQ(record.InputBuffer, source.Memory());
  EXPECT_EQ(record.InputSize, 16u);
  EXPECT_EQ(record.OutputToMemory, 1);
  EXPECT_EQ(record.OutputSize, 8u);
}

TEST_F(ExtractionTest, MemoryToMemoryRefusesZipStreamAsItsSource) {
  EXPECT_EQ(component->ExtractMemoryToMemory(component->ZipStream(), 8), nullptr);
  EXPECT_EQ(reported, std::vector<int>{10306});
  EXPECT_EQ(ExecCalls(), 0);
}

// ---------------------------------------------------------------------------
// Engines lacking entry points
// ---------------------------------------------------------------------------

class ExtractionWithoutPrivateVersion : public ExtractionTest {
 protected:
  ExtractionWithoutPrivateVersion() : ExtractionTest(TestEngineVariant::NoPrivateVersion) {}
};

TEST_F(ExtractionWithoutPrivateVersion, ReportsTheMissingEntryAndExtractsAllTheSame) {
  engine.Reset(160, 2);

  component->Extract();

  EXPECT_EQ(reported, (std::vector<int>{10502, 10703}));
  EXPECT_EQ(ExecCalls(), 1);
  EXPECT_EQ(component->ProcessedCount(), 2);
  EXPECT_EQ(component->ErrCode(), 10703);
}

class ExtractionWithoutExec : public ExtractionTest {
 protected:
  ExtractionWithoutExec() : ExtractionTest(TestEngineVariant::NoExec) {}
};

TEST_F(ExtractionWithoutExec, ReportsTheMissingEntryAndEndsQuietly) {
  component->SetFSpecArgs({"Readme.TXT"});

  component->Extract();

  EXPECT_EQ(reported, (std::vector<int>{10502, 10702}));
  EXPECT_EQ(component->ProcessedCount(), 0);
  EXPECT_EQ(component->UnzipEngineHandle(), nullptr);
  EXPECT_FALSE(component->UnzipSideBusy());
}

}  // namespace
}  // namespace zipbuilder
