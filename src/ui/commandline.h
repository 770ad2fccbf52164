// The desktop program's command line: help, version, or the window with a settings file.
#pragma once

#include <string>
#include <vector>

namespace pinwright {

enum class DesktopAction { OpenWindow, Help, Version, UsageError };

struct DesktopCommand {
  DesktopAction Action = DesktopAction::OpenWindow;
  std::string SettingsFile;  // the window shows this .cfg; empty for the kept settings
  std::string Error;         // what was wrong, for a usage error
};

// Reads the arguments after the program's name. --help (-h) and --version (-v) win over
// everything else; at most one settings file; after "--" every argument is a file.
DesktopCommand ParseDesktopArguments(const std::vector<std::string>& arguments);

// What --help prints.
std::string DesktopHelpText();

}  // namespace pinwright
