#include "cards/daughterboard.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "cards/cardmaps.h"
#include "cards/catalogue.h"

namespace pinwright {
namespace {

std::string PinName(std::string_view name, std::int32_t index) {
  std::string text(name);
  if (index >= 0)
    text += "[" + std::to_string(index) + "]";
  return text;
}

// Appends the 40 entries of a map: one pin per listed position, an empty entry elsewhere.
// A non-empty base name replaces the map's own bus names (the GPIO default card only).
void AddMapPins(TDaughterBoard& board, std::span<const CardMapRow> rows, std::string_view baseName,
                std::int32_t ioStandard) {
  std::array<std::optional<TPin>, kGpioHeaderPositions> entries;
  for (const CardMapRow& row : rows) {
    const std::string_view name = baseName.empty() ? row.Name : baseName;
    const std::int32_t step = row.LastIndex >= row.FirstIndex ? 1 : -1;
    std::int32_t index = row.FirstIndex;
    for (std::int32_t position = row.FirstPosition; position <= row.LastPosition; ++position) {
      TPin& pin = entries[static_cast<std::size_t>(position - 1)].emplace(
          PinName(name, index), row.Direction, row.IoStandard >= 0 ? row.IoStandard : ioStandard,
          position);
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

void BuildCardPins(TDaughterBoard& board, std::int32_t cardId, const std::string& baseName,
                   std::int32_t ioStandard) {
  board.ClearPins();
  if (cardId == kCardGpioDefault) {
    AddMapPins(board, GpioDefaultMap(), baseName, ioStandard);
  } else if (const std::span<const CardMapRow> rows = FixedCardMap(cardId); !rows.empty()) {
    AddMapPins(board, rows, {}, ioStandard);
  }
  board.SetConnectorType(CardConnectorType(cardId));
}

void FitCard(TMainBoard& board, std::int32_t headerKey, std::int32_t cardId,
             std::int32_t ioStandard, const std::string& baseName, const std::string& prefix) {
  TDaughterBoard card;
  BuildCardPins(card, cardId, baseName, ioStandard);
  board.AttachCard(headerKey, card, prefix);
}

bool ApplyCardToConnector(const TDaughterBoard& board, TConnector& header,
                          const std::string& prefix) {
  header.TakeCardPins(board, prefix);
  return true;
}

}  // namespace pinwright
