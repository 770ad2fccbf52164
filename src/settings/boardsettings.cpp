#include "settings/boardsettings.h"

#include <algorithm>

namespace pinwright {

bool Ticks(const BoardSettings& settings, std::string_view component) {
  return std::find(settings.Components.begin(), settings.Components.end(), component) !=
         settings.Components.end();
}

}  // namespace pinwright
