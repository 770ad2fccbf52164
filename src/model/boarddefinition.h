// A main board as data: its device, its on-board components with their pins and its
// expansion headers with the FPGA ball behind each position. The built-in boards are constant
// data of this type; the board model of a project is made from a definition and the
// settings' choices (DefineBoard, src/boards).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/mainboard.h"
#include "model/pin.h"

namespace pinwright {

// One FPGA pin of an on-board component.
struct BoardPin {
  std::string Name;  // the signal, "CLOCK1_50", or a bus member with its index, "LED[3]"
  std::string Ball;  // the package pin, "V16"
  PinDirection Direction = PinDirection::Input;
  std::int32_t IoStandard = kIoLvcmos33;  // code into the I/O standard table
  double ClockMHz = 0.0;                  // above 0 for a clock input
  std::string ClockText;  // the clock's constraint text where not the default "%.5f MHz"
  bool PullUp = false;    // a weak pull-up resistor is assigned
  std::string Unless;     // the key of a component that takes this pin when ticked
};

// An on-board component: one check box, one group of the generated files.
struct BoardComponent {
  std::string Key;                     // "OSC": the settings' and the command line's name
  std::string Caption;                 // "CLOCK": the check box's caption
  std::string Group;                   // "CLOCK": the group's heading in the files
  std::vector<std::string> BroughtBy;  // components whose tick brings this group along
  std::string Reminder;                // what the user must still add when it is ticked ("LPDDR4")
  std::vector<BoardPin> Pins;
};

// An expansion header: the positions of a connector, each with the FPGA ball behind it.
struct BoardHeader {
  std::string Key;                 // "gpio0": the settings' name
  std::string Number;              // "0": the command line's --gpioN and --prefixN
  std::string Label;               // "GPIO-0": the form and the messages
  std::string Group;               // "GPIO_0": its group in the files
  std::string Connector;           // "gpio40": the connector family; cards of the family fit it
  std::int32_t HeaderKey = 0;      // the key of its group in the board model
  std::string CardCaption;         // "GPIO connect to ": before the card's name in the files
  std::vector<std::string> Balls;  // one per position from 1; empty where no ball is
};

struct BoardDefinition {
  std::string Id;           // "larkspur"
  std::int32_t Number = 0;  // the numeric board ID a settings record carries
  std::string Name;         // "Larkspur": titles, the pin report, messages
  std::string Folder;       // "LARKSPUR": the default project folder's word
  std::string Family;       // the .qsf FAMILY
  std::string Device;       // the .qsf DEVICE
  std::string Package;      // the device filter lines
  std::int32_t PinCount = 0;
  std::string SpeedGrade;
  // The global assignments of the configuration block, in order.
  std::vector<std::string> Configuration;
  // The reminder after a generation: "%s" stands for the ticked components' reminders,
  // joined by " and "; empty for a board that reminds of nothing.
  std::string ReminderText;
  std::vector<BoardComponent> Components;  // in output order
  std::vector<BoardHeader> Headers;
};

// The index of the component with the key; npos for none.
std::size_t FindComponent(const BoardDefinition& board, std::string_view key);

}  // namespace pinwright
