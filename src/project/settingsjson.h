// A settings record as members of a JSON object, as `show --json` and `import --json` give it.
#pragma once

#include "host/jsonwriter.h"
#include "settings/configlarkspur.h"

namespace pinwright {

// The members of a settings record, written into an object the caller has begun: board_id,
// record_size, project, components (the ticked ones) and one gpioN object per header with
// card_id, card (only for a card the headers offer) and prefix. show --json and import --json
// both write them.
void WriteSettingsMembers(TJsonWriter& json, const TLarkspurSettings& settings);

}  // namespace pinwright
