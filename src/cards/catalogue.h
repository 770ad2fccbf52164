// The daughter-card catalogue: attributes of every card ID, built-in rows and installed user
// cards (3.3 V GPIO cards, offered, with their own names) alike.
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
// The picture file a card file names; empty for built-in cards and cards without one.
std::string_view CardPictureFile(std::int32_t cardId);
// Where a user card was read from; empty for a built-in card.
std::string_view CardSourceFile(std::int32_t cardId);

}  // namespace pinwright
