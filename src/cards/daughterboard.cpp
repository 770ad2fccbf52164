#include "cards/daughterboard.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace pinwright {
namespace {

std::string PinName(std::string_view name, std::int32_t index) {
  std::string text(name);
  if (index >= 0)
    text += "[" + std::to_string(index) + "]";
  return text;
}

// Appends the 40 entries of a map: one pin per listed position, an empty entry elsewhere.
// A non-empty base name replaces the map's own names. A position off the header (a map that
// did not pass PinMapWellFormed) is skipped rather than written past the list.
void AddMapPins(TDaughterBoard& board, std::span<const CardPinRow> rows,
                std::string_view baseName) {
  std::array<std::optional<TPin>, kGpioHeaderPositions> entries;
  for (const CardPinRow& row : rows) {
    const std::string_view name = baseName.empty() ? row.Name : baseName;
    const std::int32_t step = row.LastIndex >= row.FirstIndex ? 1 : -1;
    std::int32_t index = row.FirstIndex;
    for (std::int32_t position = row.FirstPosition; position <= row.LastPosition; ++position) {
      if (position < 1 || position > kGpioHeaderPositions)
        continue;
      TPin& pin = entries[static_cast<std::size_t>(position - 1)].emplace(
          PinName(name, index), row.Direction, row.IoStandard, position);
      pin.SetClockMHz(row.ClockMHz);
      pin.SetPullUp(row.PullUp);
      if (index >= 0)
        index += step;
    }
  }
  board.ReservePins(entries.size());
  for (std::optional<TPin>& entry : entries)
    board.AddPin(std::move(entry));
}

}  // namespace

void BuildCardPins(TDaughterBoard& board, const Card& card, const std::string& baseName) {
  board.ClearPins();
  if (!card.Pins.empty())
    AddMapPins(board, card.Pins, baseName);
  board.SetConnectorType(card.ConnectorType);
}

void FitCard(TMainBoard& board, std::int32_t headerKey, const Card& card,
             const std::string& baseName, const std::string& prefix) {
  TConnector* header = board.HeaderWithKey(headerKey);
  if (!header)
    return;
  TDaughterBoard pins;
  BuildCardPins(pins, card, baseName);
  ApplyCardToConnector(pins, *header, prefix);
}

void ApplyCardToConnector(const TDaughterBoard& board, TConnector& header,
                          const std::string& prefix) {
  header.TakeCardPins(board, prefix);
}

}  // namespace pinwright
