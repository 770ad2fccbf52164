// The desktop program: one main window hosting the Larkspur form.
#include <QApplication>
#include <exception>

#include "host/filewrite.h"
#include "host/host.h"
#include "host/places.h"
#include "ui/qthost.h"
#include "ui/unitmain.h"

int main(int argc, char** argv) {
  // The program has no options of its own; Qt may take its standard ones.
  QApplication application(argc, argv);
  // Ties the window to its desktop entry, so that docks and task bars show its icon and name.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(pinwright::kApplicationId));
  pinwright::QtHost host;
  pinwright::HostScope scope(host);
  // A signal that ends the program (a logout's SIGHUP, kill) leaves no temporary file of a
  // save or generation behind.
  pinwright::RemoveTemporaryFileOnInterrupt();
  try {
    pinwright::TFormMain window;
    window.show();
    return application.exec();
  } catch (const std::exception& error) {
    pinwright::ShowUnexpectedError(error.what());
  } catch (...) {
    pinwright::ShowUnexpectedError("");
  }
  return 1;
}
