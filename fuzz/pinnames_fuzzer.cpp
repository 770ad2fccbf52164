// Arbitrary pin names through the bus-name helpers, the pin sort and the port-list builder.
//
// The input is a list of lines. An empty line is an empty header position; otherwise the
// first byte picks the direction (its value modulo 5) and the rest is the pin name.
// A BadPinName failure is part of the contract of BusIndex, SortPins and TopLevelPorts for a
// name whose bracket text is not a number; nothing here catches an exception, so any that
// escapes is reported by libFuzzer.

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "build/buildproject.h"
#include "fail.h"
#include "model/connector.h"
#include "model/mainboard.h"
#include "model/pin.h"
#include "outputs/projecttexts.h"
#include "outputs/toplevel.h"
#include "support/quiethost.h"

namespace pinwright::fuzzing {
namespace {

constexpr std::size_t kMaxEntries = 64;

std::vector<std::optional<TPin>> EntriesOf(std::string_view input) {
  std::vector<std::optional<TPin>> entries;
  while (!input.empty() && entries.size() < kMaxEntries) {
    const std::size_t end = input.find('\n');
    std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    if (line.empty()) {
      entries.emplace_back(std::nullopt);
      continue;
    }
    const auto direction = static_cast<PinDirection>(static_cast<unsigned char>(line[0]) % 5);
    const std::string location = "L" + std::to_string(entries.size());
    entries.emplace_back(TPin(line.substr(1), location, direction, kIoLvcmos33, 0));
  }
  return entries;
}

// The index a bus name must give: a sign and decimal digits that fit 32 bits, nothing else.
std::optional<std::int32_t> ExpectedIndex(std::string_view name) {
  const std::size_t open = name.find('[');
  const std::size_t close = name.find(']');
  if (close < open)
    return std::nullopt;
  std::string_view text = name.substr(open + 1, close - open - 1);
  const bool plus = !text.empty() && text.front() == '+';
  if (plus)
    text.remove_prefix(1);
  if (text.empty() || text.front() == '+' || (text.front() == '-' && (plus || text.size() == 1)))
    return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < INT32_MIN ||
      value > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

void CheckBusHelpers(const std::string& name) {
  const std::size_t open = name.find('[');
  const std::size_t close = name.find(']');
  const bool both = open != std::string::npos && close != std::string::npos;
  if (FindBrackets(name).Both() != both)
    Fail("FindBrackets", name);
  const PortName port = SplitPortName(name);
  if (port.IsBusMember != (both && open < close) ||
      port.Base != (port.IsBusMember ? name.substr(0, open) : name))
    Fail("SplitPortName", name);
  const Result<std::int32_t> index = BusIndex(name);
  if (!both) {
    if (!index || *index != -1)
      Fail("BusIndex without brackets", name);
    return;
  }
  const std::optional<std::int32_t> expected = ExpectedIndex(name);
  if (index) {
    if (!expected || *expected != *index)
      Fail("BusIndex accepted", name);
  } else {
    if (expected)
      Fail("BusIndex refused", name);
    if (index.Error().Kind != FailureKind::BadPinName ||
        index.Error().Reason.find(name) == std::string::npos)
      Fail("BusIndex failure", name);
  }
}

// Names (with "" for an empty entry) in entry order.
std::vector<std::string> Snapshot(const TConnector& group) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
    const TPin* pin = group.PinAt(i);
    names.push_back(pin ? "+" + pin->Name() + "@" + pin->Location() : "");
  }
  return names;
}

// Sorting, finished or stopped by a bus index that does not read, only moves pins between occupied
// entries.
void CheckSortKeepsEntries(const std::vector<std::string>& before,
                           const std::vector<std::string>& after) {
  if (before.size() != after.size())
    Fail("SortPins entry count", std::to_string(after.size()));
  std::vector<std::string> left;
  std::vector<std::string> right;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i].empty() != after[i].empty())
      Fail("SortPins moved an empty entry", std::to_string(i));
    left.push_back(before[i]);
    right.push_back(after[i]);
  }
  std::sort(left.begin(), left.end());
  std::sort(right.begin(), right.end());
  if (left != right)
    Fail("SortPins lost or duplicated a pin", "");
}

}  // namespace
}  // namespace pinwright::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pinwright;
  using namespace pinwright::fuzzing;
  testing::QuietHost host;

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  TConnector group("G", "", kConnectorOnBoard);
  for (std::optional<TPin>& entry : EntriesOf(input)) {
    if (entry) {
      if (entry->Name().size() > kPinTextCapacity)
        Fail("TPin name longer than its field", entry->Name());
      CheckBusHelpers(entry->Name());
    }
    group.AddPin(std::move(entry));
  }

  const std::vector<std::string> before = Snapshot(group);
  TMainBoard board;
  board.AddGroup(group);
  (void)board.OrderPins();  // a failure leaves the list as it was, which is checked next
  CheckSortKeepsEntries(before, Snapshot(board.GroupAt(0)));

  // The writers that take a board on whatever order the sort left, and the port-list builder.
  // The top level and the testbench take only names the checks passed, so the
  // settings-record harness reaches them.
  (void)QsfText(board, "P", host.Now());
  (void)SdcText(board);
  (void)HtmlText(board);
  if (const Result<std::vector<PortGroup>> ports = TopLevelPorts(board))
    (void)VerilogPortList(*ports);
  (void)CheckPinNames(board);
  return 0;
}
