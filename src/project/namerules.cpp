#include "project/namerules.h"

#include <string>

#include "host/text.h"
#include "model/hdlwords.h"

namespace pinwright {

NameProblem CheckHdlName(std::string_view name, HdlLanguage language) {
  switch (language) {
    case HdlLanguage::Verilog:
      if (!IsVerilogIdentifier(name))
        return NameProblem::NotIdentifier;
      return IsVerilogKeyword(name) ? NameProblem::ReservedWord : NameProblem::None;
    case HdlLanguage::SystemVerilog:
      if (!IsVerilogIdentifier(name))
        return NameProblem::NotIdentifier;
      return IsSystemVerilogKeyword(name) ? NameProblem::ReservedWord : NameProblem::None;
    case HdlLanguage::Vhdl:
      if (!IsVhdlIdentifier(name))
        return NameProblem::NotIdentifier;
      return IsVhdlReservedWord(FoldCase(name)) ? NameProblem::ReservedWord : NameProblem::None;
  }
  return NameProblem::NotIdentifier;
}

std::string_view IdentifierHint(HdlLanguage language) {
  if (language == HdlLanguage::Vhdl) {
    return "use letters, digits and single underscores, starting with a letter and not ending "
           "with an underscore.";
  }
  return "use letters, digits and underscores, starting with a letter or underscore.";
}

bool IsHdlPrefix(std::string_view prefix, HdlLanguage language) {
  if (language != HdlLanguage::Vhdl)
    return IsVerilogIdentifier(prefix);
  // "A_" is no identifier, but "A_x" is: the prefix passes when it would with a letter after.
  return IsVhdlIdentifier(std::string(prefix) + "x");
}

std::string_view PrefixHint(HdlLanguage language) {
  if (language == HdlLanguage::Vhdl)
    return "use letters, digits and single underscores, starting with a letter.";
  return IdentifierHint(language);
}

}  // namespace pinwright
