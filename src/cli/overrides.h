// The record a command works on: loaded from a .cfg or the defaults, with the command line's
// overrides applied, and the exit status that a failure gives.
#pragma once

#include <string>

#include "cli/arguments.h"
#include "host/failure.h"
#include "settings/configlarkspur.h"

namespace pinwright::cli {

// The exit status classes of pinwright-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  // input refused, or a file not read or written
inline constexpr int kExitUsage = 2;

// kExitOk for success, kExitUsage for a BadArgument failure, kExitRefused for any other.
int ExitStatusOf(const Status& status);

// Shows the failure (its system's words and reason) through the host, and gives the exit
// status.
int Report(const Status& status);

// The choice list as "ID name" lines, for the cards command and for error messages.
std::string CardChoicesText();
// "unknown card 'TEXT'; the choices are:" and the choices, as a message.
std::string UnknownCardText(const std::string& typed);

// Loads the .cfg into the record; the failure's reason names the file ("cannot read PATH:
// no such file", "cannot read PATH: Invalid File Size.").
Status LoadSettingsFile(TConfigLarkspur& config, const std::string& path);

// Fills the choice list, starts from --config or the defaults and applies the overrides in
// this order: components (in command-line order), project name, cards, prefixes. Usage
// errors are found before any file is read. A text field without a NUL left in the record
// is refused, naming the file it came from.
Status BuildSettings(const Request& request, TConfigLarkspur& config);

}  // namespace pinwright::cli
