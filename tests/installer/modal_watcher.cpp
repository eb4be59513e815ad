#include "tests/installer/modal_watcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

namespace installer_test {

ModalWatcher::ModalWatcher() {
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Look(); });
  timer_.start(10);
}

void ModalWatcher::Look() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr) {
    return;
  }
  auto* box = qobject_cast<QMessageBox*>(modal);
  if (box == nullptr) {
    if (dialogHandler_) {
      std::function<void(QWidget*)> handler = std::move(dialogHandler_);
      dialogHandler_ = nullptr;
      handler(modal);
    }
    return;
  }
  ShownBox shown;
  shown.Title = box->windowTitle();
  shown.Text = box->text();
  shown.Icon = box->icon();
  shown.Buttons = box->standardButtons();
  shown.DefaultButton = box->defaultButton() == nullptr ? QMessageBox::NoButton
                                                        : box->standardButton(box->defaultButton());
  boxes_.push_back(shown);
  QAbstractButton* click = box->escapeButton() != nullptr ? box->escapeButton() : box->defaultButton();
  if (!answers_.empty()) {
    click = box->button(answers_.front());
    answers_.pop_front();
  }
  if (click != nullptr) {
    click->click();
  }
}

}  // namespace installer_test
