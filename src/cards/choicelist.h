// The daughter cards a GPIO header offers, and finding one by the words a user types.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace pinwright {

// The IDs a GPIO header offers, in display order: "None" (0) first, then every built-in card
// a GPIO header offers (Card::OnGpioHeader), ascending by ID, then the installed user cards
// by ID.
std::span<const std::int32_t> GpioHeaderChoices();

// The built-in part of the choice list, worked out from the catalogue once.
std::span<const std::int32_t> GpioBuiltInChoices();

// The offered card that the text names: "none", an offered ID in decimal, or a display name
// in any letter case. Nothing for any other text.
std::optional<std::int32_t> FindGpioCard(std::string_view text);

}  // namespace pinwright
