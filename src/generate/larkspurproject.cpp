#include "generate/larkspurproject.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "boards/config_larkspur.h"
#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "cards/daughterboard.h"
#include "generate/pinmanifest.h"
#include "generate/systembuild.h"
#include "host/text.h"
#include "model/pinparsing.h"

namespace pinwright {
namespace {

// The reserved words of Verilog-2001, sorted for a binary search.
// clang-format off
constexpr std::array<std::string_view, 123> kVerilogKeywords = {
    "always", "and", "assign", "automatic", "begin", "buf", "bufif0", "bufif1", "case", "casex",
    "casez", "cell", "cmos", "config", "deassign", "default", "defparam", "design", "disable",
    "edge", "else", "end", "endcase", "endconfig", "endfunction", "endgenerate", "endmodule",
    "endprimitive", "endspecify", "endtable", "endtask", "event", "for", "force", "forever",
    "fork", "function", "generate", "genvar", "highz0", "highz1", "if", "ifnone", "incdir",
    "include", "initial", "inout", "input", "instance", "integer", "join", "large", "liblist",
    "library", "localparam", "macromodule", "medium", "module", "nand", "negedge", "nmos", "nor",
    "noshowcancelled", "not", "notif0", "notif1", "or", "output", "parameter", "pmos", "posedge",
    "primitive", "pull0", "pull1", "pulldown", "pullup", "pulsestyle_ondetect",
    "pulsestyle_onevent", "rcmos", "real", "realtime", "reg", "release", "repeat", "rnmos",
    "rpmos", "rtran", "rtranif0", "rtranif1", "scalared", "showcancelled", "signed", "small",
    "specify", "specparam", "strong0", "strong1", "supply0", "supply1", "table", "task", "time",
    "tran", "tranif0", "tranif1", "tri", "tri0", "tri1", "triand", "trior", "trireg", "unsigned",
    "use", "vectored", "wait", "wand", "weak0", "weak1", "while", "wire", "wor", "xnor", "xor",
};
// clang-format on

constexpr const char* kIdentifierHint =
    "use letters, digits and underscores, starting with a letter or underscore.";

bool IsIdentifier(std::string_view text) {
  auto isLetter = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
  };
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (text.empty() || !isLetter(text.front()))
    return false;
  return std::all_of(text.begin(), text.end(), [&](char c) { return isLetter(c) || isDigit(c); });
}

bool IsReservedWord(std::string_view text) {
  return std::binary_search(kVerilogKeywords.begin(), kVerilogKeywords.end(), text);
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

Failure Refused(FailureKind kind, std::string reason) {
  return {kind, {}, std::move(reason), {}};
}

// The reason of a refusal; empty when the check passed.
std::string ReasonOf(const Status& status) {
  return status ? std::string() : status.Error().Reason;
}

// A module name: the project name field or the .qpf base name.
Status CheckModuleName(const std::string& name, const char* what, FailureKind kind) {
  if (!IsIdentifier(name)) {
    return Refused(kind, std::string(what) + " " + Quoted(name) +
                             " is not a valid Verilog identifier: " + kIdentifierHint);
  }
  if (IsReservedWord(name)) {
    return Refused(kind, std::string(what) + " " + Quoted(name) +
                             " is a reserved word of Verilog: choose another name.");
  }
  return {};
}

struct Header {
  const char* Label;  // as the form names it
  std::int32_t CardId;
  std::string Prefix;
};

std::array<Header, 2> HeadersOf(const TLarkspurSettings& settings) {
  return {{{"GPIO-0", settings.Gpio0.Get(), settings.PrefixGpio0.Get()},
           {"GPIO-1", settings.Gpio1.Get(), settings.PrefixGpio1.Get()}}};
}

Status CheckPrefix(const Header& header) {
  if (header.CardId == kCardNone || header.Prefix.empty())
    return {};
  if (header.Prefix.size() > kPrefixLimit) {
    return Refused(FailureKind::BadPrefix,
                   "The prefix of the " + std::string(header.Label) + " header is longer than " +
                       std::to_string(kPrefixLimit) + " characters: shorten it.");
  }
  if (!IsIdentifier(header.Prefix)) {
    return Refused(FailureKind::BadPrefix,
                   "The prefix " + Quoted(header.Prefix) + " of the " + header.Label +
                       " header is not valid in a Verilog name: leave it empty or " +
                       kIdentifierHint);
  }
  return {};
}

Status CheckCard(const Header& header, const TConfigBoard& choices) {
  if (choices.OffersCard(header.CardId))
    return {};
  return Refused(FailureKind::UnknownCard,
                 "Card ID " + std::to_string(header.CardId) + " on the " + header.Label +
                     " header is not a card that a GPIO header offers: choose one from the list.");
}

// The form's header behind a header group; nullptr for an on-board group.
const Header* HeaderOf(const TConnector& group, const std::array<Header, 2>& headers) {
  if (!group.IsHeader())
    return nullptr;
  if (group.HeaderKey() == kHeaderKeyGpio0)
    return &headers[0];
  if (group.HeaderKey() == kHeaderKeyGpio1)
    return &headers[1];
  return nullptr;
}

// Two groups must not declare the same port, letter case ignored: the top-level module
// would declare it twice and the settings file would assign two pins to one name. The
// header whose prefix would mend a clash is named in blamed, when there is one.
Status CheckPortNames(const TMainBoard& board, const std::array<Header, 2>& headers,
                      const Header** blamed = nullptr) {
  std::unordered_map<std::string, std::size_t> owner;  // port name in small letters -> group
  std::optional<Failure> clash;
  board.ForEachActivePin([&](std::size_t g, const TConnector& group, const TPin& pin) {
    if (clash)
      return;
    const std::string port = SplitPortName(pin.Name()).Base;
    const auto [seen, isNew] = owner.emplace(FoldCase(port), g);
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

}  // namespace

bool IsDefaultGpioPair(const TLarkspurSettings& settings) {
  return settings.Gpio0.Get() == kCardGpioDefault && settings.Gpio1.Get() == kCardGpioDefault &&
         settings.PrefixGpio0.Get().empty() && settings.PrefixGpio1.Get().empty();
}

CheckedSettings::CheckedSettings(const TLarkspurSettings& record, std::unique_ptr<TMainBoard> model)
    : Record(record),
      Model(std::move(model)),
      Name(record.ProjectName.Get()),
      HeaderPrefixes{record.PrefixGpio0.Get(), record.PrefixGpio1.Get()} {}

CheckedProjectPath::CheckedProjectPath(std::string path, std::string name)
    : Path(std::move(path)), Name(std::move(name)) {}

std::string CheckedProjectPath::FilePath(std::string_view extension) const {
  return ProjectFilePath(Path, std::string(extension));
}

Result<CheckedSettings> CheckLarkspurSettings(const TLarkspurSettings& settings) {
  if (Status text = CheckTextFields(settings); !text)
    return text.Error();
  const std::string projectName = settings.ProjectName.Get();
  if (projectName.empty())
    return Refused(FailureKind::EmptyProjectName, "Project Name cannot be empty.");

  const std::array<Header, 2> headers = HeadersOf(settings);
  if (!IsDefaultGpioPair(settings)) {
    const std::array<HeaderChoice, 2> choices = {
        {{headers[0].CardId, headers[0].Prefix}, {headers[1].CardId, headers[1].Prefix}}};
    std::string message;
    if (!TMainBoard::CheckPrefixClash(choices, message))
      return Refused(FailureKind::PrefixClash, message);
  }

  if (Status name = CheckModuleName(projectName, "Project name", FailureKind::BadProjectName);
      !name) {
    return name.Error();
  }
  for (const Header& header : headers) {
    if (Status prefix = CheckPrefix(header); !prefix)
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
  if (!TSystemBuild::CheckPinNames(*board)) {
    return Refused(FailureKind::BadPinName,
                   "A signal name holds only one of the brackets \"[\" and \"]\".");
  }
  try {
    board->OrderPins();
  } catch (const BusIndexError& error) {
    return Refused(FailureKind::BadPinName, error.what());
  }
  return CheckedSettings(record, std::move(board));
}

Result<CheckedProjectPath> CheckProjectPath(const std::string& qpfPath) {
  std::string name = ProjectNameOf(qpfPath);
  if (Status check = CheckModuleName(name, "Project file name", FailureKind::BadFileName); !check)
    return check.Error();
  return CheckedProjectPath(qpfPath, std::move(name));
}

TypedFieldProblems CheckTypedFields(const TLarkspurSettings& settings) {
  TypedFieldProblems problems;
  const std::string projectName = settings.ProjectName.Get();
  problems.ProjectName =
      projectName.empty()
          ? "Project Name cannot be empty."
          : ReasonOf(CheckModuleName(projectName, "Project name", FailureKind::BadProjectName));

  const std::array<Header, 2> headers = HeadersOf(settings);
  for (std::size_t h = 0; h < headers.size(); ++h)
    problems.Prefixes[h] = ReasonOf(CheckPrefix(headers[h]));
  if (!problems.Prefixes[0].empty() || !problems.Prefixes[1].empty())
    return problems;

  if (!IsDefaultGpioPair(settings)) {
    const std::array<HeaderChoice, 2> choices = {
        {{headers[0].CardId, headers[0].Prefix}, {headers[1].CardId, headers[1].Prefix}}};
    std::string message;
    if (!TMainBoard::CheckPrefixClash(choices, message)) {
      problems.Prefixes = {message, message};
      return problems;
    }
  }

  TConfigLarkspur choices;
  choices.FillChoiceList(GpioHeaderChoices());
  for (const Header& header : headers) {
    if (!CheckCard(header, choices))
      return problems;  // not a typing matter: the list offers only valid cards
  }
  const Header* blamed = nullptr;
  const Status ports = CheckPortNames(*BuildLarkspurModel(settings), headers, &blamed);
  if (!ports && blamed)
    problems.Prefixes[blamed == &headers[0] ? 0 : 1] = ports.Error().Reason;
  return problems;
}

namespace {

SignalSummary SummariseSignals(const TLarkspurSettings& settings) {
  std::unique_ptr<TMainBoard> board = BuildLarkspurModel(settings);
  board->OrderPins();
  SignalSummary summary;
  for (std::size_t g = 0; g < board->GroupCount(); ++g) {
    const TConnector& group = board->GroupAt(g);
    for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (!pin || !pin->IsActive())
        continue;
      ++summary.PinCount;
      std::string base = SplitPortName(pin->Name()).Base;
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

std::unique_ptr<TMainBoard> BuildLarkspurModel(const TLarkspurSettings& settings) {
  auto board = std::make_unique<TMainBoard>();
  DefineLarkspurBoard(*board, settings);
  auto attach = [&](std::int32_t headerKey, std::int32_t cardId, const std::string& baseName,
                    const std::string& prefix) {
    FitCard(*board, headerKey, cardId, kIoLvcmos33, baseName, prefix);
  };
  if (IsDefaultGpioPair(settings)) {
    // Both headers carry the plain GPIO card: their pins become the buses GPIO_0 and GPIO_1.
    attach(kHeaderKeyGpio0, settings.Gpio0.Get(), "GPIO_0", "");
    attach(kHeaderKeyGpio1, settings.Gpio1.Get(), "GPIO_1", "");
  } else {
    if (settings.Gpio0.Get() > 0)
      attach(kHeaderKeyGpio0, settings.Gpio0.Get(), "", settings.PrefixGpio0.Get());
    if (settings.Gpio1.Get() > 0)
      attach(kHeaderKeyGpio1, settings.Gpio1.Get(), "", settings.PrefixGpio1.Get());
  }
  return board;
}

std::string DefaultProjectPath(const std::string& baseFolder, const std::string& projectName) {
  return DefaultProjectFolder(baseFolder, kLarkspurBoardFolder, projectName) + projectName + ".qpf";
}

std::string MemoryWarning(const TLarkspurSettings& settings) {
  const char* feature = nullptr;
  if (settings.LPDDR4A && settings.HPS) {
    feature = "LPDDR4 and HPS";
  } else if (settings.LPDDR4A || settings.LPDDR4B) {
    feature = "LPDDR4";
  } else if (settings.HPS) {
    feature = "HPS";
  } else {
    return {};
  }
  return "===== " + std::string(feature) + " System warning =====\r\n" +
         "To prevent any errors while compiling your Quartus project, \r\n" +
         "please add the Altera " + feature + " IP to your design.\r\n";
}

Status GenerateLarkspurProject(const CheckedSettings& settings, const CheckedProjectPath& path,
                               const GenerationOptions& options,
                               std::vector<std::string>* backups) {
  Result<ProjectTexts> made =
      MakeOrderedProjectTexts(settings.Board(), path.ProjectName(), CurrentHost().Now());
  if (!made)
    return made.Error();
  ProjectTexts texts = std::move(made).Value();
  if (options.PinList.Any()) {
    const TPinManifest manifest = MakePinManifest(settings, path.ProjectName());
    if (options.PinList.Json)
      texts.PinsJson = PinManifestJson(manifest, "\r\n");
    if (options.PinList.Csv)
      texts.PinsCsv = PinManifestCsv(manifest);
  }
  return WriteProjectTexts(path.QpfPath(), texts, backups);
}

namespace {

// "\r\n\r\nEdited files were kept as numbered backups:" and one line per backup, or nothing.
std::string BackupsText(const std::string& qpfPath, const std::vector<std::string>& backups) {
  if (backups.empty())
    return {};
  const std::string folder = (std::filesystem::path(qpfPath).parent_path() / "").string();
  std::string text = "\r\n\r\nEdited files were kept as numbered backups:";
  for (const std::string& backup : backups) {
    // Beside the project a file name says enough; a backup beside a linked file elsewhere
    // keeps its full path.
    const std::filesystem::path kept(backup);
    const bool beside = (kept.parent_path() / "").string() == folder;
    text += "\r\n" + (beside ? kept.filename().string() : backup);
  }
  return text;
}

}  // namespace

std::string GeneratedText(const CheckedProjectPath& path, const std::vector<std::string>& backups) {
  const std::string folder = (std::filesystem::path(path.QpfPath()).parent_path() / "").string();
  return "Generate Quartus Project successfully.\r\nThe project is located in the folder:\r\n" +
         folder + BackupsText(path.QpfPath(), backups);
}

std::string GenerateFailedText(const std::string& qpfPath,
                               const std::vector<std::string>& backups) {
  return "Failed to generate Quartus project: " +
         std::filesystem::path(qpfPath).filename().string() + "." + BackupsText(qpfPath, backups);
}

}  // namespace pinwright
