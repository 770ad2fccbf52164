#include "cards/cardfile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <system_error>

// The parser reports through its result rather than by throwing, and nothing here formats
// TOML with it.
#define TOML_EXCEPTIONS 0
// Numbers are read with std::from_chars rather than a string stream, which would bring the
// whole locale machinery into every program that reads card files.
#define TOML_FLOAT_CHARCONV 1
#define TOML_ENABLE_FORMATTERS 0
#define TOML_ENABLE_WINDOWS_COMPAT 0
#include <toml++/toml.h>

#include "cards/choicelist.h"
#include "cards/usercards.h"
#include "host/filewrite.h"
#include "host/paths.h"
#include "host/text.h"
#include "model/hdlwords.h"
#include "model/pin.h"

namespace pinwright {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFormatName = "pinwright-card";
constexpr std::int64_t kFormatVersion = 1;
constexpr std::string_view kVoltage = "3.3 V";
constexpr std::size_t kSignalNameMaxBytes = 63;
constexpr std::int64_t kBusIndexMax = 99999;
// A clock's frequency must show in the five decimals of its constraint and stay within what a
// GPIO pin can carry.
constexpr double kClockMinMHz = 0.001;
constexpr double kClockMaxMHz = 10000.0;

// The I/O standards a 3.3 V GPIO pin takes.
constexpr std::array<std::int32_t, 3> kCardIoStandards = {7, 8, 50};

constexpr std::array<std::string_view, 8> kCardKeys = {"format",  "version",     "id",      "name",
                                                       "voltage", "io_standard", "picture", "pin"};
constexpr std::array<std::string_view, 9> kPinKeys = {
    "position", "positions", "name", "bus", "index", "direction", "clock", "io_standard", "pull"};

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                         diagonal + (FoldCase(a[i - 1]) == FoldCase(b[j - 1]) ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// "unknown key 'x'", with the closest known key when one is near enough to be a slip.
std::string UnknownKeyMessage(std::string_view key, std::span<const std::string_view> known) {
  std::string message = "unknown key '" + std::string(key) + "'";
  std::string_view best;
  std::size_t bestDistance = 0;
  for (std::string_view candidate : known) {
    const std::size_t distance = EditDistance(key, candidate);
    if (best.empty() || distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  if (!best.empty() && bestDistance <= std::max<std::size_t>(2, best.size() / 3) &&
      bestDistance < key.size()) {
    message += "; did you mean '" + std::string(best) + "'?";
  }
  return message;
}

SourcePlace PlaceOf(const toml::source_region& region) {
  return {std::max<std::uint32_t>(1, region.begin.line),
          std::max<std::uint32_t>(1, region.begin.column)};
}

// The words shown for a TOML value's type in a problem.
std::string_view TypeWord(toml::node_type type) {
  switch (type) {
    case toml::node_type::string:
      return "a string";
    case toml::node_type::integer:
      return "an integer";
    case toml::node_type::floating_point:
      return "a number";
    case toml::node_type::boolean:
      return "a boolean";
    case toml::node_type::array:
      return "an array";
    case toml::node_type::table:
      return "a table";
    default:
      return "a date or time";
  }
}

bool IsPrintableAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7e; });
}

// The text of a string shown in a problem: printable ASCII as it is, any other byte escaped.
std::string Shown(std::string_view text) {
  std::string shown;
  for (const char c : text.substr(0, 80)) {
    if (c >= 0x20 && c <= 0x7e)
      shown += c;
    else
      AppendHexEscape(shown, static_cast<unsigned char>(c));
  }
  return shown;
}

class Checker {
 public:
  Checker(std::string path, std::vector<Diagnostic>& problems)
      : Path(std::move(path)), Problems(problems) {}

  void Report(SourcePlace place, std::string message) {
    Problems.push_back(CardFileError(Path, place, std::move(message)));
  }
  void Report(const toml::node& node, std::string message) {
    Report(PlaceOf(node.source()), std::move(message));
  }

  // The string of a key, or a problem naming the type found.
  std::optional<std::string> String(const toml::node& node, std::string_view key) {
    if (const auto* value = node.as_string())
      return value->get();
    Report(node, std::string(key) + " must be a string, not " + std::string(TypeWord(node.type())));
    return std::nullopt;
  }
  std::optional<std::int64_t> Integer(const toml::node& node, std::string_view key) {
    if (const auto* value = node.as_integer())
      return value->get();
    Report(node,
           std::string(key) + " must be an integer, not " + std::string(TypeWord(node.type())));
    return std::nullopt;
  }
  // Either one integer or an array of two: a single position or index, or a run's two ends.
  std::optional<std::array<std::int64_t, 2>> IntegerPair(const toml::node& node,
                                                         std::string_view key) {
    const auto* array = node.as_array();
    if (!array || array->size() != 2 || !(*array)[0].is_integer() || !(*array)[1].is_integer()) {
      Report(node, std::string(key) + " must be an array of two integers, the first and the last");
      return std::nullopt;
    }
    return std::array<std::int64_t, 2>{(*array)[0].as_integer()->get(),
                                       (*array)[1].as_integer()->get()};
  }

  std::string Path;
  std::vector<Diagnostic>& Problems;
};

std::string_view DirectionKeyword(PinDirection direction) {
  switch (direction) {
    case PinDirection::Input:
      return "input";
    case PinDirection::Output:
      return "output";
    default:
      return "inout";
  }
}

std::optional<PinDirection> DirectionOf(std::string_view word) {
  for (PinDirection direction : {PinDirection::Input, PinDirection::Output, PinDirection::Inout}) {
    if (word == DirectionKeyword(direction))
      return direction;
  }
  return std::nullopt;
}

// "25 MHz", "25MHz" or "25": a frequency in megahertz.
std::optional<double> ParseMegahertz(std::string_view text) {
  std::string_view number = text;
  if (number.ends_with("MHz")) {
    number.remove_suffix(3);
    while (!number.empty() && number.back() == ' ')
      number.remove_suffix(1);
  }
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || error != std::errc() || end != number.data() + number.size())
    return std::nullopt;
  return value;
}

// Why a signal or bus name cannot stand in a card file; empty when it can.
std::string NameProblemOf(std::string_view name) {
  if (name.empty())
    return "is empty";
  if (name.size() > kSignalNameMaxBytes)
    return "is longer than " + std::to_string(kSignalNameMaxBytes) + " bytes";
  if (!IsVerilogIdentifier(name))
    return "is not a Verilog identifier: use letters, digits and underscores, starting with a "
           "letter or underscore";
  if (IsSystemVerilogKeyword(name))
    return "is a reserved word";
  return {};
}

// One [[pin]] table as read, before its positions are laid out.
struct PinEntry {
  SourcePlace Place;
  SourcePlace PositionPlace;
  SourcePlace NamePlace;
  std::int32_t FirstPosition = 0;
  std::int32_t LastPosition = 0;
  std::string Name;
  bool IsBus = false;
  std::int32_t FirstIndex = -1;
  std::int32_t LastIndex = -1;
  PinDirection Direction = PinDirection::Inout;
  double ClockMHz = 0;
  std::int32_t IoStandard = -1;
  bool PullUp = false;
};

// Reads one [[pin]] table; nothing when it holds a problem (reported).
std::optional<PinEntry> ReadPin(Checker& check, const toml::table& table) {
  PinEntry pin;
  pin.Place = PlaceOf(table.source());
  const std::size_t problemsBefore = check.Problems.size();
  const toml::node* position = nullptr;
  const toml::node* positions = nullptr;
  const toml::node* name = nullptr;
  const toml::node* bus = nullptr;
  const toml::node* index = nullptr;
  const toml::node* direction = nullptr;
  const toml::node* clock = nullptr;
  for (auto&& [key, node] : table) {
    const std::string_view word = key.str();
    if (word == "position") {
      position = &node;
    } else if (word == "positions") {
      positions = &node;
    } else if (word == "name") {
      name = &node;
    } else if (word == "bus") {
      bus = &node;
    } else if (word == "index") {
      index = &node;
    } else if (word == "direction") {
      direction = &node;
    } else if (word == "clock") {
      clock = &node;
    } else if (word == "io_standard") {
      if (std::optional<std::string> text = check.String(node, word)) {
        pin.IoStandard = CardIoStandardCode(*text);
        if (pin.IoStandard < 0)
          check.Report(node,
                       "io_standard must be \"3.3-V LVCMOS\", \"3.3-V LVTTL\" or "
                       "\"3.3 V Schmitt Trigger\"");
      }
    } else if (word == "pull") {
      if (std::optional<std::string> text = check.String(node, word)) {
        if (*text == "up")
          pin.PullUp = true;
        else
          check.Report(node, "pull must be \"up\"");
      }
    } else {
      check.Report(PlaceOf(key.source()), UnknownKeyMessage(word, kPinKeys));
    }
  }

  // Where the pin sits.
  if (position && positions) {
    check.Report(*positions, "a pin has position or positions, not both");
  } else if (!position && !positions) {
    check.Report(pin.Place, "a pin needs position (one) or positions (first and last)");
  }
  auto checkPosition = [&](const toml::node& node, std::int64_t value) {
    if (value < 1 || value > kGpioHeaderPositions) {
      check.Report(node, "position " + std::to_string(value) + " is not on the header (1 to 40)");
      return false;
    }
    if (IsSupplyPosition(static_cast<std::int32_t>(value))) {
      check.Report(node, "position " + std::to_string(value) +
                             " is supply or ground (11, 12, 29 and 30 carry no signal)");
      return false;
    }
    return true;
  };
  if (position && !positions) {
    if (std::optional<std::int64_t> value = check.Integer(*position, "position");
        value && checkPosition(*position, *value)) {
      pin.FirstPosition = pin.LastPosition = static_cast<std::int32_t>(*value);
    }
    pin.PositionPlace = PlaceOf(position->source());
  } else if (positions && !position) {
    if (std::optional<std::array<std::int64_t, 2>> ends =
            check.IntegerPair(*positions, "positions");
        ends && checkPosition(*positions, (*ends)[0]) && checkPosition(*positions, (*ends)[1])) {
      pin.FirstPosition = static_cast<std::int32_t>((*ends)[0]);
      pin.LastPosition = static_cast<std::int32_t>((*ends)[1]);
      const std::int32_t low = std::min(pin.FirstPosition, pin.LastPosition);
      const std::int32_t high = std::max(pin.FirstPosition, pin.LastPosition);
      for (std::int32_t p = low; p <= high; ++p) {
        if (IsSupplyPosition(p)) {
          check.Report(*positions, "positions " + std::to_string(low) + " to " +
                                       std::to_string(high) + " cross supply or ground position " +
                                       std::to_string(p));
          break;
        }
      }
    }
    pin.PositionPlace = PlaceOf(positions->source());
  }
  const std::int32_t count = std::abs(pin.LastPosition - pin.FirstPosition) + 1;

  // What it is called.
  if (name && bus) {
    check.Report(*bus, "a pin has name or bus, not both");
  } else if (!name && !bus) {
    check.Report(pin.Place, "a pin needs name (a single signal) or bus and index (bus members)");
  }
  const toml::node* naming = name ? name : bus;
  if (naming && !(name && bus)) {
    pin.NamePlace = PlaceOf(naming->source());
    pin.IsBus = bus != nullptr;
    if (std::optional<std::string> text = check.String(*naming, pin.IsBus ? "bus" : "name")) {
      if (const std::string problem = NameProblemOf(*text); !problem.empty())
        check.Report(*naming, (pin.IsBus ? "bus \"" : "name \"") + Shown(*text) + "\" " + problem);
      else
        pin.Name = *text;
    }
  }
  if (name && !bus && positions && count > 1)
    check.Report(*name, "a run of positions needs bus and index, not name");
  if (index && !bus) {
    check.Report(*index, "index belongs to a bus");
  } else if (bus && !index) {
    check.Report(*bus,
                 "a bus needs index: the bus index at the first position, and at the last "
                 "for a run");
  } else if (bus && index) {
    std::optional<std::array<std::int64_t, 2>> ends;
    if (index->is_integer())
      ends = std::array<std::int64_t, 2>{index->as_integer()->get(), index->as_integer()->get()};
    else
      ends = check.IntegerPair(*index, "index");
    if (ends) {
      const auto [first, last] = *ends;
      if (first < 0 || last < 0 || first > kBusIndexMax || last > kBusIndexMax) {
        check.Report(*index, "a bus index must be from 0 to " + std::to_string(kBusIndexMax));
      } else if (pin.FirstPosition != 0 && std::abs(last - first) + 1 != count) {
        check.Report(*index, "index runs over " + std::to_string(std::abs(last - first) + 1) +
                                 " members but positions over " + std::to_string(count) +
                                 ": it steps by one per position");
      } else {
        pin.FirstIndex = static_cast<std::int32_t>(first);
        pin.LastIndex = static_cast<std::int32_t>(last);
      }
    }
  }

  // How it is driven.
  if (!direction) {
    check.Report(pin.Place, "a pin needs direction: \"input\", \"output\" or \"inout\"");
  } else if (std::optional<std::string> word = check.String(*direction, "direction")) {
    if (const std::optional<PinDirection> code = DirectionOf(*word))
      pin.Direction = *code;
    else
      check.Report(*direction, "direction must be \"input\", \"output\" or \"inout\"");
  }
  if (clock) {
    std::optional<double> megahertz;
    if (const auto* text = clock->as_string())
      megahertz = ParseMegahertz(text->get());
    else if (const auto* integer = clock->as_integer())
      megahertz = static_cast<double>(integer->get());
    else if (const auto* number = clock->as_floating_point())
      megahertz = number->get();
    if (!megahertz || !std::isfinite(*megahertz) || *megahertz <= 0) {
      check.Report(*clock, "clock must be a positive frequency in MHz, such as \"25 MHz\"");
    } else if (*megahertz < kClockMinMHz || *megahertz > kClockMaxMHz) {
      check.Report(*clock, "clock must be from 0.001 MHz to 10000 MHz");
    } else if (direction && pin.Direction != PinDirection::Input) {
      check.Report(*clock, "a clock must be an input");
    } else if (bus) {
      check.Report(*clock, "a clock must be a single named pin, not a bus member");
    } else {
      pin.ClockMHz = *megahertz;
    }
  }
  if (check.Problems.size() != problemsBefore)
    return std::nullopt;
  return pin;
}

// Every name and bus member once; one name not both a single signal and a bus.
void CheckSignalNames(Checker& check, const std::vector<PinEntry>& pins) {
  std::map<std::string, const PinEntry*> singles;
  std::map<std::string, const PinEntry*> buses;
  std::map<std::pair<std::string, std::int32_t>, const PinEntry*> members;
  auto at = [](const PinEntry& pin) {
    return std::to_string(pin.NamePlace.Line) + ":" + std::to_string(pin.NamePlace.Column);
  };
  for (const PinEntry& pin : pins) {
    if (!pin.IsBus) {
      if (const auto seen = singles.find(pin.Name); seen != singles.end()) {
        check.Report(pin.NamePlace, "name \"" + pin.Name + "\" is used twice (first at " +
                                        at(*seen->second) + ")");
      } else if (const auto other = buses.find(pin.Name); other != buses.end()) {
        check.Report(pin.NamePlace,
                     "name \"" + pin.Name + "\" is already a bus (at " + at(*other->second) + ")");
      } else {
        singles.emplace(pin.Name, &pin);
      }
      continue;
    }
    if (const auto other = singles.find(pin.Name); other != singles.end()) {
      check.Report(pin.NamePlace, "bus \"" + pin.Name + "\" is already a single signal (at " +
                                      at(*other->second) + ")");
      continue;
    }
    buses.emplace(pin.Name, &pin);
    const std::int32_t step = pin.LastIndex >= pin.FirstIndex ? 1 : -1;
    for (std::int32_t i = pin.FirstIndex;; i += step) {
      const auto [seen, added] = members.emplace(std::make_pair(pin.Name, i), &pin);
      if (!added) {
        check.Report(pin.NamePlace, pin.Name + "[" + std::to_string(i) +
                                        "] is used twice (first at " + at(*seen->second) + ")");
        break;
      }
      if (i == pin.LastIndex)
        break;
    }
  }
}

void CheckPositionsOnce(Checker& check, const std::vector<PinEntry>& pins) {
  std::array<const PinEntry*, kGpioHeaderPositions + 1> taken{};
  for (const PinEntry& pin : pins) {
    const std::int32_t low = std::min(pin.FirstPosition, pin.LastPosition);
    const std::int32_t high = std::max(pin.FirstPosition, pin.LastPosition);
    for (std::int32_t p = low; p <= high; ++p) {
      if (const PinEntry* first = taken[static_cast<std::size_t>(p)]) {
        check.Report(pin.PositionPlace, "position " + std::to_string(p) +
                                            " is used twice (first at " +
                                            std::to_string(first->PositionPlace.Line) + ":" +
                                            std::to_string(first->PositionPlace.Column) + ")");
        break;
      }
      taken[static_cast<std::size_t>(p)] = &pin;
    }
  }
}

// Lays the pins out as map rows, ascending by position; a run given downwards is turned round.
void AddRows(CardDefinition& card, std::vector<PinEntry>& pins) {
  for (PinEntry& pin : pins) {
    if (pin.FirstPosition > pin.LastPosition) {
      std::swap(pin.FirstPosition, pin.LastPosition);
      std::swap(pin.FirstIndex, pin.LastIndex);
    }
  }
  std::sort(pins.begin(), pins.end(),
            [](const PinEntry& a, const PinEntry& b) { return a.FirstPosition < b.FirstPosition; });
  for (const PinEntry& pin : pins) {
    const std::string& name = card.SignalNames.emplace_back(pin.Name);
    card.Rows.push_back({pin.FirstPosition, pin.LastPosition, name, pin.FirstIndex, pin.LastIndex,
                         pin.Direction, pin.IoStandard >= 0 ? pin.IoStandard : card.IoStandard,
                         pin.ClockMHz, pin.PullUp});
  }
  card.Row = {card.Id, card.Name, kConnectorGpio, kVoltage33, true, false, {}, card.Rows};
}

std::string PicturePath(const std::string& cardPath, const std::string& picture) {
  const fs::path folder = PathFromUtf8(cardPath).parent_path();
  return Utf8FromPath(folder / PathFromUtf8(picture));
}

}  // namespace

PictureKind PictureKindOf(std::string_view start) {
  if (start.starts_with("\x89PNG\r\n\x1a\n"))
    return PictureKind::Png;
  if (start.starts_with("\xEF\xBB\xBF"))
    start.remove_prefix(3);
  const std::size_t first = start.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && start[first] == '<' &&
      start.find("<svg") != std::string_view::npos)
    return PictureKind::Svg;
  return PictureKind::None;
}

Diagnostic CardFileError(const std::string& path, SourcePlace place, std::string message) {
  return {path, place.Line, place.Column, DiagnosticSeverity::Error, {}, std::move(message)};
}

std::int32_t CardIoStandardCode(std::string_view name) {
  for (const std::int32_t code : kCardIoStandards) {
    if (IoStandardName(code) == name)
      return code;
  }
  return -1;
}

CardFileReading ReadCardText(std::string_view text, const std::string& path) {
  CardFileReading reading;
  Checker check(path, reading.Problems);
  toml::parse_result parsed = toml::parse(text, path);
  if (!parsed) {
    const toml::parse_error& error = parsed.error();
    check.Report(PlaceOf(error.source()), std::string(error.description()));
    return reading;
  }
  const toml::table& root = parsed.table();
  auto card = std::make_shared<CardDefinition>();
  card->SourceFile = path;
  card->IoStandard = kIoLvcmos33;
  bool hasFormat = false, hasVersion = false, hasId = false, hasName = false, hasVoltage = false;
  const toml::node* pinNode = nullptr;
  for (auto&& [key, node] : root) {
    const std::string_view word = key.str();
    if (word == "format") {
      hasFormat = true;
      if (std::optional<std::string> value = check.String(node, word);
          value && *value != kFormatName)
        check.Report(node, "format must be \"pinwright-card\"");
    } else if (word == "version") {
      hasVersion = true;
      if (std::optional<std::int64_t> value = check.Integer(node, word);
          value && *value != kFormatVersion) {
        check.Report(node, "version " + std::to_string(*value) +
                               " is not known: this program "
                               "reads version 1");
      }
    } else if (word == "id") {
      hasId = true;
      card->IdPlace = PlaceOf(node.source());
      if (std::optional<std::int64_t> value = check.Integer(node, word)) {
        if (*value < kFirstUserCardId || *value > kLastUserCardId)
          check.Report(node, "id must be from 1000 to 9999 (0 to 98 are the built-in cards)");
        else
          card->Id = static_cast<std::int32_t>(*value);
      }
    } else if (word == "name") {
      hasName = true;
      card->NamePlace = PlaceOf(node.source());
      if (std::optional<std::string> value = check.String(node, word)) {
        const bool digitsOnly =
            !value->empty() &&
            std::all_of(value->begin(), value->end(), [](char c) { return c >= '0' && c <= '9'; });
        if (value->empty() || value->size() > kCardNameMaxBytes || !IsPrintableAscii(*value))
          check.Report(node, "name must be 1 to 63 bytes of printable ASCII");
        else if (digitsOnly)
          check.Report(node, "name must not be digits alone, which read as a card ID");
        else
          card->Name = *value;
      }
    } else if (word == "voltage") {
      hasVoltage = true;
      if (std::optional<std::string> value = check.String(node, word); value && *value != kVoltage)
        check.Report(node, "voltage must be \"3.3 V\": the GPIO headers are 3.3 V");
    } else if (word == "io_standard") {
      if (std::optional<std::string> value = check.String(node, word)) {
        card->IoStandard = CardIoStandardCode(*value);
        if (card->IoStandard < 0) {
          check.Report(node,
                       "io_standard must be \"3.3-V LVCMOS\", \"3.3-V LVTTL\" or "
                       "\"3.3 V Schmitt Trigger\"");
        }
      }
    } else if (word == "picture") {
      if (std::optional<std::string> value = check.String(node, word)) {
        const std::string extension = FoldCase(fs::path(*value).extension().string());
        if (extension != ".svg" && extension != ".png") {
          check.Report(node, "picture must be an SVG or PNG file");
        } else if (std::any_of(value->begin(), value->end(), [](char c) {
                     return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
                   })) {
          check.Report(node, "picture must name a file without control characters");
        } else {
          card->PictureFile = PicturePath(path, *value);
          const std::optional<std::string> start =
              ReadFileStart(card->PictureFile, kPictureStartBytes);
          const PictureKind wanted = extension == ".svg" ? PictureKind::Svg : PictureKind::Png;
          if (!start)
            check.Report(node, "picture \"" + Shown(*value) + "\" cannot be read");
          else if (PictureKindOf(*start) != wanted)
            check.Report(node, "picture \"" + Shown(*value) + "\" is no " +
                                   (wanted == PictureKind::Svg ? "SVG" : "PNG") + " picture");
        }
      }
    } else if (word == "pin") {
      pinNode = &node;
    } else {
      check.Report(PlaceOf(key.source()), UnknownKeyMessage(word, kCardKeys));
    }
  }
  const SourcePlace top{1, 1};
  if (!hasFormat)
    check.Report(top, "format = \"pinwright-card\" is missing");
  if (!hasVersion)
    check.Report(top, "version = 1 is missing");
  if (!hasId)
    check.Report(top, "id is missing: a number from 1000 to 9999");
  if (!hasName)
    check.Report(top, "name is missing");
  if (!hasVoltage)
    check.Report(top, "voltage = \"3.3 V\" is missing");

  std::vector<PinEntry> pins;
  if (!pinNode) {
    check.Report(top, "the card has no [[pin]]");
  } else if (!pinNode->is_array_of_tables()) {
    check.Report(*pinNode, "pin must be written as [[pin]] tables");
  } else {
    bool allRead = true;
    for (const toml::node& entry : *pinNode->as_array()) {
      if (std::optional<PinEntry> pin = ReadPin(check, *entry.as_table()))
        pins.push_back(std::move(*pin));
      else
        allRead = false;
    }
    if (allRead) {
      CheckPositionsOnce(check, pins);
      CheckSignalNames(check, pins);
    }
  }

  std::stable_sort(reading.Problems.begin(), reading.Problems.end(),
                   [](const Diagnostic& a, const Diagnostic& b) {
                     return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
                   });
  if (reading.Problems.empty()) {
    AddRows(*card, pins);
    reading.Card = std::move(card);
  }
  return reading;
}

CardFileReading ReadCardFile(const std::string& path) {
  const Result<std::string> text = ReadTextFile(path);
  if (!text) {
    CardFileReading reading;
    // The reason without the path the problem names already: "no such file", "it is not a
    // regular file", "Too many levels of symbolic links", ...
    const std::string& reason = text.Error().Reason;
    const std::string lead = "cannot read " + path + ": ";
    reading.Problems.push_back(
        CardFileError(path, {1, 1},
                      "the file cannot be read: " +
                          (reason.starts_with(lead) ? reason.substr(lead.size()) : reason)));
    return reading;
  }
  return ReadCardText(*text, path);
}

namespace {

// A TOML basic string, with the quote and the backslash escaped and any control character
// written as \uXXXX, which TOML takes nowhere else.
std::string TomlString(std::string_view text) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      quoted += "\\u00";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 15];
      continue;
    }
    if (c == '"' || c == '\\')
      quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// The shortest decimal that reads back to the same number.
std::string ShortestDecimal(double value) {
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : std::to_string(value);
}

void AppendPinTable(std::string& text, const CardPinRow& row, std::int32_t cardStandard) {
  text += "\n[[pin]]\n";
  const bool run = row.FirstPosition != row.LastPosition;
  if (run) {
    text += "positions = [" + std::to_string(row.FirstPosition) + ", " +
            std::to_string(row.LastPosition) + "]\n";
  } else {
    text += "position = " + std::to_string(row.FirstPosition) + "\n";
  }
  if (row.FirstIndex < 0) {
    text += "name = " + TomlString(row.Name) + "\n";
  } else {
    text += "bus = " + TomlString(row.Name) + "\n";
    text += run ? "index = [" + std::to_string(row.FirstIndex) + ", " +
                      std::to_string(row.LastIndex) + "]\n"
                : "index = " + std::to_string(row.FirstIndex) + "\n";
  }
  text += "direction = " + TomlString(DirectionKeyword(row.Direction)) + "\n";
  if (row.ClockMHz > 0)
    text += "clock = " + TomlString(ShortestDecimal(row.ClockMHz) + " MHz") + "\n";
  if (row.IoStandard >= 0 && row.IoStandard != cardStandard)
    text += "io_standard = " + TomlString(IoStandardName(row.IoStandard)) + "\n";
  if (row.PullUp)
    text += "pull = \"up\"\n";
}

}  // namespace

std::string CardFileText(std::int32_t cardId) {
  const CardDefinition* user = FindUserCard(cardId);
  const Card& card = CardById(cardId);
  const std::span<const CardPinRow> rows = card.Pins;
  const std::int32_t standard = user ? user->IoStandard : kIoLvcmos33;
  if (rows.empty() || !card.OnGpioHeader())
    return {};
  std::string text = "# A Pinwright daughter card: one [[pin]] per signal or run of bus members.\n";
  if (!user) {
    text +=
        "# A built-in card: give it an id from 1000 to 9999 and a name of its own to load it "
        "as a card file.\n";
  }
  text += "format = \"pinwright-card\"\n";
  text += "version = 1\n";
  text += "id = " + std::to_string(cardId) + "\n";
  text += "name = " + TomlString(card.Name) + "\n";
  text += "voltage = \"3.3 V\"\n";
  text += "io_standard = " + TomlString(IoStandardName(standard)) + "\n";
  // The picture's own full path: the exported text may be kept anywhere, and a path
  // relative to the folder of the card file it came from would lead nowhere from there.
  if (user && !user->PictureFile.empty()) {
    std::error_code error;
    const fs::path picture = fs::absolute(PathFromUtf8(user->PictureFile), error);
    text += "picture = " +
            TomlString(error ? user->PictureFile : Utf8FromPath(picture.lexically_normal())) + "\n";
  }
  for (const CardPinRow& row : rows)
    AppendPinTable(text, row, standard);
  return text;
}

}  // namespace pinwright
