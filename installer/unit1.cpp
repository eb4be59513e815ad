#include "installer/unit1.h"

#include "installer/registry_lookup.h"
#include "platform/files.h"

namespace installer {

namespace {

using zipbuilder::AddStoreSuffix;
using zipbuilder::DialogAnswer;
using zipbuilder::MessageBoxButtons;
using zipbuilder::MessageBoxIcon;
using zipbuilder::MessageBoxRequest;

[[nodiscard]] const KnownTarget& Target() { return KnownTargets[TargetIndex]; }

[[nodiscard]] std::string DisplayName() { return std::string(Target().DisplayName); }

// The folder part of a file name, with its trailing separator ("\" or, for a
// POSIX path, "/"); empty for a bare name.
[[nodiscard]] std::string FolderPartOf(const std::string& fileName) {
  const std::size_t separator = fileName.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : fileName.substr(0, separator + 1);
}

[[nodiscard]] bool IsExistingFolder(const std::string& location) {
  if (location.empty()) {
    return false;
  }
  const std::uint32_t attributes = platform::GetFileAttributes(location);
  return attributes != platform::InvalidFileAttributes &&
         (attributes & platform::file_attribute::Directory) != 0;
}

}  // namespace

TForm1::TForm1(FormView& view, zipbuilder::Toolkit& toolkit, const std::string& programPath)
    : ZipBuilder1(toolkit), view_(view), toolkit_(toolkit) {
  ApplyDesignTimeValues();
  ExeFolder = FolderPartOf(programPath);
  ZipBuilder1.SetDLLDirectory(TempFolder1.Path);
  PayloadFiles payloads = DeployPayloads(TempFolder1, EngineImage, PatchImage);
  UnzDllFileName = std::move(payloads.UnzDllFileName);
  PatchZipFileName = std::move(payloads.PatchZipFileName);
  view_.SetLabel1Text(DisplayName() + " Location");
  ReadAllTargetFolders();
  view_.SetCaption("Installing to " + DisplayName());
  const std::string& foundFolder = TargetFolders[TargetIndex];
  view_.SetEdit1Text(foundFolder);
  if (foundFolder.empty()) {
    WarnTargetNotFound();
  }
  view_.SetLabel2Text("SORLU update for Kestrane2");
}

TForm1::~TForm1() = default;

void TForm1::ApplyDesignTimeValues() {
  ZipBuilder1.SetName("ZipBuilder1");
  ZipBuilder1.SetExtrOptions({zipbuilder::ExtrOptsEnum::ExtrDirNames, zipbuilder::ExtrOptsEnum::ExtrOverWrite});
  ZipBuilder1.SetSFXOptions({zipbuilder::SFXOptsEnum::SFXCheckSize});
  ZipBuilder1.SetSFXCaption("Self-extracting Archive");
  ZipBuilder1.SetUnattended(true);
  ZipBuilder1.SetVersionInfo("1.60 ");
  ZipBuilder1.SetAddStoreSuffixes({AddStoreSuffix::assGIF, AddStoreSuffix::assPNG, AddStoreSuffix::assZ,
                                   AddStoreSuffix::assZIP, AddStoreSuffix::assZOO, AddStoreSuffix::assARC,
                                   AddStoreSuffix::assLZH, AddStoreSuffix::assARJ, AddStoreSuffix::assTAZ,
                                   AddStoreSuffix::assTGZ, AddStoreSuffix::assLHA, AddStoreSuffix::assRAR,
                                   AddStoreSuffix::assACE, AddStoreSuffix::assCAB, AddStoreSuffix::assGZ,
                                   AddStoreSuffix::assGZIP, AddStoreSuffix::assJAR});
  ZipBuilder1.OnProgress = [this](zipbuilder::TZipBuilder& sender, zipbuilder::ProgressType type,
                                  const std::string& fileName, std::int32_t fileSize) {
    ZipBuilder1Progress(sender, type, fileName, fileSize);
  };
}

void TForm1::WarnTargetNotFound() {
  const std::string name = DisplayName();
  MessageBoxRequest warning;
  warning.Text = "Unable to find a registry entry for " + name +
                 "\n\nYou will need to browse to select the correct location or Cancel\n\nOnly continue if you are "
                 "sure you have " +
                 name + " installed\n";
  warning.Caption = view_.Caption();
  warning.Buttons = MessageBoxButtons::OkCancel;
  warning.Icon = MessageBoxIcon::Warning;
  if (toolkit_.ShowMessageBox(warning) == DialogAnswer::Cancel) {
    CloseOnShow = 1;
  }
  view_.SetCaption(view_.Caption() + " (NOT FOUND!)");
  view_.SetEdit1Text(ExeFolder);
}

void TForm1::FormShow() {
  if (CloseOnShow != 0) {
    view_.Close();
  }
}

void TForm1::browseClick() {
  if (installing_) {
    return;
  }
  load.FileName = std::string(Target().ExeName);
  load.InitialDir = view_.Edit1Text();
  load.Options.Exclude(TOpenOption::ofFileMustExist);
  load.Title = "Locate " + DisplayName();
  load.Filter = DisplayName() + " Program|" + std::string(Target().ExeName);
  if (view_.ExecuteOpenDialog(load) == DialogOutcome::Confirmed) {
    view_.SetEdit1Text(FolderPartOf(load.FileName));
  }
}

void TForm1::cancelClick() {
  if (!FormCloseQuery()) {
    return;
  }
  view_.Close();
}

bool TForm1::FormCloseQuery() {
  if (!installing_) {
    return true;
  }
  closeRequested_ = true;
  ZipBuilder1.SetCancel(true);
  return false;
}

void TForm1::FormClose() { RemovePayloads({UnzDllFileName, PatchZipFileName}); }

void TForm1::Button2Click() {
  if (installing_) {
    return;
  }
  const std::string location = view_.Edit1Text();
  if (!IsExistingFolder(location)) {
    ShowInstallFailure("The location \"" + location + "\" is not an existing folder.\n\nBrowse to select the folder "
                       "where " + DisplayName() + " is installed, or Cancel\n");
    return;
  }
  ZipBuilder1.SetZipFileName(PatchZipFileName);
  const std::size_t entriesListed = ZipBuilder1.ZipFileName().empty() ? 0 : ZipBuilder1.DirEntries().size();
  ZipBuilder1.SetExtrBaseDir(location);
  static_cast<void>(platform::SetCurrentDirectory(location));
  view_.ShowProgressBar();
  installing_ = true;
  ZipBuilder1.Extract();
  installing_ = false;
  if (closeRequested_) {
    view_.Close();
    return;
  }
  if (!EveryEntryExtracted(entriesListed)) {
    ReportShortfall(entriesListed);
    return;
  }
  ReportCompletion();
  view_.Close();
}

void TForm1::ReportShortfall(std::size_t entriesListed) {
  const std::string reason =
      ZipBuilder1.LastMessage().empty() ? "The patch archive could not be read." : ZipBuilder1.LastMessage();
  ShowInstallFailure("Installation to " + DisplayName() + " failed\n\n" + reason + "\n\nFiles written: " +
                     std::to_string(ZipBuilder1.ProcessedCount()) + " of " + std::to_string(entriesListed) + "\n");
}

void TForm1::ReportCompletion() {
  MessageBoxRequest completion;
  completion.Text = "Installation to " + DisplayName() + " Completed\n";
  completion.Caption = view_.Caption();
  completion.Icon = MessageBoxIcon::Information;
  static_cast<void>(toolkit_.ShowMessageBox(completion));
}

bool TForm1::EveryEntryExtracted(std::size_t entriesListed) const {
  return entriesListed > 0 && ZipBuilder1.ProcessedCount() >= 0 &&
         static_cast<std::size_t>(ZipBuilder1.ProcessedCount()) >= entriesListed;
}

void TForm1::ShowInstallFailure(const std::string& text) {
  MessageBoxRequest failure;
  failure.Text = text;
  failure.Caption = view_.Caption();
  failure.Icon = MessageBoxIcon::Stop;
  static_cast<void>(toolkit_.ShowMessageBox(failure));
}

void TForm1::ZipBuilder1Progress(zipbuilder::TZipBuilder& /*Sender*/, zipbuilder::ProgressType ProgrType,
                                 const std::string& /*FileName*/, std::int32_t FileSize) {
  switch (ProgrType) {
    case zipbuilder::ProgressType::pgFileCount:
      ProgressCount = 0;
      view_.SetProgressMaximum(static_cast<std::uint16_t>(FileSize & 0xFFFF));
      break;
    case zipbuilder::ProgressType::pgNewFile:
      ++ProgressCount;
      break;
    case zipbuilder::ProgressType::pgBatchEnd:
      view_.SetProgressMaximum(static_cast<std::uint16_t>(ProgressCount & 0xFFFF));
      break;
    case zipbuilder::ProgressType::pgBytesDone:
    case zipbuilder::ProgressType::pgTotalSize:
      break;
  }
  view_.SetProgressPosition(static_cast<std::uint16_t>(ProgressCount & 0xFFFF));
}

}  // namespace installer
