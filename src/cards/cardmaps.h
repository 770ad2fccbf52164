// The pin maps of the daughter cards a GPIO header offers: which header position carries
// which signal, and in which direction.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "model/pin.h"

namespace pinwright {

inline constexpr std::int32_t kGpioHeaderPositions = 40;

// One row of a card map: a single pin, or a run of bus members over consecutive positions
// whose index steps by one per position, up or down as the two ends show.
struct CardMapRow {
  std::int32_t FirstPosition;  // header positions, from 1
  std::int32_t LastPosition;
  std::string_view Name;    // the whole name of a single pin, or the base name of a bus
  std::int32_t FirstIndex;  // bus index at FirstPosition; -1 for a name used as it stands
  std::int32_t LastIndex;   // bus index at LastPosition; -1 for a name used as it stands
  PinDirection Direction;
  // What only a card file gives: a clock input's frequency (0 for every other pin), the
  // pin's own I/O standard (-1 takes the card's), and a weak pull-up resistor.
  double ClockMHz = 0.0;
  std::int32_t IoStandard = -1;
  bool PullUp = false;
};

// The base name of the GPIO default card's plain variant.
inline constexpr std::string_view kGpioDefaultBaseName = "GPIO_D";

// The GPIO default card: an inout pin on every position with an FPGA pin, numbered in
// position order, all under the base name kGpioDefaultBaseName.
std::span<const CardMapRow> GpioDefaultMap();

// The fixed map of a card, built-in or read from a card file; empty for the GPIO default card
// and for IDs without a map.
std::span<const CardMapRow> FixedCardMap(std::int32_t cardId);

// True for the header positions that carry no card signal (supply and ground).
constexpr bool IsSupplyPosition(std::int32_t position) {
  return position == 11 || position == 12 || position == 29 || position == 30;
}

}  // namespace pinwright
