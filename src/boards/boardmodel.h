// Makes the board model of a project from a board definition and the choices of its settings.
#pragma once

#include "model/boarddefinition.h"
#include "model/mainboard.h"

namespace pinwright {

// Clears the model and fills it from the definition: device data, name and configuration
// block, one group per component in use (in the definition's order, each pin that a ticked
// component takes left out) and one header template per header that carries a card: its
// positions without signals, waiting for the card, the empty ones where no ball is.
void DefineBoard(TMainBoard& model, const BoardDefinition& board, const BoardChoice& choice);

}  // namespace pinwright
