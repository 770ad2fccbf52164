// The top-level design file in each language, rendered from the one port model: the same
// ports in the same order under the same group comments, inside each language's frame.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "generate/generationoptions.h"
#include "model/portmodel.h"

namespace pinwright {

// The comment rules that frame the section titles of the generated HDL files.
inline const std::string kVerilogRule =
    "//=======================================================\r\n";
inline const std::string kVhdlRule =
    "--=======================================================\r\n";

// The line above each group's ports and signals, one per language family: Verilog and
// SystemVerilog, and VHDL, indented as its place in the file asks.
std::string VerilogGroupComment(const PortGroup& group);
std::string VhdlGroupComment(const PortGroup& group, std::string_view indent);

// The opening every generated HDL file shares: an empty line, the generator's banner between
// two rules, an empty line; with the library clauses after it in VHDL.
std::string VerilogFileOpening();
std::string VhdlFileOpening();

// What follows the port list of a Verilog or SystemVerilog top level: its two empty sections
// for the designer's code and endmodule.
std::string VerilogModuleBody();

// SystemVerilog: `default_nettype none, ANSI ports of type logic (inout ones as wire), the
// Verilog file's body sections, and `default_nettype wire again at the end so that files
// read after it keep the usual rule.
std::string SystemVerilogText(const std::vector<PortGroup>& ports, const std::string& projectName);

// VHDL-2008: the std_logic_1164 context, an entity whose ports are std_logic or
// std_logic_vector(H downto L), and an architecture rtl with the Verilog file's sections.
std::string VhdlText(const std::vector<PortGroup>& ports, const std::string& projectName);

// Verilog: the port list inside a module frame with the two sections for the designer's code.
std::string VerilogText(const std::vector<PortGroup>& ports, const std::string& projectName);

// The top-level file of the language for the port model.
std::string TopLevelText(HdlLanguage language, const std::vector<PortGroup>& ports,
                         const std::string& projectName);

// A vector's "[7:0]" right-aligned in ten characters, or ten blanks for a scalar: the range
// column of the Verilog-family declarations.
std::string VerilogRangeColumn(const PortEntry& port);

// Appends the Verilog declaration of one port, e.g. "output\t\t     [7:0]\t\tLED": the
// direction word, the range right-aligned in ten characters, the name; without separator
// and line end.
void AppendVerilogPortLine(std::string& text, const PortEntry& port);

// The port list of the top-level Verilog module: a comment line before every group, one
// declaration per port, commas between the declarations of the whole list.
std::string VerilogPortList(const std::vector<PortGroup>& groups);

// Helpers the testbench shares.
// The longest port name of the list, at least 1.
std::size_t LongestPortName(const std::vector<PortGroup>& ports);
// The port count of the whole list.
std::size_t PortCount(const std::vector<PortGroup>& ports);
// "std_logic" or "std_logic_vector(7 downto 0)".
std::string VhdlPortType(const PortEntry& port);

}  // namespace pinwright
