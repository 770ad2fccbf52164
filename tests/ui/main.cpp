// One deterministic main for every test of the desktop program: the C locale, the offscreen
// platform unless another is asked for, and one QApplication for all test classes; with
// --appearance, the appearance tests alone.
#include <QApplication>
#include <QLocale>
#include <clocale>
#include <cstring>

#include "ui/uitests.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  std::setlocale(LC_ALL, "C");
  QLocale::setDefault(QLocale::c());
  QApplication application(argc, argv);
  // Windows close and reopen between tests; that must not end the application.
  application.setQuitOnLastWindowClosed(false);
  int failures = 0;
  // The appearance tests measure a real display's pixels, under the style and scale the
  // environment sets, so they run on their own.
  if (argc > 1 && std::strcmp(argv[1], "--appearance") == 0) {
    argv[1] = argv[0];
    return RunAppearanceTests(argc - 1, argv + 1) == 0 ? 0 : 1;
  }
  failures += RunQtHostTests(argc, argv);
  failures += RunMainWindowTests(argc, argv);
  failures += RunLarkspurFormTests(argc, argv);
  return failures == 0 ? 0 : 1;
}
