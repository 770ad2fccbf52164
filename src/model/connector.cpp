#include "model/connector.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace pinwright {
namespace {

// Byte order with every byte taken as unsigned (char_traits<char> compares that way); a
// prefix sorts before the longer text.
bool Greater(std::string_view a, std::string_view b) {
  return a.compare(b) > 0;
}

// What the comparison needs of one pin's name, read once per sort instead of once per pair.
// The bus index is read only when a comparison needs it, so a bad index raises BusIndexError
// exactly where the comparison asks for it.
class SortKey {
 public:
  explicit SortKey(const TPin& pin)
      : Name(pin.Name()),
        Brackets(FindBrackets(Name).Both()),
        Base(Name.substr(0, FindBrackets(Name).Open)) {}

  bool ComesBefore(const SortKey& a) const {
    if (a.Brackets && Brackets) {
      if (a.Base == Base)
        return Index() < a.Index();
      return Greater(a.Base, Base);
    }
    return Greater(a.Name, Name);
  }

 private:
  std::int32_t Index() const {
    if (!CachedIndex)
      CachedIndex = BusIndex(Name);
    return *CachedIndex;
  }

  std::string_view Name;
  bool Brackets;
  std::string_view Base;  // meaningful only with Brackets
  mutable std::optional<std::int32_t> CachedIndex;
};

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
  std::size_t count = 0;
  ForEachActivePin([&](std::size_t, const TPin&) { ++count; });
  return count;
}

void TConnector::SetName(const std::string& name) {
  if (name != NameText)
    NameText = name;
}

void TConnector::SetDescription(const std::string& description) {
  if (description != DescriptionText)
    DescriptionText = description;
}

void TConnector::SortPins() {
  // An exchange sort: every pair (i, j > i) is compared with the entries now at i and j, so
  // the result is exactly that of the comparison, ties and all. It runs on positions into
  // Pins and moves the pins once at the end; a BusIndexError leaves the list as it was.
  std::vector<std::optional<SortKey>> keys;
  keys.reserve(Pins.size());
  for (const std::optional<TPin>& pin : Pins) {
    keys.push_back(pin ? std::optional<SortKey>(std::in_place, *pin) : std::nullopt);
  }
  std::vector<std::size_t> order(Pins.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = i;

  for (std::size_t i = 0; i < order.size(); ++i) {
    for (std::size_t j = i + 1; j < order.size(); ++j) {
      const std::optional<SortKey>& a = keys[order[i]];
      const std::optional<SortKey>& b = keys[order[j]];
      if (!a || !b)
        continue;
      if (b->ComesBefore(*a))
        std::swap(order[i], order[j]);
    }
  }

  std::vector<std::optional<TPin>> sorted;
  sorted.reserve(Pins.size());
  for (std::size_t position : order)
    sorted.push_back(std::move(Pins[position]));
  Pins = std::move(sorted);
}

void TConnector::TakeCardPins(const TConnector& card, const std::string& prefix) {
  DaughterType = card.ConnectorType();
  if (card.ConnectorType() != Type)
    return;
  for (std::size_t j = 0; j < Pins.size(); ++j) {
    const TPin* cardPin = card.PinAt(j);
    TPin* position = PinAt(j);
    if (position == nullptr)
      continue;  // no FPGA pin here: a card pin is dropped
    if (cardPin == nullptr) {
      position->SetDirection(PinDirection::Unused);
      continue;
    }
    TPin fitted = *cardPin;
    fitted.SetLocation(position->Location());
    if (!prefix.empty())
      fitted.SetName(prefix + cardPin->Name());
    if (position->Direction() != PinDirection::FromCard)
      fitted.SetDirection(position->Direction());
    if (position->IoStandard() != kIoFromCard)
      fitted.SetIoStandard(position->IoStandard());
    *position = fitted;
  }
}

}  // namespace pinwright
