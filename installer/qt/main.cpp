// sorlu-patch: the patch installer with its Qt front.
#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "installer/qt/form1_window.h"
#include "installer/unit1.h"
#include "zipbuilder/qt/qt_toolkit.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  try {
    zipbuilder::QtToolkit toolkit;
    installer::Form1Window window;
    installer::TForm1 form(window, toolkit, QCoreApplication::applicationFilePath().toStdString());
    window.Attach(form);
    window.show();
    QApplication::exec();
  } catch (const std::exception& error) {
    // The application's standard display of an error that escaped the form.
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(), QString::fromUtf8(error.what()));
  }
  return 0;
}
