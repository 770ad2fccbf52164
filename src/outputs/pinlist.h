// The pin list of a checked configuration: every assigned pin bit with its port, location,
// direction, I/O standard and group, in the order of the settings file. Written as
// NAME.pins.json for scripts and as NAME.pins.csv, which the Pin Planner imports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/jsonwriter.h"
#include "model/pin.h"
#include "settings/configlarkspur.h"

namespace pinwright {

class CheckedSettings;

// Where a header pin sits: the header, the card on it and the position (1 to 40).
struct HeaderPlace {
  std::string Header;  // "GPIO-0" or "GPIO-1"
  std::string Card;    // the card's display name
  std::int32_t Position = 0;
};

struct ManifestPin {
  std::string Port;      // as the settings file names it, e.g. "LED[0]"
  std::string Location;  // the package pin, e.g. "DF35"
  PinDirection Direction = PinDirection::Input;
  std::string IoStandard;            // as the settings file names it
  std::string Group;                 // the group's name, e.g. "CLOCK", "GPIO_0"
  std::optional<std::string> Clock;  // the frequency text of its clock constraint
  std::optional<HeaderPlace> Place;  // only for the pins of a header
};

struct TPinManifest {
  std::string Project;
  std::string Board;
  std::string Device;
  std::vector<ManifestPin> Pins;
};

inline constexpr std::int64_t kPinManifestVersion = 1;

// The manifest of the checked settings for a project of that name.
TPinManifest MakePinManifest(const CheckedSettings& settings, const std::string& projectName);

// The manifest as one JSON object, written into a larger text or on its own.
void WritePinManifest(TJsonWriter& json, const TPinManifest& manifest);
std::string PinManifestJson(const TPinManifest& manifest, std::string_view lineEnd);

// "To,Direction,Location,I/O Standard", then a line per pin; CR LF line ends.
std::string PinManifestCsv(const TPinManifest& manifest);

// A CSV field: quoted, with its quotes doubled, when it holds a comma, a quote, a line break
// or space at either end; otherwise as it is.
std::string CsvField(std::string_view text);

}  // namespace pinwright
