#include "readers/qsfcheck.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "boards/larkspur_board.h"
#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "cards/usercards.h"
#include "host/jsonwriter.h"
#include "host/text.h"
#include "project/checkedproject.h"

namespace pinwright {
namespace {

std::string WithoutBracketEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '[' || text[i + 1] == ']'))
      continue;
    out += text[i];
  }
  return out;
}

bool Contains(std::string_view folded, std::string_view word) {
  return folded.find(word) != std::string_view::npos;
}

bool IsDifferential(std::string_view standard) {
  const std::string folded = FoldCase(standard);
  for (const std::string_view word :
       {"differential", "lvds", "dphy", "rsds", "lvpecl", "hcsl", "pcml", "cml"}) {
    if (Contains(folded, word))
      return true;
  }
  return false;
}

// A differential standard whose negative leg is a port of its own: pseudo-differential
// standards and D-PHY. A true differential standard places its negative leg itself.
bool NeedsBothLegs(std::string_view standard) {
  const std::string folded = FoldCase(standard);
  return (Contains(folded, "differential") && !Contains(folded, "true differential")) ||
         Contains(folded, "dphy");
}

// The supply voltage a standard's name gives, in millivolts; nothing when it names none.
std::optional<int> VoltageOf(std::string_view standard) {
  const std::string folded = FoldCase(standard);
  struct Named {
    std::string_view Word;
    int Millivolts;
  };
  for (const Named& named : {Named{"sstl-15", 1500}, Named{"sstl-18", 1800}, Named{"sstl-12", 1200},
                             Named{"sstl-2", 2500}}) {
    if (Contains(folded, named.Word))
      return named.Millivolts;
  }
  for (std::size_t i = 0; i < folded.size(); ++i) {
    if (folded[i] < '0' || folded[i] > '9' ||
        (i > 0 && folded[i - 1] >= '0' && folded[i - 1] <= '9'))
      continue;
    int millivolts = (folded[i] - '0') * 1000;
    std::size_t k = i + 1;
    if (k + 1 < folded.size() && folded[k] == '.' && folded[k + 1] >= '0' && folded[k + 1] <= '9') {
      millivolts += (folded[k + 1] - '0') * 100;
      k += 2;
    }
    if (k < folded.size() && (folded[k] == '-' || folded[k] == ' '))
      ++k;
    if (k < folded.size() && folded[k] == 'v')
      return millivolts;
  }
  return std::nullopt;
}

std::string VoltageText(int millivolts) {
  return std::to_string(millivolts / 1000) + "." + std::to_string(millivolts / 100 % 10) + " V";
}

// The name with its "_p" and "_n" swapped (before any bus index); empty when it has none.
std::string SwappedLeg(std::string_view name) {
  const std::size_t open = std::min(name.find('['), name.size());
  const std::string_view base = name.substr(0, open);
  if (base.size() < 2 || base[base.size() - 2] != '_')
    return {};
  const char leg = base.back();
  const char other = leg == 'p' ? 'n' : leg == 'n' ? 'p' : leg == 'P' ? 'N' : leg == 'N' ? 'P' : 0;
  if (!other)
    return {};
  std::string swapped(name);
  swapped[open - 1] = other;
  return swapped;
}

// The other leg of a board signal by the board's own naming: X and X_n, or X_p and X_n.
std::string BoardPartnerCandidate(const std::unordered_map<std::string, std::string>& signals,
                                  std::string_view name) {
  const std::string swapped = SwappedLeg(name);
  if (!swapped.empty() && signals.contains(swapped))
    return swapped;
  const std::size_t open = std::min(name.find('['), name.size());
  const std::string_view base = name.substr(0, open);
  std::string candidate;
  if (base.ends_with("_n"))
    candidate = std::string(base.substr(0, base.size() - 2)) + std::string(name.substr(open));
  else
    candidate = std::string(base) + "_n" + std::string(name.substr(open));
  return signals.contains(candidate) ? candidate : std::string();
}

std::unique_ptr<TBoardBalls> ReadBoardBalls() {
  auto balls = std::make_unique<TBoardBalls>();
  const BoardDefinition& definition = LarkspurBoard();
  balls->BoardName = definition.Name;
  balls->Family = definition.Family;
  balls->Device = definition.Device;
  // Every on-board ball with its signal, from the board's own tables: a ball that two
  // components share keeps the first one's signal, which both give the same name.
  for (const BoardComponent& component : definition.Components) {
    for (const BoardPin& pin : component.Pins) {
      if (pin.Ball.empty() || pin.Direction == PinDirection::Unused)
        continue;
      BoardBall ball;
      ball.IoStandard = pin.IoStandard;
      ball.Signal = pin.Name;
      balls->SignalBalls.emplace(pin.Name, pin.Ball);
      balls->Balls.emplace(pin.Ball, std::move(ball));
    }
  }
  // The header balls, and the names the plain GPIO pair gives them, from that pair's model.
  TLarkspurSettings pair = DefaultLarkspurSettings();
  for (const LarkspurComponent& component : kLarkspurComponents)
    pair.*component.Flag = 0;
  pair.Gpio0.Set(kCardGpioDefault);
  pair.Gpio1.Set(kCardGpioDefault);
  const std::unique_ptr<TMainBoard> board = BuildLarkspurModel(pair);
  for (std::size_t g = 0; g < board->GroupCount(); ++g) {
    const TConnector& group = board->GroupAt(g);
    int header = -1;
    for (std::size_t h = 0; h < definition.Headers.size() && group.IsHeader(); ++h) {
      if (group.HeaderKey() == definition.Headers[h].HeaderKey)
        header = static_cast<int>(h);
    }
    if (header < 0)
      continue;
    for (std::size_t i = 0; i < group.PinEntryCount() && i < 40; ++i) {
      const TPin* pin = group.PinAt(i);
      if (!pin || !pin->IsActive() || pin->Location().empty())
        continue;
      BoardBall ball;
      ball.IoStandard = pin->IoStandard();
      ball.Header = header;
      ball.Position = static_cast<int>(i) + 1;
      balls->PairNames[static_cast<std::size_t>(header)][i] = pin->Name();
      balls->Balls.emplace(pin->Location(), std::move(ball));
    }
  }
  for (const auto& [signal, ball] : balls->SignalBalls) {
    if (!IsDifferential(IoStandardName(balls->Balls.at(ball).IoStandard)))
      continue;
    if (std::string partner = BoardPartnerCandidate(balls->SignalBalls, signal); !partner.empty())
      balls->Partners.emplace(signal, std::move(partner));
  }
  // Every card's signals, position by position.
  for (const std::int32_t card : GpioHeaderChoices()) {
    if (card == kCardNone)
      continue;
    const std::unique_ptr<TMainBoard> fitted = BuildLarkspurModel(CardAloneSettings(card));
    for (std::size_t g = 0; g < fitted->GroupCount(); ++g) {
      const TConnector& group = fitted->GroupAt(g);
      if (!group.IsHeader())
        continue;
      for (std::size_t i = 0; i < group.PinEntryCount() && i < 40; ++i) {
        const TPin* pin = group.PinAt(i);
        if (!pin || !pin->IsActive())
          continue;
        // The standard as the card's own rows give it through the model, as the writers
        // take it.
        std::vector<TBoardBalls::CardSignal>& signals = balls->CardSignalsAt[i];
        const bool known =
            std::any_of(signals.begin(), signals.end(), [&](const TBoardBalls::CardSignal& s) {
              return s.Name == pin->Name() && s.IoStandard == pin->IoStandard();
            });
        if (!known)
          signals.push_back({pin->Name(), pin->IoStandard(), card});
        balls->CardSignals.insert(pin->Name());
      }
    }
  }
  return balls;
}

std::string HeaderPlace(const BoardBall& ball) {
  return "position " + std::to_string(ball.Position) + " of the GPIO-" +
         std::to_string(ball.Header) + " header";
}

// What the board has on a ball, in the designer's words.
std::string WhatIsThere(const BoardBall& ball) {
  return ball.Header < 0 ? ball.Signal : HeaderPlace(ball);
}

// One port as the assignments leave it: the last location and I/O standard applied.
struct PortState {
  const QsfAssignment* Location = nullptr;
  const QsfAssignment* Standard = nullptr;
};

bool GlobMatches(std::string_view pattern, std::string_view text, bool foldCase) {
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  auto same = [&](char a, char b) { return foldCase ? FoldCase(a) == FoldCase(b) : a == b; };
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], text[t]))) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

class Checker {
 public:
  Checker(const std::vector<QsfAssignment>& assignments, const DeclaredPorts* topLevel,
          HdlLanguage language, std::string_view qsfFile)
      : Assignments(assignments),
        Top(topLevel),
        FoldNames(language == HdlLanguage::Vhdl),
        QsfFile(qsfFile) {}

  std::vector<QsfFinding> Run() {
    CollectPorts();
    CheckDevice();
    CheckLocations();
    CheckStandards();
    if (Top)
      CheckTopLevel();
    std::stable_sort(Findings.begin(), Findings.end(),
                     [](const QsfFinding& a, const QsfFinding& b) {
                       if (a.InTopLevel != b.InTopLevel)
                         return !a.InTopLevel;
                       return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
                     });
    return std::move(Findings);
  }

 private:
  const std::vector<QsfAssignment>& Assignments;
  const DeclaredPorts* Top;
  bool FoldNames;
  std::string QsfFile;
  const TBoardBalls& Board = LarkspurBalls();
  std::vector<std::string> Order;  // ports in the order of their first assignment
  std::unordered_map<std::string, PortState> Ports;
  std::vector<QsfFinding> Findings;

  void Add(const QsfAssignment& at, DiagnosticSeverity severity, const char* rule,
           std::string message, std::string port, std::string location) {
    Findings.push_back({{QsfFile, at.Line, at.Column, severity, rule, std::move(message)},
                        false,
                        std::move(port),
                        std::move(location)});
  }

  static bool IsIoStandard(const QsfAssignment& a) {
    return a.What == QsfAssignment::Kind::Instance && EqualsIgnoringCase(a.Name, "IO_STANDARD");
  }

  static bool Applies(const QsfAssignment& a) { return !a.Disabled && !a.InSection; }

  void CollectPorts() {
    for (const QsfAssignment& a : Assignments) {
      if (!Applies(a) || a.To.empty())
        continue;
      const bool location = a.What == QsfAssignment::Kind::Location;
      if (!location && !IsIoStandard(a))
        continue;
      auto [state, isNew] = Ports.try_emplace(a.To);
      if (isNew)
        Order.push_back(a.To);
      (location ? state->second.Location : state->second.Standard) = &a;
    }
  }

  void CheckDevice() {
    for (const QsfAssignment& a : Assignments) {
      if (!Applies(a) || a.What != QsfAssignment::Kind::Global)
        continue;
      const bool device = EqualsIgnoringCase(a.Name, "DEVICE");
      if (!device && !EqualsIgnoringCase(a.Name, "FAMILY"))
        continue;
      const std::string& expected = device ? Board.Device : Board.Family;
      if (!EqualsIgnoringCase(a.Value, expected)) {
        Add(a, DiagnosticSeverity::Error, "device",
            std::string(device ? "DEVICE" : "FAMILY") + " is \"" + a.Value + "\", but the " +
                Board.BoardName + " board carries " + (device ? "the " : "an ") + expected +
                (device ? "" : " device") + ".",
            {}, {});
      }
    }
  }

  const BoardBall* BallAt(const QsfAssignment& location) const {
    const auto found = Board.Balls.find(BallOf(location.Value));
    return found == Board.Balls.end() ? nullptr : &found->second;
  }

  bool Fits(const std::string& port, const BoardBall& ball) const {
    if (ball.Header < 0)
      return port == ball.Signal;
    const std::size_t h = static_cast<std::size_t>(ball.Header);
    return port == Board.PairNames[h][static_cast<std::size_t>(ball.Position - 1)] ||
           Board.CardSignalFits(port, ball.Position);
  }

  void CheckLocations() {
    std::unordered_map<std::string, const std::string*> owners;  // ball -> port
    std::vector<const std::string*> located;
    for (const std::string& port : Order) {
      if (Ports.at(port).Location)
        located.push_back(&port);
    }
    std::stable_sort(located.begin(), located.end(),
                     [&](const std::string* a, const std::string* b) {
                       return Ports.at(*a).Location->Line < Ports.at(*b).Location->Line;
                     });
    for (const std::string* port : located) {
      const QsfAssignment& at = *Ports.at(*port).Location;
      const std::string ball = BallOf(at.Value);
      const auto [owner, isNew] = owners.emplace(ball.empty() ? at.Value : ball, port);
      if (!isNew) {
        Add(at, DiagnosticSeverity::Error, "location-twice",
            *port + " is placed on " + at.Value + ", which " + *owner->second +
                " already has (line " + std::to_string(Ports.at(*owner->second).Location->Line) +
                ").",
            *port, at.Value);
      }
      const BoardBall* there = BallAt(at);
      if (!there) {
        Add(at, DiagnosticSeverity::Warning, "unknown-location",
            *port + " is placed on " + at.Value + ", which is no ball of the " + Board.BoardName +
                " board that Pinwright knows; the board may "
                "wire it to something outside its tables.",
            *port, at.Value);
        continue;
      }
      if (Board.Knows(*port) && !Fits(*port, *there)) {
        std::string message =
            *port + " is placed on " + at.Value + ", where the board has " + WhatIsThere(*there);
        if (const auto home = Board.SignalBalls.find(*port); home != Board.SignalBalls.end())
          message += "; " + *port + " belongs on PIN_" + home->second;
        Add(at, DiagnosticSeverity::Error, "swapped", message + ".", *port, at.Value);
      }
    }
  }

  void CheckStandards() {
    for (const std::string& port : Order) {
      const PortState& state = Ports.at(port);
      if (!state.Standard)
        continue;
      const QsfAssignment& at = *state.Standard;
      const std::string& standard = at.Value;
      if (state.Location) {
        if (const BoardBall* there = BallAt(*state.Location))
          CheckStandard(port, at, *state.Location, *there);
      }
      if (IsDifferential(standard))
        CheckPartner(port, at);
    }
    // A pattern ("-to *", "-to LED*") gives its standard to every placed port it matches
    // that has none of its own.
    for (const std::string& pattern : Order) {
      const PortState& state = Ports.at(pattern);
      if (!state.Standard || pattern.find_first_of("*?") == std::string::npos)
        continue;
      for (const std::string& port : Order) {
        const PortState& reached = Ports.at(port);
        if (reached.Standard || !reached.Location ||
            port.find_first_of("*?") != std::string::npos || !GlobMatches(pattern, port, FoldNames))
          continue;
        if (const BoardBall* there = BallAt(*reached.Location))
          CheckStandard(port, *state.Standard, *reached.Location, *there);
      }
    }
  }

  void CheckStandard(const std::string& port, const QsfAssignment& at,
                     const QsfAssignment& location, const BoardBall& there) {
    // A card's signal on its own header position takes the standard its card gives it. The
    // file does not say which card is fitted, so the standard of any card whose signal the
    // port is there will do; a mismatch is measured against the first of them. Another port
    // there (the user's own, or one the swapped rule reports) may have the header's standard
    // or that of any card's signal at the position.
    std::string_view wired = IoStandardName(there.IoStandard);
    std::string user = "the board";
    if (there.Header >= 0) {
      std::vector<const TBoardBalls::CardSignal*> signals =
          Board.CardSignalsFitting(port, there.Position);
      const bool fits = !signals.empty();
      if (!fits) {
        for (const TBoardBalls::CardSignal& signal :
             Board.CardSignalsAt[static_cast<std::size_t>(there.Position - 1)])
          signals.push_back(&signal);
      }
      for (const TBoardBalls::CardSignal* signal : signals) {
        if (EqualsIgnoringCase(at.Value, IoStandardName(signal->IoStandard)))
          return;
      }
      if (fits) {
        wired = IoStandardName(signals.front()->IoStandard);
        user = "the card " + std::string(CardById(signals.front()->Card).Name);
      }
    }
    if (EqualsIgnoringCase(at.Value, wired))
      return;
    const std::optional<int> given = VoltageOf(at.Value);
    const std::optional<int> expected = VoltageOf(wired);
    const std::string place = location.Value + " (" + WhatIsThere(there) + ")";
    if (given && expected && *given != *expected) {
      Add(at, DiagnosticSeverity::Error, "io-standard",
          port + " has the I/O standard \"" + at.Value + "\" (" + VoltageText(*given) + "), but " +
              user + " wires " + place + " at " + VoltageText(*expected) + " for \"" +
              std::string(wired) + "\".",
          port, location.Value);
    } else {
      Add(at, DiagnosticSeverity::Warning, "io-standard",
          port + " has the I/O standard \"" + at.Value + "\", where " + user + " uses \"" +
              std::string(wired) + "\" on " + place + ".",
          port, location.Value);
    }
  }

  void CheckPartner(const std::string& port, const QsfAssignment& at) {
    std::string partner;
    std::string expectedBall;
    if (const auto home = Board.SignalBalls.find(port); home != Board.SignalBalls.end()) {
      const auto pair = Board.Partners.find(port);
      if (pair == Board.Partners.end())
        return;  // the board's signal has no second leg: a true differential input
      partner = pair->second;
      expectedBall = Board.SignalBalls.at(partner);
    } else {
      if (!NeedsBothLegs(at.Value))
        return;
      partner = SwappedLeg(port);
      if (partner.empty())
        return;
    }
    const auto other = Ports.find(partner);
    const QsfAssignment* otherLocation = other == Ports.end() ? nullptr : other->second.Location;
    const std::string location = Ports.at(port).Location ? Ports.at(port).Location->Value : "";
    const std::string start =
        port + " has the differential I/O standard \"" + at.Value + "\", but its partner ";
    if (!otherLocation) {
      Add(at, DiagnosticSeverity::Error, "diff-partner", start + partner + " has no location.",
          port, location);
    } else if (!expectedBall.empty() && BallOf(otherLocation->Value) != expectedBall) {
      Add(at, DiagnosticSeverity::Error, "diff-partner",
          start + partner + " is on " + otherLocation->Value + ", not on PIN_" + expectedBall +
              " where the board wires it.",
          port, location);
    }
  }

  std::string Key(std::string_view name) const {
    return FoldNames ? FoldCase(name) : std::string(name);
  }

  void CheckTopLevel() {
    // The bits the top level declares, and each bus and port by its whole name.
    std::unordered_set<std::string> declared;
    struct Bit {
      std::string Name;
      const DeclaredPort* Port;
    };
    std::vector<Bit> bits;
    for (const DeclaredPort& port : Top->Ports) {
      declared.insert(Key(port.Name));
      if (!port.Bus || !port.RangeKnown) {
        bits.push_back({port.Name, &port});
        continue;
      }
      const std::int64_t low = std::min(port.First, port.Last);
      const std::int64_t high = std::max(port.First, port.Last);
      for (std::int64_t i = low; i <= high && i - low < 4096; ++i) {
        bits.push_back({port.Name + "[" + std::to_string(i) + "]", &port});
        declared.insert(Key(bits.back().Name));
      }
    }
    auto declares = [&](const std::string& target) {
      if (declared.contains(Key(target)))
        return true;
      if (const std::size_t open = target.find('['); open != std::string::npos) {
        for (const DeclaredPort& port : Top->Ports) {
          if (port.Bus && !port.RangeKnown && Key(port.Name) == Key(target.substr(0, open)))
            return true;
        }
      }
      if (target.find_first_of("*?") == std::string::npos)
        return false;
      for (const Bit& bit : bits) {
        if (GlobMatches(target, bit.Name, FoldNames))
          return true;
      }
      return false;
    };
    // Which ports the assignments reach, by their own name, their bus or a pattern.
    std::unordered_map<std::string, PortState> reached;
    for (const std::string& target : Order) {
      const PortState& state = Ports.at(target);
      if (!declares(target)) {
        const QsfAssignment& at = state.Location ? *state.Location : *state.Standard;
        Add(at, DiagnosticSeverity::Warning, "stale-assignment",
            "The assignment to " + target + " names no port of " + Top->Unit +
                "; was the port renamed or removed?",
            target, state.Location ? state.Location->Value : "");
      }
    }
    for (const Bit& bit : bits) {
      bool location = false;
      bool standard = false;
      for (const std::string* name : {&bit.Name, &bit.Port->Name}) {
        const auto found = FoldNames ? FindFolded(*name) : Ports.find(*name);
        if (found != Ports.end()) {
          location = location || found->second.Location;
          standard = standard || found->second.Standard;
        }
      }
      if (!location || !standard) {
        for (const std::string& target : Order) {
          if (target.find_first_of("*?") != std::string::npos &&
              GlobMatches(target, bit.Name, FoldNames)) {
            location = location || Ports.at(target).Location;
            standard = standard || Ports.at(target).Standard;
          }
        }
      }
      if (location && standard)
        continue;
      const char* missing = !location && !standard ? "no location and no I/O standard"
                            : !location            ? "no location"
                                                   : "no I/O standard";
      Findings.push_back({{Top->File, bit.Port->Line, bit.Port->Column, DiagnosticSeverity::Error,
                           "unassigned-port",
                           "The port " + bit.Name + " of " + Top->Unit + " has " + missing + "."},
                          true,
                          bit.Name,
                          {}});
    }
  }

  std::unordered_map<std::string, PortState>::const_iterator FindFolded(
      const std::string& name) const {
    for (auto it = Ports.begin(); it != Ports.end(); ++it) {
      if (EqualsIgnoringCase(it->first, name))
        return it;
    }
    return Ports.end();
  }
};

}  // namespace

std::string UnreadableQsfReason(std::string_view text,
                                const std::vector<QsfAssignment>& assignments) {
  if (text.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos)
    return "the file is empty";
  if (text.find('\0') != std::string_view::npos) {
    const bool utf16 = text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
    return std::string(utf16 ? "the file is UTF-16 text" : "the file holds NUL bytes") +
           ", not the UTF-8 text a settings file is";
  }
  // A carriage return before more text, and no line feed anywhere: every line runs into one.
  const std::size_t cr = text.find('\r');
  if (text.find('\n') == std::string_view::npos && cr != std::string_view::npos &&
      text.find_first_not_of(" \t\r\v\f", cr) != std::string_view::npos) {
    return "its lines end in a carriage return alone, so the whole file reads as one line";
  }
  if (assignments.empty())
    return "the file holds no set_global_assignment, set_instance_assignment or "
           "set_location_assignment command";
  return {};
}

std::string BallOf(std::string_view location) {
  if (location.size() > 4 && EqualsIgnoringCase(location.substr(0, 4), "PIN_")) {
    std::string ball(location.substr(4));
    for (char& c : ball)
      c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return ball;
  }
  return {};
}

bool TBoardBalls::CardSignalFits(std::string_view port, int position) const {
  return !CardSignalsFitting(port, position).empty();
}

std::vector<const TBoardBalls::CardSignal*> TBoardBalls::CardSignalsFitting(std::string_view port,
                                                                            int position) const {
  std::vector<const CardSignal*> fitting;
  if (position < 1 || position > 40)
    return fitting;
  for (const CardSignal& signal : CardSignalsAt[static_cast<std::size_t>(position - 1)]) {
    if (port.ends_with(signal.Name))
      fitting.push_back(&signal);
  }
  return fitting;
}

bool TBoardBalls::Knows(std::string_view port) const {
  if (SignalBalls.contains(std::string(port)))
    return true;
  for (std::size_t i = 0; i < port.size(); ++i) {
    if (CardSignals.contains(std::string(port.substr(i))))
      return true;
  }
  for (const auto& names : PairNames) {
    for (const std::string& name : names) {
      if (name == port)
        return true;
    }
  }
  return false;
}

TLarkspurSettings CardAloneSettings(std::int32_t card) {
  TLarkspurSettings alone{};
  StampLarkspurRecord(alone);
  alone.Gpio0.Set(card);
  return alone;
}

const TBoardBalls& LarkspurBalls() {
  // Read again whenever another set of user cards has been installed (a card file added in
  // the form, say), so that their signals and standards are known from then on.
  static UntilCardsChange<TBoardBalls> balls(ReadBoardBalls);
  return balls.Get();
}

std::vector<QsfAssignment> QsfAssignments(const TclScript& script) {
  std::vector<QsfAssignment> assignments;
  for (const TclCommand& command : script.Commands) {
    const std::string& verb = command.Words[0].Text;
    QsfAssignment a;
    if (verb == "set_global_assignment")
      a.What = QsfAssignment::Kind::Global;
    else if (verb == "set_instance_assignment")
      a.What = QsfAssignment::Kind::Instance;
    else if (verb == "set_location_assignment")
      a.What = QsfAssignment::Kind::Location;
    else
      continue;
    a.Line = command.Words[0].Line;
    a.Column = command.Words[0].Column;
    bool hasValue = false;
    for (std::size_t i = 1; i < command.Words.size(); ++i) {
      const std::string& word = command.Words[i].Text;
      const bool last = i + 1 == command.Words.size();
      if (word == "-disable" || word == "-remove") {
        a.Disabled = true;
      } else if (!last && (word == "-name" || word == "-to" || word == "-from" ||
                           word == "-entity" || word == "-section_id" || word == "-comment" ||
                           word == "-tag" || word == "-library")) {
        const std::string& value = command.Words[++i].Text;
        if (word == "-name")
          a.Name = value;
        else if (word == "-to")
          a.To = WithoutBracketEscapes(value);
        else if (word == "-section_id")
          a.InSection = true;
      } else if (!hasValue) {
        a.Value = word;
        hasValue = true;
      }
    }
    assignments.push_back(std::move(a));
  }
  return assignments;
}

Diagnostic NotASettingsFile(const TclScript& script) {
  Diagnostic fault = *script.Error;
  fault.Message = "not a settings file Quartus can read: " + fault.Message;
  return fault;
}

std::vector<QsfFinding> CheckQsf(const std::vector<QsfAssignment>& assignments,
                                 const DeclaredPorts* topLevel, HdlLanguage topLanguage,
                                 std::string_view qsfFile) {
  return Checker(assignments, topLevel, topLanguage, qsfFile).Run();
}

std::string QsfFindingsJson(const std::vector<QsfFinding>& findings) {
  TJsonWriter json;
  json.BeginArray();
  for (const QsfFinding& finding : findings) {
    json.BeginObject(true);
    WriteDiagnosticMembers(json, finding);
    json.Key("port");
    json.String(finding.Port);
    json.Key("location");
    json.String(finding.Location);
    json.EndObject();
  }
  json.EndArray();
  return json.Text();
}

}  // namespace pinwright
