// A named, ordered list of pins: an on-board component group, an expansion header, or the pin
// list of a daughter card being fitted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/pin.h"

namespace pinwright {

inline constexpr std::int32_t kConnectorOnBoard = 0;
inline constexpr std::int32_t kConnectorGpio = 3;

class TConnector {
 public:
  TConnector(std::string name, std::string description, std::int32_t connectorType);
  virtual ~TConnector() = default;
  TConnector(const TConnector&) = default;
  TConnector& operator=(const TConnector&) = default;
  TConnector(TConnector&&) = default;
  TConnector& operator=(TConnector&&) = default;

  // Appends a pin, or an empty entry for a position without one.
  void AddPin(std::optional<TPin> pin);
  // Appends a pin made in place from the arguments of a TPin constructor.
  template <class... Arguments>
  TPin& EmplacePin(Arguments&&... arguments) {
    return *Pins.emplace_back(std::in_place, std::forward<Arguments>(arguments)...);
  }
  // Makes room for this many entries, so that a list of known length is built without copies.
  void ReservePins(std::size_t count) { Pins.reserve(count); }
  std::size_t PinEntryCount() const { return Pins.size(); }
  // The entry at the index; nullptr for an empty entry or an index past the end.
  const TPin* PinAt(std::size_t index) const;
  TPin* PinAt(std::size_t index);
  std::size_t ActiveCount() const;
  // Calls visit(index, pin) for every active pin (direction not Unused), in list order.
  template <class Visit>
  void ForEachActivePin(Visit&& visit) const {
    for (std::size_t i = 0; i < Pins.size(); ++i) {
      if (Pins[i] && Pins[i]->IsActive())
        visit(i, *Pins[i]);
    }
  }
  void ClearPins() { Pins.clear(); }

  const std::string& Name() const { return NameText; }
  const std::string& Description() const { return DescriptionText; }
  std::int32_t ConnectorType() const { return Type; }
  void SetConnectorType(std::int32_t type) { Type = type; }
  std::int32_t DaughterConnectorType() const { return DaughterType; }
  std::int32_t IsHeader() const { return Header; }
  void SetIsHeader(std::int32_t isHeader) { Header = isHeader; }
  std::int32_t HeaderKey() const { return Key; }
  void SetHeaderKey(std::int32_t key) { Key = key; }

  // Fits a daughter card's pin list (one entry per header position) onto this header: the
  // card's connector type becomes DaughterConnectorType; when it equals this header's type,
  // every position with an FPGA pin takes the card's pin (its name behind the prefix, this
  // position's location, and this position's direction and I/O standard unless they are the
  // take-from-card markers), and a position the card leaves empty becomes unused. A card of
  // another type leaves the pins as they were.
  void TakeCardPins(const TConnector& card, const std::string& prefix);

  // Puts the pins into the order every generated file lists them in. Empty entries stay put.
  // A bus name whose index the order needs and cannot read fails (BusIndex) and leaves the
  // list as it was.
  Status SortPins();

 private:
  std::vector<std::optional<TPin>> Pins;
  std::string NameText;
  std::string DescriptionText;
  std::int32_t Type = kConnectorOnBoard;
  std::int32_t DaughterType = 0;
  std::int32_t Header = 0;
  std::int32_t Key = 0;
};

}  // namespace pinwright
