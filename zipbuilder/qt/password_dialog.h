// TPasswordDlg's window on Qt: a fixed-size dialog laid out exactly by the
// PasswordDialogLayout the component computed (the sizes are those of the
// client area), a masked edit box of at most 80 characters and the buttons of
// the set. Escape and the close box answer Cancel.
#pragma once

#include <QDialog>

#include "zipbuilder/toolkit.h"

class QLineEdit;
class QLabel;
class QPushButton;

namespace zipbuilder {

class QtPasswordDialog final : public QDialog {
 public:
  QtPasswordDialog(const PasswordDialogRequest& request, QWidget* parent);

  // Runs the dialog modally.
  [[nodiscard]] PasswordDialogResult Ask();

  [[nodiscard]] QLabel* PromptLabel() const { return prompt_; }
  [[nodiscard]] QLineEdit* EditBox() const { return edit_; }
  [[nodiscard]] const std::vector<QPushButton*>& Buttons() const { return buttons_; }

 private:
  QLabel* prompt_ = nullptr;
  QLineEdit* edit_ = nullptr;
  std::vector<QPushButton*> buttons_;
};

}  // namespace zipbuilder
