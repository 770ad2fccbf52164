#include "cli/commands.h"
#include "boards/larkspur_board.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "build/buildproject.h"
#include "cards/cardfile.h"
#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "cards/usercards.h"
#include "cli/clihost.h"
#include "cli/overrides.h"
#include "host/diagnostic.h"
#include "host/filewrite.h"
#include "host/host.h"
#include "host/jsonwriter.h"
#include "host/paths.h"
#include "host/places.h"
#include "host/text.h"
#include "outputs/pinlist.h"
#include "outputs/pinout.h"
#include "project/checkedproject.h"
#include "project/settingsjson.h"
#include "readers/hdlports.h"
#include "readers/qsfcheck.h"
#include "readers/qsfimport.h"
#include "settings/configlarkspur.h"

namespace pinwright::cli {
namespace {

namespace fs = std::filesystem;

Failure FileFailure(std::string reason, std::string file = {}) {
  return {FailureKind::CannotCreate, std::move(file), std::move(reason), {}};
}

// The absolute folder with each ".." taken as the system takes it: from the folder the
// path up to it names, links followed. A ".." after what is no folder (a link to nothing, a
// file) leads nowhere, as mkdir -p finds; that is refused.
Result<fs::path> ClimbedFolder(const fs::path& folder, const std::string& operand) {
  fs::path reached;
  for (const fs::path& part : folder) {
    if (part == ".")
      continue;
    if (part != "..") {
      reached /= part;
      continue;
    }
    std::error_code error;
    // A folder not there yet is made on the way (mkdir -p makes it, then goes up again).
    if (!fs::exists(fs::symlink_status(reached, error))) {
      reached = reached.parent_path();
      continue;
    }
    const fs::path real = fs::canonical(reached, error);
    if (error || !fs::is_directory(real, error)) {
      return FileFailure("cannot create folder for " + operand + ": " + Utf8FromPath(reached) +
                             " is no folder to go up from" +
                             (error ? " (" + error.message() + ")" : std::string()),
                         operand);
    }
    reached = real.parent_path();
  }
  return reached;
}

// The .qpf path of the operand, or the default path under the current folder. The checked
// project name is an identifier, so it can name a folder.
Result<std::string> ProjectPath(const Request& request, const CheckedSettings& checked) {
  if (request.Operands.empty())
    return DefaultProjectPath(Utf8FromPath(fs::current_path() / ""), checked.ProjectName());
  const std::string& operand = request.Operands.front();
  fs::path given = PathFromUtf8(operand);
  if (!given.has_filename() || given.filename() == "." || given.filename() == "..") {
    return Failure{FailureKind::BadArgument,
                   operand,
                   "'" + operand + "' names no project file (for example demo.qpf)",
                   {}};
  }
  fs::path qpf = fs::absolute(given);
  // ".." after a symbolic link leads where the system (and mkdir -p) takes it: to the
  // parent of the folder the link names, not back to the link's own folder. Without ".."
  // the path stays as typed, links and all.
  const bool climbs =
      std::any_of(qpf.begin(), qpf.end(), [](const fs::path& part) { return part == ".."; });
  if (climbs) {
    Result<fs::path> folder = ClimbedFolder(qpf.parent_path(), operand);
    if (!folder)
      return folder.Error();
    qpf = *folder / qpf.filename();
  } else {
    qpf = qpf.lexically_normal();
  }
  qpf.replace_extension(".qpf");
  return Utf8FromPath(qpf);
}

// Removes the folders a run made, innermost first, as long as they are empty.
void RemoveMadeFolders(const std::vector<fs::path>& made) {
  for (auto it = made.rbegin(); it != made.rend(); ++it) {
    std::error_code error;
    if (!fs::remove(*it, error))
      break;
  }
}

// Creates the folder and those missing above it; made receives the ones it made, outermost
// first, so that a refused run can take them away again.
Status CreateFolder(const fs::path& folder, std::vector<fs::path>& made) {
  std::error_code error;
  if (fs::is_directory(folder, error))
    return {};
  for (fs::path missing = folder;
       missing.has_relative_path() && !fs::exists(fs::symlink_status(missing, error));
       missing = missing.parent_path()) {
    made.insert(made.begin(), missing);
  }
  fs::create_directories(folder, error);
  if (error) {
    RemoveMadeFolders(made);
    return FileFailure("cannot create folder " + Utf8FromPath(folder) + ": " + error.message(),
                       Utf8FromPath(folder));
  }
  return {};
}

// Text as it stands in the record, quoted, escaped so that a hostile file can neither drive
// the terminal nor forge a line of the output.
std::string Quoted(const std::string& text) {
  // Backslashes and quotes first, so that an escape in the output is always one.
  std::string marked;
  for (char c : text) {
    if (c == '"' || c == '\\')
      marked += '\\';
    marked += c;
  }
  return "\"" + EscapedText(marked, false) + "\"";
}

std::string CardText(const TConfigBoard& choices, std::int32_t card) {
  std::string id = std::to_string(card);
  if (!choices.OffersCard(card))
    return id + " (not a card the GPIO headers take)";
  return id + " " + std::string(CardById(card).Name);
}

// The settings as they stand in the file, whether they pass the checks, and when they do the
// pin list of the project they make.
std::string SettingsJson(const TConfigLarkspur& config, const Result<CheckedSettings>& checked) {
  TJsonWriter json;
  json.BeginObject();
  json.Key("settings");
  json.BeginObject();
  WriteSettingsMembers(json, config.Settings);
  json.EndObject();
  json.Key("check");
  json.BeginObject(/*oneLine=*/true);
  json.Key("passed");
  json.Bool(checked.Ok());
  if (!checked) {
    json.Key("reason");
    json.String(checked.Error().Reason);
  }
  json.EndObject();
  if (checked) {
    json.Key("manifest");
    WritePinManifest(json, MakePinManifest(*checked, checked->ProjectName()));
  }
  json.EndObject();
  return json.Text();
}

// A file the command reads, or the message and exit status of why it cannot be read: a
// file that cannot be read is a usage error of check and import.
int ReadOperand(const std::string& path, std::string& text) {
  Result<std::string> read = ReadTextFile(path);
  if (!read) {
    PrintMessage(MessageKind::Error, read.Error().Reason);
    return kExitUsage;
  }
  text = std::move(read).Value();
  return kExitOk;
}

// The settings file read as Tcl words; a text that is no Tcl script is not read.
int ReadQsf(const std::string& path, TclScript& script) {
  std::string text;
  if (const int status = ReadOperand(path, text); status != kExitOk)
    return status;
  script = ReadTclWords(text, path);
  if (script.Error) {
    std::fputs(DiagnosticText(NotASettingsFile(script)).c_str(), stderr);
    return kExitUsage;
  }
  if (const std::string reason = UnreadableQsfReason(text, QsfAssignments(script));
      !reason.empty()) {
    std::fputs(DiagnosticText(Diagnostic{path,
                                         0,
                                         0,
                                         DiagnosticSeverity::Error,
                                         {},
                                         "no assignment could be read: " + reason})
                   .c_str(),
               stderr);
    return kExitUsage;
  }
  return kExitOk;
}

// "cannot write PATH" after the failure itself; a file of another kind in the way is
// replaced only with --force.
int ReportNotWritten(const Failure& failure, const std::string& path) {
  ReportFailure(failure);
  if (failure.Kind == FailureKind::ForeignFile) {
    return Report(FileFailure(
        "cannot write " + path + ": --force replaces it, keeping it as a numbered backup", path));
  }
  return Report(FileFailure("cannot write " + path, path));
}

void ReportBackup(const std::string& backup) {
  if (!backup.empty())
    PrintMessage(MessageKind::Information, "The file replaced was kept as " + backup);
}

// Writes the settings file of config and import: a file in its place that is no settings
// record is refused, or with --force kept as a numbered backup first.
int SaveSettings(TConfigLarkspur& config, const std::string& path, bool force) {
  std::string backup;
  if (Status saved =
          config.SaveFile(path, force ? OtherFile::KeepAsBackup : OtherFile::Refuse, &backup);
      !saved)
    return ReportNotWritten(saved.Error(), path);
  ReportBackup(backup);
  return kExitOk;
}

// A note about the file as a whole (or about none), printed as a diagnostic line.
std::string NoteText(const std::string& file, const std::string& note) {
  return DiagnosticText({file, 0, 0, DiagnosticSeverity::Note, {}, note});
}

// True when an assignment the import left out is on a ball of the header.
bool UnplacedOnHeader(const QsfImport& imported, std::size_t header) {
  const TBoardBalls& board = LarkspurBalls();
  for (const UnplacedAssignment& unplaced : imported.Unplaced) {
    const auto found = board.Balls.find(BallOf(unplaced.Location));
    if (found != board.Balls.end() && found->second.Header == static_cast<int>(header))
      return true;
  }
  return false;
}

}  // namespace

int RunGenerate(const Request& request, std::string& out) {
  TConfigLarkspur config;
  if (Status built = BuildSettings(request, config); !built)
    return Report(built);
  // The names in the language about to be written: its rule and advice come first.
  const Result<CheckedSettings> checked =
      CheckLarkspurSettings(config.Settings, request.Output.TopLevel);
  if (!checked)
    return Report(checked.Error());
  const Result<std::string> qpf = ProjectPath(request, *checked);
  if (!qpf)
    return Report(qpf.Error());
  const Result<CheckedProject> project = CheckProject(*checked, *qpf, request.Output);
  if (!project)
    return Report(project.Error());
  std::vector<fs::path> made;
  if (Status folder = CreateFolder(PathFromUtf8(*qpf).parent_path(), made); !folder)
    return Report(folder);

  std::vector<std::string> backups;
  const Result<GenerationReport> report = BuildProject(*project, &backups);
  if (!report) {
    RemoveMadeFolders(made);
    ReportFailure(report.Error());
    return Report(FileFailure(GenerateFailedText(*qpf, backups), *qpf));
  }
  out += TerminalText(report->Text) + '\n';
  for (const std::string& warning : report->Warnings)
    out += '\n' + TerminalText(warning);
  if (const std::string note = PinoutNote(checked->Settings(), request.Output.Pinout);
      !note.empty())
    out += "\nnote: " + TerminalText(note) + '\n';
  return kExitOk;
}

int RunConfig(const Request& request, std::string&) {
  TConfigLarkspur config;
  if (Status built = BuildSettings(request, config); !built)
    return Report(built);
  const Result<CheckedSettings> checked = CheckLarkspurSettings(config.Settings);
  if (!checked)
    return Report(checked.Error());
  // The file gets the record as checked, board ID and size included.
  config.Settings = checked->Settings();
  return SaveSettings(config, request.Operands.front(), request.Force);
}

int RunShow(const Request& request, std::string& out) {
  TConfigLarkspur config;
  config.FillChoiceList(GpioHeaderChoices());
  const std::string& path = request.Operands.front();
  if (Status loaded = LoadSettingsFile(config, path); !loaded)
    return Report(loaded);
  const TLarkspurSettings& settings = config.Settings;
  if (request.Json) {
    out += SettingsJson(config, CheckLarkspurSettings(settings));
    return kExitOk;
  }

  std::string ticked;
  for (const LarkspurComponent& component : kLarkspurComponents) {
    if (settings.*component.Flag != 0)
      ticked += (ticked.empty() ? "" : " ") + std::string(component.Name);
  }
  std::vector<std::pair<std::string, std::string>> lines = {
      {"Board ID:    ", std::to_string(settings.BoardId.Get())},
      {"Record size: ", std::to_string(settings.Size.Get())},
      {"Project:     ", Quoted(settings.ProjectName.Get())},
      {"Components:  ", ticked.empty() ? "none" : ticked},
  };
  for (const LarkspurHeader& header : kLarkspurHeaders) {
    lines.emplace_back(std::string(header.Label) + ":      ",
                       CardText(config, (settings.*header.Card).Get()));
    lines.emplace_back("Prefix " + std::string(header.Number) + ":    ",
                       Quoted((settings.*header.Prefix).Get()));
  }
  for (const auto& [label, value] : lines)
    out += label + value + '\n';

  const Result<CheckedSettings> checked = CheckLarkspurSettings(settings);
  out += "Check:       " +
         (checked ? std::string("passed") : "refused: " + TerminalText(checked.Error().Reason)) +
         '\n';
  return kExitOk;
}

CardLoad LoadUserCards(const Request& request) {
  const std::vector<CardSource> sources =
      CardSources(CurrentPlaces().CardsFolder, request.CardFiles);
  CardLoad load = LoadCards(sources);
  InstallUserCards(load);
  const bool listsThem = request.Which == Command::Cards ||
                         (request.Which == Command::Card && request.Operands.front() == "check");
  if (!listsThem) {
    std::string text;
    for (const Diagnostic& problem : load.Problems)
      text += DiagnosticText(problem);
    for (const std::string& note : load.Notes)
      text += NoteText({}, note);
    std::fputs(text.c_str(), stderr);
  }
  return load;
}

int RunCheck(const Request& request, std::string& out) {
  const std::string& qsfPath = request.Operands.front();
  TclScript script;
  if (const int status = ReadQsf(qsfPath, script); status != kExitOk)
    return status;
  const std::vector<QsfAssignment> assignments = QsfAssignments(script);

  std::optional<DeclaredPorts> ports;
  HdlLanguage language = HdlLanguage::Verilog;
  const std::string topPath = request.TopLevel.value_or("");
  if (request.TopLevel) {
    const std::optional<HdlLanguage> named = HdlLanguageOfFile(topPath);
    if (!named) {
      PrintMessage(MessageKind::Error, "--top: " + topPath +
                                           " is no Verilog (.v), SystemVerilog (.sv) or VHDL "
                                           "(.vhd) file");
      return kExitUsage;
    }
    language = *named;
    std::string text;
    if (const int status = ReadOperand(topPath, text); status != kExitOk)
      return status;
    std::string entity;
    for (const QsfAssignment& a : assignments) {
      if (a.What == QsfAssignment::Kind::Global && !a.Disabled &&
          EqualsIgnoringCase(a.Name, "TOP_LEVEL_ENTITY")) {
        entity = a.Value;
      }
    }
    ports = ReadDeclaredPorts(text, language, entity, topPath);
    if (ports->Problem) {
      std::fputs(DiagnosticText(*ports->Problem).c_str(), stderr);
      return kExitUsage;
    }
  }

  const std::vector<QsfFinding> findings =
      CheckQsf(assignments, ports ? &*ports : nullptr, language, qsfPath);
  if (request.Json) {
    out += QsfFindingsJson(findings);
  } else {
    for (const QsfFinding& finding : findings)
      out += DiagnosticText(finding);
  }
  const bool errors = std::any_of(findings.begin(), findings.end(), [](const QsfFinding& f) {
    return f.Severity == DiagnosticSeverity::Error;
  });
  return errors ? kExitRefused : kExitOk;
}

int RunImport(const Request& request, std::string& out) {
  const std::string& qsfPath = request.Operands[0];
  const std::string& cfgPath = request.Operands[1];
  TclScript script;
  if (const int status = ReadQsf(qsfPath, script); status != kExitOk)
    return status;
  const QsfImport imported = ImportQsf(script, qsfPath);
  if (request.Json) {
    out += QsfImportJson(imported);
  } else {
    for (const std::string& choice : imported.Choices)
      out += NoteText(qsfPath, choice);
    // A header without a card leaves no trace of its prefix in any project file; ports on
    // a header that fit no card are most likely a card file's card whose file was not given.
    for (std::size_t h = 0; h < kLarkspurHeaders.size() && imported.Ok(); ++h) {
      const LarkspurHeader& header = kLarkspurHeaders[h];
      if ((imported.Settings.*header.Card).Get() != kCardNone)
        continue;
      const std::string note =
          UnplacedOnHeader(imported, h)
              ? "the ports on " + std::string(header.Label) +
                    " fit no card loaded; a card file's card is known only with its file "
                    "(--cards DIR or --card FILE.toml)."
              : std::string(header.Label) +
                    " carries no card, so the file holds no prefix for it; the prefix is left "
                    "empty.";
      out += NoteText(qsfPath, note);
    }
    for (const UnplacedAssignment& unplaced : imported.Unplaced)
      out += DiagnosticText(unplaced);
  }
  if (!imported.Ok()) {
    PrintMessage(MessageKind::Error, "cannot import " + qsfPath + ": " + imported.Refusal->Message);
    return kExitRefused;
  }
  TConfigLarkspur config;
  config.Settings = imported.Settings;
  return SaveSettings(config, cfgPath, request.Force);
}

int RunCards(const CardLoad& load, std::string& out) {
  out += CardChoicesText();
  for (const std::string& note : load.Notes)
    out += NoteText({}, note);
  if (!load.RefusedFiles.empty()) {
    out += "\nCard files refused:\n";
    for (const Diagnostic& problem : load.Problems)
      out += DiagnosticText(problem);
  }
  return kExitOk;
}

namespace {

Result<std::int32_t> CardOperand(const std::string& text) {
  const std::optional<std::int32_t> card = FindGpioCard(text);
  if (!card || *card == kCardNone) {
    return Failure{FailureKind::BadArgument, {}, UnknownCardText(text), {}};
  }
  return *card;
}

int CheckCardFiles(std::span<const std::string> files, std::string& out) {
  // Against the installed cards too: a file that would clash with one is no card to add.
  const CardLoad load = CheckCards(files, InstalledUserCards());
  std::string errors;
  for (const Diagnostic& problem : load.Problems)
    errors += DiagnosticText(problem);
  std::fputs(errors.c_str(), stderr);
  for (const std::shared_ptr<const CardDefinition>& card : load.Cards) {
    out += EscapedText(card->SourceFile + ": card " + std::to_string(card->Id) + " \"" +
                           card->Name + "\" passes the checks",
                       false) +
           "\n";
  }
  return load.RefusedFiles.empty() ? kExitOk : kExitRefused;
}

}  // namespace

int RunCard(const Request& request, std::string& out) {
  const std::string& what = request.Operands.front();
  const std::span<const std::string> operands = std::span(request.Operands).subspan(1);
  if (what == "check")
    return CheckCardFiles(operands, out);
  const Result<std::int32_t> card = CardOperand(operands.front());
  if (!card)
    return Report(card.Error());
  if (what == "export") {
    out += CardFileText(*card);
    return kExitOk;
  }
  const std::string& path = operands[1];
  // A picture replaces a picture; any other file in its place (a top level named by
  // mistake) is refused, or with --force kept as a numbered backup first.
  WriteOptions options;
  if (IsReadableFile(path)) {
    const std::optional<std::string> start = ReadFileStart(path, kPictureStartBytes);
    if (!start || PictureKindOf(*start) != PictureKind::Svg) {
      if (!request.Force) {
        return ReportNotWritten(Failure{FailureKind::ForeignFile,
                                        path,
                                        {},
                                        "Cannot replace " + path + ": it is no SVG picture"},
                                path);
      }
      options.KeepEdits = true;
    }
  }
  std::string backup;
  if (Status written = WriteFileAtomically(
          path, CardHeaderSvg(LarkspurBoard(), *card, request.PictureHeader.value_or(0)), options,
          &backup);
      !written)
    return ReportNotWritten(written.Error(), path);
  ReportBackup(backup);
  return kExitOk;
}

}  // namespace pinwright::cli
