// What a generation writes beyond the fixed files: the language of the top level, whether a
// testbench comes with it, and the pin list. Shared by both front ends and kept apart from
// the settings record, whose layout is fixed.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace pinwright {

enum class HdlLanguage { Verilog, SystemVerilog, Vhdl };

inline constexpr std::array<HdlLanguage, 3> kHdlLanguages = {
    HdlLanguage::Verilog, HdlLanguage::SystemVerilog, HdlLanguage::Vhdl};

// The pin list: one file for scripts (NAME.pins.json), one the Pin Planner imports
// (NAME.pins.csv).
struct PinListFiles {
  bool Json = false;
  bool Csv = false;

  bool Any() const { return Json || Csv; }
  static PinListFiles Both() { return {true, true}; }
};

// How the command line, the INI file and the form name one option of GenerationOptions; all
// three read these rows, so an option is spelled once.
struct OutputOptionNames {
  std::string_view CommandLine;  // "--testbench"
  std::string_view IniKey;       // "Output/Testbench": section and key
  std::string_view Caption;      // "Testbench": the form's control
};

// clang-format off
inline constexpr OutputOptionNames kTopLevelOption  = {"--hdl",       "Output/TopLevel",  "Top level:"};
inline constexpr OutputOptionNames kTestbenchOption = {"--testbench", "Output/Testbench", "Testbench"};
inline constexpr OutputOptionNames kPinListOption   = {"--pins",      "Output/PinList",   "Pin list"};
inline constexpr OutputOptionNames kPinoutOption    = {"--pinout",    "Output/Pinout",    "Pinout"};
// clang-format on

struct GenerationOptions {
  HdlLanguage TopLevel = HdlLanguage::Verilog;
  bool Testbench = false;  // NAME_tb in the top level's language
  PinListFiles PinList{};  // none unless asked for
  bool Pinout = false;     // NAME.pinout.svg: the picture of each header that carries a card
};

// The word that names a language on the command line and in the INI file: "verilog",
// "systemverilog", "vhdl".
std::string_view HdlLanguageKeyword(HdlLanguage language);
// The language a keyword names, letter case ignored; nothing for any other text.
std::optional<HdlLanguage> HdlLanguageFromKeyword(std::string_view keyword);
// The name users read: "Verilog", "SystemVerilog", "VHDL".
std::string_view HdlLanguageCaption(HdlLanguage language);
// The extension of the top-level file: ".v", ".sv", ".vhd".
std::string_view HdlFileExtension(HdlLanguage language);

}  // namespace pinwright
