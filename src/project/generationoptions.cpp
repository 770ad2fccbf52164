#include "project/generationoptions.h"

#include <algorithm>

#include "host/text.h"

namespace pinwright {
namespace {

struct LanguageRow {
  HdlLanguage Language;
  std::string_view Keyword;
  std::string_view Caption;
  std::string_view Extension;
};

// clang-format off
constexpr std::array<LanguageRow, 3> kLanguageRows = {{
  {HdlLanguage::Verilog,       "verilog",       "Verilog",       ".v"},
  {HdlLanguage::SystemVerilog, "systemverilog", "SystemVerilog", ".sv"},
  {HdlLanguage::Vhdl,          "vhdl",          "VHDL",          ".vhd"},
}};
// clang-format on

const LanguageRow& RowOf(HdlLanguage language) {
  return *std::find_if(kLanguageRows.begin(), kLanguageRows.end(),
                       [language](const LanguageRow& row) { return row.Language == language; });
}

}  // namespace

std::string_view HdlLanguageKeyword(HdlLanguage language) {
  return RowOf(language).Keyword;
}

std::optional<HdlLanguage> HdlLanguageFromKeyword(std::string_view keyword) {
  for (const LanguageRow& row : kLanguageRows) {
    if (EqualsIgnoringCase(row.Keyword, keyword))
      return row.Language;
  }
  return std::nullopt;
}

std::string_view HdlLanguageCaption(HdlLanguage language) {
  return RowOf(language).Caption;
}

std::string_view HdlFileExtension(HdlLanguage language) {
  return RowOf(language).Extension;
}

}  // namespace pinwright
