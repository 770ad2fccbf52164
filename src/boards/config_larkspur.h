// The Larkspur board definition: turns the settings record into the board model.
#pragma once

#include <cstdint>

#include "model/mainboard.h"
#include "settings/configlarkspur.h"

namespace pinwright {

// The group of the push buttons, which read high while released.
inline constexpr const char* kPushButtonGroup = "KEY";

// Clears the model and fills it from the record: device data, one group per ticked component
// (in the order of the board's component table, not of the record) and one header template
// per GPIO header of kLarkspurHeaders that names a card.
void DefineLarkspurBoard(TMainBoard& board, const TLarkspurSettings& settings);

}  // namespace pinwright
