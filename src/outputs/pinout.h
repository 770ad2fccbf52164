// The picture of a GPIO header as it sits on the board: an SVG of the 2x20 positions, each
// with its signal, FPGA ball and direction. For one card, and for the headers of a project.
#pragma once

#include <cstdint>
#include <string>

#include "model/mainboard.h"
#include "settings/configlarkspur.h"

namespace pinwright {

// The card alone on the GPIO-0 header (header 0) or the GPIO-1 header (header 1), its signal
// names without a prefix.
std::string CardHeaderSvg(std::int32_t cardId, int header);

// Every header of the settings that carries a card, one above the other, with the names the
// project gives its ports; empty when no header carries one.
std::string ProjectPinoutSvg(const TLarkspurSettings& settings);

}  // namespace pinwright
