// The on-board components of the Larkspur record as the command line names them: the
// record's field names, and the captions the desktop form shows for them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/configlarkspur.h"

namespace pinwright::cli {

struct ComponentField {
  std::string_view Name;     // matched case-insensitively on the command line
  std::string_view Caption;  // the form's check box
  std::uint8_t TLarkspurSettings::*Flag;
};

// In record order.
// clang-format off
inline constexpr std::array<ComponentField, 13> kComponents{{
  {"OSC",     "CLOCK",          &TLarkspurSettings::OSC},
  {"LED",     "LED x 8",        &TLarkspurSettings::LED},
  {"Button",  "Button x 2",     &TLarkspurSettings::Button},
  {"Switch",  "Switch x 4",     &TLarkspurSettings::Switch},
  {"ADC",     "ADC 2x5 Header", &TLarkspurSettings::ADC},
  {"HdmiTx",  "HDMI TX",        &TLarkspurSettings::HdmiTx},
  {"MIPI",    "MIPI",           &TLarkspurSettings::MIPI},
  {"LPDDR4A", "LPDDR4-A",       &TLarkspurSettings::LPDDR4A},
  {"LPDDR4B", "LPDDR4-B",       &TLarkspurSettings::LPDDR4B},
  {"UART",    "UART",           &TLarkspurSettings::UART},
  {"FAN",     "FAN",            &TLarkspurSettings::FAN},
  {"SDRAM",   "SDRAM",          &TLarkspurSettings::SDRAM},
  {"HPS",     "HPS",            &TLarkspurSettings::HPS},
}};
// clang-format on

// The index of the component with this name, ignoring letter case.
std::optional<std::size_t> FindComponent(std::string_view name);

// ASCII letter case folded; the command line's names are all ASCII.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace pinwright::cli
