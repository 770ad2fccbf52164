// The Larkspur settings record: 416 bytes, laid out exactly as the .cfg file holds them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/failure.h"
#include "settings/boardsettings.h"
#include "settings/configboard.h"

namespace pinwright {

// A 32-bit signed integer stored little-endian whatever the host's byte order.
class LeInt32 {
 public:
  std::int32_t Get() const;
  void Set(std::int32_t value);

 private:
  std::array<std::uint8_t, 4> Bytes{};
};

// A 128-byte NUL-terminated text field.
class TextField {
 public:
  static constexpr std::size_t kSize = 128;
  // The text up to the first NUL, or all 128 bytes when the field holds none.
  std::string Get() const;
  // Copies the text and its NUL over the old contents, leaving the bytes after them as they
  // were. Text over 127 bytes is cut at a UTF-8 character boundary.
  void Set(std::string_view text);

 private:
  std::array<char, kSize> Bytes{};
};

// The board ID a Larkspur record carries, and the board's ID in settings of any board.
inline constexpr std::int32_t kLarkspurBoardId = 43;
inline constexpr std::string_view kLarkspurBoardKey = "larkspur";

struct TLarkspurSettings {
  LeInt32 BoardId;
  LeInt32 Size;
  TextField ProjectName;
  std::uint8_t OSC;
  std::uint8_t LED;
  std::uint8_t Button;
  std::uint8_t Switch;
  std::uint8_t ADC;
  std::uint8_t HdmiTx;
  std::uint8_t MIPI;
  std::uint8_t LPDDR4A;
  std::uint8_t LPDDR4B;
  std::uint8_t UART;
  std::uint8_t FAN;
  std::uint8_t SDRAM;
  std::uint8_t HPS;
  std::array<std::uint8_t, 3> Padding;
  LeInt32 Gpio0;
  LeInt32 Gpio1;
  TextField PrefixGpio0;
  TextField PrefixGpio1;
};

inline constexpr std::size_t kLarkspurRecordSize = 416;

static_assert(sizeof(TLarkspurSettings) == kLarkspurRecordSize);
static_assert(alignof(TLarkspurSettings) == 1);
static_assert(offsetof(TLarkspurSettings, BoardId) == 0);
static_assert(offsetof(TLarkspurSettings, Size) == 4);
static_assert(offsetof(TLarkspurSettings, ProjectName) == 8);
static_assert(offsetof(TLarkspurSettings, OSC) == 136);
static_assert(offsetof(TLarkspurSettings, LED) == 137);
static_assert(offsetof(TLarkspurSettings, Button) == 138);
static_assert(offsetof(TLarkspurSettings, Switch) == 139);
static_assert(offsetof(TLarkspurSettings, ADC) == 140);
static_assert(offsetof(TLarkspurSettings, HdmiTx) == 141);
static_assert(offsetof(TLarkspurSettings, MIPI) == 142);
static_assert(offsetof(TLarkspurSettings, LPDDR4A) == 143);
static_assert(offsetof(TLarkspurSettings, LPDDR4B) == 144);
static_assert(offsetof(TLarkspurSettings, UART) == 145);
static_assert(offsetof(TLarkspurSettings, FAN) == 146);
static_assert(offsetof(TLarkspurSettings, SDRAM) == 147);
static_assert(offsetof(TLarkspurSettings, HPS) == 148);
static_assert(offsetof(TLarkspurSettings, Padding) == 149);
static_assert(offsetof(TLarkspurSettings, Gpio0) == 152);
static_assert(offsetof(TLarkspurSettings, Gpio1) == 156);
static_assert(offsetof(TLarkspurSettings, PrefixGpio0) == 160);
static_assert(offsetof(TLarkspurSettings, PrefixGpio1) == 288);

// The thirteen on-board component flags of the record, in record order: the record's field
// name and the caption of the form's check box.
struct LarkspurComponent {
  std::string_view Name;
  std::string_view Caption;
  std::uint8_t TLarkspurSettings::*Flag;
};

// clang-format off
inline constexpr std::array<LarkspurComponent, 13> kLarkspurComponents{{
  {"OSC",     "CLOCK",          &TLarkspurSettings::OSC},
  {"LED",     "LED x 8",        &TLarkspurSettings::LED},
  {"Button",  "Button x 2",     &TLarkspurSettings::Button},
  {"Switch",  "Switch x 4",     &TLarkspurSettings::Switch},
  {"ADC",     "ADC 2x5 Header", &TLarkspurSettings::ADC},
  {"HdmiTx",  "HDMI TX",        &TLarkspurSettings::HdmiTx},
  {"MIPI",    "MIPI",           &TLarkspurSettings::MIPI},
  {"LPDDR4A", "LPDDR4-A",       &TLarkspurSettings::LPDDR4A},
  {"LPDDR4B", "LPDDR4-B",       &TLarkspurSettings::LPDDR4B},
  {"UART",    "UART",           &TLarkspurSettings::UART},
  {"FAN",     "FAN",            &TLarkspurSettings::FAN},
  {"SDRAM",   "SDRAM",          &TLarkspurSettings::SDRAM},
  {"HPS",     "HPS",            &TLarkspurSettings::HPS},
}};
// clang-format on

// The component whose record field name is this one ("OSC", "HdmiTx", ...), in any letter
// case; its index into kLarkspurComponents.
std::optional<std::size_t> FindLarkspurComponent(std::string_view name);

// The bytes of text a text field holds before its terminating NUL.
inline constexpr std::size_t kTextCapacity = TextField::kSize - 1;

// The two GPIO headers of the record, GPIO-0 first. Everything that names a header reads it
// from here; a header's index in this table is also its column in the board's table of
// header positions.
struct LarkspurHeader {
  std::string_view Label;            // "GPIO-0": the form, the messages, the pin list
  std::string_view Number;           // "0": the command line's --gpio0 and --prefix0
  std::string_view GroupName;        // "GPIO_0": its group in the board model, and its bus as the
                                     // GPIO default card of the default pair
  std::int32_t Key;                  // the header key of that group
  LeInt32 TLarkspurSettings::*Card;  // the card ID field
  TextField TLarkspurSettings::*Prefix;  // the signal-name prefix field
};

// clang-format off
inline constexpr std::array<LarkspurHeader, 2> kLarkspurHeaders{{
  {"GPIO-0", "0", "GPIO_0", 16, &TLarkspurSettings::Gpio0, &TLarkspurSettings::PrefixGpio0},
  {"GPIO-1", "1", "GPIO_1", 17, &TLarkspurSettings::Gpio1, &TLarkspurSettings::PrefixGpio1},
}};
// clang-format on

// The record's choices as settings of any board: the project name, the ticked components'
// keys in record order, and each header's card and prefix (keys "gpio0", "gpio1").
BoardSettings LarkspurBoardSettings(const TLarkspurSettings& record);

// The record as the form stores it when it starts without a usable default.cfg.
TLarkspurSettings DefaultLarkspurSettings();

// Writes board ID 43 and record size 416 into the record, as every copy of the form's
// controls into it does; a loaded file may carry other values.
void StampLarkspurRecord(TLarkspurSettings& settings);

// A loaded record may hold a text field without a NUL in its 128 bytes, which no control can
// show as it stands: a BadText failure naming the first such field, the project name before
// the prefixes ("the GPIO-0 prefix holds no terminating NUL within its 128 bytes").
Status CheckTextFields(const TLarkspurSettings& settings);

class TConfigLarkspur : public TConfigBoard {
 public:
  TConfigLarkspur();  // the record all zero bytes, the choice list empty

  Status LoadFile(const std::string& path) override;
  Status SaveFile(const std::string& path, OtherFile other = OtherFile::Refuse,
                  std::string* backup = nullptr) override;

  TLarkspurSettings Settings;
};

}  // namespace pinwright
