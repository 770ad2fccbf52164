// Fitting a daughter card onto an expansion header.
#pragma once

#include <cstdint>
#include <string>

#include "cards/catalogue.h"
#include "model/connector.h"
#include "model/mainboard.h"

namespace pinwright {

// Holds one card's pin list while the card is fitted.
class TDaughterBoard : public TConnector {
 public:
  TDaughterBoard() : TConnector({}, {}, kConnectorOnBoard) {}
};

// Fills the daughter board with the card's pin list: one entry per header position, a pin
// where the card's map lists one; no entries at all for a card without pins. A non-empty
// base name replaces the names of the map's rows (the GPIO default card on both headers
// becomes the buses GPIO_0 and GPIO_1).
void BuildCardPins(TDaughterBoard& board, const Card& card, const std::string& baseName);

// Builds the card's pin list and fits it onto the first header group with the key
// (ApplyCardToConnector); nothing happens when no header of the model has the key.
void FitCard(TMainBoard& board, std::int32_t headerKey, const Card& card,
             const std::string& baseName, const std::string& prefix);

// Copies the card's pins onto the header, taking the header's locations and the prefix
// (TConnector::TakeCardPins).
void ApplyCardToConnector(const TDaughterBoard& board, TConnector& header,
                          const std::string& prefix);

}  // namespace pinwright
