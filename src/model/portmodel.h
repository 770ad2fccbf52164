// The ports of the top-level module, built from the board model: one port per scalar pin and
// one vector port per bus covering every index seen, group by group. Every top-level file and
// testbench is rendered from this one model, which the checked project builds once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/connector.h"

namespace pinwright {

class TMainBoard;

// The index range of a vector port, as "[Msb:Lsb]" declares it; Msb >= Lsb.
struct PortRange {
  std::int32_t Msb = 0;
  std::int32_t Lsb = 0;
};

// One port of the top-level module.
struct PortEntry {
  std::string Name;  // the bus's base name, or the scalar pin's whole name
  PinDirection Direction = PinDirection::Unused;  // of the first pin that made the entry
  std::optional<PortRange> Range;                 // a vector's range; nothing for a scalar

  bool IsVector() const { return Range.has_value(); }
};

// The ports of one group of the board model, in the order their first pins stand.
struct PortGroup {
  std::string Name;         // the group's name, e.g. "GPIO_0"
  std::string Description;  // the group's description; often empty
  std::vector<PortEntry> Ports;

  // The heading the port lists put above the group: the name, then ", " and the description
  // when there is one.
  std::string Comment() const;
};

// How a pin name reads as a port: a bus member when its first "[" comes before its first "]".
struct PortName {
  // The text before the first "[", or the whole name of a scalar: part of the pin name, so
  // valid as long as that is.
  std::string_view Base;
  bool IsBusMember = false;
};
PortName SplitPortName(std::string_view pinName);

class TPinParsing {
 public:
  // Replaces the entries with those of the group's active pins. Problems (a scalar whose name
  // an entry already has, a member whose direction differs from its entry's) play the alert
  // sound and show an error box, and do not stop the build. A bus index that does not read
  // fails (BusIndex), the entries then incomplete.
  Status Build(const TConnector& group);
  std::size_t EntryCount() const { return Entries.size(); }
  // The entries, taken out of the parser.
  std::vector<PortEntry> TakeEntries() { return std::move(Entries); }

 private:
  std::vector<PortEntry> Entries;
};

// The top-level ports of the whole board, one PortGroup per group of the model in model
// order (a group without active pins gives a group without ports). The pins should already
// be in generation order. Problems are reported as TPinParsing::Build reports them; a bus
// index that does not read fails.
Result<std::vector<PortGroup>> TopLevelPorts(const TMainBoard& board);

}  // namespace pinwright
