// The assignments of a Quartus settings file and the checks of its pins against what the
// Larkspur board and its daughter cards wire to each ball: faults found before the vendor
// tool sees the project.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/diagnostic.h"
#include "readers/hdlports.h"
#include "readers/tclwords.h"
#include "settings/configlarkspur.h"

namespace pinwright {

struct QsfAssignment {
  enum class Kind { Global, Instance, Location };
  Kind What = Kind::Global;
  std::string Name;        // the -name value; empty for a location assignment
  std::string Value;       // the value; the location for a location assignment
  std::string To;          // the -to target, a backslash before a bracket dropped; empty when none
  bool Disabled = false;   // -disable or -remove: Quartus does not apply it
  bool InSection = false;  // -section_id: it belongs to a section, not to the top level's pins
  std::uint32_t Line = 0;  // of the command
  std::uint32_t Column = 0;
};

// The set_global_assignment, set_instance_assignment and set_location_assignment commands of
// the script, in order; other commands are left out.
std::vector<QsfAssignment> QsfAssignments(const TclScript& script);

// Why the text of a settings file gives no assignments to check or import: it is empty, not
// text in the encoding Quartus writes (NUL bytes: UTF-16 or binary), its lines end in a
// carriage return alone (so the whole file reads as one command), or it holds no assignment
// at all. Empty when it is a settings file whose assignments can be read.
std::string UnreadableQsfReason(std::string_view text,
                                const std::vector<QsfAssignment>& assignments);

// The error of a script that is no complete Tcl script, as a settings file's reader reports
// it: "not a settings file Quartus can read: " and the fault, at the fault. Only when
// script.Error is set.
Diagnostic NotASettingsFile(const TclScript& script);

// The ball of a location assignment's value: "V16" for "PIN_V16" (any letter case, given in
// capitals); empty for any other text.
std::string BallOf(std::string_view location);

// What the board wires to each ball Pinwright knows, read from the board's and the cards'
// tables once.
struct BoardBall {
  std::string Signal;  // the on-board signal; empty on a GPIO header
  std::int32_t IoStandard = 0;
  int Header = -1;   // 0 for GPIO-0, 1 for GPIO-1, -1 for an on-board ball
  int Position = 0;  // 1..40 on a header
};

struct TBoardBalls {
  std::string BoardName;  // as the board's messages name it
  std::string Family;
  std::string Device;
  std::unordered_map<std::string, BoardBall> Balls;          // ball ("V16") -> what is there
  std::unordered_map<std::string, std::string> SignalBalls;  // on-board signal -> ball
  std::unordered_map<std::string, std::string> Partners;     // differential leg -> other leg
  // Per header and position: the name the plain GPIO pair gives (GPIO_0[..], GPIO_1[..]).
  std::array<std::array<std::string, 40>, 2> PairNames;
  // A card's signal at a header position, without prefix, with the I/O standard the card
  // gives it.
  struct CardSignal {
    std::string Name;
    std::int32_t IoStandard = 0;
    std::int32_t Card = 0;
  };
  // Per position: every card's signal there, built-in and installed user cards alike.
  std::array<std::vector<CardSignal>, 40> CardSignalsAt;
  std::unordered_set<std::string> CardSignals;

  // True when the port is a card's signal at the header position (of either header),
  // behind any prefix.
  bool CardSignalFits(std::string_view port, int position) const;
  // The signals of the cards that the port, behind any prefix, is at the header position;
  // none when it is no card's signal there.
  std::vector<const CardSignal*> CardSignalsFitting(std::string_view port, int position) const;
  // True when the port is an on-board signal or a card's signal behind any prefix.
  bool Knows(std::string_view port) const;
};

// The Larkspur board with the cards in force, built on first use and again after another set
// of user cards has been installed.
const TBoardBalls& LarkspurBalls();

// The stamped settings of a project with nothing but the card on GPIO-0: what the card
// tables of check and import are read from.
TLarkspurSettings CardAloneSettings(std::int32_t card);

// A fault the check found: a diagnostic with its rule, naming the .qsf (or the top level, for
// a port of it without assignments), and the port and ball it concerns.
struct QsfFinding : Diagnostic {
  bool InTopLevel = false;  // the file, line and column are the top level's, not the .qsf's
  std::string Port;
  std::string Location;  // the ball as written, e.g. "PIN_V16"; empty when none
};

// The findings of the assignments, in line order (those of the top level last); qsfFile names
// the file they were read from. With the top level's ports, also its ports without
// assignments, naming the top level's File, and assignments to no port.
std::vector<QsfFinding> CheckQsf(const std::vector<QsfAssignment>& assignments,
                                 const DeclaredPorts* topLevel = nullptr,
                                 HdlLanguage topLanguage = HdlLanguage::Verilog,
                                 std::string_view qsfFile = {});

// The findings as one JSON array, one object a line: the diagnostic's members, then "port"
// and "location".
std::string QsfFindingsJson(const std::vector<QsfFinding>& findings);

}  // namespace pinwright
