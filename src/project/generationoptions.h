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

// How an option of GenerationOptions is set: a language chosen by its keyword, a switch, or
// a list of formats, each format one output of the option.
enum class OptionKind { Language, Switch, Formats };

// How the command line, its help, the INI file and the form name and show one option of
// GenerationOptions. Each optional output of the output table carries its option, and the
// front ends make their controls by walking the table, so an option is spelled once.
struct OutputOption {
  OptionKind Kind;
  std::string_view CommandLine;  // "--testbench"
  std::string_view ValueName;    // what the option takes in the help ("LIST"); empty for a switch
  std::string_view ValueNoun;    // what one value is called in a usage error ("pin list format")
  std::string_view IniKey;       // "Output/Testbench": section and key
  std::string_view Caption;      // "Testbench": the form's control
  char Mnemonic;                 // the caption's letter that Alt reaches; 0 for none
  // The help's description, one line per '\n', and the form's tooltip.
  std::string_view Description;
};

// clang-format off
inline constexpr OutputOption kTopLevelOption = {
    OptionKind::Language, "--hdl", "LANGUAGE", "language", "Output/TopLevel", "Top level:", 'v',
    "language of the top level: verilog (NAME.v, the default),\n"
    "systemverilog (NAME.sv) or vhdl (NAME.vhd, VHDL-2008)"};
inline constexpr OutputOption kTestbenchOption = {
    OptionKind::Switch, "--testbench", "", "", "Output/Testbench", "Testbench", 'e',
    "also write NAME_tb in that language: it drives the clocks,\n"
    "holds the other inputs idle and finishes after 1 us"};
inline constexpr OutputOption kPinListOption = {
    OptionKind::Formats, "--pins", "LIST", "pin list format", "Output/PinList", "Pin list", 'P',
    "also write the pin list beside the project: json (NAME.pins.json),\n"
    "csv (NAME.pins.csv, for the Pin Planner's Import Assignments)\n"
    "or json,csv"};
inline constexpr OutputOption kPinoutOption = {
    OptionKind::Switch, "--pinout", "", "", "Output/Pinout", "Pinout", 0,
    "also write NAME.pinout.svg: the picture of each GPIO header that\n"
    "carries a card, every position with its signal and FPGA ball"};
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
