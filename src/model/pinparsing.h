// Turns the pins of one group into the port declarations of the top-level Verilog module:
// one entry per scalar pin, one vector entry per bus covering every index seen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/connector.h"

namespace pinwright {

struct PortEntry {
  std::string Name;  // the bus's base name, or the scalar pin's whole name
  bool IsVector = false;
  std::int32_t Msb = -1;
  std::int32_t Lsb = -1;
  std::int32_t Direction = kDirectionUnused;  // of the first pin that made the entry
};

// How a pin name reads as a port: a bus member when its first "[" comes before its first "]".
struct PortName {
  std::string Base;  // the text before the first "[", or the whole name of a scalar
  bool IsBusMember = false;
};
PortName SplitPortName(const std::string& pinName);

class TPinParsing {
 public:
  // Replaces the entries with those of the group. Problems (a scalar whose name an entry
  // already has, a member whose direction differs from its entry's) play the alert sound and
  // show an error box, and do not stop the build. Throws BusIndexError for an index that is
  // not a decimal integer.
  void Build(const TConnector& group);
  std::size_t EntryCount() const { return Entries.size(); }
  const PortEntry& EntryAt(std::size_t index) const { return Entries.at(index); }
  // The declaration of one entry, without separator and line end.
  std::string VerilogLine(std::size_t index) const;

 private:
  std::vector<PortEntry> Entries;
};

}  // namespace pinwright
