// Runs the Qt test classes of the installer in one QApplication.
#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/installer/qt_test_classes.h"

int main(int argc, char* argv[]) {
  // Qt wants a runtime folder; without one it makes /tmp/runtime-<user> and leaves it.
  const QTemporaryDir runtimeFolder;
  if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") && runtimeFolder.isValid()) {
    qputenv("XDG_RUNTIME_DIR", runtimeFolder.path().toLocal8Bit());
  }
  QApplication application(argc, argv);
  int failures = 0;
  {
    installer_test::Form1WindowTest form;
    failures += QTest::qExec(&form, argc, argv);
  }
  {
    installer_test::PasswordDialogTest dialog;
    failures += QTest::qExec(&dialog, argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
