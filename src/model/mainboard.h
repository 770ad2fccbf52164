// The main board as the user configured it: device data and one group per ticked component
// and per used expansion header, in the order the board definition added them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "model/connector.h"

namespace pinwright {

// One GPIO header as the form shows it: the card on it (0 for none) and its prefix.
struct HeaderChoice {
  std::int32_t CardId = 0;
  std::string Prefix;
};

class TMainBoard {
 public:
  void ClearGroups() { Groups.clear(); }
  void AddGroup(TConnector group) { Groups.push_back(std::move(group)); }
  std::size_t GroupCount() const { return Groups.size(); }
  const TConnector& GroupAt(std::size_t index) const { return Groups.at(index); }
  TConnector& GroupAt(std::size_t index) { return Groups.at(index); }

  // Calls visit(groupIndex, group, pin) for every active pin of every group: groups in model
  // order, pins in list order (generation order once the pins are ordered).
  template <class Visit>
  void ForEachActivePin(Visit&& visit) const {
    for (std::size_t g = 0; g < Groups.size(); ++g) {
      Groups[g].ForEachActivePin([&](std::size_t, const TPin& pin) { visit(g, Groups[g], pin); });
    }
  }

  std::int32_t BoardId() const { return Id; }
  const std::string& Family() const { return FamilyText; }
  const std::string& Device() const { return DeviceText; }
  const std::string& Package() const { return PackageText; }
  std::int32_t PinCount() const { return Pins; }
  const std::string& SpeedGrade() const { return SpeedGradeText; }
  void SetDeviceData(std::int32_t boardId, std::string family, std::string device,
                     std::string package, std::int32_t pinCount, std::string speedGrade);

  // Sorts the pins of every group into generation order; the first group that fails stops it
  // (TConnector::SortPins).
  Status OrderPins();
  // The board's display name, as its definition gives it; empty for a new model.
  const std::string& BoardName() const { return Name; }
  void SetBoardName(std::string name) { Name = std::move(name); }

  // The first header group with the key; nullptr when no header has it.
  TConnector* HeaderWithKey(std::int32_t headerKey);
  // The board's configuration block of the settings file, as the board definition set it;
  // empty for a new model.
  const std::string& QsfExtraAssignments() const { return ExtraAssignments; }
  void SetQsfExtraAssignments(std::string text) { ExtraAssignments = std::move(text); }

  // Checks that no two headers carrying the same card share a prefix: a PrefixClash failure
  // naming the first two that do.
  static Status CheckPrefixClash(std::span<const HeaderChoice> headers);

 private:
  std::vector<TConnector> Groups;
  std::int32_t Id = 0;
  std::string FamilyText;
  std::string DeviceText;
  std::string PackageText;
  std::int32_t Pins = 0;
  std::string SpeedGradeText;
  std::string ExtraAssignments;
  std::string Name;
};

}  // namespace pinwright
