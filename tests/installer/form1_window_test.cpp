// The installer's window on the real widgets (offscreen platform): the layout of
// the form description, the boxes of start-up and Install, the close.
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "installer/qt/form1_window.h"
#include "installer/unit1.h"
#include "platform/files.h"
#include "tests/installer/installer_machine.h"
#include "tests/installer/modal_watcher.h"
#include "tests/installer/qt_test_classes.h"
#include "zipbuilder/qt/qt_toolkit.h"

namespace installer_test {

namespace {

const std::string ProgramFolder = "/opt/sorlu/";

// One installer: the machine, the window and the form, started as main() starts them.
struct RunningInstaller {
  explicit RunningInstaller(const std::function<void(InstallerMachine&)>& prepare) {
    prepare(machine);
    form = std::make_unique<installer::TForm1>(window, toolkit, ProgramFolder + "sorlu-patch");
    window.Attach(*form);
    window.show();
    QTest::qWait(20);
  }

  [[nodiscard]] bool PayloadsGone() const { return machine.TempFolderFiles().empty(); }

  InstallerMachine machine;
  zipbuilder::QtToolkit toolkit;
  installer::Form1Window window;
  std::unique_ptr<installer::TForm1> form;
};

void RecordTargetInInstallFolder(InstallerMachine& machine) { machine.RecordInstallDir(machine.InstallFolder()); }
void RecordNothing(InstallerMachine&) {}

[[nodiscard]] QRect Bounds(const QWidget* widget) { return widget->geometry(); }

}  // namespace

void Form1WindowTest::cleanup() {
  // Install makes the location the current folder, which the machine removes.
  std::filesystem::current_path(QCoreApplication::applicationDirPath().toStdString());
}

void Form1WindowTest::layoutFollowsTheFormDescription() {
  ModalWatcher watcher;
  RunningInstaller installer([](InstallerMachine& machine) { machine.RecordInstallDir("C:\\Games\\Kestrane 2\\"); });
  const installer::Form1Window& window = installer.window;

  QVERIFY(watcher.Boxes().empty());
  QCOMPARE(window.windowTitle(), QStringLiteral("Installing to Kestrane 2"));
  QCOMPARE(window.Edit1->text(), QStringLiteral("C:\\Games\\Kestrane 2\\"));
  QCOMPARE(window.Label1->text(), QStringLiteral("Kestrane 2 Location"));
  QCOMPARE(window.Label2->text(), QStringLiteral("SORLU update for Kestrane2"));
  QCOMPARE(window.size(), QSize(426, 121));
  QCOMPARE(window.minimumSize(), window.maximumSize());
  QVERIFY(!(window.windowFlags() & Qt::WindowMinMaxButtonsHint));
  QCOMPARE(Bounds(window.Panel1), QRect(0, 0, 426, 121));
  QCOMPARE(Bounds(window.Label2), QRect(16, 12, 345, 17));
  QCOMPARE(Bounds(window.Label1), QRect(8, 58, 345, 17));
  QCOMPARE(Bounds(window.Edit1), QRect(16, 32, 345, 21));
  QCOMPARE(Bounds(window.browse), QRect(360, 32, 57, 25));
  QCOMPARE(Bounds(window.ProgressBar1), QRect(16, 32, 345, 22));
  QCOMPARE(Bounds(window.Button2), QRect(16, 80, 105, 33));
  QCOMPARE(Bounds(window.cancel), QRect(312, 80, 105, 33));
  QVERIFY(window.Label2->font().bold());
  QVERIFY(!window.Label1->font().bold());
  QVERIFY(window.Label1->alignment() & Qt::AlignHCenter);
  QCOMPARE(window.font().pointSize(), 8);
  QVERIFY(!window.ProgressBar1->isVisibleTo(&window));
  QCOMPARE(window.ProgressBar1->minimum(), 0);
  QCOMPARE(window.ProgressBar1->maximum(), 100);
  QCOMPARE(window.Button2->text(), QStringLiteral("Install"));
  QCOMPARE(window.browse->text(), QStringLiteral("Browse"));
  QCOMPARE(window.cancel->text(), QStringLiteral("Cancel"));

  // Tab order: Edit1, browse, ProgressBar1, Button2, cancel.
  QList<QWidget*> chain;
  QWidget* next = window.Edit1;
  do {
    chain.append(next);
    next = next->nextInFocusChain();
  } while (next != window.Edit1 && chain.size() < 50);
  const QList<QWidget*> expected{window.Edit1, window.browse, window.ProgressBar1, window.Button2, window.cancel};
  qsizetype last = -1;
  for (QWidget* control : expected) {
    const qsizetype position = chain.indexOf(control);
    QVERIFY2(position > last, qPrintable(control->metaObject()->className()));
    last = position;
  }
  QVERIFY(window.isVisible());
}

void Form1WindowTest::aMissingTargetWarnsWithOkAndCancel() {
  ModalWatcher watcher;
  watcher.QueueAnswer(QMessageBox::Ok);
  RunningInstaller installer(RecordNothing);

  QCOMPARE(watcher.Boxes().size(), std::size_t{1});
  const ShownBox& warning = watcher.Boxes()[0];
  QCOMPARE(warning.Title, QStringLiteral("Installing to Kestrane 2"));
  QCOMPARE(warning.Text,
           QStringLiteral("Unable to find a registry entry for Kestrane 2\n\nYou will need to browse to select the "
                          "correct location or Cancel\n\nOnly continue if you are sure you have Kestrane 2 "
                          "installed\n"));
  QCOMPARE(warning.Icon, QMessageBox::Warning);
  QCOMPARE(warning.Buttons, QMessageBox::Ok | QMessageBox::Cancel);
  QCOMPARE(warning.DefaultButton, QMessageBox::Ok);
  QCOMPARE(installer.window.windowTitle(), QStringLiteral("Installing to Kestrane 2 (NOT FOUND!)"));
  QCOMPARE(installer.window.Edit1->text(), QString::fromStdString(ProgramFolder));
  QVERIFY(installer.window.isVisible());
}

void Form1WindowTest::cancelOnTheWarningClosesAtOnceAndRemovesThePayloads() {
  ModalWatcher watcher;
  watcher.QueueAnswer(QMessageBox::Cancel);
  RunningInstaller installer(RecordNothing);
  QTRY_VERIFY(!installer.window.isVisible());
  QVERIFY(installer.PayloadsGone());
}

void Form1WindowTest::installExtractsThePatchShowsCompletionAndCloses() {
  ModalWatcher watcher;
  RunningInstaller installer(RecordTargetInInstallFolder);
  QVERIFY(!installer.PayloadsGone());

  QTest::mouseClick(installer.window.Button2, Qt::LeftButton);

  QTRY_VERIFY(!installer.window.isVisible());
  QCOMPARE(ReadWholeFile(installer.machine.InstallFolder() + "/sorlu.dll"), ReadWholeFile(SORLU_STAND_IN_LIBRARY));
  QVERIFY(installer.window.ProgressBar1->isVisibleTo(&installer.window));
  QCOMPARE(installer.window.ProgressBar1->maximum(), 1);
  QCOMPARE(installer.window.ProgressBar1->value(), 1);
  QCOMPARE(watcher.Boxes().size(), std::size_t{1});
  QCOMPARE(watcher.Boxes()[0].Text, QStringLiteral("Installation to Kestrane 2 Completed\n"));
  QCOMPARE(watcher.Boxes()[0].Title, QStringLiteral("Installing to Kestrane 2"));
  QCOMPARE(watcher.Boxes()[0].Icon, QMessageBox::Information);
  QCOMPARE(watcher.Boxes()[0].Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QVERIFY(installer.PayloadsGone());
}

void Form1WindowTest::aLocationThatIsNoFolderIsRefusedAndTheFormStaysOpen() {
  ModalWatcher watcher;
  RunningInstaller installer(RecordTargetInInstallFolder);
  const QString missing = QString::fromStdString(installer.machine.InstallFolder() + "/missing");
  installer.window.Edit1->setText(missing);

  QTest::mouseClick(installer.window.Button2, Qt::LeftButton);

  QCOMPARE(watcher.Boxes().size(), std::size_t{1});
  QCOMPARE(watcher.Boxes()[0].Icon, QMessageBox::Critical);
  QCOMPARE(watcher.Boxes()[0].Title, QStringLiteral("Installing to Kestrane 2"));
  QVERIFY(watcher.Boxes()[0].Text.contains(missing));
  QVERIFY(installer.window.isVisible());
  QVERIFY(!installer.window.ProgressBar1->isVisibleTo(&installer.window));
  QVERIFY(!QFileInfo::exists(missing));
  QVERIFY(!installer.PayloadsGone());
  installer.window.close();
  QVERIFY(installer.PayloadsGone());
}

void Form1WindowTest::aMissingEngineIsReportedAndTheFormStaysOpen() {
  ModalWatcher watcher;
  RunningInstaller installer(RecordTargetInInstallFolder);
  QVERIFY(platform::DeleteFile(installer.form->UnzDllFileName));

  QTest::mouseClick(installer.window.Button2, Qt::LeftButton);

  QCOMPARE(watcher.Boxes().size(), std::size_t{1});
  const ShownBox& failure = watcher.Boxes()[0];
  QCOMPARE(failure.Icon, QMessageBox::Critical);
  QCOMPARE(failure.Title, QStringLiteral("Installing to Kestrane 2"));
  QVERIFY(failure.Text.contains(QString::fromStdString(installer.form->ZipBuilder1.LastMessage())));
  QVERIFY2(failure.Text.contains(QStringLiteral("Files written: 0 of 1")), qPrintable(failure.Text));
  QVERIFY(installer.window.isVisible());
  QVERIFY(!QFileInfo::exists(QString::fromStdString(installer.machine.InstallFolder() + "/sorlu.dll")));
  QTest::mouseClick(installer.window.cancel, Qt::LeftButton);
  QVERIFY(!installer.window.isVisible());
  QVERIFY(installer.PayloadsGone());
}

// Saves docs/installer.png when INSTALLER_SCREENSHOT is set (scripts/make-screenshot.sh).
void Form1WindowTest::screenshotOfTheForm() {
  ModalWatcher watcher;
  RunningInstaller installer([](InstallerMachine& machine) { machine.RecordInstallDir("C:\\Games\\Kestrane 2\\"); });
  const QPixmap picture = installer.window.grab();
  QCOMPARE(picture.size() / picture.devicePixelRatio(), QSize(426, 121));
  if (qEnvironmentVariableIsSet("INSTALLER_SCREENSHOT")) {
    QVERIFY(picture.save(QStringLiteral(INSTALLER_SCREENSHOT_FILE)));
  }
}

}  // namespace installer_test
