#include "outputs/pinlist.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "host/paths.h"
#include "model/pin.h"
#include "project/checkedproject.h"

namespace pinwright {
namespace {

constexpr const char* kCrLf = "\r\n";

// The header a group stands for, with the card the settings put on it; nothing for an
// on-board group.
std::optional<HeaderPlace> HeaderOf(const TConnector& group, const CheckedSettings& settings) {
  if (!group.IsHeader())
    return std::nullopt;
  const std::vector<BoardHeader>& headers = settings.Definition().Headers;
  const std::vector<HeaderSettings>& chosen = settings.Choice().Headers;
  for (std::size_t h = 0; h < headers.size() && h < chosen.size(); ++h) {
    if (group.HeaderKey() == headers[h].HeaderKey)
      return HeaderPlace{headers[h].Label, std::string(CardById(chosen[h].Card).Name), 0};
  }
  return std::nullopt;
}

}  // namespace

TPinManifest MakePinManifest(const CheckedSettings& settings, const std::string& projectName) {
  const TMainBoard& board = settings.Board();
  TPinManifest manifest{projectName, board.BoardName(), board.Device(), {}};
  board.ForEachActivePin([&](std::size_t, const TConnector& group, const TPin& pin) {
    if (!WritesAssignment(pin))
      return;
    ManifestPin entry{
        pin.Name(),   pin.Location(), pin.Direction(), std::string(pin.IoStandardName()),
        group.Name(), std::nullopt,   std::nullopt};
    if (HasClockConstraint(pin))
      entry.Clock = pin.FrequencyText();
    if (std::optional<HeaderPlace> header = HeaderOf(group, settings)) {
      header->Position = pin.PinNumber();
      entry.Place = std::move(header);
    }
    manifest.Pins.push_back(std::move(entry));
  });
  return manifest;
}

void WritePinManifest(TJsonWriter& json, const TPinManifest& manifest) {
  json.BeginObject();
  json.Key("format");
  json.String("pinwright-pins");
  json.Key("version");
  json.Number(kPinManifestVersion);
  json.Key("project");
  json.String(manifest.Project);
  json.Key("board");
  json.String(manifest.Board);
  json.Key("device");
  json.String(manifest.Device);
  json.Key("pins");
  json.BeginArray();
  for (const ManifestPin& pin : manifest.Pins) {
    json.BeginObject(/*oneLine=*/true);
    json.Key("port");
    json.String(pin.Port);
    json.Key("location");
    json.String(pin.Location);
    json.Key("direction");
    json.String(WordsOf(pin.Direction).PinList);
    json.Key("io_standard");
    json.String(pin.IoStandard);
    json.Key("group");
    json.String(pin.Group);
    if (pin.Clock) {
      json.Key("clock");
      json.String(*pin.Clock);
    }
    if (pin.Place) {
      json.Key("header");
      json.String(pin.Place->Header);
      json.Key("card");
      json.String(pin.Place->Card);
      json.Key("position");
      json.Number(pin.Place->Position);
    }
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

std::string PinManifestJson(const TPinManifest& manifest, std::string_view lineEnd) {
  TJsonWriter json(lineEnd);
  WritePinManifest(json, manifest);
  return json.Text();
}

std::string PinManifestCsv(const TPinManifest& manifest) {
  std::string text = std::string("To,Direction,Location,I/O Standard") + kCrLf;
  for (const ManifestPin& pin : manifest.Pins) {
    text += CsvField(pin.Port) + "," + CsvField(WordsOf(pin.Direction).PinPlanner) + "," +
            CsvField("PIN_" + pin.Location) + "," + CsvField(pin.IoStandard) + kCrLf;
  }
  return text;
}

std::string CsvField(std::string_view text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote)
    return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"')
      out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace pinwright
