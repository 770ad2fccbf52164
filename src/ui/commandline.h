// The desktop program's command line: help, version, or the window with a settings file and
// card files beside the standard card folder.
#pragma once

#include <string>
#include <vector>

#include "cards/usercards.h"

namespace pinwright {

enum class DesktopAction { OpenWindow, Help, Version, UsageError };

struct DesktopCommand {
  DesktopAction Action = DesktopAction::OpenWindow;
  std::string SettingsFile;           // the window shows this .cfg; empty for the kept settings
  std::string Error;                  // what was wrong, for a usage error
  std::vector<CardSource> CardFiles;  // --cards DIR and --card FILE, in order
};

// Reads the arguments after the program's name. --help (-h) and --version (-v) win over
// everything else; at most one settings file; --cards and --card take their value as the
// next word or after "=" and may be repeated; after "--" every argument is a file.
DesktopCommand ParseDesktopArguments(const std::vector<std::string>& arguments);

// What --help prints.
std::string DesktopHelpText();

}  // namespace pinwright
