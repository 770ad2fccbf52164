// Brings an existing Quartus settings file back into Pinwright: the project name, the ticked
// parts, the card on each header and the prefixes, read from its assignments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/diagnostic.h"
#include "host/failure.h"
#include "project/generationoptions.h"
#include "readers/tclwords.h"
#include "settings/configlarkspur.h"

namespace pinwright {

// An assignment that matches no part and no card: a warning at its command, naming the port
// and the ball.
struct UnplacedAssignment : Diagnostic {
  std::string Port;
  std::string Location;  // as written, e.g. "PIN_V16"; empty for a port with a standard only
};

struct QsfImport {
  TLarkspurSettings Settings{};                 // passes the checks when there is no Refusal
  HdlLanguage TopLevel = HdlLanguage::Verilog;  // as the file names its design file
  std::vector<std::string> Choices;             // each choice the file left open, and how made
  std::vector<UnplacedAssignment> Unplaced;
  // Why the rest makes no consistent setting: an error, at the command that decides it where
  // one does; none when it makes one.
  std::optional<Diagnostic> Refusal;

  bool Ok() const { return !Refusal; }
};

// The settings the script gives back; file names it in the diagnostics.
QsfImport ImportQsf(const TclScript& script, std::string_view file = {});

// Reads, splits and imports the settings file at the path for a front end: a file that
// cannot be read, or is no Tcl script, fails (CannotRead; for a script the reason is the
// diagnostic line of where its text breaks, naming the file by its name); a refused import
// comes back with its Refusal.
Result<QsfImport> ImportQsfFile(const std::string& path);

// For a message: the choices the import made and the assignments it left out, one a line
// (CR LF), at most kNotedAssignments of the latter; empty when there are none.
inline constexpr std::size_t kNotedAssignments = 20;
std::string QsfImportNotes(const QsfImport& import);

// True for a path whose extension is .qsf, in any letter case.
bool IsQsfPath(const std::string& path);

// What an import found, as JSON: the settings, the choices, the unplaced assignments and the
// refusal.
std::string QsfImportJson(const QsfImport& import);

}  // namespace pinwright
