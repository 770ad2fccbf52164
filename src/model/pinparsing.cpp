#include "model/pinparsing.h"

#include <algorithm>
#include <string_view>

#include "host/host.h"
#include "host/text.h"
#include "model/mainboard.h"

namespace pinwright {
namespace {

void Complain(const std::string& text) {
  PlayAlertSound();
  ShowError(text);
}

}  // namespace

PortName SplitPortName(const std::string& pinName) {
  const BracketPositions brackets = FindBrackets(pinName);
  if (brackets.OpenFirst())
    return {pinName.substr(0, brackets.Open), true};
  return {pinName, false};
}

void TPinParsing::Build(const TConnector& group) {
  Entries.clear();
  group.ForEachActivePin([&](std::size_t i, const TPin& pin) {
    const PortName port = SplitPortName(pin.Name());
    const std::int32_t index = port.IsBusMember ? BusIndex(pin.Name()) : -1;

    // No two entries are equal ignoring case, so the one that matches is the only one. The
    // members of a bus follow one another once the pins are sorted: the latest entry is
    // looked at first.
    auto matches = [&](const PortEntry& e) { return EqualsIgnoringCase(e.Name, port.Base); };
    auto entry = !Entries.empty() && matches(Entries.back())
                     ? Entries.end() - 1
                     : std::find_if(Entries.begin(), Entries.end(), matches);
    if (entry == Entries.end()) {
      PortEntry added{port.Base, pin.Direction(), std::nullopt};
      if (port.IsBusMember)
        added.Range = PortRange{index, index};
      Entries.push_back(std::move(added));
      return;
    }
    if (!port.IsBusMember) {
      Complain("TPinParsing::Build fail\r\n,i=" + std::to_string(i) + ",name=" + port.Base);
    }
    if (entry->Range) {
      entry->Range->Msb = std::max(entry->Range->Msb, index);
      entry->Range->Lsb = std::min(entry->Range->Lsb, index);
    }
    if (pin.Direction() != entry->Direction) {
      const std::string where =
          port.IsBusMember ? port.Base + "[" + std::to_string(index) + "]" : port.Base;
      Complain("Connector " + where + ":" + std::to_string(i) + " has an unmathced pin direction");
    }
  });
}

std::string PortGroup::Comment() const {
  return Description.empty() ? Name : Name + ", " + Description;
}

std::vector<PortGroup> TopLevelPorts(const TMainBoard& board) {
  std::vector<PortGroup> groups;
  groups.reserve(board.GroupCount());
  TPinParsing parsing;
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    parsing.Build(group);
    groups.push_back({group.Name(), group.Description(), parsing.TakeEntries()});
  }
  return groups;
}

}  // namespace pinwright
