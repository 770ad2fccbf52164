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
// The bus index is read only when a comparison needs it, so a bad index fails the sort
// exactly where the comparison asks for it: the first such failure is kept in Problem.
class SortKey {
 public:
  SortKey(const TPin& pin, std::optional<Failure>& problem)
      : SortKey(pin.Name(), FindBrackets(pin.Name()), problem) {}

  bool HasBrackets() const { return Brackets; }
  // Either of "[" and "]" is in the name.
  bool HasEitherBracket() const { return EitherBracket; }
  // The text before the first "["; meaningful only with HasBrackets.
  std::string_view BusBase() const { return Base; }
  std::string_view FullName() const { return Name; }

  // Reads the bus index ahead of any comparison; false when it is not a number.
  bool IndexReads() const {
    if (CachedIndex)
      return true;
    const Result<std::int32_t> index = BusIndex(Name);
    if (!index)
      return false;
    CachedIndex = *index;
    return true;
  }

  // True when this key comes before a. A bus index that does not read makes the comparison
  // false and leaves its failure in Problem, unless one is there already.
  bool ComesBefore(const SortKey& a) const {
    if (a.Brackets && Brackets) {
      if (a.Base == Base) {
        const std::optional<std::int32_t> mine = Index();
        if (!mine)
          return false;
        const std::optional<std::int32_t> theirs = a.Index();
        return theirs && *mine < *theirs;
      }
      return Greater(a.Base, Base);
    }
    return Greater(a.Name, Name);
  }

 private:
  std::optional<std::int32_t> Index() const {
    if (!CachedIndex) {
      Result<std::int32_t> index = BusIndex(Name);
      if (!index) {
        if (!*Problem)
          *Problem = index.Error();
        return std::nullopt;
      }
      CachedIndex = *index;
    }
    return CachedIndex;
  }

  SortKey(std::string_view name, BracketPositions brackets, std::optional<Failure>& problem)
      : Name(name),
        Brackets(brackets.Both()),
        EitherBracket(brackets.Open != std::string_view::npos ||
                      brackets.Close != std::string_view::npos),
        Base(name.substr(0, brackets.Open)),
        Problem(&problem) {}

  std::string_view Name;
  bool Brackets;
  bool EitherBracket;
  std::string_view Base;  // meaningful only with Brackets
  std::optional<Failure>* Problem;
  mutable std::optional<std::int32_t> CachedIndex;
};

// The byte order of base + "[" against a name that holds no "[": below 0 when it comes
// first, above 0 when the name does (the two are never equal).
int CompareOpened(std::string_view base, std::string_view name) {
  if (const int order = base.compare(name.substr(0, base.size())); order != 0)
    return order;
  if (name.size() == base.size())
    return 1;
  return static_cast<unsigned char>(name[base.size()]) > '[' ? -1 : 1;
}

// True when the comparison of SortKey is a consistent order on these keys. It orders two
// members of buses by bus name, then index, and every other pair by the whole name; a name
// without brackets meets a member of a bus as if the member ended after its "[". The two
// readings disagree only where one bus name starts another that goes on with a byte below
// "[" (LED and LED0: LED < LED0, but "LED0[" < "LED["), and a cycle needs a name without
// brackets between the two in the second reading. The keys must also hold no lone bracket
// and only bus indexes that read.
bool ComparisonIsConsistent(const std::vector<std::optional<SortKey>>& keys) {
  std::vector<std::string_view> bases;
  std::vector<std::string_view> plain;  // the names without brackets
  for (const std::optional<SortKey>& key : keys) {
    if (!key)
      continue;
    if (!key->HasBrackets()) {
      if (key->HasEitherBracket())
        return false;
      plain.push_back(key->FullName());
    } else if (!key->IndexReads()) {
      return false;
    } else {
      bases.push_back(key->BusBase());
    }
  }
  std::sort(bases.begin(), bases.end());
  bases.erase(std::unique(bases.begin(), bases.end()), bases.end());
  // A base that starts longer ones stands right before them in byte order.
  for (std::size_t i = 0; i < bases.size(); ++i) {
    const std::string_view shorter = bases[i];
    for (std::size_t j = i + 1; j < bases.size() && bases[j].starts_with(shorter); ++j) {
      const std::string_view longer = bases[j];
      if (static_cast<unsigned char>(longer[shorter.size()]) > '[')
        continue;  // both readings agree
      for (const std::string_view name : plain) {
        if (CompareOpened(longer, name) < 0 && CompareOpened(shorter, name) > 0)
          return false;
      }
    }
  }
  return true;
}

// The exchange sort's order, found in n log n steps where it is certain to be the same one:
// when the comparison is a consistent order on the keys and no two of them compare equal,
// the sorted order is the only one there is, however it is found. False, with order
// untouched, when that is not certain.
bool SortUniquely(const std::vector<std::optional<SortKey>>& keys,
                  std::vector<std::size_t>& order) {
  if (!ComparisonIsConsistent(keys))
    return false;
  std::vector<std::size_t> filled;  // the positions that hold a pin; the others stay put
  filled.reserve(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i])
      filled.push_back(i);
  }
  auto before = [&](std::size_t a, std::size_t b) { return keys[a]->ComesBefore(*keys[b]); };
  std::vector<std::size_t> sorted = filled;
  std::sort(sorted.begin(), sorted.end(), before);
  for (std::size_t k = 0; k + 1 < sorted.size(); ++k) {
    if (!before(sorted[k], sorted[k + 1]))
      return false;  // two names compare equal: the exchange sort decides their order
  }
  for (std::size_t k = 0; k < filled.size(); ++k)
    order[filled[k]] = sorted[k];
  return true;
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
  std::size_t count = 0;
  ForEachActivePin([&](std::size_t, const TPin&) { ++count; });
  return count;
}

Status TConnector::SortPins() {
  // An exchange sort: every pair (i, j > i) is compared with the entries now at i and j, so
  // the result is exactly that of the comparison, ties and all; a list whose order is
  // certain is sorted faster to the same result. The sort runs on positions into Pins and
  // moves the pins once at the end; a bus index that does not read leaves the list as it was.
  std::optional<Failure> problem;
  std::vector<std::optional<SortKey>> keys;
  keys.reserve(Pins.size());
  for (const std::optional<TPin>& pin : Pins) {
    keys.push_back(pin ? std::optional<SortKey>(std::in_place, *pin, problem) : std::nullopt);
  }
  std::vector<std::size_t> order(Pins.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = i;

  if (!SortUniquely(keys, order)) {
    for (std::size_t i = 0; i < order.size(); ++i) {
      for (std::size_t j = i + 1; j < order.size(); ++j) {
        const std::optional<SortKey>& a = keys[order[i]];
        const std::optional<SortKey>& b = keys[order[j]];
        if (!a || !b)
          continue;
        if (b->ComesBefore(*a))
          std::swap(order[i], order[j]);
        if (problem)
          return *problem;
      }
    }
  }

  // The entry at position k is to be the one now at order[k]: each cycle of the permutation
  // is followed once, so every pin moves once and no second list is made.
  std::vector<bool> placed(order.size(), false);
  for (std::size_t start = 0; start < order.size(); ++start) {
    if (placed[start] || order[start] == start)
      continue;
    std::optional<TPin> first = std::move(Pins[start]);
    std::size_t k = start;
    while (order[k] != start) {
      Pins[k] = std::move(Pins[order[k]]);
      placed[k] = true;
      k = order[k];
    }
    Pins[k] = std::move(first);
    placed[k] = true;
  }
  return {};
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
    *position = std::move(fitted);
  }
}

}  // namespace pinwright
