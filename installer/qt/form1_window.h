// The window of TForm1 on Qt Widgets, laid out as the form description says: a
// 426 x 121 client area with a fixed dialog border, centred, Panel1 filling it
// with a raised outer and a lowered inner bevel, and the controls on the panel.
// It forwards clicks, show and close to the form's handlers.
#pragma once

#include <QWidget>

#include "installer/form_view.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QFrame;

namespace installer {

class TForm1;

class Form1Window final : public QWidget, public FormView {
 public:
  Form1Window();

  // The form whose handlers the window calls; set once, before the window shows.
  void Attach(TForm1& form);

  // --- FormView
  [[nodiscard]] std::string Caption() const override;
  void SetCaption(const std::string& text) override;
  void SetLabel1Text(const std::string& text) override;
  void SetLabel2Text(const std::string& text) override;
  [[nodiscard]] std::string Edit1Text() const override;
  void SetEdit1Text(const std::string& text) override;
  void ShowProgressBar() override;
  void SetProgressMaximum(std::uint16_t maximum) override;
  void SetProgressPosition(std::uint16_t position) override;
  [[nodiscard]] DialogOutcome ExecuteOpenDialog(TOpenDialog& dialog) override;
  void Close() override;

  // The controls, by their names in the form description.
  QFrame* Panel1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* browse = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* cancel = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  TForm1* form_ = nullptr;
  bool closed_ = false;
};

// "MS Sans Serif" 8 pt where the machine has it, the system's sans-serif at 8 pt otherwise.
[[nodiscard]] QFont FormFont();

}  // namespace installer
