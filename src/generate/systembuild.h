// Turns a checked project into its files: the output table (each file's name rule, when it
// is written, its text maker), the texts made in one pass and written in one loop.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generate/generationoptions.h"
#include "generate/larkspurproject.h"
#include "host/failure.h"
#include "host/host.h"
#include "model/mainboard.h"

namespace pinwright {

// The chosen project path's file name without folder and extension: the module, the
// revision and the top-level entity are named after it.
std::string ProjectNameOf(const std::string& qpfPath);
// The project path with its extension replaced, e.g. ".qsf" (demo.txt gives demo.qsf).
std::string ProjectFilePath(const std::string& qpfPath, const std::string& extension);

// True for the pins the settings file assigns, and so the pin list lists: active pins whose
// direction a card has not left undecided.
bool WritesAssignment(const TPin& pin);
// True for the pins the timing constraints give a create_clock line.
bool HasClockConstraint(const TPin& pin);

// The text of each file, top to bottom as it is written. They read the pins in the order
// they stand, so the model's pins should already be ordered.
std::string QpfText(const std::string& projectName, const LocalDateTime& now);
// A SystemVerilog or VHDL top level is named in the settings file; a Verilog one is not.
std::string QsfText(const TMainBoard& board, const std::string& projectName,
                    const LocalDateTime& now, HdlLanguage topLevel = HdlLanguage::Verilog);
std::string SdcText(const TMainBoard& board);
std::string HtmlText(const TMainBoard& board);

// False when a pin name of the model holds one of "[" and "]" but not the other.
bool CheckPinNames(const TMainBoard& board);

// One file of a project, made in memory.
struct ProjectFile {
  std::string Suffix;  // what follows the project's name: ".qsf", "_tb.vhd", ".pins.json"
  std::string Text;
  std::string_view TimeLine;  // the line that carries the generation time; empty for none
  bool Report = false;        // written by the report's rule, without a message of its own
};

// Every file the checked project asks for, one per row of the output table, in writing
// order: .qpf, .qsf, the top level, .sdc, .htm, then the testbench and the pin list files
// when asked for. A bus index that is not a decimal integer fails with BadPinName and the
// error's words as SystemMessage.
Result<std::vector<ProjectFile>> MakeProjectFiles(const CheckedProject& project,
                                                  const LocalDateTime& now);
// The text of the file with the suffix; nullptr when there is none.
const std::string* FileText(const std::vector<ProjectFile>& files, std::string_view suffix);

// What a generation did.
struct GenerationReport {
  std::string Folder;                 // the project's folder, with its trailing separator
  std::vector<std::string> Files;     // every file written, full paths in writing order
  std::vector<std::string> Backups;   // numbered backups kept of edited files, full paths
  std::vector<std::string> Warnings;  // what the user must still do (the memory warning)
  // The project's files of other outputs from an earlier generation (another top-level
  // language, a testbench or pin list not asked for this time), left as they were.
  std::vector<std::string> LeftInPlace;
  std::string Text;  // the success message (GeneratedText)
};

// How long a generation waits for another one writing into the same folder.
inline constexpr std::chrono::milliseconds kFolderWait{5000};

// Makes every text of the checked project, then writes the files beside its .qpf path in
// the table's order, stopping at the first failure, which it returns; files written before
// it stay, and the backups kept until then go into keptBeforeFailure. An edited old file is
// kept as a numbered backup. A failure of a project file carries "Failed to create file
// NAME" and the file's full path with the system's words; the report's only the latter. The
// folder is locked against other generations meanwhile; after folderWait without the lock
// nothing is written. Shows nothing.
Result<GenerationReport> BuildProject(const CheckedProject& project,
                                      std::vector<std::string>* keptBeforeFailure = nullptr,
                                      std::chrono::milliseconds folderWait = kFolderWait);

}  // namespace pinwright
