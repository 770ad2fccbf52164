// The one road from a Larkspur settings record to a generated project, shared by the desktop
// program and the command-line tool: the input checks, the board model with its cards fitted,
// the project files, and the memory/HPS warning.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/mainboard.h"
#include "settings/configlarkspur.h"

namespace pinwright {

inline constexpr const char* kLarkspurBoardFolder = "LARKSPUR";

// Why a record or a project path was refused; None when it passed.
enum class Refusal {
  None,
  EmptyProjectName,  // "Project Name cannot be empty."
  PrefixClash,       // the prefix clash message
  BadProjectName,    // the project name field is not a Verilog identifier
  BadFileName,       // the .qpf base name is not a Verilog identifier
  BadPrefix,         // a header prefix is not empty or an identifier of at most 100 characters
  UnknownCard,       // a card ID that the GPIO choice list does not offer
  DuplicatePort,     // one port name in two groups
};

struct CheckResult {
  Refusal Kind = Refusal::None;
  std::string Message;  // one clear sentence for the user; empty when passed

  bool Passed() const { return Kind == Refusal::None; }
};

// True when both headers carry "GPIO Default" and both prefixes are empty.
bool IsDefaultGpioPair(const TLarkspurSettings& settings);

// The checks run before saving or generating, in this order: empty project name, prefix
// clash (skipped for the default GPIO pair), project name, prefixes, card IDs, port names
// across groups. Returns the first problem; shows nothing.
CheckResult CheckLarkspurSettings(const TLarkspurSettings& settings);
// The same checks. When they pass, model receives the board model that the port-name check
// built, the same one BuildLarkspurModel makes, so that generation need not build it again;
// after a refusal it is empty.
CheckResult CheckLarkspurSettings(const TLarkspurSettings& settings,
                                  std::unique_ptr<TMainBoard>& model);

// The base name of the chosen .qpf path must be a Verilog identifier too.
CheckResult CheckProjectPath(const std::string& qpfPath);

// The problems of the fields a user types into, each checked as generation checks it: the
// project name, and each header's prefix, which also answers for a prefix clash or a signal
// clash that a different prefix would mend. Empty text where the field passes.
struct TypedFieldProblems {
  std::string ProjectName;
  std::array<std::string, 2> Prefixes;  // GPIO-0, GPIO-1
};
TypedFieldProblems CheckTypedFields(const TLarkspurSettings& settings);

// What one component or one card adds to a project: its pins and its signal names, a bus
// once by its base name, in the order the generated files list them.
struct SignalSummary {
  std::size_t PinCount = 0;
  std::vector<std::string> Signals;
};
SignalSummary ComponentSignals(std::uint8_t TLarkspurSettings::*flag);
SignalSummary CardSignals(std::int32_t cardId);

// The board model of the record with its daughter cards fitted, pins not yet ordered.
std::unique_ptr<TMainBoard> BuildLarkspurModel(const TConfigLarkspur& config);

// "===== %s System warning =====..." when LPDDR4-A, LPDDR4-B or HPS is ticked; else empty.
std::string MemoryWarning(const TLarkspurSettings& settings);

enum class GenerateStatus { Generated, Refused, Failed };

struct GenerateOutcome {
  GenerateStatus Status = GenerateStatus::Failed;
  CheckResult Refusal;  // filled when Status is Refused
};

// Sets BoardId 43 and Size 416 in the record, runs the checks (record and path), builds the
// model and writes the five files next to qpfPath. A refusal writes nothing and shows
// nothing (the caller shows Refusal.Message); a write failure has already shown the writers'
// own messages through the host.
GenerateOutcome GenerateLarkspurProject(TConfigLarkspur& config, const std::string& qpfPath);

}  // namespace pinwright
