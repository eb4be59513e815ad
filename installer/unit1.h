// TForm1: the installer's one form, its logic apart from any widgets. It owns the
// archive component ZipBuilder1, the open-file dialog `load` and TempFolder1, and
// talks to its window through FormView and to the user's boxes through the
// component's toolkit.
//
// The life of the form: construction writes the payloads, looks up the target's
// folder and fills the texts (warning when the folder was not found); FormShow
// closes at once when that warning was cancelled; Browse picks a folder; Install
// extracts the patch into the location; every close deletes the payloads.
#pragma once

#include <cstdint>
#include <string>

#include "installer/form_view.h"
#include "installer/payloads.h"
#include "installer/temp_folder.h"
#include "zipbuilder/toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace installer {

class TForm1 {
 public:
  // `programPath` is the installer's own file (command-line argument 0). The view
  // and the toolkit must outlive the form.
  TForm1(FormView& view, zipbuilder::Toolkit& toolkit, const std::string& programPath);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Handlers, called by the view.
  void FormShow();
  void browseClick();
  void cancelClick();
  void Button2Click();
  // Whether a close the user asked for (close box) may go ahead now. While Install
  // runs it may not: the extraction is told to stop, and the form closes when it has.
  [[nodiscard]] bool FormCloseQuery();
  void FormClose();
  void ZipBuilder1Progress(zipbuilder::TZipBuilder& Sender, zipbuilder::ProgressType ProgrType,
                           const std::string& FileName, std::int32_t FileSize);

  // Components and members, as the form description names them.
  zipbuilder::TZipBuilder ZipBuilder1;
  TOpenDialog load;
  TTempFolder TempFolder1;
  std::string ExeFolder;
  std::string UnzDllFileName;
  std::string PatchZipFileName;
  std::int32_t CloseOnShow = 0;
  // Entries begun in the current extraction.
  std::int32_t ProgressCount = 0;

 private:
  void ApplyDesignTimeValues();
  void WarnTargetNotFound();
  // The location is refused, or the extraction fell short: the form stays open.
  void ShowInstallFailure(const std::string& text);
  // What failed (the component's last message) and how many files were written.
  void ReportShortfall(std::size_t entriesListed);
  void ReportCompletion();
  [[nodiscard]] bool EveryEntryExtracted(std::size_t entriesListed) const;

  FormView& view_;
  zipbuilder::Toolkit& toolkit_;
  bool installing_ = false;
  bool closeRequested_ = false;
};

}  // namespace installer
