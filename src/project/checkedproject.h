// The one road from a Larkspur settings record to a generated project, shared by the desktop
// program and the command-line tool: the checks, which alone make the checked values that
// generation accepts, the generation itself, and the texts both front ends show.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/failure.h"
#include "model/boarddefinition.h"
#include "model/mainboard.h"
#include "model/portmodel.h"
#include "project/generationoptions.h"
#include "settings/configlarkspur.h"

namespace pinwright {

inline constexpr const char* kLarkspurBoardFolder = "LARKSPUR";

// The longest header prefix the checks accept, in bytes.
inline constexpr std::size_t kPrefixLimit = 100;

// A settings record that passed every check, with the board model the checks built from it
// and the names they approved. Only CheckLarkspurSettings makes one, so holding one means the
// checks passed. Copies share the one model, which nothing changes any more.
class CheckedSettings {
 public:
  // The record as checked, carrying board ID 43 and record size 416.
  const TLarkspurSettings& Settings() const { return Record; }
  // The board the settings are for, and its choices as settings of any board.
  const BoardDefinition& Definition() const { return *Defined; }
  const BoardSettings& Choice() const { return Choices; }
  // The board model: one group per ticked component and per header with a card, the cards
  // fitted, and the pins of every group in generation order (the order every file lists).
  const TMainBoard& Board() const { return *Model; }
  // The project name field: a Verilog identifier and no reserved word.
  const std::string& ProjectName() const { return Name; }

 private:
  friend Result<CheckedSettings> CheckLarkspurSettings(const TLarkspurSettings& settings,
                                                       HdlLanguage language);
  CheckedSettings(const TLarkspurSettings& record, std::unique_ptr<TMainBoard> model);

  TLarkspurSettings Record;
  const BoardDefinition* Defined;
  BoardSettings Choices;
  std::shared_ptr<const TMainBoard> Model;
  std::string Name;
};

// A .qpf path whose base name passed the checks. Only CheckProjectPath makes one.
class CheckedProjectPath {
 public:
  // The path as given; its extension is replaced for every file of the project.
  const std::string& QpfPath() const { return Path; }
  // The base name: a Verilog identifier that names the module, the revision and the
  // top-level entity.
  const std::string& ProjectName() const { return Name; }

 private:
  friend Result<CheckedProjectPath> CheckProjectPath(const std::string& qpfPath,
                                                     HdlLanguage language);
  CheckedProjectPath(std::string path, std::string name);

  std::string Path;
  std::string Name;
};

// True when both headers carry "GPIO Default" and both prefixes are empty.
bool IsDefaultGpioPair(const TLarkspurSettings& settings);

// False when a pin name of the model holds one of "[" and "]" but not the other.
bool CheckPinNames(const TMainBoard& board);

// The checks run before saving or generating, in this order: text fields without a NUL,
// empty project name, prefix clash (skipped for the default GPIO pair), project name,
// prefixes, card IDs, port names across groups. The first problem is the failure (a refusal
// kind, no file); on success the checked settings with their board model. Shows nothing.
// The project name and the prefixes are checked in the language about to be generated first
// (its rule and advice), then as Verilog names; checked settings pass Verilog's checks.
Result<CheckedSettings> CheckLarkspurSettings(const TLarkspurSettings& settings,
                                              HdlLanguage language = HdlLanguage::Verilog);

// The names a top level in the language declares: the project name field, the prefixes,
// then every port.
// The first that the language refuses (BadProjectName, BadPortName), with advice; Verilog
// takes every name of checked settings.
Status CheckTopLevelNames(const CheckedSettings& settings, HdlLanguage language);

// The base name of the chosen .qpf path must be a Verilog identifier, and a name of the
// language too.
Result<CheckedProjectPath> CheckProjectPath(const std::string& qpfPath,
                                            HdlLanguage language = HdlLanguage::Verilog);

// The problems of the fields a user types into, each checked as generation in the given
// top-level language checks it, every field at once: the project name, and each header's
// prefix, which also answers for a prefix clash, a signal clash or a port name of the
// language that a different prefix would mend. Each reason is the one generation gives once
// the fields before it pass. Empty text where the field passes.
struct TypedFieldProblems {
  std::string ProjectName;
  std::vector<std::string> Prefixes;  // one per header of the board, in its order
};
TypedFieldProblems CheckTypedFields(const TLarkspurSettings& settings,
                                    HdlLanguage language = HdlLanguage::Verilog);

// The note for a pinout picture asked for while no header carries a card, so that none is
// written; empty when a header carries one or none was asked for.
std::string PinoutNote(const TLarkspurSettings& settings, bool pinout);

// What one component or one card adds to a project: its pins and its signal names, a bus
// once by its base name, in the order the generated files list them.
struct SignalSummary {
  std::size_t PinCount = 0;
  std::vector<std::string> Signals;
};
SignalSummary ComponentSignals(std::uint8_t TLarkspurSettings::*flag);
SignalSummary CardSignals(std::int32_t cardId);

// The board model of the record with its daughter cards fitted, pins not yet ordered. Takes
// the record as it stands, checked or not.
std::unique_ptr<TMainBoard> BuildLarkspurModel(const TLarkspurSettings& settings);
// The board model of any board's settings, made the same way.
std::unique_ptr<TMainBoard> BuildBoardModel(const BoardDefinition& board,
                                            const BoardSettings& settings);
// True when every header carries "GPIO Default" and no prefix.
bool IsDefaultGpioPair(const BoardSettings& settings);

// The default .qpf path of a project: NAME.qpf in the default project folder inside the base
// folder (which ends in a separator).
std::string DefaultProjectPath(const std::string& baseFolder, const std::string& projectName);

// The board's reminder of the ticked components ("===== LPDDR4 and HPS System warning =====
// ..."); empty when none reminds of anything.
std::string MemoryWarning(const TLarkspurSettings& settings);

class CheckedProject;

// The top level a project declares: its language, the module (entity) name and the ports,
// every name one the language accepts. The top-level and testbench writers take only this,
// so they never see a name the checks did not pass. Only CheckProject makes one; copies
// share the port model.
class CheckedTopLevel {
 public:
  HdlLanguage Language() const { return Lang; }
  // The .qpf base name, which names the module (entity).
  const std::string& Name() const { return ModuleName; }
  // The ports, one group per group of the board model, in generation order.
  const std::vector<PortGroup>& Ports() const { return *PortModel; }

 private:
  friend Result<CheckedProject> CheckProject(const CheckedSettings& settings,
                                             const std::string& qpfPath,
                                             const GenerationOptions& options);
  CheckedTopLevel(HdlLanguage language, std::string name,
                  std::shared_ptr<const std::vector<PortGroup>> ports);

  HdlLanguage Lang;
  std::string ModuleName;
  std::shared_ptr<const std::vector<PortGroup>> PortModel;
};

// A project ready to be written: checked settings, a checked .qpf path, the outputs asked for,
// and the checked top level with its port model built once. Only CheckProject makes one;
// copies share the port model.
class CheckedProject {
 public:
  const CheckedSettings& Settings() const { return Checked; }
  const TMainBoard& Board() const { return Checked.Board(); }
  const CheckedProjectPath& Path() const { return QpfPath; }
  // The .qpf base name, which names the module, the revision and the top-level entity.
  const std::string& Name() const { return QpfPath.ProjectName(); }
  const GenerationOptions& Outputs() const { return Options; }
  // The top level in the language of Outputs().TopLevel.
  const CheckedTopLevel& TopLevel() const { return Top; }
  // The ports of the top level, one group per group of the board model.
  const std::vector<PortGroup>& Ports() const { return Top.Ports(); }

 private:
  friend Result<CheckedProject> CheckProject(const CheckedSettings& settings,
                                             const std::string& qpfPath,
                                             const GenerationOptions& options);
  CheckedProject(CheckedSettings settings, CheckedProjectPath path, GenerationOptions options,
                 CheckedTopLevel topLevel);

  CheckedSettings Checked;
  CheckedProjectPath QpfPath;
  GenerationOptions Options;
  CheckedTopLevel Top;
};

// Checks a project before anything is written: the names the top level declares for the
// language (CheckTopLevelNames), then the .qpf path (CheckProjectPath), then builds the port
// model. The first problem is the failure. Shows nothing, unless the port model finds a
// problem the checks let through (TPinParsing::Build).
Result<CheckedProject> CheckProject(const CheckedSettings& settings, const std::string& qpfPath,
                                    const GenerationOptions& options = {});
// The same from a record: CheckLarkspurSettings first.
Result<CheckedProject> CheckProject(const TLarkspurSettings& settings, const std::string& qpfPath,
                                    const GenerationOptions& options = {});

// The texts the front ends show after a generation, CR LF line ends as in a message box.
// "Generate Quartus Project successfully.\r\nThe project is located in the folder:\r\n" and
// the folder of the .qpf with its trailing separator; then the backups kept of edited
// files, and the files of an earlier generation left in place, when there are any.
std::string GeneratedText(const std::string& qpfPath, const std::vector<std::string>& backups = {},
                          const std::vector<std::string>& leftInPlace = {});
// "Failed to generate Quartus project: NAME.qpf." with the file name of the chosen path;
// then the backups kept of edited files before the failure, when there are any.
std::string GenerateFailedText(const std::string& qpfPath,
                               const std::vector<std::string>& backups = {});

}  // namespace pinwright
