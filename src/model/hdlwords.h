// The identifiers and reserved words of the three top-level languages: what a port name must
// be and must not be. The top-level checks and the card files both read them.
#pragma once

#include <string_view>

namespace pinwright {

// A letter or underscore, then letters, digits and underscores.
bool IsVerilogIdentifier(std::string_view text);
// A letter, then letters, digits and single underscores, not ending in one.
bool IsVhdlIdentifier(std::string_view text);
// The reserved words of Verilog-2001.
bool IsVerilogKeyword(std::string_view word);
// The keywords of SystemVerilog (IEEE 1800-2017), Verilog's among them.
bool IsSystemVerilogKeyword(std::string_view word);
// The reserved words of VHDL-2008; the word in small letters, as VHDL ignores letter case.
bool IsVhdlReservedWord(std::string_view smallLetters);

}  // namespace pinwright
