#include "support/projectchecks.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "model/pin.h"

namespace pinwright::testing {
namespace {

std::vector<std::string_view> LinesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos)
      break;
    text.remove_prefix(end + 2);
  }
  return lines;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool IsIdentifier(std::string_view name) {
  auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (name.empty() || !letter(name.front()))
    return false;
  return std::all_of(name.begin(), name.end(),
                     [&](char c) { return letter(c) || digit(c) || c == '$'; });
}

std::optional<std::int32_t> ParseInt(std::string_view text) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

// A pin name seen as the port it belongs to: a bus member "BASE[n]" or a scalar.
struct PortOfPin {
  std::string Base;
  std::optional<std::int32_t> Index;
};

PortOfPin PortOf(std::string_view name) {
  const std::size_t open = name.find('[');
  const std::size_t close = name.find(']');
  if (open != std::string_view::npos && close != std::string_view::npos && open < close) {
    return {std::string(name.substr(0, open)), ParseInt(name.substr(open + 1, close - open - 1))};
  }
  return {std::string(name), std::nullopt};
}

struct Port {
  std::string Direction;
  bool IsVector = false;
  std::int32_t Msb = -1;
  std::int32_t Lsb = -1;
};

// The port declarations between "module NAME(" and ");", in order.
std::vector<std::pair<std::string, Port>> PortsOf(std::string_view verilog,
                                                  std::vector<std::string>& problems) {
  std::vector<std::pair<std::string, Port>> ports;
  std::vector<bool> commas;
  bool inside = false;
  for (std::string_view line : LinesOf(verilog)) {
    if (!inside) {
      inside = line.starts_with("module ") && line.ends_with("(");
      continue;
    }
    if (line == ");")
      break;
    if (line.empty() || line.starts_with("\t//"))
      continue;
    // "\t" direction "\t\t" range right-aligned in ten "\t\t" name, then "," but on the last.
    const std::size_t first = line.find("\t\t");
    const std::size_t second =
        first == std::string_view::npos ? first : line.find("\t\t", first + 2);
    if (!line.starts_with("\t") || second == std::string_view::npos) {
      problems.push_back("unreadable port line: " + std::string(line));
      continue;
    }
    Port port;
    port.Direction = std::string(line.substr(1, first - 1));
    std::string_view range = line.substr(first + 2, second - first - 2);
    std::string_view name = line.substr(second + 2);
    commas.push_back(name.ends_with(","));
    if (commas.back())
      name.remove_suffix(1);
    range.remove_prefix(std::min(range.find_first_not_of(' '), range.size()));
    if (!range.empty()) {
      const std::size_t colon = range.find(':');
      std::optional<std::int32_t> msb, lsb;
      if (range.front() == '[' && range.back() == ']' && colon != std::string_view::npos) {
        msb = ParseInt(range.substr(1, colon - 1));
        lsb = ParseInt(range.substr(colon + 1, range.size() - colon - 2));
      }
      if (!msb || !lsb || *msb < *lsb) {
        problems.push_back("bad range on port " + std::string(name) + ": " + std::string(range));
        continue;
      }
      port.IsVector = true;
      port.Msb = *msb;
      port.Lsb = *lsb;
    }
    ports.emplace_back(std::string(name), port);
  }
  for (std::size_t i = 0; i < commas.size(); ++i) {
    if (commas[i] != (i + 1 < commas.size()))
      problems.push_back("port separator wrong on port " + ports[i].first);
  }
  return ports;
}

struct QsfPin {
  std::string Standard;
  std::string Location;
  int StandardLines = 0;
  int LocationLines = 0;
};

std::map<std::string, QsfPin> QsfPinsOf(std::string_view qsf, std::vector<std::string>& problems) {
  static constexpr std::string_view kStandard = "set_instance_assignment -name IO_STANDARD \"";
  static constexpr std::string_view kLocation = "set_location_assignment PIN_";
  std::map<std::string, QsfPin> pins;
  for (std::string_view line : LinesOf(qsf)) {
    const bool standard = line.starts_with(kStandard);
    if (!standard && !line.starts_with(kLocation))
      continue;
    line.remove_prefix(standard ? kStandard.size() : kLocation.size());
    const std::string_view to = standard ? "\" -to " : " -to ";
    const std::size_t split = line.find(to);
    if (split == std::string_view::npos) {
      problems.push_back("unreadable .qsf line: " + std::string(line));
      continue;
    }
    QsfPin& pin = pins[std::string(line.substr(split + to.size()))];
    if (standard) {
      pin.Standard = std::string(line.substr(0, split));
      ++pin.StandardLines;
    } else {
      pin.Location = std::string(line.substr(0, split));
      ++pin.LocationLines;
    }
  }
  return pins;
}

}  // namespace

std::vector<std::string> CheckProject(const TMainBoard& model, const GeneratedTexts& texts) {
  std::vector<std::string> problems;

  // The model's own pins.
  std::map<std::string, const TPin*> active;
  std::set<std::string> namesIgnoringCase;
  std::map<std::string, std::string> locations;
  std::multiset<std::string> expectedClocks;
  for (std::size_t g = 0; g < model.GroupCount(); ++g) {
    const TConnector& group = model.GroupAt(g);
    for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (!pin || !pin->IsActive())
        continue;
      const std::string where = group.Name() + " entry " + std::to_string(i) + " " + pin->Name();
      if (pin->Name().empty())
        problems.push_back("active pin without a name in " + where);
      if (pin->Direction() < PinDirection::Inout || pin->Direction() > PinDirection::Output)
        problems.push_back("direction " + std::to_string(static_cast<int>(pin->Direction())) +
                           " in " + where);
      if (pin->Location().empty())
        problems.push_back("no location for " + where);
      if (pin->IoStandardName().empty())
        problems.push_back("no I/O standard name for " + where);
      if (!namesIgnoringCase.insert(Lower(pin->Name())).second)
        problems.push_back("pin name used twice: " + where);
      active.emplace(pin->Name(), pin);
      if (!pin->Location().empty()) {
        auto [it, inserted] = locations.emplace(pin->Location(), pin->Name());
        if (!inserted) {
          problems.push_back("location " + pin->Location() + " used by " + it->second + " and " +
                             pin->Name());
        }
      }
      if (pin->IsClock()) {
        if (pin->FrequencyText().empty())
          problems.push_back("clock without frequency: " + where);
        expectedClocks.insert("create_clock -period \"" + pin->FrequencyText() + "\" [get_ports " +
                              pin->Name() + "]");
      }
    }
  }

  // The .sdc constrains exactly the clock pins.
  std::multiset<std::string> clocks;
  for (std::string_view line : LinesOf(texts.Sdc)) {
    if (line.starts_with("create_clock"))
      clocks.emplace(line);
  }
  for (const std::string& line : expectedClocks) {
    if (!clocks.contains(line))
      problems.push_back("missing in .sdc: " + line);
  }
  for (const std::string& line : clocks) {
    if (!expectedClocks.contains(line))
      problems.push_back("unexpected in .sdc: " + line);
  }

  // The .qsf assigns exactly the active pins, each as the model has it.
  const std::map<std::string, QsfPin> assigned = QsfPinsOf(texts.Qsf, problems);
  for (const auto& [name, pin] : active) {
    auto it = assigned.find(name);
    if (it == assigned.end()) {
      problems.push_back("active pin missing in .qsf: " + name);
      continue;
    }
    const QsfPin& q = it->second;
    if (q.StandardLines != 1 || q.Standard != pin->IoStandardName())
      problems.push_back("IO_STANDARD of " + name + " in .qsf: \"" + q.Standard + "\"");
    if (q.LocationLines != 1 || q.Location != pin->Location())
      problems.push_back("location of " + name + " in .qsf: " + q.Location);
  }
  for (const auto& [name, pin] : assigned) {
    if (!active.contains(name))
      problems.push_back(".qsf assigns a pin the model does not have: " + name);
  }

  // The module's ports: unique identifiers that cover exactly the assigned pins.
  const std::vector<std::pair<std::string, Port>> ports = PortsOf(texts.Verilog, problems);
  std::map<std::string, Port> portByName;
  std::set<std::string> portsIgnoringCase;
  for (const auto& [name, port] : ports) {
    if (!IsIdentifier(name))
      problems.push_back("port name is not an identifier: \"" + name + "\"");
    if (!portsIgnoringCase.insert(Lower(name)).second)
      problems.push_back("port name used twice (case ignored): " + name);
    portByName.emplace(name, port);
  }
  std::set<std::string> coveredPorts;
  for (const auto& [name, qsf] : assigned) {
    const PortOfPin of = PortOf(name);
    auto it = portByName.find(of.Base);
    if (it == portByName.end()) {
      problems.push_back(".qsf pin without a port: " + name);
      continue;
    }
    coveredPorts.insert(of.Base);
    const Port& port = it->second;
    if (port.IsVector != of.Index.has_value()) {
      problems.push_back("port " + of.Base + " and pin " + name + " disagree on being a bus");
    } else if (of.Index && (*of.Index < port.Lsb || *of.Index > port.Msb)) {
      problems.push_back("pin " + name + " outside the range of its port");
    }
    if (auto pin = active.find(name); pin != active.end()) {
      if (port.Direction != pin->second->DirectionWord())
        problems.push_back("direction of port " + of.Base + " differs from pin " + name);
    }
  }
  for (const auto& [name, port] : ports) {
    if (!coveredPorts.contains(name))
      problems.push_back("port without a .qsf pin: " + name);
  }
  return problems;
}

}  // namespace pinwright::testing
