// The form's output choices (top-level language, testbench) in the INI file beside the
// executable, so that they come back at the next start. The settings record stays as it is.
#pragma once

#include <string>

#include "generate/generationoptions.h"

namespace pinwright {

// Section "Generate": "TopLevel" holds verilog, systemverilog or vhdl, "Testbench" 0 or 1.
// Anything missing or unknown reads as the default.
GenerationOptions ReadOutputChoices(const std::string& iniPath);
// Failures are ignored: a folder that cannot be written costs only the remembered choice.
void WriteOutputChoices(const std::string& iniPath, const GenerationOptions& options);

}  // namespace pinwright
