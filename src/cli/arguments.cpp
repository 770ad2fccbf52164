#include "cli/arguments.h"

#include <optional>
#include <utility>

#include "build/buildproject.h"
#include "host/text.h"
#include "settings/configlarkspur.h"

namespace pinwright::cli {
namespace {

enum class OptionId {
  Help,
  Config,
  Project,
  With,
  Without,
  Card,    // --gpioN, N a header's number
  Prefix,  // --prefixN
  Output,  // an option of the output table
  Json,
  CardFolder,
  CardFile,
  Top,
  Force,
  PictureHeader
};

// Which commands take an option.
enum class OptionScope { Any, Record, Generate, Report, Check, Replace, Card };

struct OptionSpec {
  std::string_view Name;
  OptionId Id;
  bool TakesValue;
  OptionScope Scope;
  std::size_t Header = 0;                // the index into kLarkspurHeaders of --gpioN and --prefixN
  const OutputOption* Output = nullptr;  // the option of the output table
};

// clang-format off
constexpr std::array<OptionSpec, 12> kOptions{{
  {"--help",      OptionId::Help,      false, OptionScope::Any},
  {"-h",          OptionId::Help,      false, OptionScope::Any},
  {"--config",    OptionId::Config,    true,  OptionScope::Record},
  {"--project",   OptionId::Project,   true,  OptionScope::Record},
  {"--with",      OptionId::With,      true,  OptionScope::Record},
  {"--without",   OptionId::Without,   true,  OptionScope::Record},
  {"--cards",     OptionId::CardFolder, true, OptionScope::Any},
  {"--card",      OptionId::CardFile,  true,  OptionScope::Any},
  {"--json",      OptionId::Json,      false, OptionScope::Report},
  {"--top",       OptionId::Top,       true,  OptionScope::Check},
  {"--force",     OptionId::Force,     false, OptionScope::Replace},
  {"--header",    OptionId::PictureHeader, true, OptionScope::Card},
}};
// clang-format on

constexpr std::size_t kUnlimited = static_cast<std::size_t>(-1);

struct CommandSpec {
  std::string_view Name;
  Command Which;
  std::size_t MinOperands;
  std::size_t MaxOperands;
  bool BuildsRecord;  // takes --config and the overrides
};

// clang-format off
constexpr std::array<CommandSpec, 7> kCommands{{
  {"generate", Command::Generate, 0, 1, true},
  {"config",   Command::Config,   1, 1, true},
  {"show",     Command::Show,     1, 1, false},
  {"cards",    Command::Cards,    0, 0, false},
  {"card",     Command::Card,     1, kUnlimited, false},
  {"check",    Command::Check,    1, 1, false},
  {"import",   Command::Import,   2, 2, false},
}};
// clang-format on

const CommandSpec* FindCommand(std::string_view name) {
  for (const CommandSpec& entry : kCommands) {
    if (entry.Name == name)
      return &entry;
  }
  return nullptr;
}

std::optional<OptionSpec> FindOption(std::string_view name) {
  for (const OptionSpec& entry : kOptions) {
    if (entry.Name == name)
      return entry;
  }
  for (const OutputOption* output : OutputOptions()) {
    if (output->CommandLine == name) {
      return OptionSpec{
          name,  OptionId::Output, output->Kind != OptionKind::Switch, OptionScope::Generate, 0,
          output};
    }
  }
  for (std::size_t h = 0; h < kLarkspurHeaders.size(); ++h) {
    const std::string_view number = kLarkspurHeaders[h].Number;
    for (const auto& [word, id] : {std::pair{std::string_view("--gpio"), OptionId::Card},
                                   std::pair{std::string_view("--prefix"), OptionId::Prefix}}) {
      if (name.size() == word.size() + number.size() && name.starts_with(word) &&
          name.ends_with(number))
        return OptionSpec{name, id, true, OptionScope::Record, h};
    }
  }
  return std::nullopt;
}

// A header by its number, as in --gpioN, or by its label ("GPIO-1"), letter case ignored.
std::optional<std::size_t> FindHeader(std::string_view text) {
  for (std::size_t h = 0; h < kLarkspurHeaders.size(); ++h) {
    if (text == kLarkspurHeaders[h].Number || EqualsIgnoringCase(text, kLarkspurHeaders[h].Label))
      return h;
  }
  return std::nullopt;
}

// "0 or 1": the numbers of the headers.
std::string HeaderNumbers() {
  std::string numbers;
  for (std::size_t h = 0; h < kLarkspurHeaders.size(); ++h) {
    numbers += (h == 0                             ? ""
                : h + 1 == kLarkspurHeaders.size() ? " or "
                                                   : ", ") +
               std::string(kLarkspurHeaders[h].Number);
  }
  return numbers;
}

Failure UsageError(std::string message) {
  return {FailureKind::BadArgument, {}, std::move(message), {}};
}

Request RequestFor(Command which, std::optional<Command> topic = std::nullopt) {
  Request request;
  request.Which = which;
  request.HelpTopic = topic;
  return request;
}

// "LED,uart,all" into changes; a usage error names what is wrong with the list.
Status AddComponentList(std::string_view list, bool ticked, std::vector<ComponentChange>& changes) {
  if (list.empty())
    return UsageError("an empty component list");
  std::size_t start = 0;
  while (true) {
    std::size_t comma = list.find(',', start);
    std::string_view name = list.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    if (EqualsIgnoringCase(name, "all")) {
      for (std::size_t i = 0; i < kLarkspurComponents.size(); ++i)
        changes.push_back({i, ticked});
    } else if (std::optional<std::size_t> index = FindLarkspurComponent(name)) {
      changes.push_back({*index, ticked});
    } else {
      return UsageError(name.empty()
                            ? "an empty name in the component list '" + std::string(list) + "'"
                            : "unknown component '" + std::string(name) + "'");
    }
    if (comma == std::string_view::npos)
      return {};
    start = comma + 1;
  }
}

}  // namespace

Result<Request> ParseArguments(std::span<const std::string> args) {
  if (args.empty())
    return UsageError("no command given");
  const std::string& first = args[0];
  if (first == "--version") {
    if (args.size() > 1)
      return UsageError("--version takes no arguments");
    return RequestFor(Command::Version);
  }
  if (first == "--help" || first == "-h" || first == "help") {
    Request request = RequestFor(Command::Help);
    if (args.size() > 2)
      return UsageError("help takes at most one command name");
    if (args.size() == 2) {
      const CommandSpec* topic = FindCommand(args[1]);
      if (!topic)
        return UsageError("no help for '" + args[1] + "': not a command");
      request.HelpTopic = topic->Which;
    }
    return request;
  }
  const CommandSpec* command = FindCommand(first);
  if (!command)
    return UsageError("unknown command '" + first + "'");

  Request request = RequestFor(command->Which);
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      request.Operands.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    std::size_t equals = word.find('=');
    std::string_view name = std::string_view(word).substr(0, equals);
    const std::optional<OptionSpec> option = FindOption(name);
    const bool inScope =
        option &&
        (option->Scope == OptionScope::Any ||
         (option->Scope == OptionScope::Record && command->BuildsRecord) ||
         (option->Scope == OptionScope::Generate && command->Which == Command::Generate) ||
         (option->Scope == OptionScope::Report &&
          (command->Which == Command::Show || command->Which == Command::Check ||
           command->Which == Command::Import)) ||
         (option->Scope == OptionScope::Check && command->Which == Command::Check) ||
         (option->Scope == OptionScope::Replace &&
          (command->Which == Command::Config || command->Which == Command::Import ||
           command->Which == Command::Card)) ||
         (option->Scope == OptionScope::Card && command->Which == Command::Card));
    if (!inScope) {
      return UsageError("unknown option '" + std::string(name) + "' for " +
                        std::string(command->Name));
    }
    std::string value;
    if (equals != std::string::npos) {
      if (!option->TakesValue)
        return UsageError(std::string(name) + " takes no value");
      value = word.substr(equals + 1);
    } else if (option->TakesValue) {
      if (i + 1 == args.size())
        return UsageError(std::string(name) + " needs a value");
      value = args[++i];
    }
    switch (option->Id) {
      case OptionId::Help:
        return RequestFor(Command::Help, command->Which);
      case OptionId::Config:
        request.ConfigFile = value;
        break;
      case OptionId::Project:
        request.Project = value;
        break;
      case OptionId::With:
      case OptionId::Without: {
        const Status added =
            AddComponentList(value, option->Id == OptionId::With, request.Components);
        if (!added)
          return UsageError(std::string(name) + ": " + added.Error().Reason);
        break;
      }
      case OptionId::Card:
        request.Cards[option->Header] = value;
        break;
      case OptionId::Prefix:
        request.Prefixes[option->Header] = value;
        break;
      case OptionId::Output:
        if (const Status set = SetOutputOption(*option->Output, value, request.Output); !set)
          return UsageError(std::string(name) + ": " + set.Error().Reason);
        break;
      case OptionId::Json:
        request.Json = true;
        break;
      case OptionId::CardFolder:
        request.CardFiles.push_back({CardSource::Kind::Folder, value});
        break;
      case OptionId::CardFile:
        request.CardFiles.push_back({CardSource::Kind::File, value});
        break;
      case OptionId::Top:
        request.TopLevel = value;
        break;
      case OptionId::Force:
        request.Force = true;
        break;
      case OptionId::PictureHeader: {
        const std::optional<std::size_t> header = FindHeader(value);
        if (!header)
          return UsageError(std::string(name) + ": unknown header '" + value + "' (" +
                            HeaderNumbers() + ")");
        request.PictureHeader = *header;
        break;
      }
    }
  }
  if (command->Which == Command::Card && request.Operands.empty())
    return UsageError("card needs check, export or picture");
  if (command->Which == Command::Card) {
    const std::string& what = request.Operands.front();
    const std::size_t operands = request.Operands.size() - 1;
    if (what == "check" && operands == 0)
      return UsageError("card check needs the card files to check");
    if (what == "export" && operands != 1)
      return UsageError("card export needs one card: its ID or name");
    if (what == "picture" && operands != 2)
      return UsageError("card picture needs a card and the .svg file to write");
    if (what != "check" && what != "export" && what != "picture")
      return UsageError("unknown card command '" + what + "' (check, export or picture)");
    if (what != "picture" && request.PictureHeader)
      return UsageError("--header is for card picture only");
    return request;
  }
  if (request.Operands.size() < command->MinOperands) {
    const char* needs = command->Which == Command::Config  ? "the .cfg file to write"
                        : command->Which == Command::Check ? "the .qsf file to check"
                        : command->Which == Command::Import
                            ? "the .qsf file to read and the .cfg file to write"
                            : "a .cfg file";
    return UsageError(std::string(command->Name) + " needs " + needs);
  }
  if (request.Operands.size() > command->MaxOperands) {
    return UsageError("unexpected argument '" + request.Operands[command->MaxOperands] + "'");
  }
  return request;
}

}  // namespace pinwright::cli
