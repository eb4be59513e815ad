// TForm1 driven through a recording view and the headless toolkit: start-up with
// and without the target's folder, Browse, Install and its failures, progress.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "installer/registry_lookup.h"
#include "installer/unit1.h"
#include "platform/files.h"
#include "tests/installer/installer_machine.h"
#include "tests/installer/recording_view.h"
#include "tests/zipbuilder/test_files.h"
#include "zipbuilder/headless_toolkit.h"

namespace installer {
namespace {

using installer_test::InstallerMachine;
using installer_test::ReadWholeFile;
using installer_test::RecordingView;
using zipbuilder::DialogAnswer;
using zipbuilder::MessageBoxButtons;
using zipbuilder::MessageBoxIcon;
using zipbuilder::ProgressType;

const std::string ProgramFolder = "/opt/sorlu/";

class FormLogic : public testing::Test {
 protected:
  // Install makes the location the current folder; the scratch folders go.
  ~FormLogic() override { std::filesystem::current_path(startFolder); }

  void Start() {
    form = std::make_unique<TForm1>(view, toolkit, ProgramFolder + "sorlu-patch");
    view.form = form.get();
  }

  [[nodiscard]] bool PayloadsExist() const {
    return platform::GetFileAttributes(form->UnzDllFileName) != platform::InvalidFileAttributes &&
           platform::GetFileAttributes(form->PatchZipFileName) != platform::InvalidFileAttributes;
  }
  [[nodiscard]] bool PayloadsGone() const { return machine.TempFolderFiles().empty(); }

  std::filesystem::path startFolder = std::filesystem::current_path();
  InstallerMachine machine;
  zipbuilder::HeadlessToolkit toolkit;
  RecordingView view;
  std::unique_ptr<TForm1> form;
};

TEST_F(FormLogic, AFoundTargetFillsTheFormWithoutAWarning) {
  machine.RecordInstallDir("C:\\Games\\Kestrane 2\\");
  Start();
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
  EXPECT_EQ(view.caption, "Installing to Kestrane 2");
  EXPECT_EQ(view.edit1, "C:\\Games\\Kestrane 2\\");
  EXPECT_EQ(view.label1, "Kestrane 2 Location");
  EXPECT_EQ(view.label2, "SORLU update for Kestrane2");
  EXPECT_EQ(form->ExeFolder, ProgramFolder);
  EXPECT_TRUE(PayloadsExist());
  EXPECT_EQ(form->ZipBuilder1.DLLDirectory(), machine.TempFolder());
  EXPECT_TRUE(form->ZipBuilder1.Unattended());
  EXPECT_TRUE(form->ZipBuilder1.ExtrOptions().Contains(zipbuilder::ExtrOptsEnum::ExtrOverWrite));
  EXPECT_TRUE(form->ZipBuilder1.ExtrOptions().Contains(zipbuilder::ExtrOptsEnum::ExtrDirNames));

  form->FormShow();
  EXPECT_EQ(view.closes, 0);
}

TEST_F(FormLogic, AMissingTargetWarnsAndFallsBackToTheProgramFolder) {
  toolkit.QueueMessageBoxAnswer(DialogAnswer::Ok);
  Start();
  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  const zipbuilder::MessageBoxRequest& warning = toolkit.MessageBoxesShown()[0];
  EXPECT_EQ(warning.Text,
            "Unable to find a registry entry for Kestrane 2\n\nYou will need to browse to select the correct "
            "location or Cancel\n\nOnly continue if you are sure you have Kestrane 2 installed\n");
  EXPECT_EQ(warning.Caption, "Installing to Kestrane 2");
  EXPECT_EQ(warning.Buttons, MessageBoxButtons::OkCancel);
  EXPECT_EQ(warning.Icon, MessageBoxIcon::Warning);
  EXPECT_EQ(view.caption, "Installing to Kestrane 2 (NOT FOUND!)");
  EXPECT_EQ(view.edit1, ProgramFolder);
  form->FormShow();
  EXPECT_EQ(view.closes, 0);
}

TEST_F(FormLogic, CancelOnTheWarningClosesOnShowAndRemovesThePayloads) {
  toolkit.QueueMessageBoxAnswer(DialogAnswer::Cancel);
  Start();
  EXPECT_EQ(form->CloseOnShow, 1);
  EXPECT_TRUE(PayloadsExist());
  form->FormShow();
  EXPECT_EQ(view.closes, 1);
  EXPECT_TRUE(PayloadsGone());
}

TEST_F(FormLogic, BrowseProposesTheExecutableAndTakesTheChosenFolder) {
  machine.RecordInstallDir("C:\\Games\\Kestrane 2");
  Start();
  view.chosenFile = "C:\\Elsewhere\\Kestrane\\Brevane2.exe";
  form->browseClick();
  ASSERT_EQ(view.dialogsShown.size(), 1u);
  const TOpenDialog& dialog = view.dialogsShown[0];
  EXPECT_EQ(dialog.FileName, "Brevane2.exe");
  EXPECT_EQ(dialog.InitialDir, "C:\\Games\\Kestrane 2");
  EXPECT_EQ(dialog.Title, "Locate Kestrane 2");
  EXPECT_EQ(dialog.Filter, "Kestrane 2 Program|Brevane2.exe");
  EXPECT_EQ(dialog.DefaultExt, "exe");
  EXPECT_FALSE(dialog.Options.Contains(TOpenOption::ofFileMustExist));
  EXPECT_TRUE(dialog.Options.Contains(TOpenOption::ofPathMustExist));
  EXPECT_TRUE(dialog.Options.Contains(TOpenOption::ofHideReadOnly));
  EXPECT_EQ(view.edit1, "C:\\Elsewhere\\Kestrane\\");

  view.chosenFile.reset();
  form->browseClick();
  EXPECT_EQ(view.edit1, "C:\\Elsewhere\\Kestrane\\");
  EXPECT_EQ(view.dialogsShown.back().InitialDir, "C:\\Elsewhere\\Kestrane\\");
}

class Install : public FormLogic {
 protected:
  Install() {
    machine.RecordInstallDir(machine.InstallFolder());
    Start();
  }
};

TEST_F(Install, ExtractsThePatchCountsItsEntriesReportsCompletionAndCloses) {
  form->Button2Click();

  EXPECT_EQ(ReadWholeFile(machine.InstallFolder() + "/sorlu.dll"), ReadWholeFile(SORLU_STAND_IN_LIBRARY));
  EXPECT_TRUE(view.progressBarVisible);
  EXPECT_EQ(view.progressMaximum, 1);
  EXPECT_EQ(view.progressPosition, 1);
  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  const zipbuilder::MessageBoxRequest& completion = toolkit.MessageBoxesShown()[0];
  EXPECT_EQ(completion.Text, "Installation to Kestrane 2 Completed\n");
  EXPECT_EQ(completion.Caption, "Installing to Kestrane 2");
  EXPECT_EQ(completion.Icon, MessageBoxIcon::Information);
  EXPECT_EQ(completion.Buttons, MessageBoxButtons::Ok);
  EXPECT_EQ(view.closes, 1);
  EXPECT_TRUE(PayloadsGone());
}

TEST_F(Install, ALocationThatIsNoFolderIsRefusedAndNothingIsExtracted) {
  for (const std::string& location : {machine.InstallFolder() + "/missing", std::string()}) {
    view.edit1 = location;
    form->Button2Click();
  }
  machine.scratch.WriteFile("install/a-file", "");
  view.edit1 = machine.InstallFolder() + "/a-file";
  form->Button2Click();

  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 3u);
  for (const zipbuilder::MessageBoxRequest& refusal : toolkit.MessageBoxesShown()) {
    EXPECT_NE(refusal.Text.find("is not an existing folder"), std::string::npos) << refusal.Text;
    EXPECT_EQ(refusal.Icon, MessageBoxIcon::Stop);
    EXPECT_EQ(refusal.Caption, "Installing to Kestrane 2");
  }
  EXPECT_FALSE(view.progressBarVisible);
  EXPECT_EQ(view.closes, 0);
  EXPECT_TRUE(PayloadsExist());
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "sorlu.dll"));
  EXPECT_FALSE(std::filesystem::exists(machine.InstallFolder() + "/missing"));
}

TEST_F(Install, AnEntryThatFailsMakesAFailureBoxWithTheCountAndTheFormStaysOpen) {
  std::string archive = zipbuilder::testing_support::BuildArchive({
      {"sorlu.dll", "the new library", zipbuilder::testing_support::EntryCompression::Stored},
      {"sorlu.txt", "what the patch brings", zipbuilder::testing_support::EntryCompression::Stored},
  });
  // A changed byte in the second entry's data: its CRC-32 no longer matches.
  archive[archive.find("what the patch brings")] = 'W';
  ASSERT_TRUE(platform::DeleteFile(form->PatchZipFileName));
  ASSERT_EQ(CreatePayload(form->PatchZipFileName,
                          std::span(reinterpret_cast<const std::uint8_t*>(archive.data()), archive.size())),
            PayloadWrite::Written);

  form->Button2Click();

  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  const zipbuilder::MessageBoxRequest& failure = toolkit.MessageBoxesShown()[0];
  EXPECT_EQ(failure.Icon, MessageBoxIcon::Stop);
  EXPECT_NE(failure.Text.find("Installation to Kestrane 2 failed"), std::string::npos) << failure.Text;
  EXPECT_NE(failure.Text.find("Files written: 1 of 2"), std::string::npos) << failure.Text;
  EXPECT_EQ(view.closes, 0);
  EXPECT_TRUE(PayloadsExist());
}

TEST_F(Install, WithoutTheEngineItReportsTheFailureAndStaysOpen) {
  ASSERT_TRUE(platform::DeleteFile(form->UnzDllFileName));
  form->Button2Click();

  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  const zipbuilder::MessageBoxRequest& failure = toolkit.MessageBoxesShown()[0];
  EXPECT_EQ(failure.Icon, MessageBoxIcon::Stop);
  EXPECT_EQ(failure.Caption, "Installing to Kestrane 2");
  EXPECT_NE(failure.Text.find(form->ZipBuilder1.LastMessage()), std::string::npos);
  EXPECT_FALSE(form->ZipBuilder1.LastMessage().empty());
  EXPECT_NE(failure.Text.find("Files written: 0 of 1"), std::string::npos) << failure.Text;
  EXPECT_EQ(view.closes, 0);
  EXPECT_FALSE(std::filesystem::exists(machine.InstallFolder() + "/sorlu.dll"));

  form->cancelClick();
  EXPECT_EQ(view.closes, 1);
  EXPECT_TRUE(PayloadsGone());
}

TEST_F(Install, CancelDuringTheExtractionStopsItAndClosesWithoutACompletionBox) {
  toolkit.SetPendingMessageHandler([this] { form->cancelClick(); });
  form->Button2Click();
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
  EXPECT_EQ(view.closes, 1);
  EXPECT_TRUE(PayloadsGone());
}

class Progress : public FormLogic {
 protected:
  Progress() {
    machine.RecordInstallDir("C:\\Games");
    Start();
  }
  void Report(ProgressType type, std::int32_t size = 0) { form->ZipBuilder1Progress(form->ZipBuilder1, type, "", size); }
};

TEST_F(Progress, MoreThan65535EntriesWrapTheSixteenBitBar) {
  Report(ProgressType::pgFileCount, 70'000);
  EXPECT_EQ(view.progressMaximum, 70'000 - 65'536);
  EXPECT_EQ(view.progressPosition, 0);
  for (int entry = 0; entry < 70'000; ++entry) {
    Report(ProgressType::pgNewFile);
    Report(ProgressType::pgBytesDone, 10);
  }
  Report(ProgressType::pgBatchEnd);
  EXPECT_EQ(form->ProgressCount, 70'000);
  EXPECT_EQ(view.progressMaximum, 70'000 - 65'536);
  EXPECT_EQ(view.progressPosition, 70'000 - 65'536);
}

TEST_F(Progress, AnEmptyBatchLeavesMaximumAndPositionAtZero) {
  Report(ProgressType::pgNewFile);
  Report(ProgressType::pgFileCount, 0);
  Report(ProgressType::pgTotalSize, 0);
  Report(ProgressType::pgBatchEnd);
  EXPECT_EQ(view.progressMaximum, 0);
  EXPECT_EQ(view.progressPosition, 0);
}

}  // namespace
}  // namespace installer
