// The picture of a GPIO header as it sits on the board: an SVG of the 2x20 positions, each
// with its signal, FPGA ball and direction. For one card, and for the headers of a project.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/boarddefinition.h"
#include "model/mainboard.h"
#include "settings/boardsettings.h"

namespace pinwright {

// The card alone on the board's header of that index (the first for an index past the last),
// its signal names without a prefix.
std::string CardHeaderSvg(const BoardDefinition& board, std::int32_t cardId, std::size_t header);

// Every header of the settings that carries a card, one above the other, with the names the
// project gives its ports; empty when no header carries one.
std::string ProjectPinoutSvg(const BoardDefinition& board, const BoardSettings& settings);

}  // namespace pinwright
