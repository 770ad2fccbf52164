#include "model/pin.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "host/host.h"

namespace pinwright {
namespace {

constexpr std::array<std::string_view, kIoStandardCount> kIoStandardNames = {
    "1.5 V",                             // 0
    "1.5-V HSTL Class I",                // 1
    "1.5-V HSTL Class II",               // 2
    "1.8 V",                             // 3
    "1.8-V HSTL Class I",                // 4
    "1.8-V HSTL Class II",               // 5
    "2.5 V",                             // 6
    "3.3-V LVCMOS",                      // 7
    "3.3-V LVTTL",                       // 8
    "Differential 1.5-V HSTL Class I",   // 9
    "Differential 1.5-V HSTL Class II",  // 10
    "Differential 1.5-V SSTL",           // 11
    "Differential 1.5-V SSTL Class I",   // 12
    "Differential 1.5-V SSTL Class II",  // 13
    "Differential 1.8-V HSTL Class I",   // 14
    "Differential 1.8-V HSTL Class II",  // 15
    "Differential 1.8-V SSTL Class I",   // 16
    "Differential 1.8-V SSTL Class II",  // 17
    "Differential 2.5-V SSTL Class I",   // 18
    "Differential 2.5-V SSTL Class II",  // 19
    "Differential LVPECL",               // 20
    "LVDS",                              // 21
    "LVDS_E_1R",                         // 22
    "LVDS_E_3R",                         // 23
    "mini-LVDS",                         // 24
    "mini-LVDS_E_1R",                    // 25
    "RSDS",                              // 26
    "RSDS_E_1R",                         // 27
    "SSTL-15",                           // 28
    "SSTL-15 Class I",                   // 29
    "SSTL-15 Class II",                  // 30
    "SSTL-18 Class I",                   // 31
    "SSTL-18 Class II",                  // 32
    "SSTL-2 Class I",                    // 33
    "SSTL-2 Class II",                   // 34
    "1.4-V PCML",                        // 35
    "1.5-V PCML",                        // 36
    "HCSL",                              // 37
    "3.0-V PCI",                         // 38
    "3.0-V PCI-X",                       // 39
    "1.2-V",                             // 40
    "1.2-V HSTL Class I",                // 41
    "1.2-V HSTL Class II",               // 42
    "1.2-V HSUL",                        // 43
    "Differential 1.2-V HSTL Class I",   // 44
    "Differential 1.2-V HSTL Class II",  // 45
    "Differential 1.2-V HSUL",           // 46
    "1.5 V Schmitt Trigger",             // 47
    "1.8 V Schmitt Trigger",             // 48
    "2.5 V Schmitt Trigger",             // 49
    "3.3 V Schmitt Trigger",             // 50
    "SSTL-15",                           // 51
    "HSSI Differential I/O",             // 52
    "1.2-V POD",                         // 53
    "Differential 1.2-V POD",            // 54
    "SSTL-12",                           // 55
    "Differential 1.2-V SSTL",           // 56
    "3.0-V LVTTL",                       // 57
    "Current Mode Logic (CML)",          // 58
    "High Speed Differential I/O",       // 59
    "True Differential Signaling",       // 60
    "DPHY",                              // 61
    "1.2V True Differential Signaling",  // 62
    "1.8-V LVCMOS",                      // 63
    "2.5-V LVCMOS",                      // 64
    "1.1-V",                             // 65
    "1.1-V LVSTL",                       // 66
    "DIFFERENTIAL 1.1-V LVSTL",          // 67
    "1.1V TRUE DIFFERENTIAL SIGNALING",  // 68
    "1.8-V",                             // 69
};

static_assert(kIoStandardNames[kIoLvcmos33] == "3.3-V LVCMOS");
static_assert(kIoStandardNames[kIoDphy] == "DPHY");
static_assert(kIoStandardNames[kIoLvcmos18] == "1.8-V LVCMOS");
static_assert(kIoStandardNames[kIo11V] == "1.1-V");
static_assert(kIoStandardNames[kIoLvstl11] == "1.1-V LVSTL");
static_assert(kIoStandardNames[kIoDiffLvstl11] == "DIFFERENTIAL 1.1-V LVSTL");
static_assert(kIoStandardNames[kIoTrueDiff11] == "1.1V TRUE DIFFERENTIAL SIGNALING");
static_assert(kIoStandardNames[kIo18V] == "1.8-V");
static_assert(kIoFromCard >= kIoStandardCount, "take-from-card is no table row");

std::string_view Capped(std::string_view text) {
  return text.substr(0, kPinTextCapacity);
}

}  // namespace

std::string_view IoStandardName(std::int32_t code) {
  if (code < 0 || code >= kIoStandardCount) {
    PlayAlertSound();
    return {};
  }
  return kIoStandardNames[static_cast<std::size_t>(code)];
}

const DirectionWords& WordsOf(PinDirection direction) {
  // clang-format off
  static constexpr DirectionWords kInout  = {"inout ", "inout  wire ", "inout", "inout",  "Bidir"};
  static constexpr DirectionWords kInput  = {"input ", "input  logic", "in   ", "input",  "Input"};
  static constexpr DirectionWords kOutput = {"output", "output logic", "out  ", "output", "Output"};
  static constexpr DirectionWords kNone   = {"",       "",             "",      "inout",  "Bidir"};
  // clang-format on
  switch (direction) {
    case PinDirection::Inout:
      return kInout;
    case PinDirection::Input:
      return kInput;
    case PinDirection::Output:
      return kOutput;
    case PinDirection::Unused:
    case PinDirection::FromCard:
      break;
  }
  return kNone;
}

Result<std::int32_t> BusIndex(std::string_view name) {
  const BracketPositions brackets = FindBrackets(name);
  if (!brackets.Both())
    return -1;
  auto unreadable = [&] {
    return Failure{FailureKind::BadPinName,
                   {},
                   "'" + std::string(name) + "' has no valid bus index between its brackets",
                   {}};
  };
  if (!brackets.OpenFirst())
    return unreadable();
  std::string_view digits = name.substr(brackets.Open + 1, brackets.Close - brackets.Open - 1);
  // A leading "+" is a sign like "-"; from_chars only takes the latter.
  if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-')
    digits.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    return unreadable();
  return value;
}

TPin::TPin(std::string_view name, std::string_view location, PinDirection direction,
           std::int32_t ioStandard, double frequencyMHz)
    : NameText(Capped(name)),
      LocationText(Capped(location)),
      DirectionCode(direction),
      IoStandardCode(ioStandard) {
  SetClockMHz(frequencyMHz);
}

void TPin::SetClockMHz(double frequencyMHz) {
  if (!(frequencyMHz > 0))
    return;
  char text[64];
  std::snprintf(text, sizeof text, "%.5f MHz", frequencyMHz);
  Clock = 1;
  Frequency = text;
  Megahertz = frequencyMHz;
}

TPin::TPin(std::string_view name, PinDirection direction, std::int32_t ioStandard,
           std::int32_t pinNumber)
    : NameText(Capped(name)),
      DirectionCode(direction),
      IoStandardCode(ioStandard),
      Number(pinNumber) {}

void TPin::SetName(std::string_view name) {
  if (Capped(name) != NameText)
    NameText = Capped(name);
}

void TPin::SetLocation(std::string_view location) {
  if (Capped(location) != LocationText)
    LocationText = Capped(location);
}

void TPin::SetFrequencyText(std::string_view text) {
  if (text != Frequency)
    Frequency = text;
}

bool WritesAssignment(const TPin& pin) {
  return pin.IsActive() && pin.Direction() != PinDirection::FromCard;
}

bool HasClockConstraint(const TPin& pin) {
  return pin.IsClock() == 1 && !pin.FrequencyText().empty();
}

}  // namespace pinwright
