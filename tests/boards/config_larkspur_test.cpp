#include "boards/config_larkspur.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "cards/daughterboard.h"

namespace pinwright {
namespace {

// A record with every component flag clear and no cards.
TConfigLarkspur EmptyConfig() {
  TConfigLarkspur config;
  config.Settings.BoardId.Set(kLarkspurBoardId);
  return config;
}

void SetAllFlags(TLarkspurSettings& s) {
  for (std::uint8_t* flag : {&s.OSC, &s.LED, &s.Button, &s.Switch, &s.ADC, &s.HdmiTx, &s.MIPI,
                             &s.LPDDR4A, &s.LPDDR4B, &s.UART, &s.FAN, &s.SDRAM, &s.HPS}) {
    *flag = 1;
  }
}

TMainBoard Define(const TConfigLarkspur& config) {
  TMainBoard board;
  DefineLarkspurBoard(board, config.Settings);
  return board;
}

std::vector<std::string> GroupNames(const TMainBoard& board) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < board.GroupCount(); ++i)
    names.push_back(board.GroupAt(i).Name());
  return names;
}

std::size_t PinTotal(const TMainBoard& board) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < board.GroupCount(); ++i)
    total += board.GroupAt(i).PinEntryCount();
  return total;
}

const TConnector* FindGroup(const TMainBoard& board, const std::string& name) {
  for (std::size_t i = 0; i < board.GroupCount(); ++i) {
    if (board.GroupAt(i).Name() == name)
      return &board.GroupAt(i);
  }
  return nullptr;
}

const TPin* FindPin(const TMainBoard& board, const std::string& name) {
  for (std::size_t i = 0; i < board.GroupCount(); ++i) {
    const TConnector& group = board.GroupAt(i);
    for (std::size_t j = 0; j < group.PinEntryCount(); ++j) {
      if (group.PinAt(j) && group.PinAt(j)->Name() == name)
        return group.PinAt(j);
    }
  }
  return nullptr;
}

std::vector<std::string> PinNames(const TConnector& group) {
  std::vector<std::string> names;
  for (std::size_t j = 0; j < group.PinEntryCount(); ++j) {
    names.push_back(group.PinAt(j) ? group.PinAt(j)->Name() : "");
  }
  return names;
}

const std::string kFan = "FAN (I2C bus shared with HDMI OUT)";

TEST(DefineLarkspurBoard, FlagsChooseTheGroupsInBoardOrder) {
  struct Case {
    const char* What;
    std::function<void(TLarkspurSettings&)> Configure;
    std::vector<std::string> Groups;
    std::size_t Pins;
  };
  const std::vector<Case> cases = {
      {"defaults",
       [](TLarkspurSettings& s) {
         s.OSC = s.LED = s.Button = s.Switch = s.ADC = s.HdmiTx = s.UART = s.SDRAM = 1;
       },
       {"CLOCK", "KEY", "LED", "SW", "UART", "ADC", "HDMI OUT", "SDRAM"},
       98},
      {"HPS brings the first LPDDR4 bank",
       [](TLarkspurSettings& s) { s.HPS = 1; },
       {"LPDDR4A", "HPS"},
       99},
      {"LPDDR4A alone", [](TLarkspurSettings& s) { s.LPDDR4A = 1; }, {"LPDDR4A"}, 57},
      {"flags are set when not zero",
       [](TLarkspurSettings& s) { s.MIPI = 0x80; },
       {"MIPI CAM"},
       10},
      {"nothing", [](TLarkspurSettings&) {}, {}, 0},
      {"everything",
       [](TLarkspurSettings& s) {
         SetAllFlags(s);
         s.Gpio0.Set(1);
         s.Gpio1.Set(69);
       },
       {"CLOCK", "KEY", "LED", "SW", "UART", "ADC", kFan, "HDMI OUT", "MIPI CAM", "LPDDR4A",
        "LPDDR4B (for FPGA)", "SDRAM", "HPS", "GPIO_0", "GPIO_1"},
       3 + 2 + 8 + 4 + 2 + 4 + 1 + 35 + 10 + 57 + 57 + 40 + 42 + 40 + 40},
      {"second header only", [](TLarkspurSettings& s) { s.Gpio1.Set(12); }, {"GPIO_1"}, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TConfigLarkspur config = EmptyConfig();
    c.Configure(config.Settings);
    const TMainBoard board = Define(config);
    EXPECT_EQ(GroupNames(board), c.Groups);
    EXPECT_EQ(PinTotal(board), c.Pins);
  }
}

TEST(DefineLarkspurBoard, FanKeepsTheI2cPinsOnlyWithoutHdmi) {
  TConfigLarkspur config = EmptyConfig();
  config.Settings.FAN = 1;
  TMainBoard board = Define(config);
  EXPECT_EQ(GroupNames(board), std::vector<std::string>{kFan});
  EXPECT_EQ(PinNames(board.GroupAt(0)),
            (std::vector<std::string>{"FAN_ALERT_n", "HDMI_I2C_SCL", "HDMI_I2C_SDA"}));

  config.Settings.HdmiTx = 1;
  DefineLarkspurBoard(board, config.Settings);
  ASSERT_EQ(GroupNames(board), (std::vector<std::string>{kFan, "HDMI OUT"}));
  EXPECT_EQ(PinNames(board.GroupAt(0)), std::vector<std::string>{"FAN_ALERT_n"});
  const std::vector<std::string> hdmi = PinNames(board.GroupAt(1));
  EXPECT_EQ(std::vector<std::string>(hdmi.begin(), hdmi.begin() + 2),
            (std::vector<std::string>{"HDMI_I2C_SCL", "HDMI_I2C_SDA"}));
}

TEST(DefineLarkspurBoard, DefiningTwiceGivesEachGroupOnce) {
  TConfigLarkspur config = EmptyConfig();
  SetAllFlags(config.Settings);
  config.Settings.Gpio0.Set(1);
  TMainBoard board = Define(config);
  const std::vector<std::string> once = GroupNames(board);
  DefineLarkspurBoard(board, config.Settings);
  EXPECT_EQ(GroupNames(board), once);
  EXPECT_EQ(board.GroupCount(), 14u);
}

TEST(DefineLarkspurBoard, SetsTheDeviceData) {
  const TMainBoard board = Define(EmptyConfig());
  EXPECT_EQ(board.BoardId(), 43);
  EXPECT_EQ(board.Family(), "Agilex 5");
  EXPECT_EQ(board.Device(), "A5EB013BB23BE4S");
  EXPECT_EQ(board.Package(), "VPBGA");
  EXPECT_EQ(board.PinCount(), 672);
  EXPECT_EQ(board.SpeedGrade(), "4");
}

TEST(DefineLarkspurBoard, OnBoardGroupsHoldTheirPins) {
  const std::map<std::string, std::size_t> counts = {
      {"CLOCK", 3},
      {"KEY", 2},
      {"LED", 8},
      {"SW", 4},
      {"UART", 2},
      {"ADC", 4},
      {kFan, 1},
      {"HDMI OUT", 35},
      {"MIPI CAM", 10},
      {"LPDDR4A", 57},
      {"LPDDR4B (for FPGA)", 57},
      {"SDRAM", 40},
      {"HPS", 42},
  };
  TConfigLarkspur config = EmptyConfig();
  SetAllFlags(config.Settings);
  const TMainBoard board = Define(config);
  ASSERT_EQ(board.GroupCount(), counts.size());
  for (std::size_t i = 0; i < board.GroupCount(); ++i) {
    const TConnector& group = board.GroupAt(i);
    SCOPED_TRACE(group.Name());
    EXPECT_EQ(group.PinEntryCount(), counts.at(group.Name()));
    EXPECT_EQ(group.ActiveCount(), group.PinEntryCount());
    EXPECT_EQ(group.ConnectorType(), kConnectorOnBoard);
    EXPECT_EQ(group.Description(), "");
    EXPECT_EQ(group.IsHeader(), 0);
    for (std::size_t j = 0; j < group.PinEntryCount(); ++j) {
      EXPECT_EQ(group.PinAt(j)->PinNumber(), -1) << group.PinAt(j)->Name();
    }
  }
}

TEST(DefineLarkspurBoard, ClockPinsCarryTheirFrequencyText) {
  const std::map<std::string, std::string> clocks = {
      {"CLOCK1_50", "50.0 MHz"},
      {"CLOCK2_50", "50.0 MHz"},
      {"CLOCK3_50", "50.0 MHz"},
      {"LPDDR4A_REFCLK_p", "166.66600 MHz"},
      {"LPDDR4B_REFCLK_p", "166.66600 MHz"},
  };
  TConfigLarkspur config = EmptyConfig();
  SetAllFlags(config.Settings);
  const TMainBoard board = Define(config);
  std::size_t seen = 0;
  for (std::size_t i = 0; i < board.GroupCount(); ++i) {
    const TConnector& group = board.GroupAt(i);
    for (std::size_t j = 0; j < group.PinEntryCount(); ++j) {
      const TPin& pin = *group.PinAt(j);
      SCOPED_TRACE(pin.Name());
      const auto clock = clocks.find(pin.Name());
      EXPECT_EQ(pin.IsClock(), clock != clocks.end() ? 1 : 0);
      EXPECT_EQ(pin.FrequencyText(), clock != clocks.end() ? clock->second : "");
      if (clock != clocks.end())
        ++seen;
    }
  }
  EXPECT_EQ(seen, clocks.size());
}

TEST(DefineLarkspurBoard, HeaderHoldsFortyPositionTemplates) {
  struct Case {
    const char* Group;
    std::int32_t Key;
    std::int32_t Card;
    const char* Description;
    const char* Position1;
    const char* Position40;
  };
  const Case cases[] = {
      {"GPIO_0", 16, 1, "GPIO connect to GPIO Default", "H16", "AL34"},
      {"GPIO_1", 17, 13, "GPIO connect to Sandrel - 4.3\" LCD and Touch", "BV14", "BV16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Group);
    TConfigLarkspur config = EmptyConfig();
    (c.Key == 16 ? config.Settings.Gpio0 : config.Settings.Gpio1).Set(c.Card);
    const TMainBoard board = Define(config);
    ASSERT_EQ(board.GroupCount(), 1u);
    const TConnector& header = board.GroupAt(0);
    EXPECT_EQ(header.Name(), c.Group);
    EXPECT_EQ(header.Description(), c.Description);
    EXPECT_EQ(header.ConnectorType(), kConnectorGpio);
    EXPECT_EQ(header.IsHeader(), 1);
    EXPECT_EQ(header.HeaderKey(), c.Key);
    ASSERT_EQ(header.PinEntryCount(), 40u);
    EXPECT_EQ(header.ActiveCount(), 36u);
    for (std::size_t position = 1; position <= 40; ++position) {
      SCOPED_TRACE(position);
      const TPin* pin = header.PinAt(position - 1);
      const bool supply = position == 11 || position == 12 || position == 29 || position == 30;
      ASSERT_EQ(pin == nullptr, supply);
      if (supply)
        continue;
      EXPECT_EQ(pin->Name(), "");
      EXPECT_EQ(pin->Direction(), PinDirection::FromCard);
      EXPECT_EQ(pin->IoStandard(), kIoFromCard);
      EXPECT_EQ(pin->PinNumber(), -1);
      EXPECT_EQ(pin->IsClock(), 0);
    }
    EXPECT_EQ(header.PinAt(0)->Location(), c.Position1);
    EXPECT_EQ(header.PinAt(39)->Location(), c.Position40);
  }
}

// Guards against slips in the pin tables: a location is a ball name and belongs to one pin,
// except the HDMI I2C pair, which the FAN group holds only when HDMI OUT is absent.
TEST(LarkspurPinTables, EveryLocationIsABallNameUsedOnce) {
  TConfigLarkspur config = EmptyConfig();
  SetAllFlags(config.Settings);
  config.Settings.Gpio0.Set(1);
  config.Settings.Gpio1.Set(1);
  const TMainBoard full = Define(config);
  config.Settings.HdmiTx = 0;
  const TMainBoard fanWithI2c = Define(config);

  const std::regex ball("^[A-Z]{1,2}[0-9]{1,2}$");
  std::map<std::string, std::string> owner;  // location -> pin or header position
  for (std::size_t i = 0; i < full.GroupCount(); ++i) {
    const TConnector& group = full.GroupAt(i);
    for (std::size_t j = 0; j < group.PinEntryCount(); ++j) {
      const TPin* pin = group.PinAt(j);
      if (!pin)
        continue;
      const std::string who =
          group.Name() + " " +
          (pin->Name().empty() ? "position " + std::to_string(j + 1) : pin->Name());
      SCOPED_TRACE(who);
      EXPECT_TRUE(std::regex_match(pin->Location(), ball)) << pin->Location();
      const auto [it, fresh] = owner.emplace(pin->Location(), who);
      EXPECT_TRUE(fresh) << pin->Location() << " also used by " << it->second;
    }
  }
  EXPECT_EQ(owner.size(), 3u + 2 + 8 + 4 + 2 + 4 + 1 + 35 + 10 + 57 + 57 + 40 + 42 + 36 + 36);

  const TConnector& fan = *FindGroup(fanWithI2c, kFan);
  ASSERT_EQ(fan.PinEntryCount(), 3u);
  EXPECT_EQ(owner.at(fan.PinAt(0)->Location()), kFan + " FAN_ALERT_n");
  for (std::size_t j = 1; j < 3; ++j) {
    const TPin& shared = *fan.PinAt(j);
    const TPin& hdmi = *FindPin(full, shared.Name());
    EXPECT_EQ(owner.at(shared.Location()), "HDMI OUT " + shared.Name());
    EXPECT_EQ(shared.Location(), hdmi.Location());
    EXPECT_EQ(shared.Direction(), hdmi.Direction());
    EXPECT_EQ(shared.IoStandard(), hdmi.IoStandard());
  }
}

TEST(LarkspurPinTables, SpotChecksAgainstTheBoardTables) {
  struct Case {
    const char* Name;
    const char* Location;
    PinDirection Direction;
    std::int32_t IoStandard;
  };
  const Case cases[] = {
      {"CLOCK3_50", "DJ35", PinDirection::Input, 65},
      {"KEY[1]", "C11", PinDirection::Input, 7},
      {"LED[7]", "DP30", PinDirection::Output, 65},
      {"SW[0]", "DK24", PinDirection::Input, 65},
      {"FPGA_UART_RX", "BR19", PinDirection::Input, 7},
      {"ADC_SDO", "CH19", PinDirection::Input, 7},
      {"HDMI_TX_CLK", "DJ24", PinDirection::Output, 65},
      {"HDMI_TX_D[0]", "AV19", PinDirection::Output, 7},
      {"HDMI_TX_D[17]", "DA1", PinDirection::Output, 7},
      {"HDMI_TX_D[23]", "CU2", PinDirection::Output, 7},
      {"HDMI_TX_INT", "CF2", PinDirection::Input, 7},
      {"CAM_D_n[1]", "DN38", PinDirection::Input, 61},
      {"CAM_RZQ1", "DD35", PinDirection::Input, 65},
      {"LPDDR4A_REFCLK_p", "B55", PinDirection::Input, 68},
      {"LPDDR4A_CA[5]", "A66", PinDirection::Output, 66},
      {"LPDDR4A_DQS_n[3]", "A30", PinDirection::Inout, 67},
      {"LPDDR4A_DQ[0]", "T62", PinDirection::Inout, 66},
      {"LPDDR4A_DQ[31]", "B22", PinDirection::Inout, 66},
      {"LPDDR4B_CK_n", "DN45", PinDirection::Output, 67},
      {"LPDDR4B_DQ[20]", "DP7", PinDirection::Inout, 66},
      {"LPDDR4B_DQ[31]", "DK9", PinDirection::Inout, 66},
      {"LPDDR4B_RZQ", "DP58", PinDirection::Input, 65},
      {"DRAM_ADDR[12]", "AH11", PinDirection::Output, 63},
      {"DRAM_DQ[15]", "BL2", PinDirection::Inout, 63},
      {"DRAM_CS_n[1]", "AE14", PinDirection::Output, 63},
      {"HPS_ENET_TX_DATA[3]", "AM74", PinDirection::Output, 69},
      {"HPS_SD_DATA[3]", "Y74", PinDirection::Inout, 69},
      {"HPS_USB_DATA[7]", "BP74", PinDirection::Inout, 69},
      {"HPS_USB_STP", "BC67", PinDirection::Output, 69},
  };
  TConfigLarkspur config = EmptyConfig();
  SetAllFlags(config.Settings);
  const TMainBoard board = Define(config);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const TPin* pin = FindPin(board, c.Name);
    ASSERT_NE(pin, nullptr);
    EXPECT_EQ(pin->Location(), c.Location);
    EXPECT_EQ(pin->Direction(), c.Direction);
    EXPECT_EQ(pin->IoStandard(), c.IoStandard);
  }
}

TEST(LarkspurPinTables, HeaderPositionsSpotChecks) {
  struct Case {
    std::size_t Position;
    const char* Gpio0;
    const char* Gpio1;
  };
  const Case cases[] = {
      {1, "H16", "BV14"}, {10, "B3", "CH14"}, {13, "H4", "CR6"},    {25, "AH16", "CV4"},
      {28, "C19", "CE8"}, {31, "H19", "DE1"}, {37, "AG31", "BV19"}, {40, "AL34", "BV16"},
  };
  TConfigLarkspur config = EmptyConfig();
  config.Settings.Gpio0.Set(1);
  config.Settings.Gpio1.Set(1);
  const TMainBoard board = Define(config);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Position);
    EXPECT_EQ(board.GroupAt(0).PinAt(c.Position - 1)->Location(), c.Gpio0);
    EXPECT_EQ(board.GroupAt(1).PinAt(c.Position - 1)->Location(), c.Gpio1);
  }
}

TEST(LarkspurHeaders, FittedCardsTakeTheBoardLocations) {
  TConfigLarkspur config = EmptyConfig();
  config.Settings.Gpio0.Set(12);
  config.Settings.Gpio1.Set(1);
  TMainBoard board = Define(config);
  FitCard(board, kLarkspurHeaders[0].Key, CardById(12), "", "A_");
  FitCard(board, kLarkspurHeaders[1].Key, CardById(1), "GPIO_1", "");

  const TConnector& gpio0 = board.GroupAt(0);
  EXPECT_EQ(gpio0.ActiveCount(), 21u);
  EXPECT_EQ(gpio0.PinAt(15)->Name(), "A_CORVEL_D[0]");
  EXPECT_EQ(gpio0.PinAt(15)->Location(), "H6");
  EXPECT_EQ(gpio0.PinAt(15)->PinNumber(), 16);
  EXPECT_EQ(gpio0.PinAt(2)->Direction(), PinDirection::Unused);  // position 3: not on the card

  const TConnector& gpio1 = board.GroupAt(1);
  EXPECT_EQ(gpio1.ActiveCount(), 36u);
  EXPECT_EQ(gpio1.PinAt(39)->Name(), "GPIO_1[35]");
  EXPECT_EQ(gpio1.PinAt(39)->Location(), "BV16");
  EXPECT_EQ(gpio1.PinAt(39)->IoStandard(), kIoLvcmos33);
}

TEST(QsfExtraAssignments, LarkspurConfigurationBlock) {
  const std::string rule = "#============================================================\r\n";
  const std::string expected = "\r\n" + rule + "# Configuration scheme/pin \r\n" + rule +
                               "set_global_assignment -name USE_CONF_DONE SDM_IO16\r\n"
                               "set_global_assignment -name USE_HPS_COLD_RESET SDM_IO11\r\n"
                               "set_global_assignment -name STRATIXV_CONFIGURATION_SCHEME "
                               "\"ACTIVE SERIAL X4\"\r\n"
                               "set_global_assignment -name ACTIVE_SERIAL_CLOCK AS_FREQ_100MHZ\r\n"
                               "set_global_assignment -name DEVICE_INITIALIZATION_CLOCK "
                               "OSC_CLK_1_125MHZ\r\n"
                               "set_global_assignment -name PWRMGT_VOLTAGE_OUTPUT_FORMAT "
                               "\"LINEAR FORMAT\"\r\n"
                               "set_global_assignment -name PWRMGT_LINEAR_FORMAT_N \"-12\"\r\n"
                               "set_global_assignment -name BOARD default\r\n"
                               "\r\n";
  EXPECT_EQ(Define(EmptyConfig()).QsfExtraAssignments(), expected);

  TConfigLarkspur other = EmptyConfig();
  other.Settings.BoardId.Set(7);
  EXPECT_EQ(Define(other).QsfExtraAssignments(), "");
  EXPECT_EQ(TMainBoard().QsfExtraAssignments(), "");
}

}  // namespace
}  // namespace pinwright
