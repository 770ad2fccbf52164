#include "boards/larkspur_board.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "boards/boardmodel.h"
#include "cards/catalogue.h"
#include "model/pin.h"

namespace pinwright {
namespace {

constexpr PinDirection kInout = PinDirection::Inout;
constexpr PinDirection kInput = PinDirection::Input;
constexpr PinDirection kOutput = PinDirection::Output;

enum class ClockKind {
  kNone,
  kOscillator,  // a 50 MHz oscillator, constrained with the text "50.0 MHz"
  kMemoryRef,   // an LPDDR4 reference clock of 166.666 MHz
};
constexpr ClockKind kOsc50 = ClockKind::kOscillator;
constexpr ClockKind kRef166 = ClockKind::kMemoryRef;
constexpr double kMemoryRefMHz = 166.666;
constexpr double kOscillatorMHz = 50.0;
constexpr std::string_view kOscillatorText = "50.0 MHz";

// One row of an on-board pin table: a single pin, or NAME[a..b] for the bus members NAME[a]
// up to NAME[b] with one location each, in the same order.
struct BoardPinRow {
  std::string_view Signal;
  PinDirection Direction;
  std::int32_t IoStandard;
  std::string_view Locations;  // blank-separated
  ClockKind Clock = ClockKind::kNone;
};

// clang-format off

constexpr BoardPinRow kClockPins[] = {
  {"CLOCK1_50", kInput,  kIoLvcmos33,    "V16",  kOsc50},
  {"CLOCK2_50", kInput,  kIoLvcmos33,    "BF23", kOsc50},
  {"CLOCK3_50", kInput,  kIo11V,         "DJ35", kOsc50},
};

constexpr BoardPinRow kKeyPins[] = {
  {"KEY[0..1]", kInput,  kIoLvcmos33,    "C8 C11"},
};

constexpr BoardPinRow kLedPins[] = {
  {"LED[0..7]", kOutput, kIo11V,         "DF35 DJ32 DN22 DP23 DN25 DP25 DJ27 DP30"},
};

constexpr BoardPinRow kSwitchPins[] = {
  {"SW[0..3]", kInput,  kIo11V,         "DK24 DD24 DD27 DF27"},
};

constexpr BoardPinRow kUartPins[] = {
  {"FPGA_UART_TX", kOutput, kIoLvcmos33,    "H14" },
  {"FPGA_UART_RX", kInput,  kIoLvcmos33,    "BR19"},
};

constexpr BoardPinRow kAdcPins[] = {
  {"ADC_CS_n", kOutput, kIoLvcmos33,    "CE19"},
  {"ADC_SCK",  kOutput, kIoLvcmos33,    "CH6" },
  {"ADC_SDI",  kOutput, kIoLvcmos33,    "CR8" },
  {"ADC_SDO",  kInput,  kIoLvcmos33,    "CH19"},
};

// The two I2C pins are shared with HDMI OUT; the group keeps them only without HDMI OUT.
constexpr BoardPinRow kFanPins[] = {
  {"FAN_ALERT_n",  kInput,  kIoLvcmos33,    "CJ1"},
  {"HDMI_I2C_SCL", kInout,  kIoLvcmos33,    "BT1"},
  {"HDMI_I2C_SDA", kInout,  kIoLvcmos33,    "BW2"},
};
constexpr std::size_t kFanPinsBesideHdmi = 1;

constexpr BoardPinRow kHdmiPins[] = {
  {"HDMI_I2C_SCL",      kInout,  kIoLvcmos33,    "BT1" },
  {"HDMI_I2C_SDA",      kInout,  kIoLvcmos33,    "BW2" },
  {"HDMI_I2S",          kInout,  kIoLvcmos33,    "CB2" },
  {"HDMI_LRCLK",        kInout,  kIoLvcmos33,    "BR6" },
  {"HDMI_MCLK",         kInout,  kIoLvcmos33,    "CF1" },
  {"HDMI_SCLK",         kInout,  kIoLvcmos33,    "BW1" },
  {"HDMI_TX_CLK",       kOutput, kIo11V,         "DJ24"},
  {"HDMI_TX_D[0..23]",  kOutput, kIoLvcmos33,    "AV19 AT11 BE11 AV14 AT19 AT14 AV16 AV11 BH11 "
                                                 "BE14 BE19 BH14 BV6 BJ23 BV4 BU23 BH16 DA1 BH19 "
                                                 "CP2 CM1 DA2 CP1 CU2"},
  {"HDMI_TX_DE",        kOutput, kIoLvcmos33,    "CJ2" },
  {"HDMI_TX_HS",        kOutput, kIoLvcmos33,    "BR11"},
  {"HDMI_TX_INT",       kInput,  kIoLvcmos33,    "CF2" },
  {"HDMI_TX_VS",        kOutput, kIoLvcmos33,    "BR14"},
};

constexpr BoardPinRow kMipiPins[] = {
  {"CAM_I2C_SCL", kInout,  kIoLvcmos33,    "BP2" },
  {"CAM_I2C_SDA", kInout,  kIoLvcmos33,    "BP1" },
  {"CAM_GPIO",    kInout,  kIoLvcmos33,    "BR8" },
  {"CAM_CLK_p",   kInput,  kIoDphy,        "DP33"},
  {"CAM_CLK_n",   kInput,  kIoDphy,        "DN30"},
  {"CAM_D_p[0]",  kInput,  kIoDphy,        "DP36"},
  {"CAM_D_n[0]",  kInput,  kIoDphy,        "DN33"},
  {"CAM_D_p[1]",  kInput,  kIoDphy,        "DP38"},
  {"CAM_D_n[1]",  kInput,  kIoDphy,        "DN38"},
  {"CAM_RZQ1",    kInput,  kIo11V,         "DD35"},
};

constexpr BoardPinRow kLpddr4aPins[] = {
  {"LPDDR4A_REFCLK_p",      kInput,  kIoTrueDiff11,  "B55", kRef166},
  {"LPDDR4A_CA[0..5]",      kOutput, kIoLvstl11,     "B66 A68 B68 A70 B63 A66"},
  {"LPDDR4A_CK",            kOutput, kIoDiffLvstl11, "J42"},
  {"LPDDR4A_CK_n",          kOutput, kIoDiffLvstl11, "G42"},
  {"LPDDR4A_CKE",           kOutput, kIoLvstl11,     "A61"},
  {"LPDDR4A_DM[0..3]",      kInout,  kIoLvstl11,     "J59 T59 J27 A25"},
  {"LPDDR4A_DQS[0..3]",     kInout,  kIoDiffLvstl11, "G62 AB56 G32 B28"},
  {"LPDDR4A_DQS_n[0..3]",   kInout,  kIoDiffLvstl11, "E62 W56 E32 A30"},
  {"LPDDR4A_DQ[0..31]",     kInout,  kIoLvstl11,     "T62 T56 G56 E56 G65 J65 M56 M62 W62 M65 M51 "
                                                     "T51 AB48 W48 T65 AB62 G24 E24 J35 T32 M32 "
                                                     "T24 G35 M24 A22 A23 A33 B33 B30 A36 A20 B22"},
  {"LPDDR4A_CS_n",          kOutput, kIoLvstl11,     "B58"},
  {"LPDDR4A_RESET_n",       kOutput, kIoLvstl11,     "M48"},
  {"LPDDR4A_RZQ",           kInput,  kIo11V,         "T48"},
};

constexpr BoardPinRow kLpddr4bPins[] = {
  {"LPDDR4B_REFCLK_p",      kInput,  kIoTrueDiff11,  "DK39", kRef166},
  {"LPDDR4B_CA[0..5]",      kOutput, kIoLvstl11,     "DJ51 DF51 DD51 DD48 DK48 DJ48"},
  {"LPDDR4B_CK",            kOutput, kIoDiffLvstl11, "DP47"},
  {"LPDDR4B_CK_n",          kOutput, kIoDiffLvstl11, "DN45"},
  {"LPDDR4B_CKE",           kOutput, kIoLvstl11,     "DJ42"},
  {"LPDDR4B_DM[0..3]",      kInout,  kIoLvstl11,     "DJ59 DP66 DP10 DJ12"},
  {"LPDDR4B_DQS[0..3]",     kInout,  kIoDiffLvstl11, "DK62 DP68 DP15 DK18"},
  {"LPDDR4B_DQS_n[0..3]",   kInout,  kIoDiffLvstl11, "DJ62 DN66 DN15 DJ18"},
  {"LPDDR4B_DQ[0..31]",     kInout,  kIoLvstl11,     "DJ65 DF65 DD59 DJ56 DD56 DK56 DD65 DD62 DN73 "
                                                     "DN74 DP60 DN58 DN61 DP61 DN68 DP70 DN10 DN17 "
                                                     "DP20 DN20 DP7 DP22 DN3 DN7 DD9 DD12 DJ21 "
                                                     "DD21 DF21 DD18 DJ9 DK9"},
  {"LPDDR4B_CS_n",          kOutput, kIoLvstl11,     "DD42"},
  {"LPDDR4B_RESET_n",       kOutput, kIoLvstl11,     "DN55"},
  {"LPDDR4B_RZQ",           kInput,  kIo11V,         "DP58"},
};

constexpr BoardPinRow kSdramPins[] = {
  {"DRAM_CLK",          kOutput, kIoLvcmos18,    "R11"},
  {"DRAM_CKE",          kOutput, kIoLvcmos18,    "AE8"},
  {"DRAM_ADDR[0..12]",  kOutput, kIoLvcmos18,    "AC1 AH6 AC2 R8 AE11 AH14 V4 AG26 AG23 V11 BE8 R6 AH11"},
  {"DRAM_BA[0..1]",     kOutput, kIoLvcmos18,    "AT6 AV4"},
  {"DRAM_DQ[0..15]",    kInout,  kIoLvcmos18,    "AU1 AJ1 BA1 AP1 AM2 BL1 AJ2 AP2 BH4 AH4 BH6 AU2 "
                                                 "BE6 BD2 BG2 BL2"},
  {"DRAM_LDQM",         kOutput, kIoLvcmos18,    "BD1"},
  {"DRAM_UDQM",         kOutput, kIoLvcmos18,    "AT8"},
  {"DRAM_CS_n[0..1]",   kOutput, kIoLvcmos18,    "AF1 AE14"},
  {"DRAM_WE_n",         kOutput, kIoLvcmos18,    "AV6"},
  {"DRAM_CAS_n",        kOutput, kIoLvcmos18,    "AE6"},
  {"DRAM_RAS_n",        kOutput, kIoLvcmos18,    "V6"},
};

constexpr BoardPinRow kHpsPins[] = {
  {"HPS_CLK_25",              kInput,  kIo18V,         "AN67"},
  {"HPS_ENET_MDC",            kOutput, kIo18V,         "D71"},
  {"HPS_ENET_MDIO",           kInout,  kIo18V,         "C74"},
  {"HPS_ENET_RX_CLK",         kInput,  kIo18V,         "BL75"},
  {"HPS_ENET_RX_CTL",         kInput,  kIo18V,         "AP74"},
  {"HPS_ENET_RX_DATA[0..3]",  kInput,  kIo18V,         "BD74 AN71 AJ74 AJ75"},
  {"HPS_ENET_TX_CLK",         kOutput, kIo18V,         "BP75"},
  {"HPS_ENET_TX_CTL",         kOutput, kIo18V,         "BL74"},
  {"HPS_ENET_TX_DATA[0..3]",  kOutput, kIo18V,         "BG74 AP75 BD75 AM74"},
  {"HPS_SD_CLK",              kOutput, kIo18V,         "AC74"},
  {"HPS_SD_CMD",              kInout,  kIo18V,         "AK69"},
  {"HPS_SD_DATA[0..3]",       kInout,  kIo18V,         "AF75 AC75 AN64 Y74"},
  {"HPS_UART_RX",             kInput,  kIo18V,         "AD72"},
  {"HPS_UART_TX",             kOutput, kIo18V,         "N71"},
  {"HPS_LED",                 kInout,  kIo18V,         "AD71"},
  {"HPS_KEY",                 kInout,  kIo18V,         "F75"},
  {"HPS_GSENSOR_INT",         kInout,  kIo18V,         "Y75"},
  {"HPS_GSENSOR_INT2",        kInout,  kIo18V,         "AK67"},
  {"HPS_GSENSOR_I2C_EN",      kInout,  kIo18V,         "P75"},
  {"HPS_I2C_SCL",             kInout,  kIo18V,         "N72"},
  {"HPS_I2C_SDA",             kInout,  kIo18V,         "L75"},
  {"HPS_USB_CLK",             kInput,  kIo18V,         "BC64"},
  {"HPS_USB_DATA[0..7]",      kInout,  kIo18V,         "AN72 AY69 BC71 AU74 AY71 AU75 BC72 BP74"},
  {"HPS_USB_DIR",             kInput,  kIo18V,         "AY67"},
  {"HPS_USB_NXT",             kInput,  kIo18V,         "BA75"},
  {"HPS_USB_STP",             kOutput, kIo18V,         "BC67"},
};

// The FPGA location behind each GPIO header position; kNone where the position carries
// supply or ground.
constexpr std::string_view kNone = "";

struct HeaderPositionRow {
  std::int32_t Position;
  std::array<std::string_view, kLarkspurHeaders.size()> Locations;  // by header, GPIO-0 first
};

constexpr HeaderPositionRow kHeaderPositions[] = {
  { 1, {"H16",   "BV14"}},
  { 2, {"Y1",    "CG26"}},
  { 3, {"C2",    "DM2" }},
  { 4, {"P1",    "CD23"}},
  { 5, {"Y2",    "CG23"}},
  { 6, {"U2",    "CE14"}},
  { 7, {"L1",    "CA23"}},
  { 8, {"F2",    "CH16"}},
  { 9, {"P2",    "CV16"}},
  {10, {"B3",    "CH14"}},
  {11, {kNone,   kNone }},
  {12, {kNone,   kNone }},
  {13, {"H4",    "CR6" }},
  {14, {"B2",    "CH11"}},
  {15, {"C6",    "CV6" }},
  {16, {"H6",    "CR14"}},
  {17, {"B5",    "CR19"}},
  {18, {"H11",   "CR11"}},
  {19, {"C14",   "CV19"}},
  {20, {"B10",   "CV11"}},
  {21, {"A15",   "CV14"}},
  {22, {"A10",   "DJ3" }},
  {23, {"B17",   "DF3" }},
  {24, {"B15",   "DN2" }},
  {25, {"AH16",  "CV4" }},
  {26, {"A13",   "DD3" }},
  {27, {"AE19",  "CE11"}},
  {28, {"C19",   "CE8" }},
  {29, {kNone,   kNone }},
  {30, {kNone,   kNone }},
  {31, {"H19",   "DE1" }},
  {32, {"AH19",  "DH1" }},
  {33, {"R19",   "DH2" }},
  {34, {"R14",   "CH4" }},
  {35, {"V19",   "DC2" }},
  {36, {"V14",   "DC1" }},
  {37, {"AG31",  "BV19"}},
  {38, {"AL31",  "CE6" }},
  {39, {"AL37",  "BV11"}},
  {40, {"AL34",  "BV16"}},
};

// How the device configures itself and powers up: the same for every Larkspur project.
constexpr std::string_view kConfigurationAssignments[] = {
  "USE_CONF_DONE SDM_IO16",
  "USE_HPS_COLD_RESET SDM_IO11",
  "STRATIXV_CONFIGURATION_SCHEME \"ACTIVE SERIAL X4\"",
  "ACTIVE_SERIAL_CLOCK AS_FREQ_100MHZ",
  "DEVICE_INITIALIZATION_CLOCK OSC_CLK_1_125MHZ",
  "PWRMGT_VOLTAGE_OUTPUT_FORMAT \"LINEAR FORMAT\"",
  "PWRMGT_LINEAR_FORMAT_N \"-12\"",
  "BOARD default",
};

// clang-format on

// A signal NAME[a..b] split into its parts; a plain signal has First and Last -1.
struct SignalRun {
  std::string_view Base;
  std::int32_t First = -1;
  std::int32_t Last = -1;
  bool Valid = true;
};

constexpr std::int32_t ParseNumber(std::string_view digits) {
  if (digits.empty())
    return -1;
  std::int32_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9')
      return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

constexpr SignalRun ParseSignal(std::string_view signal) {
  const std::size_t dots = signal.find("..");
  if (dots == std::string_view::npos)
    return {signal};
  const std::size_t open = signal.find('[');
  SignalRun run;
  run.Valid = open < dots && signal.back() == ']';
  if (!run.Valid)
    return run;
  run.Base = signal.substr(0, open);
  run.First = ParseNumber(signal.substr(open + 1, dots - open - 1));
  run.Last = ParseNumber(signal.substr(dots + 2, signal.size() - dots - 3));
  run.Valid = run.First >= 0 && run.Last >= run.First;
  return run;
}

// The blank-separated words of a location list, taken one at a time.
constexpr std::string_view NextLocation(std::string_view& list) {
  const std::size_t end = list.find(' ');
  const std::string_view word = list.substr(0, end);
  list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
  return word;
}

constexpr std::size_t LocationCount(std::string_view list) {
  std::size_t count = 0;
  while (!list.empty()) {
    if (NextLocation(list).empty())
      return 0;  // a doubled blank
    ++count;
  }
  return count;
}

constexpr bool RowsWellFormed(std::span<const BoardPinRow> rows) {
  for (const BoardPinRow& row : rows) {
    const SignalRun run = ParseSignal(row.Signal);
    if (!run.Valid)
      return false;
    const std::size_t pins = run.First < 0 ? 1 : static_cast<std::size_t>(run.Last - run.First + 1);
    if (LocationCount(row.Locations) != pins)
      return false;
  }
  return true;
}

static_assert(RowsWellFormed(kClockPins) && RowsWellFormed(kKeyPins) && RowsWellFormed(kLedPins) &&
                  RowsWellFormed(kSwitchPins) && RowsWellFormed(kUartPins) &&
                  RowsWellFormed(kAdcPins) && RowsWellFormed(kFanPins) &&
                  RowsWellFormed(kHdmiPins) && RowsWellFormed(kMipiPins) &&
                  RowsWellFormed(kLpddr4aPins) && RowsWellFormed(kLpddr4bPins) &&
                  RowsWellFormed(kSdramPins) && RowsWellFormed(kHpsPins),
              "a pin row's location list does not match its signal");

constexpr bool HeaderPositionsWellFormed() {
  std::int32_t expected = 1;
  for (const HeaderPositionRow& row : kHeaderPositions) {
    if (row.Position != expected++)
      return false;
    const bool supply = IsSupplyPosition(row.Position);
    for (const std::string_view location : row.Locations) {
      if (location.empty() != supply)
        return false;
    }
  }
  return expected == kGpioHeaderPositions + 1;
}
static_assert(HeaderPositionsWellFormed(), "header positions must run 1..40, supply ones empty");

// The pins of a table, buses expanded; the rows from the first past kept on get unless.
void AddPins(BoardComponent& component, std::span<const BoardPinRow> rows,
             std::string_view unless = {}, std::size_t kept = static_cast<std::size_t>(-1)) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const BoardPinRow& row = rows[r];
    const SignalRun run = ParseSignal(row.Signal);
    std::string_view locations = row.Locations;
    auto add = [&](std::string name) {
      BoardPin pin;
      pin.Name = std::move(name);
      pin.Ball = std::string(NextLocation(locations));
      pin.Direction = row.Direction;
      pin.IoStandard = row.IoStandard;
      pin.ClockMHz = row.Clock == ClockKind::kMemoryRef    ? kMemoryRefMHz
                     : row.Clock == ClockKind::kOscillator ? kOscillatorMHz
                                                           : 0.0;
      // The oscillators are constrained with their own shorter text.
      if (row.Clock == ClockKind::kOscillator)
        pin.ClockText = std::string(kOscillatorText);
      if (r >= kept)
        pin.Unless = std::string(unless);
      component.Pins.push_back(std::move(pin));
    };
    if (run.First < 0) {
      add(std::string(row.Signal));
      continue;
    }
    for (std::int32_t index = run.First; index <= run.Last; ++index)
      add(std::string(run.Base) + "[" + std::to_string(index) + "]");
  }
}

// One group of on-board pins: the group a ticked component adds, in the order the model
// lists them.
struct ComponentGroup {
  std::string_view Key;  // the component's field name in the record
  std::string_view Group;
  std::span<const BoardPinRow> Pins;
  // A second component that brings the group along too; empty for none.
  std::string_view AlsoBy = {};
  // A component whose pins take some of these: with it ticked the group keeps only its first
  // KeptBeside rows.
  std::string_view SharedWith = {};
  std::size_t KeptBeside = 0;
  // What the user must still add to the design when the component is ticked.
  std::string_view Reminder = {};
};

// clang-format off
constexpr ComponentGroup kComponentGroups[] = {
  {"OSC",     "CLOCK",                              kClockPins},
  {"Button",  kPushButtonGroup,                     kKeyPins},
  {"LED",     "LED",                                kLedPins},
  {"Switch",  "SW",                                 kSwitchPins},
  {"UART",    "UART",                               kUartPins},
  {"ADC",     "ADC",                                kAdcPins},
  {"FAN",     "FAN (I2C bus shared with HDMI OUT)", kFanPins,     {}, "HdmiTx", kFanPinsBesideHdmi},
  {"HdmiTx",  "HDMI OUT",                           kHdmiPins},
  {"MIPI",    "MIPI CAM",                           kMipiPins},
  // The processor system uses the first LPDDR4 bank, so HPS brings it along.
  {"LPDDR4A", "LPDDR4A",                            kLpddr4aPins, "HPS", {}, 0, "LPDDR4"},
  {"LPDDR4B", "LPDDR4B (for FPGA)",                 kLpddr4bPins, {},    {}, 0, "LPDDR4"},
  {"SDRAM",   "SDRAM",                              kSdramPins},
  {"HPS",     "HPS",                                kHpsPins,     {},    {}, 0, "HPS"},
};
// clang-format on

BoardDefinition MakeLarkspurBoard() {
  BoardDefinition board;
  board.Id = std::string(kLarkspurBoardKey);
  board.Number = kLarkspurBoardId;
  board.Name = "Larkspur";
  board.Folder = "LARKSPUR";
  board.Family = "Agilex 5";
  board.Device = "A5EB013BB23BE4S";
  board.Package = "VPBGA";
  board.PinCount = 672;
  board.SpeedGrade = "4";
  for (const std::string_view assignment : kConfigurationAssignments)
    board.Configuration.emplace_back(assignment);
  board.ReminderText =
      "===== %s System warning =====\r\n"
      "To prevent any errors while compiling your Quartus project, \r\n"
      "please add the Altera %s IP to your design.\r\n";
  for (const ComponentGroup& row : kComponentGroups) {
    BoardComponent component;
    component.Key = std::string(row.Key);
    const std::optional<std::size_t> named = FindLarkspurComponent(row.Key);
    component.Caption = std::string(kLarkspurComponents[*named].Caption);
    component.Group = std::string(row.Group);
    if (!row.AlsoBy.empty())
      component.BroughtBy.emplace_back(row.AlsoBy);
    component.Reminder = std::string(row.Reminder);
    AddPins(component, row.Pins, row.SharedWith,
            row.SharedWith.empty() ? row.Pins.size() : row.KeptBeside);
    board.Components.push_back(std::move(component));
  }
  for (std::size_t h = 0; h < kLarkspurHeaders.size(); ++h) {
    const LarkspurHeader& place = kLarkspurHeaders[h];
    BoardHeader header;
    header.Key = "gpio" + std::string(place.Number);
    header.Number = std::string(place.Number);
    header.Label = std::string(place.Label);
    header.Group = std::string(place.GroupName);
    header.Connector = "gpio40";
    header.HeaderKey = place.Key;
    header.CardCaption = "GPIO connect to ";
    for (const HeaderPositionRow& row : kHeaderPositions)
      header.Balls.emplace_back(row.Locations[h]);
    board.Headers.push_back(std::move(header));
  }
  return board;
}

}  // namespace

const BoardDefinition& LarkspurBoard() {
  static const BoardDefinition board = MakeLarkspurBoard();
  return board;
}

void DefineLarkspurBoard(TMainBoard& board, const TLarkspurSettings& s) {
  DefineBoard(board, LarkspurBoard(), LarkspurBoardSettings(s));
  // The block belongs to the Larkspur board only: a record carrying another board ID (loaded
  // from a file, not yet stamped) gets none.
  if (s.BoardId.Get() != kLarkspurBoardId)
    board.SetQsfExtraAssignments("");
}

}  // namespace pinwright
