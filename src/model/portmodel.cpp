#include "model/portmodel.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "host/text.h"
#include "model/mainboard.h"

namespace pinwright {
namespace {

void Complain(const std::string& text) {
  PlayAlertSound();
  ShowError(text);
}

// The length and the first and last bytes, letter case ignored, of a name: names equal
// ignoring case have the same key, and most others differ in it.
std::uint32_t QuickKey(std::string_view name) {
  if (name.empty())
    return 0;
  return static_cast<std::uint32_t>(name.size()) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(FoldCase(name.front()))) << 8 |
         static_cast<unsigned char>(FoldCase(name.back()));
}

}  // namespace

PortName SplitPortName(std::string_view pinName) {
  const BracketPositions brackets = FindBrackets(pinName);
  if (brackets.OpenFirst())
    return {pinName.substr(0, brackets.Open), true};
  return {pinName, false};
}

Status TPinParsing::Build(const TConnector& group) {
  Entries.clear();
  // Per entry the key of its name (QuickKey), compared before the names themselves.
  std::vector<std::uint32_t> quickKeys;
  std::optional<Failure> problem;
  group.ForEachActivePin([&](std::size_t i, const TPin& pin) {
    if (problem)
      return;
    const PortName port = SplitPortName(pin.Name());
    std::int32_t index = -1;
    if (port.IsBusMember) {
      const Result<std::int32_t> read = BusIndex(pin.Name());
      if (!read) {
        problem = read.Error();
        return;
      }
      index = *read;
    }

    // No two entries are equal ignoring case, so the one that matches is the only one. The
    // members of a bus follow one another once the pins are sorted: the latest entry is
    // looked at first.
    const std::uint32_t quick = QuickKey(port.Base);
    auto matches = [&](std::size_t k) {
      return quick == quickKeys[k] && EqualsIgnoringCase(Entries[k].Name, port.Base);
    };
    std::size_t k = Entries.size();
    if (k == 0 || !matches(k - 1)) {
      for (k = 0; k < Entries.size() && !matches(k); ++k) {
      }
    } else {
      --k;
    }
    if (k == Entries.size()) {
      PortEntry added{std::string(port.Base), pin.Direction(), std::nullopt};
      if (port.IsBusMember)
        added.Range = PortRange{index, index};
      Entries.push_back(std::move(added));
      quickKeys.push_back(quick);
      return;
    }
    PortEntry* entry = &Entries[k];
    if (!port.IsBusMember) {
      Complain("TPinParsing::Build fail\r\n,i=" + std::to_string(i) +
               ",name=" + std::string(port.Base));
    }
    if (entry->Range) {
      entry->Range->Msb = std::max(entry->Range->Msb, index);
      entry->Range->Lsb = std::min(entry->Range->Lsb, index);
    }
    if (pin.Direction() != entry->Direction) {
      const std::string where = port.IsBusMember
                                    ? std::string(port.Base) + "[" + std::to_string(index) + "]"
                                    : std::string(port.Base);
      Complain("Connector " + where + ":" + std::to_string(i) + " has an unmathced pin direction");
    }
  });
  if (problem)
    return *problem;
  return {};
}

std::string PortGroup::Comment() const {
  return Description.empty() ? Name : Name + ", " + Description;
}

Result<std::vector<PortGroup>> TopLevelPorts(const TMainBoard& board) {
  std::vector<PortGroup> groups;
  groups.reserve(board.GroupCount());
  TPinParsing parsing;
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    if (Status built = parsing.Build(group); !built)
      return built.Error();
    groups.push_back({group.Name(), group.Description(), parsing.TakeEntries()});
  }
  return groups;
}

}  // namespace pinwright
