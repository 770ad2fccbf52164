// The top-level design file in each language, rendered from the one port model: the same
// ports in the same order under the same group comments, inside each language's frame.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/portmodel.h"
#include "project/checkedproject.h"

namespace pinwright {

// The top-level file of the checked top level, in its language. Verilog: the port list inside
// a module frame with two empty sections for the designer's code. SystemVerilog:
// `default_nettype none, ANSI ports of type logic (inout ones as wire), the Verilog file's
// sections, and `default_nettype wire again at the end so that files read after it keep the
// usual rule. VHDL-2008: the std_logic_1164 context, an entity whose ports are std_logic or
// std_logic_vector(H downto L), and an architecture rtl with the Verilog file's sections.
std::string TopLevelText(const CheckedTopLevel& topLevel);

// Pieces of the files, shared with the testbench; they render ports, never a whole file.

// A section title between two comment rules, as the generated HDL files frame theirs, in
// Verilog's comment and in VHDL's.
std::string VerilogSection(std::string_view title);
std::string VhdlSection(std::string_view title);

// The line above each group's ports and signals, one per language family: Verilog and
// SystemVerilog, and VHDL, indented as its place in the file asks.
std::string VerilogGroupComment(const PortGroup& group);
std::string VhdlGroupComment(const PortGroup& group, std::string_view indent);

// The opening every generated HDL file shares: an empty line, the generator's banner between
// two rules, an empty line; with the library clauses after it in VHDL.
std::string VerilogFileOpening();
std::string VhdlFileOpening();

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

// The longest port name of the list, at least 1.
std::size_t LongestPortName(const std::vector<PortGroup>& ports);
// "std_logic" or "std_logic_vector(7 downto 0)".
std::string VhdlPortType(const PortEntry& port);

}  // namespace pinwright
