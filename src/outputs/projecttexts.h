// The texts of the fixed project files, top to bottom as they are written: the project file
// (.qpf), the settings file (.qsf), the timing constraints (.sdc) and the pin report (.htm).
#pragma once

#include <string>
#include <string_view>

#include "host/host.h"
#include "model/mainboard.h"
#include "project/generationoptions.h"

namespace pinwright {

// The lines that carry the time of the generation; a file that differs only there is the
// same file.
inline constexpr std::string_view kQpfTimeLine = "DATE = ";
inline constexpr std::string_view kQsfTimeLine =
    "set_global_assignment -name PROJECT_CREATION_TIME_DATE ";

// They read the pins in the order they stand, so the model's pins should already be ordered.
std::string QpfText(const std::string& projectName, const LocalDateTime& now);
// A SystemVerilog or VHDL top level is named in the settings file; a Verilog one is not.
std::string QsfText(const TMainBoard& board, const std::string& projectName,
                    const LocalDateTime& now, HdlLanguage topLevel = HdlLanguage::Verilog);
std::string SdcText(const TMainBoard& board);
std::string HtmlText(const TMainBoard& board);

}  // namespace pinwright
