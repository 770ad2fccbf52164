// Reads the ports of a design's top level from its Verilog, SystemVerilog or VHDL text: the
// module's port list (ANSI or in the body) or the entity's port clause, without elaborating.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/diagnostic.h"
#include "project/generationoptions.h"

namespace pinwright {

struct DeclaredPort {
  std::string Name;
  bool Bus = false;         // declared with a range
  bool RangeKnown = false;  // both ends are plain numbers
  std::int64_t First = 0;   // the ends of the range as written, e.g. 7 and 0 for [7:0]
  std::int64_t Last = 0;
  std::uint32_t Line = 0;  // where the name is declared
  std::uint32_t Column = 0;
};

struct DeclaredPorts {
  std::string Unit;  // the module or entity read
  std::vector<DeclaredPort> Ports;
  std::optional<Diagnostic> Problem;  // why no unit could be read, an error; none when one was
  std::string File;                   // the file the text came from, as the caller named it
};

// The ports of the module (entity) named wanted, or of the first one when wanted is empty or
// names none of them. VHDL names are compared without letter case. file names the text.
DeclaredPorts ReadDeclaredPorts(std::string_view text, HdlLanguage language,
                                std::string_view wanted = {}, std::string_view file = {});

// The language a top-level file's extension (.v, .sv, .vhd or .vhdl, any letter case) names.
std::optional<HdlLanguage> HdlLanguageOfFile(std::string_view path);

}  // namespace pinwright
