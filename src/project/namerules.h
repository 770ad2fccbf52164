// Which names the top level may declare in each language: identifiers that are no reserved
// word. The checks of the settings and of the project path call these.
#pragma once

#include <string_view>

#include "project/generationoptions.h"

namespace pinwright {

enum class NameProblem { None, NotIdentifier, ReservedWord };

// Verilog and SystemVerilog: a letter or underscore, then letters, digits and underscores.
// VHDL: a letter, then letters, digits and single underscores, not ending in one; its
// reserved words are matched whatever their letter case.
NameProblem CheckHdlName(std::string_view name, HdlLanguage language);

// How to mend a name that is no identifier of the language, as the end of a sentence.
std::string_view IdentifierHint(HdlLanguage language);

// A header's prefix, which starts every name of the card's signals: Verilog and
// SystemVerilog take an identifier; VHDL a letter, then letters, digits and single
// underscores (one may end it, as the signal's name follows). True when it is such a text.
bool IsHdlPrefix(std::string_view prefix, HdlLanguage language);
// How to mend such a prefix, as the end of a sentence.
std::string_view PrefixHint(HdlLanguage language);

}  // namespace pinwright
