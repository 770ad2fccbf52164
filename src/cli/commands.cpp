#include "cli/commands.h"

#include <filesystem>
#include <iostream>
#include <ostream>
#include <system_error>

#include "cards/catalogue.h"
#include "cli/clihost.h"
#include "cli/components.h"
#include "cli/settings.h"
#include "generate/larkspurproject.h"
#include "host/host.h"
#include "settings/configlarkspur.h"

namespace pinwright::cli {
namespace {

namespace fs = std::filesystem;

int Report(const Status& status) {
  if (!status.Ok())
    ShowError(status.Message);
  return status.Exit;
}

// The .qpf path of the operand, or the default folder under the current one. The project
// name has passed the record checks (an identifier) before it is used as a folder name.
Status ProjectPath(const Request& request, const TLarkspurSettings& settings, fs::path& qpf) {
  if (request.Operands.empty()) {
    std::string name = settings.ProjectName.Get();
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
      return {kExitRefused, "the project name '" + name + "' cannot name a folder"};
    }
    qpf = fs::current_path() / "CodeGenerated" / kLarkspurBoardFolder / name / (name + ".qpf");
    return {};
  }
  fs::path given = request.Operands.front();
  if (!given.has_filename() || given.filename() == "." || given.filename() == "..") {
    return {kExitUsage, "'" + given.string() + "' names no project file (for example demo.qpf)"};
  }
  qpf = fs::absolute(given).lexically_normal();
  qpf.replace_extension(".qpf");
  return {};
}

Status CreateFolder(const fs::path& folder) {
  std::error_code error;
  if (fs::is_directory(folder, error))
    return {};
  fs::create_directories(folder, error);
  if (error)
    return {kExitRefused, "cannot create folder " + folder.string() + ": " + error.message()};
  return {};
}

// The record checks that saving and generating share; the record gets its board ID and size.
Status CheckRecord(TLarkspurSettings& settings) {
  settings.BoardId.Set(kLarkspurBoardId);
  settings.Size.Set(static_cast<std::int32_t>(kLarkspurRecordSize));
  CheckResult check = CheckLarkspurSettings(settings);
  if (!check.Passed())
    return {kExitRefused, check.Message};
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
  if (!ResolveCard(choices, id))
    return id + " (not a card the GPIO headers take)";
  return id + " " + std::string(CardDisplayName(card));
}

}  // namespace

int RunGenerate(const Request& request, std::ostream& out) {
  TConfigLarkspur config;
  if (int exit = Report(BuildSettings(request, config)); exit != kExitOk)
    return exit;
  if (int exit = Report(CheckRecord(config.Settings)); exit != kExitOk)
    return exit;

  fs::path qpf;
  if (int exit = Report(ProjectPath(request, config.Settings, qpf)); exit != kExitOk) {
    return exit;
  }
  CheckResult pathCheck = CheckProjectPath(qpf.string());
  if (!pathCheck.Passed())
    return Report({kExitRefused, pathCheck.Message});
  if (int exit = Report(CreateFolder(qpf.parent_path())); exit != kExitOk)
    return exit;

  GenerateOutcome outcome = GenerateLarkspurProject(config, qpf.string());
  switch (outcome.Status) {
    case GenerateStatus::Generated:
      break;
    case GenerateStatus::Refused:
      return Report({kExitRefused, outcome.Refusal.Message});
    case GenerateStatus::Failed:
      return Report(
          {kExitRefused, "Failed to generate Quartus project: " + qpf.filename().string() + "."});
  }
  out << TerminalText(GeneratedMessage(qpf.string(), outcome.Backups)) << '\n';
  std::string warning = MemoryWarning(config.Settings);
  if (!warning.empty())
    out << '\n' << TerminalText(warning);
  return kExitOk;
}

int RunConfig(const Request& request, std::ostream&) {
  TConfigLarkspur config;
  if (int exit = Report(BuildSettings(request, config)); exit != kExitOk)
    return exit;
  if (int exit = Report(CheckRecord(config.Settings)); exit != kExitOk)
    return exit;
  // SaveFile shows its own reason when it fails.
  const std::string& path = request.Operands.front();
  if (!config.SaveFile(path))
    return Report({kExitRefused, "cannot write " + path});
  return kExitOk;
}

int RunShow(const Request& request, std::ostream& out) {
  TConfigLarkspur config;
  config.FillChoiceList();
  const std::string& path = request.Operands.front();
  if (int exit = Report(LoadSettingsFile(config, path)); exit != kExitOk)
    return exit;
  const TLarkspurSettings& settings = config.Settings;

  std::string ticked;
  for (const ComponentField& component : kComponents) {
    if (settings.*component.Flag != 0)
      ticked += (ticked.empty() ? "" : " ") + std::string(component.Name);
  }
  out << "Board ID:    " << settings.BoardId.Get() << '\n'
      << "Record size: " << settings.Size.Get() << '\n'
      << "Project:     " << Quoted(settings.ProjectName.Get()) << '\n'
      << "Components:  " << (ticked.empty() ? "none" : ticked) << '\n'
      << "GPIO-0:      " << CardText(config, settings.Gpio0.Get()) << '\n'
      << "Prefix 0:    " << Quoted(settings.PrefixGpio0.Get()) << '\n'
      << "GPIO-1:      " << CardText(config, settings.Gpio1.Get()) << '\n'
      << "Prefix 1:    " << Quoted(settings.PrefixGpio1.Get()) << '\n';

  std::string problem = CheckTextFields(settings);
  if (problem.empty()) {
    TLarkspurSettings checked = settings;
    problem = CheckRecord(checked).Message;
  }
  out << "Check:       " << (problem.empty() ? "passed" : "refused: " + TerminalText(problem))
      << '\n';
  return kExitOk;
}

int RunCards(std::ostream& out) {
  TConfigLarkspur config;
  config.FillChoiceList();
  out << CardChoicesText(config);
  return kExitOk;
}

}  // namespace pinwright::cli
