#include "zipbuilder/qt/password_dialog.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace zipbuilder {

namespace {

constexpr int PasswordMaximumLength = 80;

[[nodiscard]] QRect ToRect(const DialogRectangle& bounds) {
  return QRect(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
}

[[nodiscard]] QString FromAnsi(const std::string& text) { return QString::fromUtf8(text.c_str()); }

}  // namespace

QtPasswordDialog::QtPasswordDialog(const PasswordDialogRequest& request, QWidget* parent) : QDialog(parent) {
  const PasswordDialogLayout& layout = request.Layout;
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(FromAnsi(request.Caption));
  QFont font(FromAnsi(layout.FontName));
  font.setPixelSize(layout.FontHeight);
  font.setBold(true);
  setFont(font);
  setFixedSize(layout.FormWidth, layout.FormHeight);

  prompt_ = new QLabel(FromAnsi(request.Prompt), this);
  prompt_->setTextFormat(Qt::PlainText);
  prompt_->setGeometry(ToRect(layout.PromptLabel));

  edit_ = new QLineEdit(this);
  edit_->setEchoMode(QLineEdit::Password);
  edit_->setMaxLength(PasswordMaximumLength);
  // Every typed character shows as "*", whatever the style's own mask character.
  edit_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  QRect editBounds = ToRect(layout.EditBox);
  editBounds.setHeight(edit_->sizeHint().height());
  edit_->setGeometry(editBounds);

  for (const PasswordDialogButton& description : layout.Buttons) {
    auto* button = new QPushButton(FromAnsi(description.Caption), this);
    button->setGeometry(ToRect(description.Bounds));
    const int result = static_cast<int>(description.ModalResult);
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    if (description.ModalResult == DialogAnswer::Ok) {
      button->setDefault(true);
    }
    buttons_.push_back(button);
  }
  edit_->setFocus();

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

PasswordDialogResult QtPasswordDialog::Ask() {
  const int result = exec();
  PasswordDialogResult answer;
  answer.Text = edit_->text().toUtf8().toStdString();
  // Escape and the close box reject the dialog, which is the Cancel answer.
  answer.ModalResult = result == QDialog::Rejected ? DialogAnswer::Cancel : static_cast<DialogAnswer>(result);
  return answer;
}

}  // namespace zipbuilder
