// Answers the modal boxes a test's code opens: every few milliseconds it looks
// for the active modal QMessageBox, records what it shows and clicks the next
// scripted answer (the box's escape or default button when none is left).
#pragma once

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace installer_test {

struct ShownBox {
  QString Title;
  QString Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons Buttons;
  QMessageBox::StandardButton DefaultButton = QMessageBox::NoButton;
};

class ModalWatcher {
 public:
  ModalWatcher();
  void QueueAnswer(QMessageBox::StandardButton answer) { answers_.push_back(answer); }
  // Runs once for any other modal dialog (a password dialog), instead of a click.
  void SetDialogHandler(std::function<void(QWidget*)> handler) { dialogHandler_ = std::move(handler); }
  [[nodiscard]] const std::vector<ShownBox>& Boxes() const { return boxes_; }

 private:
  void Look();

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> answers_;
  std::function<void(QWidget*)> dialogHandler_;
  std::vector<ShownBox> boxes_;
};

}  // namespace installer_test
