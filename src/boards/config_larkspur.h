// The Larkspur board definition: turns the settings record into the board model.
#pragma once

#include <cstdint>

#include "model/mainboard.h"
#include "settings/configlarkspur.h"

namespace pinwright {

inline constexpr std::int32_t kHeaderKeyGpio0 = 16;
inline constexpr std::int32_t kHeaderKeyGpio1 = 17;
// The group of the push buttons, which read high while released.
inline constexpr const char* kPushButtonGroup = "KEY";

// Clears the model and fills it from the record: device data, one group per ticked component
// and one header template per GPIO header that names a card.
void DefineLarkspurBoard(TMainBoard& board, const TLarkspurSettings& settings);

}  // namespace pinwright
