#include "project/checkedproject.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <filesystem>
#include <memory_resource>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "boards/boardmodel.h"
#include "boards/larkspur_board.h"
#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "cards/daughterboard.h"
#include "cards/usercards.h"
#include "host/paths.h"
#include "host/text.h"
#include "model/pin.h"
#include "model/portmodel.h"
#include "project/namerules.h"

namespace pinwright {
namespace {

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

Failure Refused(FailureKind kind, std::string reason) {
  return {kind, {}, std::move(reason), {}};
}

// A name the top level declares, e.g. `Project name "X"` or `The signal "X" of "LED"` as
// what; advice, when not empty, says how to mend a name that is no identifier.
Status CheckDeclaredName(const std::string& name, const std::string& what, HdlLanguage language,
                         FailureKind kind, const std::string& advice = {}) {
  const std::string caption(HdlLanguageCaption(language));
  switch (CheckHdlName(name, language)) {
    case NameProblem::None:
      return {};
    case NameProblem::NotIdentifier:
      return Refused(kind, what + " is not a valid " + caption +
                               " identifier: " + (advice.empty() ? "" : advice + "; ") +
                               std::string(IdentifierHint(language)));
    case NameProblem::ReservedWord:
      break;
  }
  return Refused(kind, what + " is a reserved word of " + caption + ": " +
                           (advice.empty() ? "choose another name." : advice + "."));
}

// The reason of a refusal; empty when the check passed.
std::string ReasonOf(const Status& status) {
  return status ? std::string() : status.Error().Reason;
}

// A module name: the project name field or the .qpf base name.
Status CheckModuleName(const std::string& name, const char* what, FailureKind kind,
                       HdlLanguage language = HdlLanguage::Verilog) {
  return CheckDeclaredName(name, std::string(what) + " " + Quoted(name), language, kind);
}

// The project name in the language about to be generated, then as a Verilog name (which
// checked settings always are): the language's own rule and advice come first.
Status CheckProjectName(const std::string& name, HdlLanguage language) {
  if (Status own = CheckModuleName(name, "Project name", FailureKind::BadProjectName, language);
      !own) {
    return own;
  }
  return CheckModuleName(name, "Project name", FailureKind::BadProjectName);
}

struct Header {
  std::string_view Label;  // as the form names it
  std::int32_t Key;        // the key of its group in the board model
  std::int32_t CardId;
  std::string Prefix;
};
using Headers = std::vector<Header>;

// The board's headers with the card and prefix the settings give each.
Headers HeadersOf(const BoardDefinition& board, const BoardSettings& settings) {
  Headers headers;
  for (std::size_t h = 0; h < board.Headers.size(); ++h) {
    const HeaderSettings chosen =
        h < settings.Headers.size() ? settings.Headers[h] : HeaderSettings{};
    headers.push_back(
        {board.Headers[h].Label, board.Headers[h].HeaderKey, chosen.Card, chosen.Prefix});
  }
  return headers;
}

Headers HeadersOf(const TLarkspurSettings& record) {
  return HeadersOf(LarkspurBoard(), LarkspurBoardSettings(record));
}

// The index of a header in its list.
std::size_t IndexOf(const Header* header, const Headers& headers) {
  return static_cast<std::size_t>(header - headers.data());
}

// Each header's card and prefix, for the prefix clash check.
std::vector<HeaderChoice> ChoicesOf(const Headers& headers) {
  std::vector<HeaderChoice> choices;
  for (const Header& header : headers)
    choices.push_back({header.CardId, header.Prefix});
  return choices;
}

Status CheckPrefix(const Header& header, HdlLanguage language = HdlLanguage::Verilog) {
  if (header.CardId == kCardNone || header.Prefix.empty())
    return {};
  if (header.Prefix.size() > kPrefixLimit) {
    return Refused(FailureKind::BadPrefix,
                   "The prefix of the " + std::string(header.Label) + " header is longer than " +
                       std::to_string(kPrefixLimit) + " characters: shorten it.");
  }
  for (const HdlLanguage rule : {language, HdlLanguage::Verilog}) {
    if (!IsHdlPrefix(header.Prefix, rule)) {
      return Refused(FailureKind::BadPrefix,
                     "The prefix " + Quoted(header.Prefix) + " of the " +
                         std::string(header.Label) + " header is not valid in a " +
                         std::string(HdlLanguageCaption(rule)) + " name: leave it empty or " +
                         std::string(PrefixHint(rule)));
    }
  }
  return {};
}

Status CheckCard(const Header& header, const TConfigBoard& choices) {
  if (choices.OffersCard(header.CardId))
    return {};
  if (const std::string missing = MissingUserCardText(header.CardId); !missing.empty())
    return Refused(FailureKind::UnknownCard,
                   "The " + std::string(header.Label) + " header: " + missing);
  return Refused(FailureKind::UnknownCard,
                 "Card ID " + std::to_string(header.CardId) + " on the " +
                     std::string(header.Label) +
                     " header is not a card that a GPIO header offers: choose one from the list.");
}

// The form's header behind a header group; nullptr for an on-board group.
const Header* HeaderOf(const TConnector& group, const Headers& headers) {
  if (!group.IsHeader())
    return nullptr;
  for (const Header& header : headers) {
    if (group.HeaderKey() == header.Key)
      return &header;
  }
  return nullptr;
}

// Port names with letter case ignored, as the keys of a map.
struct FoldedHasher {
  std::size_t operator()(std::string_view text) const {
    std::size_t hash = 14695981039346656037u;  // FNV-1a of the folded bytes
    for (const char c : text)
      hash = (hash ^ static_cast<unsigned char>(FoldCase(c))) * 1099511628211u;
    return hash;
  }
};
struct FoldedEqual {
  bool operator()(std::string_view a, std::string_view b) const { return EqualsIgnoringCase(a, b); }
};

// Two groups must not declare the same port, letter case ignored: the top-level module
// would declare it twice and the settings file would assign two pins to one name. The
// header whose prefix would mend a clash is named in blamed, when there is one.
Status CheckPortNames(const TMainBoard& board, const Headers& headers,
                      const Header** blamed = nullptr) {
  // Port name -> group; the names are views into the board's pin names. The map's nodes
  // come from one arena, mostly on the stack, instead of an allocation each.
  std::array<std::byte, 16384> arena;
  std::pmr::monotonic_buffer_resource nodes(arena.data(), arena.size());
  std::pmr::unordered_map<std::string_view, std::size_t, FoldedHasher, FoldedEqual> owner(&nodes);
  std::size_t pins = 0;
  for (std::size_t g = 0; g < board.GroupCount(); ++g)
    pins += board.GroupAt(g).PinEntryCount();
  owner.reserve(pins);
  std::optional<Failure> clash;
  std::string_view previous;
  std::size_t previousGroup = board.GroupCount();
  board.ForEachActivePin([&](std::size_t g, const TConnector& group, const TPin& pin) {
    if (clash)
      return;
    const std::string_view port = SplitPortName(pin.Name()).Base;
    // The members of a bus follow one another: the first of them answered for the rest.
    if (g == previousGroup && port == previous)
      return;
    previous = port;
    previousGroup = g;
    const auto [seen, isNew] = owner.emplace(port, g);
    if (isNew || seen->second == g)
      return;
    const TConnector& first = board.GroupAt(seen->second);
    const Header* header = HeaderOf(group, headers);
    if (!header)
      header = HeaderOf(first, headers);
    const std::string advice =
        !header ? "these two groups cannot be used together."
                : "give the " + std::string(header->Label) + " header " +
                      (header->Prefix.empty() ? "a prefix." : "a different prefix.");
    if (blamed)
      *blamed = header;
    clash = Refused(FailureKind::DuplicatePort,
                    "The signal " + Quoted(port) + " would be a port of both " +
                        Quoted(first.Name()) + " and " + Quoted(group.Name()) + ": " + advice);
  });
  if (clash)
    return *clash;
  return {};
}

// Every port the top level declares must be a name of the language: a prefix may make one
// that Verilog takes and VHDL does not, and a card's signal may be a reserved word there.
// With perHeader, every header's first refusal is kept there (by header) and the check goes
// on through the other groups; a group of no header still ends it.
Status CheckPortNamesFor(const TMainBoard& board, const Headers& headers, HdlLanguage language,
                         const Header** blamed = nullptr,
                         std::vector<std::string>* perHeader = nullptr) {
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    const Header* header = HeaderOf(group, headers);
    if (perHeader && header && !(*perHeader)[IndexOf(header, headers)].empty())
      continue;
    // The latest name that passed: the other members of its bus follow it.
    std::optional<std::string_view> passed;
    for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (!pin || !pin->IsActive())
        continue;
      const std::string_view port = SplitPortName(pin->Name()).Base;
      if (passed && port == *passed)
        continue;
      if (CheckHdlName(port, language) == NameProblem::None) {
        passed = port;
        continue;
      }
      const std::string advice =
          !header ? "the group cannot be used in a " + std::string(HdlLanguageCaption(language)) +
                        " top level"
                  : (header->Prefix.empty()
                         ? "give the " + std::string(header->Label) + " header a prefix"
                         : "change the prefix of the " + std::string(header->Label) + " header");
      if (blamed)
        *blamed = header;
      Status refused = CheckDeclaredName(
          std::string(port), "The signal " + Quoted(port) + " of " + Quoted(group.Name()), language,
          FailureKind::BadPortName, advice);
      if (!perHeader || !header)
        return refused;
      (*perHeader)[IndexOf(header, headers)] = refused.Error().Reason;
      break;
    }
  }
  return {};
}

}  // namespace

bool IsDefaultGpioPair(const TLarkspurSettings& settings) {
  return std::all_of(kLarkspurHeaders.begin(), kLarkspurHeaders.end(),
                     [&](const LarkspurHeader& header) {
                       return (settings.*header.Card).Get() == kCardGpioDefault &&
                              (settings.*header.Prefix).Get().empty();
                     });
}

CheckedSettings::CheckedSettings(const TLarkspurSettings& record, std::unique_ptr<TMainBoard> model)
    : Record(record),
      Defined(&LarkspurBoard()),
      Choices(LarkspurBoardSettings(record)),
      Model(std::move(model)),
      Name(record.ProjectName.Get()) {}

CheckedProjectPath::CheckedProjectPath(std::string path, std::string name)
    : Path(std::move(path)), Name(std::move(name)) {}

Result<CheckedSettings> CheckLarkspurSettings(const TLarkspurSettings& settings,
                                              HdlLanguage language) {
  if (Status text = CheckTextFields(settings); !text)
    return text.Error();
  const std::string projectName = settings.ProjectName.Get();
  if (projectName.empty())
    return Refused(FailureKind::EmptyProjectName, "Project Name cannot be empty.");

  const Headers headers = HeadersOf(settings);
  if (!IsDefaultGpioPair(settings)) {
    if (Status clash = TMainBoard::CheckPrefixClash(ChoicesOf(headers)); !clash)
      return clash.Error();
  }

  if (Status name = CheckProjectName(projectName, language); !name)
    return name.Error();
  for (const Header& header : headers) {
    if (Status prefix = CheckPrefix(header, language); !prefix)
      return prefix.Error();
  }

  TConfigLarkspur choices;
  choices.FillChoiceList(GpioHeaderChoices());
  for (const Header& header : headers) {
    if (Status card = CheckCard(header, choices); !card)
      return card.Error();
  }

  TLarkspurSettings record = settings;
  StampLarkspurRecord(record);
  std::unique_ptr<TMainBoard> board = BuildLarkspurModel(record);
  if (Status ports = CheckPortNames(*board, headers); !ports)
    return ports.Error();
  // Every file lists the pins in generation order; the checked model holds them so. Names
  // made of identifiers and the fixed tables always pass, so this guards the tables.
  if (!CheckPinNames(*board)) {
    return Refused(FailureKind::BadPinName,
                   "A signal name holds only one of the brackets \"[\" and \"]\".");
  }
  if (Status ordered = board->OrderPins(); !ordered)
    return ordered.Error();
  return CheckedSettings(record, std::move(board));
}

Status CheckTopLevelNames(const CheckedSettings& settings, HdlLanguage language) {
  if (Status name = CheckModuleName(settings.ProjectName(), "Project name",
                                    FailureKind::BadProjectName, language);
      !name) {
    return name;
  }
  const Headers headers = HeadersOf(settings.Definition(), settings.Choice());
  for (const Header& header : headers) {
    if (Status prefix = CheckPrefix(header, language); !prefix)
      return prefix;
  }
  return CheckPortNamesFor(settings.Board(), headers, language);
}

Result<CheckedProjectPath> CheckProjectPath(const std::string& qpfPath, HdlLanguage language) {
  std::string name = ProjectNameOf(qpfPath);
  // Every language's check, as the checked path may be generated in any of them later.
  if (Status check = CheckModuleName(name, "Project file name", FailureKind::BadFileName); !check)
    return check.Error();
  if (Status check = CheckModuleName(name, "Project file name", FailureKind::BadFileName, language);
      !check) {
    return check.Error();
  }
  return CheckedProjectPath(qpfPath, std::move(name));
}

TypedFieldProblems CheckTypedFields(const TLarkspurSettings& settings, HdlLanguage language) {
  TypedFieldProblems problems;
  const std::string projectName = settings.ProjectName.Get();
  problems.ProjectName = projectName.empty() ? "Project Name cannot be empty."
                                             : ReasonOf(CheckProjectName(projectName, language));

  // Each prefix on its own first; what needs both headers only when neither has a problem.
  const Headers headers = HeadersOf(settings);
  problems.Prefixes.resize(headers.size());
  for (std::size_t h = 0; h < headers.size(); ++h)
    problems.Prefixes[h] = ReasonOf(CheckPrefix(headers[h], language));
  if (std::any_of(problems.Prefixes.begin(), problems.Prefixes.end(),
                  [](const std::string& problem) { return !problem.empty(); }))
    return problems;

  if (!IsDefaultGpioPair(settings)) {
    if (Status clash = TMainBoard::CheckPrefixClash(ChoicesOf(headers)); !clash) {
      problems.Prefixes.assign(headers.size(), clash.Error().Reason);
      return problems;
    }
  }

  TConfigLarkspur choices;
  choices.FillChoiceList(GpioHeaderChoices());
  for (const Header& header : headers) {
    if (!CheckCard(header, choices))
      return problems;  // not a typing matter: the list offers only valid cards
  }
  const std::unique_ptr<TMainBoard> board = BuildLarkspurModel(settings);
  const Header* blamed = nullptr;
  if (Status ports = CheckPortNames(*board, headers, &blamed); !ports) {
    if (blamed)
      problems.Prefixes[IndexOf(blamed, headers)] = ports.Error().Reason;
    return problems;
  }
  // In generation order, as the checked settings hold them, so that the first name of each
  // header that the language refuses is the one generation names.
  if (language != HdlLanguage::Verilog && board->OrderPins())
    (void)CheckPortNamesFor(*board, headers, language, nullptr, &problems.Prefixes);
  return problems;
}

std::string PinoutNote(const TLarkspurSettings& settings, bool pinout) {
  const bool anyCard = std::any_of(
      kLarkspurHeaders.begin(), kLarkspurHeaders.end(),
      [&](const LarkspurHeader& header) { return (settings.*header.Card).Get() != kCardNone; });
  if (!pinout || anyCard)
    return {};
  return "No GPIO header carries a card, so no pinout picture was written.";
}

namespace {

SignalSummary SummariseSignals(const TLarkspurSettings& settings) {
  std::unique_ptr<TMainBoard> board = BuildLarkspurModel(settings);
  SignalSummary summary;
  if (!board->OrderPins())
    return summary;  // the fixed tables always order
  for (std::size_t g = 0; g < board->GroupCount(); ++g) {
    const TConnector& group = board->GroupAt(g);
    for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (!pin || !pin->IsActive())
        continue;
      ++summary.PinCount;
      std::string base(SplitPortName(pin->Name()).Base);
      if (std::find(summary.Signals.begin(), summary.Signals.end(), base) ==
          summary.Signals.end()) {
        summary.Signals.push_back(std::move(base));
      }
    }
  }
  return summary;
}

}  // namespace

SignalSummary ComponentSignals(std::uint8_t TLarkspurSettings::*flag) {
  TLarkspurSettings settings = TConfigLarkspur().Settings;  // nothing ticked, no cards
  settings.*flag = 1;
  return SummariseSignals(settings);
}

SignalSummary CardSignals(std::int32_t cardId) {
  TLarkspurSettings settings = TConfigLarkspur().Settings;
  settings.Gpio0.Set(cardId);
  return SummariseSignals(settings);
}

bool IsDefaultGpioPair(const BoardSettings& settings) {
  return !settings.Headers.empty() && std::all_of(settings.Headers.begin(), settings.Headers.end(),
                                                  [](const HeaderSettings& header) {
                                                    return header.Card == kCardGpioDefault &&
                                                           header.Prefix.empty();
                                                  });
}

std::unique_ptr<TMainBoard> BuildBoardModel(const BoardDefinition& board,
                                            const BoardSettings& settings) {
  auto model = std::make_unique<TMainBoard>();
  DefineBoard(*model, board, settings);
  // With the plain GPIO card on every header and no prefixes, each header's pins become a
  // bus named after its group (GPIO_0, GPIO_1).
  const bool defaultPair = IsDefaultGpioPair(settings);
  for (std::size_t h = 0; h < board.Headers.size() && h < settings.Headers.size(); ++h) {
    const HeaderSettings& chosen = settings.Headers[h];
    if (chosen.Card <= 0)
      continue;
    FitCard(*model, board.Headers[h].HeaderKey, CardById(chosen.Card),
            defaultPair ? board.Headers[h].Group : std::string(),
            defaultPair ? std::string() : chosen.Prefix);
  }
  return model;
}

std::unique_ptr<TMainBoard> BuildLarkspurModel(const TLarkspurSettings& settings) {
  std::unique_ptr<TMainBoard> model =
      BuildBoardModel(LarkspurBoard(), LarkspurBoardSettings(settings));
  // The configuration block belongs to the Larkspur board only: a record carrying another
  // board ID (loaded from a file, not yet stamped) gets none.
  if (settings.BoardId.Get() != kLarkspurBoardId)
    model->SetQsfExtraAssignments("");
  return model;
}

std::string DefaultProjectPath(const std::string& baseFolder, const std::string& projectName) {
  return DefaultProjectFolder(baseFolder, kLarkspurBoardFolder, projectName) + projectName + ".qpf";
}

std::string MemoryWarning(const TLarkspurSettings& settings) {
  return BoardReminder(LarkspurBoard(), LarkspurBoardSettings(settings));
}

CheckedTopLevel::CheckedTopLevel(HdlLanguage language, std::string name,
                                 std::shared_ptr<const std::vector<PortGroup>> ports)
    : Lang(language), ModuleName(std::move(name)), PortModel(std::move(ports)) {}

CheckedProject::CheckedProject(CheckedSettings settings, CheckedProjectPath path,
                               GenerationOptions options, CheckedTopLevel topLevel)
    : Checked(std::move(settings)),
      QpfPath(std::move(path)),
      Options(options),
      Top(std::move(topLevel)) {}

Result<CheckedProject> CheckProject(const CheckedSettings& settings, const std::string& qpfPath,
                                    const GenerationOptions& options) {
  if (Status names = CheckTopLevelNames(settings, options.TopLevel); !names)
    return names.Error();
  Result<CheckedProjectPath> path = CheckProjectPath(qpfPath, options.TopLevel);
  if (!path)
    return path.Error();
  Result<std::vector<PortGroup>> ports = TopLevelPorts(settings.Board());
  if (!ports)
    return ports.Error();
  CheckedTopLevel topLevel(
      options.TopLevel, path->ProjectName(),
      std::make_shared<const std::vector<PortGroup>>(std::move(ports).Value()));
  return CheckedProject(settings, std::move(path).Value(), options, std::move(topLevel));
}

Result<CheckedProject> CheckProject(const TLarkspurSettings& settings, const std::string& qpfPath,
                                    const GenerationOptions& options) {
  const Result<CheckedSettings> checked = CheckLarkspurSettings(settings);
  if (!checked)
    return checked.Error();
  return CheckProject(*checked, qpfPath, options);
}

namespace {

// "\r\n\r\n", the heading and one line per file, or nothing.
std::string FilesText(const std::string& qpfPath, const std::vector<std::string>& backups,
                      const char* heading) {
  if (backups.empty())
    return {};
  const std::string folder = FolderOf(qpfPath);
  std::string text = std::string("\r\n\r\n") + heading;
  for (const std::string& backup : backups) {
    // Beside the project a file name says enough; a backup beside a linked file elsewhere
    // keeps its full path.
    const bool beside =
        !folder.empty() && backup.starts_with(folder) && FolderOf(backup).size() == folder.size();
    text += "\r\n" + (beside ? backup.substr(folder.size()) : backup);
  }
  return text;
}

std::string BackupsText(const std::string& qpfPath, const std::vector<std::string>& backups) {
  return FilesText(qpfPath, backups, "Edited files were kept as numbered backups:");
}

}  // namespace

std::string GeneratedText(const std::string& qpfPath, const std::vector<std::string>& backups,
                          const std::vector<std::string>& leftInPlace) {
  return "Generate Quartus Project successfully.\r\nThe project is located in the folder:\r\n" +
         FolderOf(qpfPath) + BackupsText(qpfPath, backups) +
         FilesText(qpfPath, leftInPlace, "Files of an earlier generation were left in place:");
}

std::string GenerateFailedText(const std::string& qpfPath,
                               const std::vector<std::string>& backups) {
  return "Failed to generate Quartus project: " + FileNameOf(qpfPath) + "." +
         BackupsText(qpfPath, backups);
}

bool CheckPinNames(const TMainBoard& board) {
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (pin && FindBrackets(pin->Name()).Unbalanced())
        return false;
    }
  }
  return true;
}

}  // namespace pinwright
