// The command line of pinwright-cli turned into a request: which command, which options, which
// operands. Syntax only; what the values mean is settled later against the core.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cards/usercards.h"
#include "host/failure.h"
#include "project/generationoptions.h"
#include "settings/configlarkspur.h"

namespace pinwright::cli {

enum class Command { Help, Version, Generate, Config, Show, Cards, Card, Check, Import };

// One entry of --with or --without, in command-line order, so that later ones win.
struct ComponentChange {
  std::size_t Component = 0;  // index into kLarkspurComponents
  bool Ticked = false;
};

struct Request {
  Command Which = Command::Help;
  std::optional<Command> HelpTopic;  // "help generate", "generate --help"
  std::optional<std::string> ConfigFile;
  std::optional<std::string> Project;
  std::vector<ComponentChange> Components;
  std::array<std::optional<std::string>, kLarkspurHeaders.size()>
      Cards;  // as typed; resolved later
  std::array<std::optional<std::string>, kLarkspurHeaders.size()> Prefixes;  // by header
  GenerationOptions Output;             // --hdl, --testbench, --pins, --pinout
  bool Json = false;                    // show, check, import: print what was found as JSON
  std::vector<CardSource> CardFiles;    // --cards and --card, in order
  std::optional<std::string> TopLevel;  // check: the top-level design file
  bool Force = false;  // config: replace a file that is no settings record, keeping a backup
  std::optional<std::size_t> PictureHeader;  // card picture --header: kLarkspurHeaders index
  std::vector<std::string> Operands;
};

// args excludes the program name. Options take their value as the next word or after "=";
// "--" ends the options. A command line that is not well formed is a BadArgument failure
// whose reason says why.
Result<Request> ParseArguments(std::span<const std::string> args);

// The short usage text printed after a usage error and the full text of --help; with a
// topic, the text of that one command.
std::string UsageText();
std::string HelpText(std::optional<Command> topic);

}  // namespace pinwright::cli
