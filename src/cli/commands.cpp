#include "cli/commands.h"

#include <filesystem>
#include <iostream>
#include <ostream>
#include <system_error>

#include "cards/catalogue.h"
#include "cli/clihost.h"
#include "cli/components.h"
#include "cli/settings.h"
#include "generate/jsonwriter.h"
#include "generate/larkspurproject.h"
#include "generate/pinmanifest.h"
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

// The .qpf path of the operand, or the default path under the current folder. The checked
// project name is an identifier, so it can name a folder.
Status ProjectPath(const Request& request, const CheckedSettings& checked, fs::path& qpf) {
  if (request.Operands.empty()) {
    qpf = DefaultProjectPath((fs::current_path() / "").string(), checked.ProjectName());
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

// Text as it stands in the record, quoted, with every byte that is not printable ASCII
// written as \xNN so that a hostile file cannot drive the terminal.
std::string Quoted(const std::string& text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string quoted = "\"";
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte >= 0x20 && byte < 0x7f) {
      quoted += c;
    } else {
      quoted += "\\x";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 0xf];
    }
  }
  return quoted + "\"";
}

std::string CardText(const TConfigBoard& choices, std::int32_t card) {
  std::string id = std::to_string(card);
  if (!ResolveCard(choices, id))
    return id + " (not a card the GPIO headers take)";
  return id + " " + std::string(CardDisplayName(card));
}

void WriteHeaderJson(TJsonWriter& json, const TConfigBoard& choices, std::int32_t card,
                     const std::string& prefix) {
  json.BeginObject(/*oneLine=*/true);
  json.Key("card_id");
  json.Number(card);
  std::string id = std::to_string(card);
  if (ResolveCard(choices, id)) {
    json.Key("card");
    json.String(CardDisplayName(card));
  }
  json.Key("prefix");
  json.String(prefix);
  json.EndObject();
}

// The settings as they stand in the file, whether they pass the checks, and when they do the
// pin list of the project they make.
std::string SettingsJson(const TConfigLarkspur& config, const Result<CheckedSettings>& checked) {
  const TLarkspurSettings& settings = config.Settings;
  TJsonWriter json;
  json.BeginObject();
  json.Key("settings");
  json.BeginObject();
  json.Key("board_id");
  json.Number(settings.BoardId.Get());
  json.Key("record_size");
  json.Number(settings.Size.Get());
  json.Key("project");
  json.String(settings.ProjectName.Get());
  json.Key("components");
  json.BeginArray(/*oneLine=*/true);
  for (const ComponentField& component : kComponents) {
    if (settings.*component.Flag != 0)
      json.String(component.Name);
  }
  json.EndArray();
  json.Key("gpio0");
  WriteHeaderJson(json, config, settings.Gpio0.Get(), settings.PrefixGpio0.Get());
  json.Key("gpio1");
  WriteHeaderJson(json, config, settings.Gpio1.Get(), settings.PrefixGpio1.Get());
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
  const Result<CheckedProjectPath> path = CheckProjectPath(qpf.string());
  if (!path)
    return Report({kExitRefused, path.Error().Reason});
  if (int exit = Report(CreateFolder(qpf.parent_path())); exit != kExitOk)
    return exit;

  if (const pinwright::Status generated = GenerateLarkspurProject(*checked, *path, request.Output);
      !generated) {
    ReportFailure(generated.Error());
    return Report({kExitRefused, GenerateFailedText(path->QpfPath())});
  }
  out << TerminalText(GeneratedText(*path)) << '\n';
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
  if (request.Json) {
    out << SettingsJson(config, CheckLarkspurSettings(settings));
    return kExitOk;
  }

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
