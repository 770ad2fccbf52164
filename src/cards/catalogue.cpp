#include "cards/catalogue.h"

#include <array>

#include "cards/usercards.h"
#include "model/connector.h"

namespace pinwright {
namespace {

// Voltage classes of the catalogue.
constexpr std::int32_t kVolt25 = 3;  // 2.5 V
constexpr std::int32_t kVolt33 = 5;  // 3.3 V

struct CardRow {
  std::int32_t Id;
  std::string_view DisplayName;
  std::int32_t ConnectorType;
  std::int32_t VoltageClass;
  bool Offered;
  bool Hidden;
  std::string_view PictureName;
};

// The cards a GPIO header of the Larkspur board can offer. Every other ID of the catalogue
// describes a card for another header family or voltage, or one that is not offered; none of
// them can be fitted here, so they all take the row kNoGpioCard below.
// clang-format off
constexpr std::array<CardRow, 12> kCatalogue = {{
  // ID  Display name                          Type            Volt.    Offered Hidden Picture
  { 0, "None",                                 kConnectorOnBoard, kVolt25, true, false, ""                       },
  { 1, "GPIO Default",                         kConnectorGpio,    kVolt33, true, false, "GPIO_80_BITMAP"         },
  {12, "Corvel - 5M Pixel Camera",             kConnectorGpio,    kVolt33, true, false, "CORVEL_80_BITMAP"       },
  {13, "Sandrel - 4.3\" LCD and Touch",        kConnectorGpio,    kVolt33, true, false, "SANDREL_80_BITMAP"      },
  {55, "Pavona - Multi-Touch LCD Panel",       kConnectorGpio,    kVolt33, true, false, "PAVONA_80_BITMAP"       },
  {62, "Wickett - 2.4\" LCD and Touch",        kConnectorGpio,    kVolt33, true, false, "GPIO_WICKETT_80_BITMAP" },
  {63, "Pavona2 - Multi-Touch LCD Panel",      kConnectorGpio,    kVolt33, true, false, "GPIO_PAVONA2_80_BITMAP" },
  {66, "Tolvane - Servo Motor Kit",            kConnectorGpio,    kVolt33, true, false, "GPIO_TOLVANE_80_BITMAP" },
  {67, "Merrow - RF and Sensor",               kConnectorGpio,    kVolt33, true, false, "GPIO_MERROW_80_BITMAP"  },
  {68, "Merrow2 - RF and Sensor",              kConnectorGpio,    kVolt33, true, false, "GPIO_MERROW2_80_BITMAP" },
  {69, "RISC-V",                               kConnectorGpio,    kVolt33, true, false, "RISCV_80_BITMAP"        },
  {76, "Halcyra-GPIO",                         kConnectorGpio,    kVolt33, true, false, "HALCYRA_GPIO_80_BITMAP" },
}};
// clang-format on

// The attributes of every ID without a row above, inside the catalogue or outside it: no
// header family, so no GPIO header offers it and fitting it adds no pins.
constexpr CardRow kNoGpioCard = {-1, "", kConnectorOnBoard, kVolt25, true, false, ""};

constexpr bool RowsAscendAndFit(const std::array<CardRow, 12>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].Id < 0 || rows[i].Id >= kCatalogueSize)
      return false;
    if (i > 0 && rows[i].Id <= rows[i - 1].Id)
      return false;
  }
  return true;
}
static_assert(RowsAscendAndFit(kCatalogue), "catalogue rows must ascend by ID within 0..98");

const CardRow& RowOf(std::int32_t cardId) {
  for (const CardRow& row : kCatalogue) {
    if (row.Id == cardId)
      return row;
  }
  return kNoGpioCard;
}

}  // namespace

std::int32_t CardConnectorType(std::int32_t cardId) {
  if (FindUserCard(cardId))
    return kConnectorGpio;
  return RowOf(cardId).ConnectorType;
}
std::int32_t CardVoltageClass(std::int32_t cardId) {
  if (FindUserCard(cardId))
    return kVolt33;
  return RowOf(cardId).VoltageClass;
}
bool CardOffered(std::int32_t cardId) {
  return RowOf(cardId).Offered;
}
bool CardHidden(std::int32_t cardId) {
  return RowOf(cardId).Hidden;
}
std::string_view CardDisplayName(std::int32_t cardId) {
  if (const CardDefinition* card = FindUserCard(cardId))
    return card->Name;
  return RowOf(cardId).DisplayName;
}
std::string_view CardPictureName(std::int32_t cardId) {
  return RowOf(cardId).PictureName;
}
std::string_view CardPictureFile(std::int32_t cardId) {
  const CardDefinition* card = FindUserCard(cardId);
  return card ? std::string_view(card->PictureFile) : std::string_view();
}
std::string_view CardSourceFile(std::int32_t cardId) {
  const CardDefinition* card = FindUserCard(cardId);
  return card ? std::string_view(card->SourceFile) : std::string_view();
}

}  // namespace pinwright
