#include "ui/commandline.h"

namespace pinwright {

DesktopCommand ParseDesktopArguments(const std::vector<std::string>& arguments) {
  DesktopCommand command;
  bool filesOnly = false;
  for (const std::string& argument : arguments) {
    if (argument == "--")
      break;
    if (argument == "--help" || argument == "-h")
      return {DesktopAction::Help, {}, {}};
    if (argument == "--version" || argument == "-v")
      return {DesktopAction::Version, {}, {}};
  }
  for (const std::string& argument : arguments) {
    if (!filesOnly && argument == "--") {
      filesOnly = true;
    } else if (!filesOnly && argument.size() > 1 && argument.front() == '-') {
      command = {DesktopAction::UsageError, {}, "unknown option " + argument};
      break;
    } else if (!command.SettingsFile.empty()) {
      command = {DesktopAction::UsageError, {}, "only one settings file can be opened"};
      break;
    } else {
      command.SettingsFile = argument;
    }
  }
  return command;
}

std::string DesktopHelpText() {
  return "Usage: pinwright [FILE.cfg]\n"
         "       pinwright --help | --version\n"
         "\n"
         "Opens the Larkspur board form, showing the settings kept by the last Exit, or with\n"
         "FILE.cfg those of that board settings file. Qt's standard options, such as\n"
         "-platform NAME and -style NAME, are taken as well.\n"
         "\n"
         "  -h, --help      print this help and leave\n"
         "  -v, --version   print the version and leave\n"
         "\n"
         "pinwright-cli writes the same projects without a window; see pinwright-cli --help.\n";
}

}  // namespace pinwright
