// The daughter-card catalogue: attributes of every card ID.
#pragma once

#include <cstdint>
#include <string_view>

namespace pinwright {

inline constexpr std::int32_t kCardNone = 0;
inline constexpr std::int32_t kCardGpioDefault = 1;
inline constexpr std::int32_t kCatalogueSize = 99;  // IDs 0..98

std::int32_t CardConnectorType(std::int32_t cardId);
std::int32_t CardVoltageClass(std::int32_t cardId);
bool CardOffered(std::int32_t cardId);
bool CardHidden(std::int32_t cardId);
std::string_view CardDisplayName(std::int32_t cardId);
// The resource name of the card's picture; empty when it has none.
std::string_view CardPictureName(std::int32_t cardId);

}  // namespace pinwright
