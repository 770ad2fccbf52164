// The daughter cards: what each card is (ID, name, header family, voltage, picture) and which
// header position carries which of its signals. A card is plain data, so a card read from a
// file at run time is the same value as one built into the program.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "model/connector.h"
#include "model/pin.h"

namespace pinwright {

inline constexpr std::int32_t kCardNone = 0;
inline constexpr std::int32_t kCardGpioDefault = 1;

inline constexpr std::int32_t kGpioHeaderPositions = 40;

// Voltage classes of the catalogue.
inline constexpr std::int32_t kVoltage25 = 3;  // 2.5 V
inline constexpr std::int32_t kVoltage33 = 5;  // 3.3 V

// True for the header positions that carry no card signal (supply and ground).
constexpr bool IsSupplyPosition(std::int32_t position) {
  return position == 11 || position == 12 || position == 29 || position == 30;
}

// One row of a card's pin map: a single pin, or a run of bus members over consecutive
// positions whose index steps by one per position, up or down as the two ends show.
struct CardPinRow {
  std::int32_t FirstPosition;  // header positions, from 1
  std::int32_t LastPosition;
  std::string_view Name;    // the whole name of a single pin, or the base name of a bus
  std::int32_t FirstIndex;  // bus index at FirstPosition; -1 for a name used as it stands
  std::int32_t LastIndex;   // bus index at LastPosition; -1 for a name used as it stands
  PinDirection Direction;
  std::int32_t IoStandard = kIoLvcmos33;  // a code of IoStandardName
  // What only a card file gives: a clock input's frequency (0 for every other pin) and a weak
  // pull-up resistor.
  double ClockMHz = 0.0;
  bool PullUp = false;
};

// A daughter card. It holds views: the built-in cards point into constant tables, and whoever
// keeps cards read at run time keeps their texts and rows alive as long as the cards are used.
struct Card {
  std::int32_t Id;
  std::string_view Name;  // as the choice list shows it
  std::int32_t ConnectorType;
  std::int32_t VoltageClass;
  bool Offered;
  bool Hidden;
  std::string_view Picture;          // the resource name of its picture; empty for none
  std::span<const CardPinRow> Pins;  // passing PinMapWellFormed; empty for no pins

  // A GPIO header offers the card: a 3.3 V GPIO card, offered and not hidden.
  constexpr bool OnGpioHeader() const {
    return ConnectorType == kConnectorGpio && VoltageClass == kVoltage33 && Offered && !Hidden;
  }
};

// A pin map is well formed when its rows ascend by position without overlap, stay on the
// header off the supply positions, and every run has as many positions as bus indices.
constexpr bool PinMapWellFormed(std::span<const CardPinRow> rows) {
  std::int32_t previousLast = 0;
  for (const CardPinRow& row : rows) {
    if (row.FirstPosition <= previousLast || row.LastPosition < row.FirstPosition)
      return false;
    if (row.LastPosition > kGpioHeaderPositions || row.Name.empty())
      return false;
    for (std::int32_t position = row.FirstPosition; position <= row.LastPosition; ++position) {
      if (IsSupplyPosition(position))
        return false;
    }
    const std::int32_t span = row.LastPosition - row.FirstPosition;
    if (row.FirstIndex < 0 || row.LastIndex < 0) {
      if (row.FirstIndex != -1 || row.LastIndex != -1 || span != 0)
        return false;
    } else {
      const std::int32_t steps = row.LastIndex - row.FirstIndex;
      if (steps != span && steps != -span)
        return false;
    }
    if (row.IoStandard < 0 || row.IoStandard >= kIoStandardCount)
      return false;
    previousLast = row.LastPosition;
  }
  return true;
}

// The cards built into the program, ascending by ID, "None" (0) first.
std::span<const Card> BuiltInCards();

// The card with the ID: among extra first, then among the installed card files' cards
// (InstallUserCards), then among the built-in ones. Any other ID gets a card without name, picture,
// pins or header family, which no header offers and whose fitting adds no pins.
const Card& CardById(std::int32_t cardId, std::span<const Card> extra = {});

}  // namespace pinwright
