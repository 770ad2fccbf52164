#include "cards/daughterboard.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "cards/choicelist.h"
#include "model/mainboard.h"
#include "model/portmodel.h"

namespace pinwright {
namespace {

// The cards a header offers, "None" left out.
const std::span<const std::int32_t> kOfferedCards = GpioHeaderChoices().subspan(1);

bool IsSupply(std::size_t position) {
  return position == 11 || position == 12 || position == 29 || position == 30;
}

std::string LocationOf(std::size_t position) {
  return "X" + std::to_string(position);
}

// A 40-position GPIO header as the board definition builds one: a take-from-card template
// with location X<position> wherever the board has an FPGA pin.
TConnector MakeHeader(std::int32_t key = 16) {
  TConnector header("GPIO_0", "GPIO connect to something", kConnectorGpio);
  for (std::size_t position = 1; position <= 40; ++position) {
    if (IsSupply(position)) {
      header.AddPin(std::nullopt);
    } else {
      header.AddPin(TPin("", LocationOf(position), PinDirection::FromCard, kIoFromCard, 0));
    }
  }
  header.SetIsHeader(1);
  header.SetHeaderKey(key);
  return header;
}

TDaughterBoard CardPins(std::int32_t cardId, const std::string& baseName = "") {
  TDaughterBoard card;
  BuildCardPins(card, CardById(cardId), baseName);
  return card;
}

// The card's name at a header position (from 1); empty when it leaves the position free.
std::string NameAt(const TConnector& pins, std::size_t position) {
  const TPin* pin = pins.PinAt(position - 1);
  return pin ? pin->Name() : "";
}

struct PinSnapshot {
  std::string Name, Location, Frequency;
  PinDirection Direction;
  std::int32_t IoStandard, PinNumber, IsClock;
  bool operator==(const PinSnapshot&) const = default;
};

std::vector<std::optional<PinSnapshot>> Snapshot(const TConnector& group) {
  std::vector<std::optional<PinSnapshot>> pins;
  for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
    const TPin* pin = group.PinAt(i);
    if (!pin) {
      pins.emplace_back();
      continue;
    }
    pins.push_back(PinSnapshot{pin->Name(), pin->Location(), pin->FrequencyText(), pin->Direction(),
                               pin->IoStandard(), pin->PinNumber(), pin->IsClock()});
  }
  return pins;
}

TEST(CardMaps, FittedHeaderHasOneActivePinPerMappedSignal) {
  const std::map<std::int32_t, std::size_t> expected = {
      {1, 36},  {12, 21}, {13, 36}, {55, 30}, {62, 28}, {63, 30},
      {66, 30}, {67, 34}, {68, 36}, {69, 36}, {76, 22},
  };
  for (const auto& [cardId, count] : expected) {
    SCOPED_TRACE(cardId);
    const TDaughterBoard card = CardPins(cardId);
    EXPECT_EQ(card.PinEntryCount(), 40u);
    EXPECT_EQ(card.ConnectorType(), kConnectorGpio);
    EXPECT_EQ(card.ActiveCount(), count);

    TConnector header = MakeHeader();
    ApplyCardToConnector(card, header, "");
    EXPECT_EQ(header.DaughterConnectorType(), kConnectorGpio);
    EXPECT_EQ(header.ActiveCount(), count);
    for (std::size_t position = 1; position <= 40; ++position) {
      SCOPED_TRACE(position);
      const TPin* pin = header.PinAt(position - 1);
      if (IsSupply(position)) {
        EXPECT_EQ(pin, nullptr);
        continue;
      }
      ASSERT_NE(pin, nullptr);
      EXPECT_EQ(pin->Location(), LocationOf(position));
      if (card.PinAt(position - 1) == nullptr) {
        EXPECT_EQ(pin->Direction(), PinDirection::Unused);
        continue;
      }
      EXPECT_EQ(pin->Name(), NameAt(card, position));
      EXPECT_GE(pin->Direction(), PinDirection::Inout);
      EXPECT_LE(pin->Direction(), PinDirection::Output);
      EXPECT_EQ(pin->IoStandard(), kIoLvcmos33);
      EXPECT_EQ(pin->PinNumber(), static_cast<std::int32_t>(position));
      EXPECT_EQ(pin->IsClock(), 0);
      EXPECT_EQ(pin->FrequencyText(), "");
    }
  }
}

// Guards against slips in the map tables: every name once, buses without holes, nothing on
// the supply positions.
TEST(CardMaps, NamesAreUniqueAndBusesComplete) {
  for (const std::int32_t cardId : kOfferedCards) {
    SCOPED_TRACE(cardId);
    const TDaughterBoard card = CardPins(cardId);
    std::set<std::string> names;
    std::map<std::string, std::set<std::int32_t>> buses;
    for (std::size_t position = 1; position <= 40; ++position) {
      const TPin* pin = card.PinAt(position - 1);
      if (!pin)
        continue;
      SCOPED_TRACE(pin->Name());
      EXPECT_FALSE(IsSupply(position));
      EXPECT_EQ(pin->PinNumber(), static_cast<std::int32_t>(position));
      EXPECT_TRUE(names.insert(pin->Name()).second) << "name used twice";
      if (const PortName port = SplitPortName(pin->Name()); port.IsBusMember)
        buses[std::string(port.Base)].insert(*BusIndex(pin->Name()));
    }
    for (const auto& [base, indices] : buses) {
      SCOPED_TRACE(base);
      EXPECT_EQ(*indices.begin(), 0);
      EXPECT_EQ(static_cast<std::size_t>(*indices.rbegin()) + 1, indices.size()) << "gap in bus";
    }
  }
}

TEST(CardMaps, SpotChecksAgainstTheCardDescriptions) {
  struct Case {
    std::int32_t CardId;
    std::size_t Position;
    const char* Name;
    PinDirection Direction;
  };
  const Case cases[] = {
      {1, 1, "GPIO_D[0]", PinDirection::Inout},
      {1, 10, "GPIO_D[9]", PinDirection::Inout},
      {1, 13, "GPIO_D[10]", PinDirection::Inout},
      {1, 31, "GPIO_D[26]", PinDirection::Inout},
      {1, 40, "GPIO_D[35]", PinDirection::Inout},
      {12, 2, "CORVEL_D[11]", PinDirection::Input},
      {12, 4, "CORVEL_D[10]", PinDirection::Input},
      {12, 10, "CORVEL_D[4]", PinDirection::Input},
      {12, 16, "CORVEL_D[0]", PinDirection::Input},
      {12, 26, "CORVEL_SDATA", PinDirection::Inout},
      {13, 6, "SANDREL_B[3]", PinDirection::Output},
      {13, 28, "SANDREL_R[0]", PinDirection::Output},
      {13, 31, "SANDREL_R[1]", PinDirection::Output},
      {13, 40, "SANDREL_SDA", PinDirection::Inout},
      {55, 23, "PAVONA_B[0]", PinDirection::Output},
      {55, 24, "PAVONA_G[7]", PinDirection::Output},
      {55, 39, "PAVONA_TOUCH_INT_n", PinDirection::Input},
      {62, 9, "WICKETT_D[0]", PinDirection::Output},
      {62, 27, "WICKETT_D[15]", PinDirection::Output},
      {66, 26, "PMW[23]", PinDirection::Inout},
      {66, 37, "SOC_SYS_PDN_n", PinDirection::Output},
      {67, 2, "WIFI_RST_n", PinDirection::Output},
      {67, 36, "ZEPHRY_D[0]", PinDirection::Inout},
      {67, 40, "ZEPHRY_D[4]", PinDirection::Inout},
      {68, 28, "ESP32_UART1_CTS", PinDirection::Input},
      {69, 7, "SD_DATA[3]", PinDirection::Inout},
      {69, 27, "QSPI_DQ[1]", PinDirection::Inout},
      {69, 33, "RIO_D[0]", PinDirection::Inout},
      {69, 34, "RIO_D[5]", PinDirection::Inout},
      {69, 40, "UART_TX", PinDirection::Output},
      {76, 15, "MIPI_PIXEL_D[9]", PinDirection::Input},
      {76, 21, "MIPI_REFCLK", PinDirection::Output},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.CardId) + " position " + std::to_string(c.Position));
    const TDaughterBoard card = CardPins(c.CardId);
    const TPin* pin = card.PinAt(c.Position - 1);
    ASSERT_NE(pin, nullptr);
    EXPECT_EQ(pin->Name(), c.Name);
    EXPECT_EQ(pin->Direction(), c.Direction);
  }
}

TEST(CardMaps, BothPavonaPanelsShareOneMap) {
  EXPECT_EQ(Snapshot(CardPins(55)), Snapshot(CardPins(63)));
}

TEST(CardMaps, PinsTakeTheStandardOfTheirRow) {
  // A card read at run time may give its rows other standards than the built-in cards'.
  const CardPinRow rows[] = {{1, 2, "A", 0, 1, PinDirection::Input, kIo18V},
                             {3, 3, "B", -1, -1, PinDirection::Output}};
  Card custom = CardById(69);
  custom.Pins = rows;
  TDaughterBoard card;
  BuildCardPins(card, custom, "");
  ASSERT_EQ(card.PinEntryCount(), 40u);
  EXPECT_EQ(card.PinAt(0)->IoStandard(), kIo18V);
  EXPECT_EQ(card.PinAt(1)->Name(), "A[1]");
  EXPECT_EQ(card.PinAt(2)->IoStandard(), kIoLvcmos33);
  EXPECT_EQ(card.PinAt(3), nullptr);
}

TEST(CardMaps, GpioDefaultNamedVariantUsesTheBaseName) {
  const TDaughterBoard card = CardPins(1, "GPIO_0");
  std::vector<std::string> names;
  for (std::size_t i = 0; i < card.PinEntryCount(); ++i) {
    if (const TPin* pin = card.PinAt(i))
      names.push_back(pin->Name());
  }
  ASSERT_EQ(names.size(), 36u);
  for (std::size_t n = 0; n < names.size(); ++n) {
    EXPECT_EQ(names[n], "GPIO_0[" + std::to_string(n) + "]");
  }
}

TEST(BuildCardPins, CardsWithoutMapGiveNoPins) {
  for (const std::int32_t cardId : {0, 2, 54, 98, 99, -3}) {
    SCOPED_TRACE(cardId);
    TDaughterBoard card = CardPins(12);  // refilling must drop what the board held
    BuildCardPins(card, CardById(cardId), "GPIO_0");
    EXPECT_EQ(card.PinEntryCount(), 0u);
    EXPECT_EQ(card.ConnectorType(), 0);

    TConnector header = MakeHeader();
    const auto before = Snapshot(header);
    ApplyCardToConnector(card, header, "A_");
    EXPECT_EQ(header.DaughterConnectorType(), 0);
    EXPECT_EQ(Snapshot(header), before);
  }
}

TEST(ApplyCardToConnector, PrefixGoesInFrontOfEveryName) {
  struct Case {
    const char* Prefix;
    const char* First;
    const char* Last;
  };
  const Case cases[] = {
      {"", "GPIO_D[0]", "GPIO_D[35]"},
      {"A_", "A_GPIO_D[0]", "A_GPIO_D[35]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Prefix);
    TConnector header = MakeHeader();
    ApplyCardToConnector(CardPins(1), header, c.Prefix);
    EXPECT_EQ(NameAt(header, 1), c.First);
    EXPECT_EQ(NameAt(header, 40), c.Last);
  }
}

TEST(ApplyCardToConnector, OverlongNameIsCutToTheFieldSize) {
  TConnector header = MakeHeader();
  ApplyCardToConnector(CardPins(1), header, std::string(200, 'P'));
  EXPECT_EQ(NameAt(header, 1), std::string(kPinTextCapacity, 'P'));
}

TEST(ApplyCardToConnector, FixedBoardDirectionAndStandardWin) {
  TConnector header = MakeHeader();
  header.PinAt(0)->SetDirection(PinDirection::Input);
  header.PinAt(0)->SetIoStandard(63);
  ApplyCardToConnector(CardPins(1), header, "");
  EXPECT_EQ(header.PinAt(0)->Direction(), PinDirection::Input);
  EXPECT_EQ(header.PinAt(0)->IoStandard(), 63);
  EXPECT_EQ(header.PinAt(1)->Direction(), PinDirection::Inout);
  EXPECT_EQ(header.PinAt(1)->IoStandard(), kIoLvcmos33);
}

TEST(ApplyCardToConnector, PositionsBeyondEitherListAreHandled) {
  // A header without FPGA pin at position 1 drops the card's pin there; a header longer than
  // the card's list gets its extra positions switched off.
  TConnector header("H", "", kConnectorGpio);
  header.AddPin(std::nullopt);
  header.AddPin(TPin("", "X2", PinDirection::FromCard, kIoFromCard, 0));
  for (std::size_t position = 3; position <= 41; ++position) {
    header.AddPin(TPin("", LocationOf(position), PinDirection::FromCard, kIoFromCard, 0));
  }
  ApplyCardToConnector(CardPins(12), header, "");
  EXPECT_EQ(header.PinAt(0), nullptr);
  EXPECT_EQ(NameAt(header, 2), "CORVEL_D[11]");
  EXPECT_EQ(header.PinAt(2)->Direction(), PinDirection::Unused);  // position 3: not on the card
  EXPECT_EQ(header.PinAt(40)->Direction(), PinDirection::Unused);
  EXPECT_EQ(header.ActiveCount(), 20u);
}

TEST(ApplyCardToConnector, DifferentHeaderFamilyLeavesPinsAlone) {
  TConnector onBoard = MakeHeader();
  onBoard.SetConnectorType(kConnectorOnBoard);
  const auto before = Snapshot(onBoard);
  ApplyCardToConnector(CardPins(1), onBoard, "A_");
  EXPECT_EQ(onBoard.DaughterConnectorType(), kConnectorGpio);
  EXPECT_EQ(Snapshot(onBoard), before);
}

TEST(FitCard, FitsOnlyTheHeaderWithTheKey) {
  TMainBoard board;
  TConnector onBoard("LED", "", kConnectorOnBoard);
  onBoard.AddPin(TPin("LED[0]", "A1", PinDirection::Output, 65, 0));
  board.AddGroup(onBoard);  // header key 0, but not a header
  board.AddGroup(MakeHeader(16));
  board.AddGroup(MakeHeader(17));
  const auto led = Snapshot(board.GroupAt(0));
  const auto gpio0 = Snapshot(board.GroupAt(1));
  const auto gpio1 = Snapshot(board.GroupAt(2));

  for (const std::int32_t key : {0, 15, 18}) {
    SCOPED_TRACE(key);
    FitCard(board, key, CardById(1), "", "");
    EXPECT_EQ(Snapshot(board.GroupAt(0)), led);
    EXPECT_EQ(Snapshot(board.GroupAt(1)), gpio0);
    EXPECT_EQ(Snapshot(board.GroupAt(2)), gpio1);
    EXPECT_EQ(board.GroupAt(1).DaughterConnectorType(), 0);
  }

  FitCard(board, 17, CardById(69), "", "B_");
  EXPECT_EQ(Snapshot(board.GroupAt(1)), gpio0);
  EXPECT_EQ(board.GroupAt(2).ActiveCount(), 36u);
  EXPECT_EQ(NameAt(board.GroupAt(2), 34), "B_RIO_D[5]");
}

TEST(FitCard, TwoFitsAreIndependentCopies) {
  TMainBoard board;
  board.AddGroup(MakeHeader(16));
  board.AddGroup(MakeHeader(17));
  FitCard(board, 16, CardById(1), "GPIO_0", "");
  FitCard(board, 17, CardById(1), "GPIO_1", "");
  EXPECT_EQ(NameAt(board.GroupAt(0), 40), "GPIO_0[35]");
  EXPECT_EQ(NameAt(board.GroupAt(1), 40), "GPIO_1[35]");

  board.GroupAt(0).PinAt(0)->SetName("CHANGED");
  EXPECT_EQ(NameAt(board.GroupAt(1), 1), "GPIO_1[0]");

  // One card list copied onto two headers, then dropped: both keep their own pins.
  TConnector first = MakeHeader();
  TConnector second = MakeHeader();
  {
    const TDaughterBoard card = CardPins(12);
    ApplyCardToConnector(card, first, "A_");
    ApplyCardToConnector(card, second, "B_");
  }
  EXPECT_EQ(NameAt(first, 16), "A_CORVEL_D[0]");
  EXPECT_EQ(NameAt(second, 16), "B_CORVEL_D[0]");
}

}  // namespace
}  // namespace pinwright
