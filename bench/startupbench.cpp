// The desktop program's start, for timing from outside: builds the main window as the program
// does, shows it, and ends the process at once when the window first paints, so that the
// lifetime of the process is the time to the first shown window.
//   pinwright_startup_bench          the program's main window
//   pinwright_startup_bench floor    an empty window: the toolkit's own start, for comparison
// The form's default.cfg and INI file go to a throw-away folder.

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/host.h"
#include "ui/qthost.h"
#include "ui/unitmain.h"

namespace {

class ScratchHost : public pinwright::QtHost {
 public:
  explicit ScratchHost(std::string folder) : Folder(std::move(folder)) {}
  std::string ExecutableFolder() override { return Folder; }

 private:
  std::string Folder;
};

// Ends the process on the first paint of any widget of the window, before any teardown.
class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType())
      std::_Exit(0);
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const bool floor = argc > 1 && std::string(argv[1]) == "floor";
  QTemporaryDir scratch;
  if (!scratch.isValid())
    return 1;
  ScratchHost host(scratch.path().toStdString() + "/");
  pinwright::HostScope scope(host);

  FirstPaint watcher;
  application.installEventFilter(&watcher);
  std::unique_ptr<QWidget> window;
  if (floor) {
    window = std::make_unique<QWidget>();
    window->resize(800, 600);
  } else {
    window = std::make_unique<pinwright::TFormMain>();
  }
  window->show();
  // A window that is never painted must not hang the benchmark.
  QTimer::singleShot(10000, [] { std::_Exit(2); });
  application.exec();
  return 2;
}
