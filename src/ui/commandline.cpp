#include "ui/commandline.h"

#include <cstddef>

namespace pinwright {

DesktopCommand ParseDesktopArguments(const std::vector<std::string>& arguments) {
  DesktopCommand command;
  bool filesOnly = false;
  for (const std::string& argument : arguments) {
    if (argument == "--")
      break;
    if (argument == "--help" || argument == "-h")
      return {DesktopAction::Help, {}, {}, {}};
    if (argument == "--version" || argument == "-v")
      return {DesktopAction::Version, {}, {}, {}};
  }
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const std::string name = argument.substr(0, argument.find('='));
    if (!filesOnly && argument == "--") {
      filesOnly = true;
    } else if (!filesOnly && (name == "--cards" || name == "--card")) {
      std::string value;
      if (name.size() < argument.size()) {
        value = argument.substr(name.size() + 1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      }
      if (value.empty()) {
        command = {DesktopAction::UsageError, {}, name + " needs a value", {}};
        break;
      }
      command.CardFiles.push_back(
          {name == "--cards" ? CardSource::Kind::Folder : CardSource::Kind::File, value});
    } else if (!filesOnly && argument.size() > 1 && argument.front() == '-') {
      command = {DesktopAction::UsageError, {}, "unknown option " + argument, {}};
      break;
    } else if (!command.SettingsFile.empty()) {
      command = {DesktopAction::UsageError, {}, "only one settings file can be opened", {}};
      break;
    } else {
      command.SettingsFile = argument;
    }
  }
  return command;
}

std::string DesktopHelpText() {
  return "Usage: pinwright [--cards DIR] [--card FILE.toml] [FILE.cfg]\n"
         "       pinwright --help | --version\n"
         "\n"
         "Opens the Larkspur board form, showing the settings kept by the last Exit, or with\n"
         "FILE.cfg those of that board settings file. Qt's standard options, such as\n"
         "-platform NAME and -style NAME, are taken as well.\n"
         "\n"
         "  --cards DIR       also take the card files (*.toml) in DIR; may be repeated\n"
         "  --card FILE.toml  also take this card file; may be repeated\n"
         "  -h, --help        print this help and leave\n"
         "  -v, --version     print the version and leave\n"
         "\n"
         "Card files are taken from cards/ beside a portable pinwright, or from\n"
         "$XDG_DATA_HOME/pinwright/cards/ (~/.local/share/pinwright/cards/) for an installed\n"
         "one, then from every --cards DIR and --card FILE.toml in order; a later file with the\n"
         "same ID replaces an earlier one. Card files with errors are listed once the window\n"
         "shows.\n"
         "\n"
         "pinwright-cli writes the same projects without a window; see pinwright-cli --help.\n";
}

}  // namespace pinwright
