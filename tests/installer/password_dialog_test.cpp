// TPasswordDlg on Qt, laid out by the component's table, and the Qt toolkit's
// message boxes.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "tests/installer/modal_watcher.h"
#include "tests/installer/qt_test_classes.h"
#include "zipbuilder/password_prompts.h"
#include "zipbuilder/qt/password_dialog.h"
#include "zipbuilder/qt/qt_toolkit.h"

namespace installer_test {

namespace {

using zipbuilder::DialogAnswer;
using zipbuilder::TPasswordButton;
using zipbuilder::TPasswordButtonSet;

[[nodiscard]] zipbuilder::PasswordDialogRequest RequestFor(TPasswordButtonSet buttons) {
  zipbuilder::PasswordDialogRequest request;
  request.Caption = "Password";
  request.Prompt = "Enter Password ";
  request.Buttons = buttons;
  request.Layout = zipbuilder::LayOutPasswordDialog(buttons);
  return request;
}

const TPasswordButtonSet AllButtons{TPasswordButton::pbOk, TPasswordButton::pbCancel, TPasswordButton::pbCancelAll,
                                    TPasswordButton::pbAbort};

}  // namespace

void PasswordDialogTest::geometryFollowsTheButtonCount_data() {
  QTest::addColumn<int>("count");
  QTest::addColumn<QStringList>("captions");
  QTest::newRow("OK") << 1 << QStringList{"&Ok"};
  QTest::newRow("OK, Cancel") << 2 << QStringList{"&Ok", "&Cancel"};
  QTest::newRow("OK, Cancel, Cancel all") << 3 << QStringList{"&Ok", "&Cancel", "Cancel all"};
  QTest::newRow("all four") << 4 << QStringList{"&Ok", "&Cancel", "Cancel all", "Abort"};
}

void PasswordDialogTest::geometryFollowsTheButtonCount() {
  QFETCH(int, count);
  QFETCH(QStringList, captions);
  const TPasswordButton order[] = {TPasswordButton::pbOk, TPasswordButton::pbCancel, TPasswordButton::pbCancelAll,
                                   TPasswordButton::pbAbort};
  TPasswordButtonSet buttons;
  for (int index = 0; index < count; ++index) {
    buttons.Include(order[index]);
  }
  zipbuilder::QtPasswordDialog dialog(RequestFor(buttons), nullptr);

  QCOMPARE(dialog.size(), QSize(count * 124 + 35, 137));
  QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
  QCOMPARE(dialog.font().family(), QStringLiteral("Arial"));
  QCOMPARE(dialog.font().pixelSize(), 12);
  QVERIFY(dialog.font().bold());
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Password"));
  QCOMPARE(dialog.PromptLabel()->geometry(), QRect(20, 8, 297, 18));
  QCOMPARE(dialog.PromptLabel()->text(), QStringLiteral("Enter Password "));
  const QRect edit = dialog.EditBox()->geometry();
  QCOMPARE(QRect(edit.left(), edit.top(), edit.width(), 0), QRect(20, 40, count * 124 - 10, 0));
  QCOMPARE(dialog.EditBox()->echoMode(), QLineEdit::Password);
  QCOMPARE(dialog.EditBox()->maxLength(), 80);
  QCOMPARE(dialog.Buttons().size(), std::size_t(count));
  for (int index = 0; index < count; ++index) {
    const QPushButton* button = dialog.Buttons()[std::size_t(index)];
    QCOMPARE(button->geometry(), QRect(index * 124 + 20, 72, 114, 28));
    QCOMPARE(button->text(), captions[index]);
    QCOMPARE(button->isDefault(), index == 0);
  }
}

void PasswordDialogTest::escapeAndTheCloseBoxAnswerCancel() {
  zipbuilder::QtPasswordDialog escaped(RequestFor({TPasswordButton::pbOk}), nullptr);
  QTimer::singleShot(0, &escaped, [&escaped] {
    QTest::keyClicks(escaped.EditBox(), QStringLiteral("secret"));
    QTest::keyClick(&escaped, Qt::Key_Escape);
  });
  QCOMPARE(escaped.Ask().ModalResult, DialogAnswer::Cancel);

  zipbuilder::QtPasswordDialog closed(RequestFor(AllButtons), nullptr);
  QTimer::singleShot(0, &closed, [&closed] { closed.close(); });
  QCOMPARE(closed.Ask().ModalResult, DialogAnswer::Cancel);
}

void PasswordDialogTest::buttonsAnswerTheirModalResults() {
  const DialogAnswer expected[] = {DialogAnswer::Ok, DialogAnswer::Cancel, DialogAnswer::CancelAll,
                                   DialogAnswer::Abort};
  for (std::size_t index = 0; index < 4; ++index) {
    zipbuilder::QtPasswordDialog dialog(RequestFor(AllButtons), nullptr);
    QTimer::singleShot(0, &dialog, [&dialog, index] { dialog.Buttons()[index]->click(); });
    QCOMPARE(dialog.Ask().ModalResult, expected[index]);
  }

  // Through the toolkit: typed text (cut at 80 characters) and OK.
  ModalWatcher watcher;
  watcher.SetDialogHandler([](QWidget* modal) {
    auto* dialog = static_cast<zipbuilder::QtPasswordDialog*>(modal);
    QTest::keyClicks(dialog->EditBox(), QString(100, QLatin1Char('p')));
    QTest::keyClick(dialog->EditBox(), Qt::Key_Return);
  });
  zipbuilder::QtToolkit toolkit;
  const zipbuilder::PasswordDialogResult answer = toolkit.ShowPasswordDialog(RequestFor(AllButtons));
  QCOMPARE(answer.ModalResult, DialogAnswer::Ok);
  QCOMPARE(answer.Text, std::string(80, 'p'));
}

void PasswordDialogTest::messageBoxesHaveTheRequestedButtonsIconAndDefault() {
  zipbuilder::MessageBoxRequest request;
  request.Text = "Replace <b>a.txt</b>?";
  request.Caption = "Title";
  request.Buttons = zipbuilder::MessageBoxButtons::YesNoCancel;
  request.Icon = zipbuilder::MessageBoxIcon::Question;
  request.DefaultButton = zipbuilder::MessageBoxDefaultButton::Second;
  const std::unique_ptr<QMessageBox> box(zipbuilder::BuildMessageBox(request));
  QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  QCOMPARE(box->icon(), QMessageBox::Question);
  QCOMPARE(box->standardButton(box->defaultButton()), QMessageBox::No);
  QCOMPARE(box->standardButton(box->escapeButton()), QMessageBox::Cancel);
  QCOMPARE(box->windowTitle(), QStringLiteral("Title"));
  QCOMPARE(box->textFormat(), Qt::PlainText);

  request.Buttons = zipbuilder::MessageBoxButtons::YesNo;
  request.Icon = zipbuilder::MessageBoxIcon::Stop;
  const std::unique_ptr<QMessageBox> noEscape(zipbuilder::BuildMessageBox(request));
  QCOMPARE(noEscape->icon(), QMessageBox::Critical);
  QVERIFY(noEscape->escapeButton() == nullptr);

  // The answers, as MessageBox's ID values.
  QCOMPARE(zipbuilder::AnswerOf(QMessageBox::Yes), DialogAnswer::Yes);
  QCOMPARE(zipbuilder::AnswerOf(QMessageBox::Retry), DialogAnswer::Retry);
}

void PasswordDialogTest::busyCursorAndPendingMessages() {
  zipbuilder::QtToolkit toolkit;
  toolkit.SetScreenCursor(zipbuilder::CursorShape::Hourglass);
  QVERIFY(QGuiApplication::overrideCursor() != nullptr);
  QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  QCOMPARE(toolkit.ScreenCursor(), zipbuilder::CursorShape::Hourglass);
  toolkit.SetScreenCursor(zipbuilder::CursorShape::Default);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);

  bool clicked = false;
  QMetaObject::invokeMethod(qApp, [&clicked] { clicked = true; }, Qt::QueuedConnection);
  toolkit.ProcessPendingMessages();
  QVERIFY(clicked);
}

}  // namespace installer_test
