// Renders the main window into a PNG for the documentation:
//   pinwright-screenshot OUT.png [everything] [dark]
// With "everything" every part is ticked and both headers carry a card, GPIO-1 a card from a
// card file of the user's; with "dark" the desktop's theme is a dark one. Runs on any Qt
// platform, the offscreen one included; reads and writes nothing but the PNG (the form's
// default.cfg and INI file go to a throw-away folder).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPalette>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>
#include <string>

#include "host/host.h"
#include "ui/ui_larkspur.h"
#include "ui/unitmain.h"

namespace {

class ScreenshotHost : public pinwright::StderrHost {
 public:
  explicit ScreenshotHost(std::string folder) : Folder(std::move(folder)) {}
  std::string ExecutableFolder() override { return Folder; }

 private:
  std::string Folder;
};

// A user's card file, as a designer would write one for a small card of their own.
constexpr const char* kUserCard = R"(format = "pinwright-card"
version = 1
id = 1001
name = "Acme 8-LED Strip"
voltage = "3.3 V"

[[pin]]
position = 1
name = "ACME_CLK"
direction = "input"
clock = "25 MHz"

[[pin]]
position = 3
name = "ACME_KEY_n"
direction = "input"
pull = "up"

[[pin]]
positions = [5, 10]
bus = "ACME_LED"
index = [0, 5]
direction = "output"

[[pin]]
positions = [13, 14]
bus = "ACME_LED"
index = [6, 7]
direction = "output"
)";

void WriteUserCard(const QString& cardsFolder) {
  QDir().mkpath(cardsFolder);
  QFile file(cardsFolder + QStringLiteral("/acme_strip.toml"));
  if (file.open(QIODevice::WriteOnly))
    file.write(kUserCard);
}

void TickEverything(pinwright::TFormMain& window) {
  for (QCheckBox* check : window.findChildren<QCheckBox*>())
    check->setChecked(true);
  const auto pick = [&](const char* name, int index) {
    if (auto* combo = window.findChild<QComboBox*>(QString::fromLatin1(name))) {
      // From the end: the last entry is "Card file...", the one before it the user's card.
      combo->setCurrentIndex(index >= 0 ? index : combo->count() + index);
    }
  };
  pick("ComboBoxGpio0", 5);
  pick("ComboBoxGpio1", -2);
}

// A dark desktop theme: light text on dark ground, as dark themes of the desktops give.
QPalette DarkTheme() {
  QPalette dark(QColor(230, 230, 230), QColor(49, 54, 59));
  dark.setColor(QPalette::Base, QColor(35, 38, 41));
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  dark.setColor(QPalette::Highlight, QColor(61, 174, 233));
  return dark;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() < 2) {
    std::fprintf(stderr, "usage: pinwright-screenshot OUT.png [everything] [dark]\n");
    return 2;
  }
  QTemporaryDir scratch;
  if (!scratch.isValid())
    return 1;
  ScreenshotHost host(QDir::toNativeSeparators(scratch.path() + QLatin1Char('/')).toStdString());
  pinwright::HostScope scope(host);

  const QStringList options = arguments.mid(2);
  if (options.contains(QStringLiteral("dark")))
    QApplication::setPalette(DarkTheme());
  if (options.contains(QStringLiteral("everything")))
    WriteUserCard(scratch.path() + QStringLiteral("/cards"));
  pinwright::TFormMain window;
  if (options.contains(QStringLiteral("everything")))
    TickEverything(window);
  window.show();
  QApplication::processEvents();
  if (!window.grab().save(arguments[1])) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(arguments[1]));
    return 1;
  }
  return 0;
}
