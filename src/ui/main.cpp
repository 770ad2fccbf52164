// The desktop program: one main window hosting the Larkspur form.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "host/filewrite.h"
#include "host/host.h"
#include "host/places.h"
#include "ui/commandline.h"
#include "ui/qthost.h"
#include "ui/ui_larkspur.h"
#include "ui/unitmain.h"

namespace {

constexpr int kExitUsage = 2;

std::vector<std::string> ArgumentsAfterName(const QStringList& arguments) {
  std::vector<std::string> rest;
  for (qsizetype i = 1; i < arguments.size(); ++i)
    rest.push_back(arguments[i].toStdString());
  return rest;
}

// The arguments without the toolkit's own options (-style fusion, -platform=xcb, ...),
// which the toolkit takes out itself once it starts.
std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& arguments) {
  static const std::vector<std::string> withValue = {"platform",        "platformpluginpath",
                                                     "platformtheme",   "plugin",
                                                     "qmljsdebugger",   "style",
                                                     "stylesheet",      "session",
                                                     "display",         "geometry",
                                                     "title",           "name",
                                                     "visual",          "dialogs",
                                                     "qwindowgeometry", "qwindowtitle",
                                                     "qwindowicon",     "fontengine"};
  static const std::vector<std::string> alone = {"reverse", "widgetcount", "nograb",
                                                 "dograb",  "sync",        "testability"};
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word == "--") {
      rest.insert(rest.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
      break;
    }
    const std::size_t dashes = word.starts_with("--") ? 2 : word.starts_with('-') ? 1 : 0;
    const std::string option = word.substr(dashes, word.find('=') - dashes);
    const auto known = [&](const std::vector<std::string>& names) {
      return dashes > 0 && std::find(names.begin(), names.end(), option) != names.end();
    };
    if (known(withValue)) {
      if (word.find('=') == std::string::npos)
        ++i;  // the value follows
      continue;
    }
    if (!known(alone))
      rest.push_back(word);
  }
  return rest;
}

}  // namespace

int main(int argc, char** argv) {
  // Help and version need no display: they are answered before Qt looks for one.
  // So is a usage error, which without a display would otherwise end in the toolkit's abort.
  std::vector<std::string> raw(argv + (argc > 0 ? 1 : 0), argv + argc);
  const pinwright::DesktopCommand early =
      pinwright::ParseDesktopArguments(WithoutToolkitOptions(raw));
  if (early.Action == pinwright::DesktopAction::UsageError) {
    std::fprintf(stderr, "pinwright: %s\nTry 'pinwright --help' for more information.\n",
                 early.Error.c_str());
    return kExitUsage;
  }
  if (early.Action == pinwright::DesktopAction::Help) {
    std::fputs(pinwright::DesktopHelpText().c_str(), stdout);
    return 0;
  }
  if (early.Action == pinwright::DesktopAction::Version) {
    std::fputs("pinwright " PINWRIGHT_VERSION "\n", stdout);
    return 0;
  }

  // Qt takes its standard options out of the arguments; what is left is the program's.
  QApplication application(argc, argv);
  const pinwright::DesktopCommand command =
      pinwright::ParseDesktopArguments(ArgumentsAfterName(QApplication::arguments()));
  if (command.Action == pinwright::DesktopAction::UsageError) {
    std::fprintf(stderr, "pinwright: %s\nTry 'pinwright --help' for more information.\n",
                 command.Error.c_str());
    return kExitUsage;
  }
  // Ties the window to its desktop entry, so that docks and task bars show its icon and name.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(pinwright::kApplicationId));
  pinwright::QtHost host;
  pinwright::HostScope scope(host);
  // A signal that ends the program (a logout's SIGHUP, kill) leaves no temporary file of a
  // save or generation behind.
  pinwright::RemoveTemporaryFileOnInterrupt();
  try {
    pinwright::TFormMain window(command.CardFiles);
    window.show();
    if (!command.SettingsFile.empty()) {
      const QString path =
          QFileInfo(QString::fromStdString(command.SettingsFile)).absoluteFilePath();
      window.Form()->LoadSettingsFile(QDir::toNativeSeparators(path).toStdString());
    }
    return application.exec();
  } catch (const std::exception& error) {
    pinwright::ShowUnexpectedError(error.what());
  } catch (...) {
    pinwright::ShowUnexpectedError("");
  }
  return 1;
}
