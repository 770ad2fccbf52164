#include "cards/catalogue.h"

#include <array>

#include "cards/usercards.h"

namespace pinwright {
namespace {

constexpr PinDirection kInout = PinDirection::Inout;
constexpr PinDirection kInput = PinDirection::Input;
constexpr PinDirection kOutput = PinDirection::Output;

// The base name of the GPIO default card's plain variant.
constexpr std::string_view kGpioDefaultBaseName = "GPIO_D";

// The pin maps. Each row: first and last position, name, bus index at the first and at the
// last position (-1 -1: the name stands as it is), direction; every pin 3.3-V LVCMOS.
// clang-format off

// ID 1, "GPIO Default": an inout pin on every position with an FPGA pin, numbered in position
// order.
constexpr CardPinRow kGpioDefault[] = {
  { 1, 10, kGpioDefaultBaseName,  0,  9, kInout},
  {13, 28, kGpioDefaultBaseName, 10, 25, kInout},
  {31, 40, kGpioDefaultBaseName, 26, 35, kInout},
};

// ID 12, "Corvel - 5M Pixel Camera"
constexpr CardPinRow kCorvel[] = {
  { 1,  1, "CORVEL_PIXCLK",  -1, -1, kInput },
  { 2,  2, "CORVEL_D",       11, 11, kInput },
  { 4, 10, "CORVEL_D",       10,  4, kInput },
  {13, 16, "CORVEL_D",        3,  0, kInput },
  {19, 19, "CORVEL_XCLKIN",  -1, -1, kOutput},
  {20, 20, "CORVEL_RESET_N", -1, -1, kOutput},
  {22, 22, "CORVEL_TRIGGER", -1, -1, kOutput},
  {23, 23, "CORVEL_STROBE",  -1, -1, kInput },
  {24, 24, "CORVEL_LVAL",    -1, -1, kInput },
  {25, 25, "CORVEL_FVAL",    -1, -1, kInput },
  {26, 26, "CORVEL_SDATA",   -1, -1, kInout },
  {27, 27, "CORVEL_SCLK",    -1, -1, kOutput},
};

// ID 13, the Sandrel 4.3-inch LCD and touch card
constexpr CardPinRow kSandrel[] = {
  { 1,  1, "SANDREL_ADC_PENIRQ_n", -1, -1, kInput },
  { 2,  2, "SANDREL_ADC_DOUT",     -1, -1, kInput },
  { 3,  3, "SANDREL_ADC_BUSY",     -1, -1, kInput },
  { 4,  4, "SANDREL_ADC_DIN",      -1, -1, kOutput},
  { 5,  5, "SANDREL_ADC_DCLK",     -1, -1, kOutput},
  { 6,  9, "SANDREL_B",             3,  0, kOutput},
  {10, 10, "SANDREL_NCLK",         -1, -1, kOutput},
  {13, 13, "SANDREL_DEN",          -1, -1, kOutput},
  {14, 14, "SANDREL_HD",           -1, -1, kOutput},
  {15, 15, "SANDREL_VD",           -1, -1, kOutput},
  {16, 19, "SANDREL_B",             4,  7, kOutput},
  {20, 27, "SANDREL_G",             0,  7, kOutput},
  {28, 28, "SANDREL_R",             0,  0, kOutput},
  {31, 37, "SANDREL_R",             1,  7, kOutput},
  {38, 38, "SANDREL_GREST",        -1, -1, kOutput},
  {39, 39, "SANDREL_SCEN",         -1, -1, kOutput},
  {40, 40, "SANDREL_SDA",          -1, -1, kInout },
};

// ID 55, "Pavona - Multi-Touch LCD Panel", and ID 63, "Pavona2 - Multi-Touch LCD Panel"
constexpr CardPinRow kPavona[] = {
  { 2,  2, "PAVONA_DCLK",          -1, -1, kOutput},
  { 4, 10, "PAVONA_R",              0,  6, kOutput},
  {13, 13, "PAVONA_R",              7,  7, kOutput},
  {14, 18, "PAVONA_G",              0,  4, kOutput},
  {21, 22, "PAVONA_G",              5,  6, kOutput},
  {23, 23, "PAVONA_B",              0,  0, kOutput},
  {24, 24, "PAVONA_G",              7,  7, kOutput},
  {25, 28, "PAVONA_B",              1,  4, kOutput},
  {31, 33, "PAVONA_B",              5,  7, kOutput},
  {35, 35, "PAVONA_HSD",           -1, -1, kOutput},
  {36, 36, "PAVONA_VSD",           -1, -1, kOutput},
  {37, 37, "PAVONA_TOUCH_I2C_SCL", -1, -1, kOutput},
  {38, 38, "PAVONA_TOUCH_I2C_SDA", -1, -1, kInout },
  {39, 39, "PAVONA_TOUCH_INT_n",   -1, -1, kInput },
};

// ID 62, the Wickett 2.4-inch LCD and touch card
constexpr CardPinRow kWickett[] = {
  { 1,  1, "WICKETT_ADC_PENIRQ_N", -1, -1, kInput },
  { 2,  2, "WICKETT_ADC_DOUT",     -1, -1, kInput },
  { 3,  3, "WICKETT_ADC_BUSY",     -1, -1, kInput },
  { 4,  4, "WICKETT_ADC_DIN",      -1, -1, kOutput},
  { 5,  5, "WICKETT_ADC_DCLK",     -1, -1, kOutput},
  { 6,  9, "WICKETT_D",             3,  0, kOutput},
  {13, 13, "WICKETT_RD_N",         -1, -1, kOutput},
  {14, 14, "WICKETT_WR_N",         -1, -1, kOutput},
  {15, 15, "WICKETT_RS",           -1, -1, kOutput},
  {16, 27, "WICKETT_D",             4, 15, kOutput},
  {28, 28, "WICKETT_CS_N",         -1, -1, kOutput},
  {38, 38, "WICKETT_RESET_N",      -1, -1, kOutput},
  {39, 39, "WICKETT_ADC_CS_N",     -1, -1, kOutput},
  {40, 40, "WICKETT_LCD_ON",       -1, -1, kOutput},
};

// ID 66, "Tolvane - Servo Motor Kit"
constexpr CardPinRow kTolvane[] = {
  { 1, 10, "PMW",             0,  9, kInout },
  {13, 26, "PMW",            10, 23, kInout },
  {31, 31, "SOC_PM_I2C_SDA", -1, -1, kInout },
  {32, 32, "SOC_PM_I2C_SCL", -1, -1, kInout },
  {33, 33, "SYS_PM_ALERT",   -1, -1, kInput },
  {35, 35, "MR_PM_ALERT",    -1, -1, kInput },
  {37, 37, "SOC_SYS_PDN_n",  -1, -1, kOutput},
  {38, 38, "SOC_WARN_LED",   -1, -1, kOutput},
};

// ID 67, "Merrow - RF and Sensor"
constexpr CardPinRow kMerrow[] = {
  { 1,  1, "LSENSOR_INT",     -1, -1, kInput },
  { 2,  2, "WIFI_RST_n",      -1, -1, kOutput},
  { 3,  3, "MPU_INT",         -1, -1, kInput },
  { 4,  4, "RH_TEMP_I2C_SCL", -1, -1, kInout },
  { 5,  5, "RH_TEMP_DRDY_n",  -1, -1, kInput },
  { 6,  6, "RH_TEMP_I2C_SDA", -1, -1, kInout },
  { 7,  7, "MPU_FSYNC",       -1, -1, kOutput},
  { 8,  8, "LSENSOR_SCL",     -1, -1, kInout },
  { 9,  9, "BT_KEY",          -1, -1, kInout },
  {10, 10, "LSENSOR_SDA",     -1, -1, kInout },
  {13, 13, "WIFI_EN",         -1, -1, kOutput},
  {14, 14, "MPU_SCL_SCLK",    -1, -1, kInout },
  {15, 15, "WIFI_UART1_RX",   -1, -1, kInput },
  {16, 16, "MPU_SDA_SDI",     -1, -1, kInout },
  {17, 17, "WIFI_UART0_RX",   -1, -1, kInput },
  {18, 18, "WIFI_UART0_TX",   -1, -1, kOutput},
  {19, 19, "UART2USB_TX",     -1, -1, kOutput},
  {20, 20, "UART2USB_RX",     -1, -1, kInput },
  {21, 21, "BT_UART_RX",      -1, -1, kInput },
  {22, 22, "BT_UART_TX",      -1, -1, kOutput},
  {23, 23, "WIFI_UART0_CTS",  -1, -1, kInput },
  {24, 24, "WIFI_UART0_RTS",  -1, -1, kOutput},
  {25, 25, "UART2USB_RTS",    -1, -1, kOutput},
  {26, 26, "UART2USB_CTS",    -1, -1, kInput },
  {31, 31, "MPU_CS_n",        -1, -1, kOutput},
  {32, 32, "MPU_AD0_SDO",     -1, -1, kOutput},
  {33, 34, "ZEPHRY_D",         2,  3, kInout },
  {35, 36, "ZEPHRY_D",         1,  0, kInout },
  {37, 40, "ZEPHRY_D",         7,  4, kInout },
};

// ID 68, "Merrow2 - RF and Sensor"
constexpr CardPinRow kMerrow2[] = {
  { 1,  1, "LSENSOR_INT",     -1, -1, kInput },
  { 2,  2, "BT_KEY",          -1, -1, kInout },
  { 3,  3, "MPU_INT",         -1, -1, kInput },
  { 4,  4, "RH_TEMP_I2C_SCL", -1, -1, kInout },
  { 5,  5, "RH_TEMP_DRDY_n",  -1, -1, kInput },
  { 6,  6, "RH_TEMP_I2C_SDA", -1, -1, kInout },
  { 7,  7, "MPU_FSYNC",       -1, -1, kOutput},
  { 8,  8, "LSENSOR_SCL",     -1, -1, kInout },
  { 9,  9, "BT_UART_TX",      -1, -1, kOutput},
  {10, 10, "LSENSOR_SDA",     -1, -1, kInout },
  {13, 13, "BT_UART_RX",      -1, -1, kInput },
  {14, 14, "MPU_SCL_SCLK",    -1, -1, kInout },
  {15, 15, "BT_UART_RTS",     -1, -1, kOutput},
  {16, 16, "MPU_SDA_SDI",     -1, -1, kInout },
  {17, 17, "BT_UART_CTS",     -1, -1, kInput },
  {18, 18, "ESP32_UART0_TX",  -1, -1, kOutput},
  {19, 19, "UART_TX",         -1, -1, kOutput},
  {20, 20, "ESP32_UART0_RX",  -1, -1, kInput },
  {21, 21, "UART_RX",         -1, -1, kInput },
  {22, 22, "ESP32_EN",        -1, -1, kOutput},
  {23, 23, "ESP32_UART1_TX",  -1, -1, kOutput},
  {24, 24, "ESP32_UART1_RX",  -1, -1, kInput },
  {25, 25, "UART_RTS",        -1, -1, kOutput},
  {26, 26, "UART_CTS",        -1, -1, kInput },
  {27, 27, "ESP32_UART1_RTS", -1, -1, kOutput},
  {28, 28, "ESP32_UART1_CTS", -1, -1, kInput },
  {31, 31, "MPU_CS_n",        -1, -1, kOutput},
  {32, 32, "MPU_AD0_SDO",     -1, -1, kOutput},
  {33, 34, "ZEPHRY_D",         2,  3, kInout },
  {35, 36, "ZEPHRY_D",         1,  0, kInout },
  {37, 40, "ZEPHRY_D",         7,  4, kInout },
};

// ID 69, "RISC-V"
constexpr CardPinRow kRiscV[] = {
  { 1,  1, "EXT_JTAG_TCK",  -1, -1, kInput },
  { 2,  2, "EXT_JTAG_EN_n", -1, -1, kInput },
  { 3,  3, "EXT_JTAG_TMS",  -1, -1, kInput },
  { 4,  4, "EXT_JTAG_TDO",  -1, -1, kOutput},
  { 5,  5, "EXT_JTAG_TDI",  -1, -1, kInput },
  { 6,  6, "EXT_JTAG_RST",  -1, -1, kInput },
  { 7,  8, "SD_DATA",        3,  2, kInout },
  { 9,  9, "SD_CMD",        -1, -1, kInout },
  {10, 10, "SD_CLK",        -1, -1, kOutput},
  {13, 14, "SD_DATA",        0,  1, kInout },
  {15, 16, "ZEPHRY_D",       1,  0, kInout },
  {17, 18, "ZEPHRY_D",       3,  2, kInout },
  {19, 20, "ZEPHRY_D",       5,  4, kInout },
  {21, 22, "ZEPHRY_D",       7,  6, kInout },
  {23, 23, "QSPI_DQ",        0,  0, kInout },
  {24, 24, "QSPI_SCK",      -1, -1, kOutput},
  {25, 27, "QSPI_DQ",        3,  1, kInout },
  {28, 28, "QSPI_CS_n",     -1, -1, kOutput},
  {31, 32, "RIO_D",          4,  3, kInout },
  {33, 33, "RIO_D",          0,  0, kInout },
  {34, 34, "RIO_D",          5,  5, kInout },
  {35, 36, "RIO_D",          2,  1, kInout },
  {37, 37, "UART_CTS",      -1, -1, kInput },
  {38, 38, "UART_RTS",      -1, -1, kOutput},
  {39, 39, "UART_RX",       -1, -1, kInput },
  {40, 40, "UART_TX",       -1, -1, kOutput},
};

// ID 76, "Halcyra-GPIO"
constexpr CardPinRow kHalcyra[] = {
  { 2,  2, "MIPI_PIXEL_CLK", -1, -1, kInput },
  { 4, 10, "MIPI_PIXEL_D",    0,  6, kInput },
  {13, 15, "MIPI_PIXEL_D",    7,  9, kInput },
  {21, 21, "MIPI_REFCLK",    -1, -1, kOutput},
  {23, 23, "MIPI_PIXEL_VS",  -1, -1, kInput },
  {25, 25, "MIPI_PIXEL_HS",  -1, -1, kInput },
  {26, 26, "MIPI_CS_n",      -1, -1, kOutput},
  {27, 27, "MIPI_RESET_n",   -1, -1, kOutput},
  {28, 28, "CAMERA_PWDN_n",  -1, -1, kOutput},
  {31, 31, "CAMERA_I2C_SCL", -1, -1, kInout },
  {32, 32, "CAMERA_I2C_SDA", -1, -1, kInout },
  {33, 33, "MIPI_MCLK",      -1, -1, kOutput},
  {35, 35, "MIPI_I2C_SCL",   -1, -1, kInout },
  {36, 36, "MIPI_I2C_SDA",   -1, -1, kInout },
};

// The cards a GPIO header of the Larkspur board can offer. Every other ID describes a card for
// another header family or voltage, or one that is not offered; none of them can be fitted
// here, so they all take kNoCard below.
constexpr std::array<Card, 12> kCatalogue = {{
  // ID  Name                                  Type            Volt.       Offered Hidden Picture                   Pins
  { 0, "None",                                 kConnectorOnBoard, kVoltage25, true, false, "",                       {}          },
  { 1, "GPIO Default",                         kConnectorGpio,    kVoltage33, true, false, "GPIO_80_BITMAP",         kGpioDefault},
  {12, "Corvel - 5M Pixel Camera",             kConnectorGpio,    kVoltage33, true, false, "CORVEL_80_BITMAP",       kCorvel     },
  {13, "Sandrel - 4.3\" LCD and Touch",        kConnectorGpio,    kVoltage33, true, false, "SANDREL_80_BITMAP",      kSandrel    },
  {55, "Pavona - Multi-Touch LCD Panel",       kConnectorGpio,    kVoltage33, true, false, "PAVONA_80_BITMAP",       kPavona     },
  {62, "Wickett - 2.4\" LCD and Touch",        kConnectorGpio,    kVoltage33, true, false, "GPIO_WICKETT_80_BITMAP", kWickett    },
  {63, "Pavona2 - Multi-Touch LCD Panel",      kConnectorGpio,    kVoltage33, true, false, "GPIO_PAVONA2_80_BITMAP", kPavona     },
  {66, "Tolvane - Servo Motor Kit",            kConnectorGpio,    kVoltage33, true, false, "GPIO_TOLVANE_80_BITMAP", kTolvane    },
  {67, "Merrow - RF and Sensor",               kConnectorGpio,    kVoltage33, true, false, "GPIO_MERROW_80_BITMAP",  kMerrow     },
  {68, "Merrow2 - RF and Sensor",              kConnectorGpio,    kVoltage33, true, false, "GPIO_MERROW2_80_BITMAP", kMerrow2    },
  {69, "RISC-V",                               kConnectorGpio,    kVoltage33, true, false, "RISCV_80_BITMAP",        kRiscV      },
  {76, "Halcyra-GPIO",                         kConnectorGpio,    kVoltage33, true, false, "HALCYRA_GPIO_80_BITMAP", kHalcyra    },
}};
// clang-format on

// The card of every ID without a row.
constexpr Card kNoCard = {-1, "", kConnectorOnBoard, kVoltage25, true, false, "", {}};

// The rows ascend by ID, and every card a header offers has a well-formed map and a picture.
constexpr bool CatalogueSound() {
  for (std::size_t i = 0; i < kCatalogue.size(); ++i) {
    const Card& card = kCatalogue[i];
    if (i > 0 && card.Id <= kCatalogue[i - 1].Id)
      return false;
    if (!PinMapWellFormed(card.Pins))
      return false;
    if (card.OnGpioHeader() && (card.Pins.empty() || card.Picture.empty()))
      return false;
  }
  return kCatalogue[0].Id == kCardNone;
}
static_assert(CatalogueSound(),
              "catalogue rows must ascend by ID from None, and every offered card needs a "
              "well-formed map and a picture");

}  // namespace

std::span<const Card> BuiltInCards() {
  return kCatalogue;
}

const Card& CardById(std::int32_t cardId, std::span<const Card> extra) {
  for (const Card& card : extra) {
    if (card.Id == cardId)
      return card;
  }
  if (const CardDefinition* user = FindUserCard(cardId))
    return user->Row;
  for (const Card& card : kCatalogue) {
    if (card.Id == cardId)
      return card;
  }
  return kNoCard;
}

}  // namespace pinwright
