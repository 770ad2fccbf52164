// The usage and help texts of pinwright-cli.
#include "cli/arguments.h"

#include <algorithm>
#include <string>
#include <vector>

#include "build/buildproject.h"
#include "settings/configlarkspur.h"

namespace pinwright::cli {
namespace {

constexpr std::string_view kUsage =
    "Usage: pinwright-cli generate [--config FILE.cfg] [OPTIONS] [--hdl LANGUAGE] [--testbench]\n"
    "                              [PATH.qpf]\n"
    "       pinwright-cli config [--config FILE.cfg] [OPTIONS] [--force] OUT.cfg\n"
    "       pinwright-cli show [--json] FILE.cfg\n"
    "       pinwright-cli cards [--cards DIR] [--card FILE.toml]\n"
    "       pinwright-cli card check FILE.toml... | card export CARD\n"
    "       pinwright-cli card picture [--header N] [--force] CARD OUT.svg\n"
    "       pinwright-cli check [--cards DIR] [--card FILE.toml] [--top FILE] [--json]\n"
    "                           PROJECT.qsf\n"
    "       pinwright-cli import [--cards DIR] [--card FILE.toml] [--json] [--force]\n"
    "                            PROJECT.qsf OUT.cfg\n"
    "       pinwright-cli help [COMMAND] | --help | --version\n";

constexpr std::string_view kOptionsBeforeComponents =
    "Options that change the settings (applied in order, after --config):\n"
    "  --config FILE.cfg   start from this settings file instead of the defaults\n"
    "  --project NAME      project name (at most 127 bytes)\n"
    "  --with LIST         tick the components in LIST (comma-separated)\n"
    "  --without LIST      clear the components in LIST\n";

constexpr std::string_view kOptionsAfterComponents =
    "  --gpio0 CARD        card on the GPIO-0 header: ID or name, none for no card\n"
    "  --gpio1 CARD        card on the GPIO-1 header (see pinwright-cli cards)\n"
    "  --prefix0 TEXT      signal-name prefix of the GPIO-0 header (at most 127 bytes)\n"
    "  --prefix1 TEXT      signal-name prefix of the GPIO-1 header\n"
    "  --cards DIR         also take the card files (*.toml) in DIR; may be repeated\n"
    "  --card FILE.toml    also take this card file; may be repeated\n";

constexpr std::size_t kHelpWidth = 80;
constexpr std::string_view kHelpIndent = "                      ";

// "components: OSC LED ..., or all (any letter case)" from the component table, wrapped
// under the option descriptions.
std::string ComponentsHelp() {
  std::vector<std::string> words{"components:"};
  for (const LarkspurComponent& component : kLarkspurComponents)
    words.emplace_back(component.Name);
  words.back() += ",";
  for (const char* word : {"or", "all", "(any", "letter", "case)"})
    words.emplace_back(word);

  std::string text;
  std::string line(kHelpIndent);
  for (const std::string& word : words) {
    const bool first = line.size() == kHelpIndent.size();
    if (!first && line.size() + 1 + word.size() > kHelpWidth) {
      text += line + "\n";
      line = std::string(kHelpIndent);
    } else if (!first) {
      line += ' ';
    }
    line += word;
  }
  return text + line + "\n";
}

std::string OptionsHelp() {
  return std::string(kOptionsBeforeComponents) + ComponentsHelp() +
         std::string(kOptionsAfterComponents);
}

constexpr std::string_view kGenerateHelp =
    "pinwright-cli generate [--config FILE.cfg] [OPTIONS] [--hdl LANGUAGE] [--testbench]\n"
    "                       [PATH.qpf]\n"
    "\n"
    "Writes the Quartus project (.qpf, .qsf, .v, .sdc, .htm) for the settings. PATH's\n"
    "extension is replaced, its base name names the top-level module, and its folder is\n"
    "created when missing. Without PATH the project goes to\n"
    "CodeGenerated/LARKSPUR/NAME/NAME.qpf under the current folder, NAME being the project\n"
    "name. With SOURCE_DATE_EPOCH set to a number of seconds since 1970, the files carry\n"
    "that instant (in UTC) instead of the local time, so equal input gives equal files.\n";

constexpr std::string_view kConfigHelp =
    "pinwright-cli config [--config FILE.cfg] [OPTIONS] [--force] OUT.cfg\n"
    "\n"
    "Writes the settings to OUT.cfg after the checks that generating runs. An OUT.cfg that\n"
    "is no settings file (a project file, say) is left alone unless --force is given; then\n"
    "it is kept as a numbered backup (OUT.cfg.~1~, ...) before it is replaced.\n"
    "\n"
    "  --force             replace an OUT.cfg that is no settings file, keeping a backup\n";

constexpr std::string_view kShowHelp =
    "pinwright-cli show [--json] FILE.cfg\n"
    "\n"
    "Prints the settings of FILE.cfg: project name, ticked components, the card on each\n"
    "GPIO header and the header prefixes, and whether the settings pass the checks.\n"
    "\n"
    "  --json              print them as one JSON object; when the settings pass the checks\n"
    "                      it holds the pin list too (as in NAME.pins.json). Writes no file.\n";

constexpr std::string_view kCardsFound =
    "Card files are taken from cards/ beside a portable pinwright-cli, or from\n"
    "$XDG_DATA_HOME/pinwright/cards/ (~/.local/share/pinwright/cards/) for an installed\n"
    "one, then from every --cards DIR and --card FILE.toml in order; a later file with the\n"
    "same ID replaces an earlier one.\n";

constexpr std::string_view kCardsHelp =
    "pinwright-cli cards [--cards DIR] [--card FILE.toml]\n"
    "\n"
    "Lists the daughter cards a GPIO header takes: ID and name, the file each user card\n"
    "came from, and the card files refused, with their errors.\n";

constexpr std::string_view kCardHelp =
    "pinwright-cli card check FILE.toml...\n"
    "pinwright-cli card export CARD\n"
    "pinwright-cli card picture [--header N] [--force] CARD OUT.svg\n"
    "\n"
    "check    checks the card files, also against the installed cards: every error as\n"
    "         FILE:LINE:COLUMN: error: MESSAGE on standard error; exit status 0 when all\n"
    "         pass, 1 otherwise\n"
    "export   prints the card (ID or name, built-in ones too) as a card file\n"
    "picture  writes the card's picture on a GPIO header as an SVG: GPIO-0, or with\n"
    "         --header N the header of that number (0 or 1, as in --gpio0 and --gpio1).\n"
    "         An OUT.svg that is no SVG picture is left alone unless --force is given;\n"
    "         then it is kept as a numbered backup (OUT.svg.~1~, ...) before it is replaced.\n";

constexpr std::string_view kCheckHelp =
    "pinwright-cli check [--cards DIR] [--card FILE.toml] [--top FILE] [--json]\n"
    "                    PROJECT.qsf\n"
    "\n"
    "Checks the pin assignments of a Quartus settings file against the Larkspur board and\n"
    "its cards, the card files' cards included, without the vendor tool, and prints each\n"
    "finding as\n"
    "FILE:LINE:COLUMN: error: MESSAGE [RULE] (or warning:). The rules:\n"
    "  unknown-location    a ball the board's tables do not know (a warning)\n"
    "  location-twice      two ports on one ball\n"
    "  swapped             a known signal on a ball the board gives to another signal\n"
    "  io-standard         an I/O standard of another voltage than the ball's (a warning\n"
    "                      when only the name differs)\n"
    "  diff-partner        a differential standard whose other leg is missing or misplaced\n"
    "  device              a DEVICE or FAMILY other than the board's\n"
    "  unassigned-port     with --top: a port without location or I/O standard\n"
    "  stale-assignment    with --top: an assignment to no port of the top level\n"
    "\n"
    "  --top FILE          the top level (.v, .sv or .vhd) whose ports the file assigns\n"
    "  --json              print the findings as one JSON array\n"
    "  --cards DIR         also take the card files (*.toml) in DIR; may be repeated\n"
    "  --card FILE.toml    also take this card file; may be repeated\n"
    "\n"
    "Exit status: 0 no error found, 1 at least one error, 2 usage error or a file that cannot\n"
    "be read.\n";

constexpr std::string_view kImportHelp =
    "pinwright-cli import [--cards DIR] [--card FILE.toml] [--json] [--force] PROJECT.qsf\n"
    "                     OUT.cfg\n"
    "\n"
    "Reads the settings back from a Quartus settings file (the project name, the ticked\n"
    "components, the card on each header, a card file's card included, and the prefixes)\n"
    "and writes them to OUT.cfg. Assignments that match no component and no card are\n"
    "listed; a file whose assignments make no consistent settings is refused and nothing\n"
    "is written. What the file cannot tell is said in a note: whether LPDDR4-A was ticked\n"
    "beside HPS, which brings it along, and the prefix of a header without a card.\n"
    "An OUT.cfg that is no settings file is left alone unless --force is given.\n"
    "\n"
    "  --json              print what was found as one JSON object\n"
    "  --force             replace an OUT.cfg that is no settings file, keeping a backup\n"
    "  --cards DIR         also take the card files (*.toml) in DIR; may be repeated\n"
    "  --card FILE.toml    also take this card file; may be repeated\n";

constexpr std::string_view kExitStatus =
    "Exit status: 0 success, 1 settings refused or a file not read or written, 2 usage error.\n";

// The output table's options, each with its value and description: the description's lines
// stand in a column of their own.
std::string OutputOptionsHelp() {
  constexpr std::size_t kColumn = 22;
  std::string text = "Output options (generate):\n";
  for (const OutputOption* option : OutputOptions()) {
    std::string head = "  " + std::string(option->CommandLine);
    if (!option->ValueName.empty())
      head += " " + std::string(option->ValueName);
    head.resize(std::max(head.size() + 1, kColumn), ' ');
    text += head;
    std::string_view rest = option->Description;
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;) {
      text += std::string(rest.substr(0, end)) + "\n" + std::string(kColumn, ' ');
      rest.remove_prefix(end + 1);
    }
    text += std::string(rest) + "\n";
  }
  return text;
}

}  // namespace

std::string UsageText() {
  return std::string(kUsage) + "Try 'pinwright-cli --help' for more information.\n";
}

std::string HelpText(std::optional<Command> topic) {
  if (!topic) {
    return "pinwright-cli writes Quartus projects for the Larkspur board.\n\n" +
           std::string(kUsage) + "\n" + OptionsHelp() + "\n" + OutputOptionsHelp() + "\n" +
           std::string(kExitStatus);
  }
  switch (*topic) {
    case Command::Generate:
      return std::string(kGenerateHelp) + "\n" + OutputOptionsHelp() + "\n" + OptionsHelp();
    case Command::Config:
      return std::string(kConfigHelp) + "\n" + OptionsHelp();
    case Command::Show:
      return std::string(kShowHelp);
    case Command::Cards:
      return std::string(kCardsHelp) + "\n" + std::string(kCardsFound);
    case Command::Card:
      return std::string(kCardHelp) + "\n" + std::string(kCardsFound);
    case Command::Check:
      return std::string(kCheckHelp) + "\n" + std::string(kCardsFound);
    case Command::Import:
      return std::string(kImportHelp) + "\n" + std::string(kCardsFound);
    case Command::Help:
    case Command::Version:
      break;
  }
  return HelpText(std::nullopt);
}

}  // namespace pinwright::cli
