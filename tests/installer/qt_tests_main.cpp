// Runs the Qt test classes of the installer in one QApplication.
#include <QApplication>
#include <QtTest>

#include "tests/installer/qt_test_classes.h"

int main(int argc, char* argv[]) {
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
