#include "cards/catalogue.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cards/choicelist.h"
#include "settings/configboard.h"

namespace pinwright {
namespace {

// The choice list needs only the base class; the record is of no interest here.
class ChoiceListOnly : public TConfigBoard {
 public:
  Status LoadFile(const std::string&) override { return Failure{}; }
  Status SaveFile(const std::string&, OtherFile, std::string*) override { return Failure{}; }
};

std::vector<std::int32_t> ChoicesOf(const TConfigBoard& config) {
  return {config.ChoiceList.begin(), config.ChoiceList.begin() + config.ChoiceCount};
}

TEST(FillChoiceList, OffersExactlyTheGpioCardsInIdOrder) {
  ChoiceListOnly config;
  config.ChoiceCount = 5;
  config.ChoiceList.assign(300, 42);
  config.FillChoiceList(GpioHeaderChoices());
  const std::vector<std::int32_t> expected = {0, 1, 12, 13, 55, 62, 63, 66, 67, 68, 69, 76};
  EXPECT_EQ(ChoicesOf(config), expected);

  config.FillChoiceList(GpioHeaderChoices());  // refilling rewrites rather than appends
  EXPECT_EQ(ChoicesOf(config), expected);
}

TEST(Catalogue, OfferedCardsCarryTheirNamesAndPictures) {
  struct Case {
    std::int32_t Id;
    const char* DisplayName;
    const char* Picture;
  };
  const Case cases[] = {
      {0, "None", ""},
      {1, "GPIO Default", "GPIO_80_BITMAP"},
      {12, "Corvel - 5M Pixel Camera", "CORVEL_80_BITMAP"},
      {13, "Sandrel - 4.3\" LCD and Touch", "SANDREL_80_BITMAP"},
      {55, "Pavona - Multi-Touch LCD Panel", "PAVONA_80_BITMAP"},
      {62, "Wickett - 2.4\" LCD and Touch", "GPIO_WICKETT_80_BITMAP"},
      {63, "Pavona2 - Multi-Touch LCD Panel", "GPIO_PAVONA2_80_BITMAP"},
      {66, "Tolvane - Servo Motor Kit", "GPIO_TOLVANE_80_BITMAP"},
      {67, "Merrow - RF and Sensor", "GPIO_MERROW_80_BITMAP"},
      {68, "Merrow2 - RF and Sensor", "GPIO_MERROW2_80_BITMAP"},
      {69, "RISC-V", "RISCV_80_BITMAP"},
      {76, "Halcyra-GPIO", "HALCYRA_GPIO_80_BITMAP"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Id);
    const Card& card = CardById(c.Id);
    EXPECT_EQ(card.Id, c.Id);
    EXPECT_EQ(card.Name, c.DisplayName);
    EXPECT_EQ(card.Picture, c.Picture);
    EXPECT_TRUE(card.Offered);
    EXPECT_FALSE(card.Hidden);
    EXPECT_EQ(card.ConnectorType, c.Id == 0 ? 0 : 3);
    EXPECT_EQ(card.VoltageClass, c.Id == 0 ? 3 : 5);
    EXPECT_EQ(card.Pins.empty(), c.Id == 0);
  }
}

TEST(Catalogue, CardsReadAtRunTimeComeFirstAndAnyIdIsOffered) {
  // No ID cut-off: a GPIO card with a high ID is found and offered like any other.
  const CardPinRow rows[] = {{1, 1, "X", -1, -1, PinDirection::Input}};
  const Card extra[] = {{12, "Mine", kConnectorGpio, kVoltage33, true, false, "P", rows},
                        {4000, "High", kConnectorGpio, kVoltage33, true, false, "P", rows}};
  EXPECT_EQ(CardById(12, extra).Name, "Mine");
  EXPECT_EQ(CardById(4000, extra).Name, "High");
  EXPECT_TRUE(CardById(4000, extra).OnGpioHeader());
  EXPECT_EQ(CardById(13, extra).Name, CardById(13).Name);
  EXPECT_EQ(CardById(4000).Name, "");
}

TEST(Catalogue, OtherIdsHaveNoHeaderFamilyAndNoNames) {
  for (const std::int32_t id : {-1, 2, 54, 88, 98, 99, 1000}) {
    SCOPED_TRACE(id);
    const Card& card = CardById(id);
    EXPECT_EQ(card.ConnectorType, 0);
    EXPECT_EQ(card.VoltageClass, 3);
    EXPECT_EQ(card.Name, "");
    EXPECT_EQ(card.Picture, "");
    EXPECT_TRUE(card.Pins.empty());
    EXPECT_FALSE(card.OnGpioHeader());
  }
}

TEST(FindGpioCard, TakesIdsNamesAndNone) {
  struct Case {
    std::string Text;
    std::optional<std::int32_t> Card;
  };
  const std::vector<Case> cases = {
      {"none", 0},
      {"NONE", 0},
      {"0", 0},
      {"1", 1},
      {"gpio default", 1},
      {"12", 12},
      {"CORVEL - 5M PIXEL CAMERA", 12},
      {"sandrel - 4.3\" lcd and touch", 13},
      {"76", 76},
      {"Halcyra-GPIO", 76},
      {"2", std::nullopt},  // in the catalogue, not offered on a GPIO header
      {"99", std::nullopt},
      {"-1", std::nullopt},
      {"12abc", std::nullopt},
      {"Corvel", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.Text + "'");
    EXPECT_EQ(FindGpioCard(c.Text), c.Card);
  }
}

}  // namespace
}  // namespace pinwright
