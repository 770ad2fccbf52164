// A project's choices for any board, as the checks, the board model and the front ends read
// them: the board, the project name, the ticked components and each header's card and
// prefix. A board's settings files are codecs into and out of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pinwright {

struct HeaderSettings {
  std::string Key;        // the header's key in the board definition, "gpio0"
  std::int32_t Card = 0;  // the card's ID; 0 for none
  std::string Prefix;     // put in front of every signal of the header
};

struct BoardSettings {
  std::string Board;                    // the board's ID, "larkspur"
  std::string Project;                  // the project name field
  std::vector<std::string> Components;  // the ticked components' keys
  std::vector<HeaderSettings> Headers;  // one per header of the board, in the board's order
};

// True when the component with the key is ticked.
bool Ticks(const BoardSettings& settings, std::string_view component);

}  // namespace pinwright
