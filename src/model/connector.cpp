#include "model/connector.h"

#include <algorithm>
#include <utility>

namespace pinwright {
namespace {

// Byte order with every byte taken as unsigned; a prefix sorts before the longer text.
bool Greater(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

}  // namespace

TConnector::TConnector(std::string name, std::string description, std::int32_t connectorType)
    : NameText(std::move(name)), DescriptionText(std::move(description)), Type(connectorType) {}

void TConnector::AddPin(std::optional<TPin> pin) {
  Pins.push_back(std::move(pin));
}

const TPin* TConnector::PinAt(std::size_t index) const {
  if (index >= Pins.size() || !Pins[index])
    return nullptr;
  return &*Pins[index];
}

TPin* TConnector::PinAt(std::size_t index) {
  if (index >= Pins.size() || !Pins[index])
    return nullptr;
  return &*Pins[index];
}

std::size_t TConnector::ActiveCount() const {
  return static_cast<std::size_t>(
      std::count_if(Pins.begin(), Pins.end(),
                    [](const std::optional<TPin>& pin) { return pin && pin->IsActive(); }));
}

void TConnector::SetName(const std::string& name) {
  if (name != NameText)
    NameText = name;
}

void TConnector::SetDescription(const std::string& description) {
  if (description != DescriptionText)
    DescriptionText = description;
}

bool ComesBefore(const TPin& b, const TPin& a) {
  if (HasBrackets(a.Name()) && HasBrackets(b.Name())) {
    const std::string baseA = BusBaseName(a.Name());
    const std::string baseB = BusBaseName(b.Name());
    if (baseA == baseB)
      return BusIndex(b.Name()) < BusIndex(a.Name());
    return Greater(baseA, baseB);
  }
  return Greater(a.Name(), b.Name());
}

void TConnector::SortPins() {
  // An exchange sort: every pair (i, j > i) is compared with the entries now at i and j, so
  // the result is exactly that of the comparison above, ties and all.
  for (std::size_t i = 0; i < Pins.size(); ++i) {
    for (std::size_t j = i + 1; j < Pins.size(); ++j) {
      if (!Pins[i] || !Pins[j])
        continue;
      if (ComesBefore(*Pins[j], *Pins[i]))
        std::swap(Pins[i], Pins[j]);
    }
  }
}

}  // namespace pinwright
