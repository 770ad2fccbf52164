// The Larkspur board as constant data, and its settings record turned into a board model.
#pragma once

#include <cstdint>

#include "model/boarddefinition.h"
#include "model/mainboard.h"
#include "settings/configlarkspur.h"

namespace pinwright {

// The group of the push buttons, which read high while released.
inline constexpr const char* kPushButtonGroup = "KEY";

// The Larkspur board as data, made once.
const BoardDefinition& LarkspurBoard();

// Clears the model and fills it from the record: device data, one group per ticked component
// (in the order of the board's component table, not of the record) and one header template
// per GPIO header of kLarkspurHeaders that names a card.
void DefineLarkspurBoard(TMainBoard& board, const TLarkspurSettings& settings);

}  // namespace pinwright
