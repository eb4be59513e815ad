// The Qt test classes of the installer and the component's Qt toolkit.
#pragma once

#include <QObject>

namespace installer_test {

// The form's window on the real widgets: layout, start-up boxes, Install.
class Form1WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup();
  void layoutFollowsTheFormDescription();
  void aMissingTargetWarnsWithOkAndCancel();
  void cancelOnTheWarningClosesAtOnceAndRemovesThePayloads();
  void installExtractsThePatchShowsCompletionAndCloses();
  void aLocationThatIsNoFolderIsRefusedAndTheFormStaysOpen();
  void aMissingEngineIsReportedAndTheFormStaysOpen();
  void screenshotOfTheForm();
};

// TPasswordDlg on Qt and the toolkit's message boxes.
class PasswordDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void geometryFollowsTheButtonCount_data();
  void geometryFollowsTheButtonCount();
  void escapeAndTheCloseBoxAnswerCancel();
  void buttonsAnswerTheirModalResults();
  void messageBoxesHaveTheRequestedButtonsIconAndDefault();
  void busyCursorAndPendingMessages();
};

}  // namespace installer_test
