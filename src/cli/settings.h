// The record a command works on: loaded from a .cfg or the defaults, with the command line's
// overrides applied. Card names are resolved against the GPIO choice list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "settings/configlarkspur.h"

namespace pinwright::cli {

// The exit status classes of pinwright-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  // input refused, or a file not read or written
inline constexpr int kExitUsage = 2;

struct Status {
  int Exit = kExitOk;
  std::string Message;  // for stderr; empty on success

  bool Ok() const { return Exit == kExitOk; }
};

// The card ID that the text names: "none", an ID of the choice list, or a card's display
// name in any letter case. Nothing when the choice list holds no such card.
std::optional<std::int32_t> ResolveCard(const TConfigBoard& choices, std::string_view text);

// The choice list as "ID name" lines, for the cards command and for error messages.
std::string CardChoicesText(const TConfigBoard& choices);

// Loads the .cfg into the record; a missing file and each load failure get their reason.
Status LoadSettingsFile(TConfigLarkspur& config, const std::string& path);

// Fills the choice list, starts from --config or the defaults and applies the overrides in
// this order: components (in command-line order), project name, cards, prefixes. Usage
// errors are found before any file is read.
Status BuildSettings(const Request& request, TConfigLarkspur& config);

}  // namespace pinwright::cli
