#include "model/boarddefinition.h"

namespace pinwright {

std::size_t FindComponent(const BoardDefinition& board, std::string_view key) {
  for (std::size_t c = 0; c < board.Components.size(); ++c) {
    if (board.Components[c].Key == key)
      return c;
  }
  return std::string_view::npos;
}

}  // namespace pinwright
