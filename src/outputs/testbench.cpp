#include "outputs/testbench.h"

#include <cstdint>
#include <map>
#include <vector>

#include "boards/larkspur_board.h"
#include "host/text.h"
#include "model/portmodel.h"
#include "outputs/toplevel.h"

namespace pinwright {
namespace {

enum class Stimulus { Clock, IdleLow, IdleHigh, Watched, Undriven };

struct DrivenPort {
  const PortEntry* Port = nullptr;
  Stimulus Kind = Stimulus::Watched;
  std::int64_t HalfPeriodPs = 0;  // for a clock
  std::string Frequency;          // the clock's constraint text, e.g. "50.0 MHz"
  std::string_view Why;           // why an input idles where it does
};

struct Clock {
  double Megahertz = 0;
  std::string Text;
};

bool EndsInActiveLowMark(const std::string& name) {
  return name.size() > 2 && name[name.size() - 2] == '_' &&
         (name.back() == 'n' || name.back() == 'N');
}

// The clock inputs of the model by pin name: those the timing constraints name.
std::map<std::string, Clock> ClocksOf(const TMainBoard& board) {
  std::map<std::string, Clock> clocks;
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (pin && pin->IsClock() == 1 && !pin->FrequencyText().empty() && pin->FrequencyMHz() > 0)
        clocks.emplace(pin->Name(), Clock{pin->FrequencyMHz(), pin->FrequencyText()});
    }
  }
  return clocks;
}

DrivenPort StimulusOf(const PortGroup& group, const PortEntry& port,
                      const std::map<std::string, Clock>& clocks) {
  switch (port.Direction) {
    case PinDirection::Input:
      break;
    case PinDirection::Inout:
      return {&port, Stimulus::Undriven, 0, {}, {}};
    default:
      return {&port, Stimulus::Watched, 0, {}, {}};
  }
  if (const auto clock = clocks.find(port.Name); !port.Range && clock != clocks.end()) {
    // Half the period in picoseconds, to the nearest one (a clock's frequency is above 0).
    const auto halfPeriod = static_cast<std::int64_t>(5e5 / clock->second.Megahertz + 0.5);
    return {&port, Stimulus::Clock, halfPeriod, clock->second.Text, {}};
  }
  if (group.Name == kPushButtonGroup)
    return {&port, Stimulus::IdleHigh, 0, {}, "released"};
  if (EndsInActiveLowMark(port.Name))
    return {&port, Stimulus::IdleHigh, 0, {}, "active low: idle high"};
  return {&port, Stimulus::IdleLow, 0, {}, {}};
}

std::vector<std::vector<DrivenPort>> Stimuli(const std::vector<PortGroup>& groups,
                                             const TMainBoard& board) {
  const std::map<std::string, Clock> clocks = ClocksOf(board);
  std::vector<std::vector<DrivenPort>> stimuli;
  for (const PortGroup& group : groups) {
    std::vector<DrivenPort>& row = stimuli.emplace_back();
    for (const PortEntry& port : group.Ports)
      row.push_back(StimulusOf(group, port, clocks));
  }
  return stimuli;
}

bool HasClock(const std::vector<std::vector<DrivenPort>>& stimuli) {
  for (const std::vector<DrivenPort>& row : stimuli) {
    for (const DrivenPort& driven : row) {
      if (driven.Kind == Stimulus::Clock)
        return true;
    }
  }
  return false;
}

// A name that no port has, letter case ignored: the base, or the base with "_1", "_2", ...
std::string FreeName(const std::string& base, const std::vector<PortGroup>& groups) {
  auto taken = [&](const std::string& name) {
    for (const PortGroup& group : groups) {
      for (const PortEntry& port : group.Ports) {
        if (EqualsIgnoringCase(port.Name, name))
          return true;
      }
    }
    return false;
  };
  std::string name = base;
  for (int suffix = 1; taken(name); ++suffix)
    name = base + "_" + std::to_string(suffix);
  return name;
}

// Picoseconds as nanoseconds with three decimals: 10000 gives "10.000".
std::string Nanoseconds(std::int64_t ps) {
  std::string fraction = std::to_string(ps % 1000);
  return std::to_string(ps / 1000) + "." + std::string(3 - fraction.size(), '0') + fraction;
}

std::string Padded(const std::string& name, std::size_t width) {
  return name + std::string(width > name.size() ? width - name.size() : 0, ' ');
}

std::string VerilogFamilyTestbench(bool systemVerilog, const std::vector<PortGroup>& groups,
                                   const std::vector<std::vector<DrivenPort>>& stimuli,
                                   const std::string& projectName) {
  const std::string instance = FreeName("dut", groups);
  auto level = [&](const PortEntry& port, bool high) -> std::string {
    if (systemVerilog)
      return high ? "'1" : "'0";
    const std::string bit = high ? "1'b1" : "1'b0";
    if (!port.Range)
      return bit;
    return "{" + std::to_string(port.Range->Msb - port.Range->Lsb + 1) + "{" + bit + "}}";
  };
  const std::string variable = systemVerilog ? "logic" : "reg  ";
  const std::string net = systemVerilog ? "logic" : "wire ";

  std::string text = VerilogFileOpening();
  text += "`timescale 1ns / 1ps\r\n";
  if (systemVerilog)
    text += "`default_nettype none\r\n";
  text += "\r\n";
  text += "module " + projectName + "_tb;\r\n";
  text += "\r\n";
  text += VerilogSection("One signal per port of " + projectName);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    text += VerilogGroupComment(groups[g]);
    for (const DrivenPort& driven : stimuli[g]) {
      const PortEntry& port = *driven.Port;
      const std::string columns = "\t\t" + VerilogRangeColumn(port) + "\t\t" + port.Name;
      switch (driven.Kind) {
        case Stimulus::Clock:
          text += "\t" + variable + columns + " = " + level(port, false) + ";\t// clock, " +
                  driven.Frequency + "\r\n";
          break;
        case Stimulus::IdleLow:
        case Stimulus::IdleHigh: {
          const bool high = driven.Kind == Stimulus::IdleHigh;
          text += "\t" + variable + columns + " = " + level(port, high) + ";";
          text += driven.Why.empty() ? "\r\n" : "\t// " + std::string(driven.Why) + "\r\n";
          break;
        }
        case Stimulus::Watched:
          text += "\t" + net + columns + ";\r\n";
          break;
        case Stimulus::Undriven:
          // Both sides may drive an inout port, so it is a net; nothing here drives it.
          text += "\twire " + columns + ";\t// undriven\r\n";
          break;
      }
    }
  }
  text += "\r\n";
  text += VerilogSection("Clocks at the frequencies of the timing constraints");
  text += "\r\n";
  for (const std::vector<DrivenPort>& row : stimuli) {
    for (const DrivenPort& driven : row) {
      if (driven.Kind != Stimulus::Clock)
        continue;
      const std::string& name = driven.Port->Name;
      text += "\talways #" + Nanoseconds(driven.HalfPeriodPs) + " " + name + " = ~" + name +
              ";\t// " + driven.Frequency + "\r\n";
    }
  }
  text += "\r\n";
  text += VerilogSection("The top level, every port connected by name");
  text += "\r\n";
  text += "\t" + projectName + " " + instance + " (";
  std::string connections;
  for (const PortGroup& group : groups) {
    for (const PortEntry& port : group.Ports) {
      connections += connections.empty() ? "\r\n" : ",\r\n";
      connections += "\t\t." + port.Name + "(" + port.Name + ")";
    }
  }
  text += connections + (connections.empty() ? ");\r\n" : "\r\n\t);\r\n");
  text += "\r\n";
  text += VerilogSection("A fixed run, then the end");
  text += "\r\n";
  text += "\tinitial begin\r\n";
  text += "\t\t#" + std::to_string(kTestbenchRunNs) + ";\r\n";
  text += "\t\t$display(\"Testbench finished\");\r\n";
  text += "\t\t$finish;\r\n";
  text += "\tend\r\n";
  text += "\r\n";
  text += "endmodule\r\n";
  if (systemVerilog)
    text += "\r\n`default_nettype wire\r\n";
  return text;
}

std::string VhdlTestbench(const std::vector<PortGroup>& groups,
                          const std::vector<std::vector<DrivenPort>>& stimuli,
                          const std::string& projectName) {
  const std::string instance = FreeName("dut", groups);
  const std::size_t width = LongestPortName(groups);
  auto level = [](const PortEntry& port, char bit) -> std::string {
    const std::string quoted = std::string("'") + bit + "'";
    return port.Range ? "(others => " + quoted + ")" : quoted;
  };

  std::string text = VhdlFileOpening();
  text += "entity " + projectName + "_tb is\r\n";
  text += "end entity " + projectName + "_tb;\r\n";
  text += "\r\n";
  text += "architecture sim of " + projectName + "_tb is\r\n";
  text += "\r\n";
  text += VhdlSection("One signal per port of " + projectName);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    text += VhdlGroupComment(groups[g], "\t");
    for (const DrivenPort& driven : stimuli[g]) {
      const PortEntry& port = *driven.Port;
      text += "\tsignal " + Padded(port.Name, width) + " : " + VhdlPortType(port);
      switch (driven.Kind) {
        case Stimulus::Clock:
          text += " := '0';\t-- clock, " + driven.Frequency + "\r\n";
          break;
        case Stimulus::IdleLow:
        case Stimulus::IdleHigh:
          text += " := " + level(port, driven.Kind == Stimulus::IdleHigh ? '1' : '0') + ";";
          text += driven.Why.empty() ? "\r\n" : "\t-- " + std::string(driven.Why) + "\r\n";
          break;
        case Stimulus::Watched:
          text += ";\r\n";
          break;
        case Stimulus::Undriven:
          text += " := " + level(port, 'Z') + ";\t-- undriven\r\n";
          break;
      }
    }
  }
  text += "\r\n";
  text += "begin\r\n";
  text += "\r\n";
  text += VhdlSection("Clocks at the frequencies of the timing constraints");
  text += "\r\n";
  if (!HasClock(stimuli))
    text += "\t-- no clock input\r\n";
  for (const std::vector<DrivenPort>& row : stimuli) {
    for (const DrivenPort& driven : row) {
      if (driven.Kind != Stimulus::Clock)
        continue;
      const std::string& name = driven.Port->Name;
      text += "\t" + name + " <= not " + name + " after " + std::to_string(driven.HalfPeriodPs) +
              " ps;\t-- " + driven.Frequency + "\r\n";
    }
  }
  text += "\r\n";
  text += VhdlSection("The top level, every port connected by name");
  text += "\r\n";
  text += "\t" + instance + " : entity work." + projectName;
  std::string connections;
  for (const PortGroup& group : groups) {
    for (const PortEntry& port : group.Ports) {
      connections += connections.empty() ? "\r\n" : ",\r\n";
      connections += "\t\t\t" + Padded(port.Name, width) + " => " + port.Name;
    }
  }
  text += connections.empty() ? ";\r\n" : "\r\n\t\tport map (" + connections + "\r\n\t\t);\r\n";
  text += "\r\n";
  text += VhdlSection("A fixed run, then the end");
  text += "\r\n";
  text += "\tprocess\r\n";
  text += "\t\tvariable message : std.textio.line;\r\n";
  text += "\tbegin\r\n";
  text += "\t\twait for " + std::to_string(kTestbenchRunNs) + " ns;\r\n";
  text += "\t\tstd.textio.write(message, string'(\"Testbench finished\"));\r\n";
  text += "\t\tstd.textio.writeline(std.textio.output, message);\r\n";
  text += "\t\tstd.env.finish;\r\n";
  text += "\tend process;\r\n";
  text += "\r\n";
  text += "end architecture sim;\r\n";
  return text;
}

}  // namespace

std::string TestbenchText(const CheckedProject& project) {
  const CheckedTopLevel& topLevel = project.TopLevel();
  const std::vector<PortGroup>& groups = topLevel.Ports();
  const std::vector<std::vector<DrivenPort>> stimuli = Stimuli(groups, project.Board());
  if (topLevel.Language() == HdlLanguage::Vhdl)
    return VhdlTestbench(groups, stimuli, topLevel.Name());
  return VerilogFamilyTestbench(topLevel.Language() == HdlLanguage::SystemVerilog, groups, stimuli,
                                topLevel.Name());
}

}  // namespace pinwright
