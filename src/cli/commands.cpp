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
#include "host/paths.h"
#include "settings/configlarkspur.h"

namespace pinwright::cli {
namespace {

namespace fs = std::filesystem;

int Report(const Status& status) {
  if (!status.Ok())
    ShowError(status.Message);
  return status.Exit;
}

// The .qpf path of the operand, or the default path under the current folder. The checked
// project name is an identifier, so it can name a folder.
Status ProjectPath(const Request& request, const CheckedSettings& checked, fs::path& qpf) {
  if (request.Operands.empty()) {
    qpf = PathFromUtf8(
        DefaultProjectPath(Utf8FromPath(fs::current_path() / ""), checked.ProjectName()));
    return {};
  }
  const std::string& operand = request.Operands.front();
  fs::path given = PathFromUtf8(operand);
  if (!given.has_filename() || given.filename() == "." || given.filename() == "..") {
    return {kExitUsage, "'" + operand + "' names no project file (for example demo.qpf)"};
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
    return {kExitRefused, "cannot create folder " + Utf8FromPath(folder) + ": " + error.message()};
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
  const Result<CheckedSettings> checked = CheckLarkspurSettings(config.Settings);
  if (!checked)
    return Report({kExitRefused, checked.Error().Reason});

  fs::path qpf;
  if (int exit = Report(ProjectPath(request, *checked, qpf)); exit != kExitOk)
    return exit;
  const Result<CheckedProjectPath> path = CheckProjectPath(Utf8FromPath(qpf));
  if (!path)
    return Report({kExitRefused, path.Error().Reason});
  if (int exit = Report(CreateFolder(qpf.parent_path())); exit != kExitOk)
    return exit;

  std::vector<std::string> backups;
  if (const pinwright::Status generated = GenerateLarkspurProject(*checked, *path, &backups);
      !generated) {
    ReportFailure(generated.Error());
    return Report({kExitRefused, GenerateFailedText(path->QpfPath(), backups)});
  }
  out << TerminalText(GeneratedText(*path, backups)) << '\n';
  std::string warning = MemoryWarning(checked->Settings());
  if (!warning.empty())
    out << '\n' << TerminalText(warning);
  return kExitOk;
}

int RunConfig(const Request& request, std::ostream&) {
  TConfigLarkspur config;
  if (int exit = Report(BuildSettings(request, config)); exit != kExitOk)
    return exit;
  const Result<CheckedSettings> checked = CheckLarkspurSettings(config.Settings);
  if (!checked)
    return Report({kExitRefused, checked.Error().Reason});
  // The file gets the record as checked, board ID and size included. SaveFile shows its own
  // reason when it fails.
  config.Settings = checked->Settings();
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

  const Result<CheckedSettings> checked = CheckLarkspurSettings(settings);
  out << "Check:       "
      << (checked ? "passed" : "refused: " + TerminalText(checked.Error().Reason)) << '\n';
  return kExitOk;
}

int RunCards(std::ostream& out) {
  TConfigLarkspur config;
  config.FillChoiceList();
  out << CardChoicesText(config);
  return kExitOk;
}

}  // namespace pinwright::cli
