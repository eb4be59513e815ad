// A FormView with plain members, for driving TForm1 without widgets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "installer/form_view.h"
#include "installer/unit1.h"

namespace installer_test {

class RecordingView final : public installer::FormView {
 public:
  [[nodiscard]] std::string Caption() const override { return caption; }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetLabel1Text(const std::string& text) override { label1 = text; }
  void SetLabel2Text(const std::string& text) override { label2 = text; }
  [[nodiscard]] std::string Edit1Text() const override { return edit1; }
  void SetEdit1Text(const std::string& text) override { edit1 = text; }
  void ShowProgressBar() override { progressBarVisible = true; }
  void SetProgressMaximum(std::uint16_t value) override { progressMaximum = value; }
  void SetProgressPosition(std::uint16_t value) override { progressPosition = value; }

  [[nodiscard]] installer::DialogOutcome ExecuteOpenDialog(installer::TOpenDialog& dialog) override {
    dialogsShown.push_back(dialog);
    if (!chosenFile) {
      return installer::DialogOutcome::Cancelled;
    }
    dialog.FileName = *chosenFile;
    return installer::DialogOutcome::Confirmed;
  }

  // As a window: a close the form asks for runs its on-close handler.
  void Close() override {
    ++closes;
    if (form != nullptr) {
      form->FormClose();
    }
  }

  installer::TForm1* form = nullptr;
  std::string caption = "Installing Patch";
  std::string label1 = "Label1";
  std::string label2 = "Label2";
  std::string edit1 = "Edit1";
  bool progressBarVisible = false;
  std::uint16_t progressMaximum = 100;
  std::uint16_t progressPosition = 0;
  std::optional<std::string> chosenFile;
  std::vector<installer::TOpenDialog> dialogsShown;
  int closes = 0;
};

}  // namespace installer_test
