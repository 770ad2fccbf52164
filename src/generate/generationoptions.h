// What a generation writes beyond the fixed files: the language of the top level and whether
// a testbench comes with it. Shared by both front ends and kept apart from the settings
// record, whose layout is fixed.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace pinwright {

enum class HdlLanguage { Verilog, SystemVerilog, Vhdl };

inline constexpr std::array<HdlLanguage, 3> kHdlLanguages = {
    HdlLanguage::Verilog, HdlLanguage::SystemVerilog, HdlLanguage::Vhdl};

struct GenerationOptions {
  HdlLanguage TopLevel = HdlLanguage::Verilog;
  bool Testbench = false;  // NAME_tb in the top level's language
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
