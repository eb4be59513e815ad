#include "zipbuilder/qt/qt_toolkit.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <memory>
#include <vector>

#include "zipbuilder/qt/password_dialog.h"

namespace zipbuilder {

namespace {

[[nodiscard]] std::vector<QMessageBox::StandardButton> ButtonsOf(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::Ok:
      return {QMessageBox::Ok};
    case MessageBoxButtons::OkCancel:
      return {QMessageBox::Ok, QMessageBox::Cancel};
    case MessageBoxButtons::AbortRetryIgnore:
      return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case MessageBoxButtons::YesNoCancel:
      return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case MessageBoxButtons::YesNo:
      return {QMessageBox::Yes, QMessageBox::No};
    case MessageBoxButtons::RetryCancel:
      return {QMessageBox::Retry, QMessageBox::Cancel};
  }
  return {QMessageBox::Ok};
}

[[nodiscard]] QMessageBox::Icon IconOf(MessageBoxIcon icon) {
  switch (icon) {
    case MessageBoxIcon::None:
      return QMessageBox::NoIcon;
    case MessageBoxIcon::Stop:
      return QMessageBox::Critical;
    case MessageBoxIcon::Question:
      return QMessageBox::Question;
    case MessageBoxIcon::Warning:
      return QMessageBox::Warning;
    case MessageBoxIcon::Information:
      return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

[[nodiscard]] std::size_t DefaultButtonIndex(MessageBoxDefaultButton button) {
  switch (button) {
    case MessageBoxDefaultButton::First:
      return 0;
    case MessageBoxDefaultButton::Second:
      return 1;
    case MessageBoxDefaultButton::Third:
      return 2;
  }
  return 0;
}

// As MessageBox: Escape answers Cancel where there is one, and OK when OK is the
// only button; otherwise Escape does nothing.
[[nodiscard]] QMessageBox::StandardButton EscapeButtonOf(const std::vector<QMessageBox::StandardButton>& buttons) {
  for (const QMessageBox::StandardButton button : buttons) {
    if (button == QMessageBox::Cancel) {
      return button;
    }
  }
  return buttons.size() == 1 ? buttons.front() : QMessageBox::NoButton;
}

[[nodiscard]] QString FromAnsi(const std::string& text) { return QString::fromUtf8(text.c_str()); }

[[nodiscard]] Qt::CursorShape QtShapeOf(CursorShape shape) {
  return shape == CursorShape::Hourglass ? Qt::WaitCursor : Qt::ArrowCursor;
}

}  // namespace

QMessageBox* BuildMessageBox(const MessageBoxRequest& request) {
  auto* box = new QMessageBox(QApplication::activeWindow());
  box->setWindowTitle(FromAnsi(request.Caption));
  // Texts carry file names and engine messages, never markup.
  box->setTextFormat(Qt::PlainText);
  box->setText(FromAnsi(request.Text));
  box->setIcon(IconOf(request.Icon));
  const std::vector<QMessageBox::StandardButton> buttons = ButtonsOf(request.Buttons);
  for (const QMessageBox::StandardButton button : buttons) {
    box->addButton(button);
  }
  const std::size_t defaultIndex = DefaultButtonIndex(request.DefaultButton);
  box->setDefaultButton(buttons[defaultIndex < buttons.size() ? defaultIndex : 0]);
  const QMessageBox::StandardButton escape = EscapeButtonOf(buttons);
  if (escape != QMessageBox::NoButton) {
    box->setEscapeButton(escape);
  }
  return box;
}

DialogAnswer AnswerOf(int standardButton) {
  switch (standardButton) {
    case QMessageBox::Ok:
      return DialogAnswer::Ok;
    case QMessageBox::Cancel:
      return DialogAnswer::Cancel;
    case QMessageBox::Abort:
      return DialogAnswer::Abort;
    case QMessageBox::Retry:
      return DialogAnswer::Retry;
    case QMessageBox::Ignore:
      return DialogAnswer::Ignore;
    case QMessageBox::Yes:
      return DialogAnswer::Yes;
    case QMessageBox::No:
      return DialogAnswer::No;
    default:
      // The close box of a box without Cancel: as MessageBox, the escape answer.
      return DialogAnswer::Cancel;
  }
}

QtToolkit::~QtToolkit() {
  if (overrideCursorSet_) {
    QGuiApplication::restoreOverrideCursor();
  }
}

DialogAnswer QtToolkit::ShowMessageBox(const MessageBoxRequest& request) {
  const std::unique_ptr<QMessageBox> box(BuildMessageBox(request));
  return AnswerOf(box->exec());
}

PasswordDialogResult QtToolkit::ShowPasswordDialog(const PasswordDialogRequest& request) {
  QtPasswordDialog dialog(request, QApplication::activeWindow());
  return dialog.Ask();
}

void QtToolkit::ProcessPendingMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtToolkit::SetScreenCursor(CursorShape shape) {
  cursor_ = shape;
  if (overrideCursorSet_) {
    QGuiApplication::restoreOverrideCursor();
    overrideCursorSet_ = false;
  }
  if (shape == CursorShape::Default) {
    return;
  }
  QGuiApplication::setOverrideCursor(QCursor(QtShapeOf(shape)));
  overrideCursorSet_ = true;
}

std::string QtToolkit::ApplicationTitle() const {
  return QGuiApplication::applicationDisplayName().toUtf8().toStdString();
}

WindowHandle QtToolkit::ApplicationWindow() const {
  QWidget* window = QApplication::activeWindow();
  return window == nullptr ? nullptr : reinterpret_cast<WindowHandle>(window->winId());
}

}  // namespace zipbuilder
