// Fitting a daughter card onto an expansion header.
#pragma once

#include <cstdint>
#include <string>

#include "model/connector.h"
#include "model/mainboard.h"

namespace pinwright {

// Holds one card's pin list while the card is fitted.
class TDaughterBoard : public TConnector {
 public:
  TDaughterBoard() : TConnector({}, {}, kConnectorOnBoard) {}
};

// Fills the daughter board with the card's 40-entry pin list; an empty list for ID 0 and IDs
// outside the catalogue. A non-empty base name selects the named variant of the GPIO default
// card.
void BuildCardPins(TDaughterBoard& board, std::int32_t cardId, const std::string& baseName,
                   std::int32_t ioStandard);

// Builds the card's pin list and fits it onto the header with the key (TMainBoard::AttachCard);
// nothing happens when no header of the model has the key.
void FitCard(TMainBoard& board, std::int32_t headerKey, std::int32_t cardId,
             std::int32_t ioStandard, const std::string& baseName, const std::string& prefix);

// Copies the card's pins onto the header, taking the header's locations and the prefix.
bool ApplyCardToConnector(const TDaughterBoard& board, TConnector& header,
                          const std::string& prefix);

}  // namespace pinwright
