// Makes the board model of a project from a board definition and its settings.
#pragma once

#include "model/boarddefinition.h"
#include "model/mainboard.h"
#include "settings/boardsettings.h"

namespace pinwright {

// Clears the model and fills it from the definition: device data, name and configuration
// block, one group per component in use (in the definition's order, each pin that a ticked
// component takes left out) and one header template per header that carries a card: its
// positions without signals, waiting for the card, the empty ones where no ball is.
void DefineBoard(TMainBoard& model, const BoardDefinition& board, const BoardSettings& settings);

// True when the component is ticked or brought along by a ticked one.
bool ComponentInUse(const BoardSettings& settings, const BoardComponent& component);

// The reminder of the ticked components (the board's ReminderText, each reminder once, joined
// by " and "); empty when none reminds of anything.
std::string BoardReminder(const BoardDefinition& board, const BoardSettings& settings);

}  // namespace pinwright
