// The Larkspur board definition: turns the settings record into the board model.
#pragma once

#include <cstdint>

#include "model/mainboard.h"
#include "settings/configlarkspur.h"

namespace pinwright {

inline constexpr std::int32_t kHeaderKeyGpio0 = 16;
inline constexpr std::int32_t kHeaderKeyGpio1 = 17;

void DefineLarkspurBoard(TMainBoard& board, const TConfigLarkspur& config);

}  // namespace pinwright
