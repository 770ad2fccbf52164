// One FPGA pin of the board model, the I/O standard names, and the bus-name helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/failure.h"

namespace pinwright {

// The direction of a pin, with the codes the board tables and the port lists use.
enum class PinDirection : std::int32_t {
  Unused = 0,  // skipped by every generated file
  Inout = 1,
  Input = 2,
  Output = 3,
  FromCard = 4,  // decided by the fitted daughter card
};

// I/O standard codes: indices into the table of I/O standard names (IoStandardName). The
// ones the board tables use are named after the table's text; the names are checked against
// the table when it compiles.
inline constexpr std::int32_t kIoStandardCount = 70;  // codes 0..69
inline constexpr std::int32_t kIoLvcmos33 = 7;        // "3.3-V LVCMOS"
inline constexpr std::int32_t kIoDphy = 61;           // "DPHY"
inline constexpr std::int32_t kIoLvcmos18 = 63;       // "1.8-V LVCMOS"
inline constexpr std::int32_t kIo11V = 65;            // "1.1-V"
inline constexpr std::int32_t kIoLvstl11 = 66;        // "1.1-V LVSTL"
inline constexpr std::int32_t kIoDiffLvstl11 = 67;    // "DIFFERENTIAL 1.1-V LVSTL"
inline constexpr std::int32_t kIoTrueDiff11 = 68;     // "1.1V TRUE DIFFERENTIAL SIGNALING"
inline constexpr std::int32_t kIo18V = 69;            // "1.8-V"
inline constexpr std::int32_t kIoFromCard = 71;       // decided by the fitted daughter card

// Longest name or location a pin holds; longer text is cut.
inline constexpr std::size_t kPinTextCapacity = 128;

// The table name of an I/O standard code; empty text and the alert sound outside 0..69.
std::string_view IoStandardName(std::int32_t code);

// The words that name a direction wherever a generated file writes one.
struct DirectionWords {
  std::string_view Verilog;        // "input ", "output", "inout ": also the report's word
  std::string_view SystemVerilog;  // "input  logic", "output logic", "inout  wire "
  std::string_view Vhdl;           // "in   ", "out  ", "inout"
  std::string_view PinList;        // "input", "output", "inout"
  std::string_view PinPlanner;     // "Input", "Output", "Bidir"
};
// The words of a direction. Unused and FromCard have no port words, and the pin lists,
// which never list them, read them as inout.
const DirectionWords& WordsOf(PinDirection direction);

// "inout ", "input ", "output", or empty text for any other code.
inline std::string_view DirectionWord(PinDirection direction) {
  return WordsOf(direction).Verilog;
}

// Where the first "[" and the first "]" of a pin name stand: the one reading of brackets that
// the bus helpers, the pin sort, the port model and the name check share.
struct BracketPositions {
  std::size_t Open = std::string_view::npos;
  std::size_t Close = std::string_view::npos;

  // Both brackets are there, in either order.
  constexpr bool Both() const {
    return Open != std::string_view::npos && Close != std::string_view::npos;
  }
  // Exactly one of the two is there.
  constexpr bool Unbalanced() const {
    return (Open == std::string_view::npos) != (Close == std::string_view::npos);
  }
  // "[" comes before "]": the name reads as a bus member.
  constexpr bool OpenFirst() const { return Both() && Open < Close; }
};

constexpr BracketPositions FindBrackets(std::string_view name) {
  return {name.find('['), name.find(']')};
}

// The signed decimal between the first "[" and the first "]"; -1 when either is missing. A
// BadPinName failure ("'X[a]' has no valid bus index between its brackets") when "]" comes
// first or the text between them is not a decimal integer.
Result<std::int32_t> BusIndex(std::string_view name);

class TPin {
 public:
  // An on-board pin. A frequency above 0 makes it a clock with the text "%.5f MHz".
  TPin(std::string_view name, std::string_view location, PinDirection direction,
       std::int32_t ioStandard, double frequencyMHz);
  // A daughter-card connector pin: no location, no clock.
  TPin(std::string_view name, PinDirection direction, std::int32_t ioStandard,
       std::int32_t pinNumber);

  const std::string& Name() const { return NameText; }
  void SetName(std::string_view name);
  const std::string& Location() const { return LocationText; }
  void SetLocation(std::string_view location);
  PinDirection Direction() const { return DirectionCode; }
  void SetDirection(PinDirection direction) { DirectionCode = direction; }
  std::int32_t IoStandard() const { return IoStandardCode; }
  void SetIoStandard(std::int32_t code) { IoStandardCode = code; }
  std::int32_t PinNumber() const { return Number; }
  std::int32_t IsClock() const { return Clock; }
  const std::string& FrequencyText() const { return Frequency; }
  void SetFrequencyText(std::string_view text);
  // The clock's frequency as a number, for what simulates it; 0 when the pin was made
  // without one.
  double FrequencyMHz() const { return Megahertz; }
  // Makes the pin a clock of the frequency, with the text "%.5f MHz"; nothing for 0 or less.
  void SetClockMHz(double frequencyMHz);
  // A weak pull-up resistor is assigned to the pin (a card file asks for it).
  bool PullUp() const { return WeakPullUp; }
  void SetPullUp(bool pullUp) { WeakPullUp = pullUp; }

  bool IsActive() const { return DirectionCode != PinDirection::Unused; }
  std::string_view DirectionWord() const { return pinwright::DirectionWord(DirectionCode); }
  std::string_view IoStandardName() const { return pinwright::IoStandardName(IoStandardCode); }

 private:
  std::string NameText;
  std::string LocationText;
  PinDirection DirectionCode = PinDirection::Unused;
  std::int32_t IoStandardCode = 0;
  std::int32_t Number = -1;
  std::int32_t Clock = 0;
  std::string Frequency;
  double Megahertz = 0.0;
  bool WeakPullUp = false;
};

// True for the pins the settings file assigns, and so the pin list lists: active pins whose
// direction a card has not left undecided.
bool WritesAssignment(const TPin& pin);
// True for the pins the timing constraints give a create_clock line.
bool HasClockConstraint(const TPin& pin);

}  // namespace pinwright
