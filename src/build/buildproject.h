// Turns a checked project into its files: the output table (each file's name rule, when it
// is written, its text maker), the texts made in one pass, compared with what an earlier
// generation left on disk and written in one loop.
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/failure.h"
#include "host/host.h"
#include "model/mainboard.h"
#include "project/checkedproject.h"
#include "project/generationoptions.h"

namespace pinwright {

// One file of a project, made in memory.
struct ProjectFile {
  std::string Suffix;  // what follows the project's name: ".qsf", "_tb.vhd", ".pins.json"
  std::string Text;
  std::string_view TimeLine = {};  // the line that carries the generation time; empty for none
  bool Report = false;             // written by the report's rule, without a message of its own
};

// One row of the output table: a file of the project. The table is the one list of the
// project's files: what is written, what an earlier generation left in place, what counts as
// unedited, and the options of the command line, the INI file and the form all follow it.
struct OutputRow {
  // What follows the project's name, for the chosen top-level language.
  std::string (*Suffix)(HdlLanguage language) = nullptr;
  // The option that names the file (the top level's names its language); nullptr for none.
  const OutputOption* Option = nullptr;
  // For an option of formats, the word that asks for this file ("json").
  std::string_view Format = {};
  // Whether the project asks for the file, and how to ask; nullptr for a file every project
  // has.
  bool (*Wanted)(const GenerationOptions& options) = nullptr;
  void (*Want)(GenerationOptions& options, bool on) = nullptr;
  // The file's text.
  std::string (*Make)(const CheckedProject& project, const LocalDateTime& now) = nullptr;
  std::string_view TimeLine = {};  // the line that carries the generation time; empty for none
  bool Report = false;             // written by the report's rule, without a message of its own
};

// The rows in writing order.
std::span<const OutputRow> OutputTable();
// The options of the rows, each once, in the order of the rows that carry them.
std::vector<const OutputOption*> OutputOptions();
// True when the options ask for any file of the option.
bool OutputOptionIsOn(const OutputOption& option, const GenerationOptions& options);
// Asks for every file of a switch or a list of formats, or for none.
void SwitchOutputOption(const OutputOption& option, bool on, GenerationOptions& options);
// Sets an option from its text on the command line or in the INI file: a language keyword,
// a list of formats ("json,csv"), nothing for a switch. A BadArgument failure names the value
// no row knows and the choices.
Status SetOutputOption(const OutputOption& option, std::string_view value,
                       GenerationOptions& options);
// An option as the INI file keeps it: the language's keyword, or "1" or "0" for whether any
// of its files is asked for. Reading takes the same text; a value it does not know leaves
// the option as it was.
std::string OutputOptionValue(const OutputOption& option, const GenerationOptions& options);
void ReadOutputOptionValue(const OutputOption& option, std::string_view value,
                           GenerationOptions& options);
// Every output of the table in the language.
GenerationOptions EveryOutput(HdlLanguage language);

// The text of the file with the suffix; nullptr when there is none.
const std::string* FileText(const std::vector<ProjectFile>& files, std::string_view suffix);

// Every file the checked project asks for, one per row of the output table, in writing
// order: .qpf, .qsf, the top level, .sdc, .htm, then the testbench and the pin list files
// when asked for.
std::vector<ProjectFile> MakeProjectFiles(const CheckedProject& project, const LocalDateTime& now);

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

// The files Pinwright would have written into the project at the .qpf path for the settings
// its .qsf gives back (ImportQsf), in the language that .qsf names, with every optional
// output; the time lines are those of no particular time. Nothing when there is no .qsf or
// its settings cannot be read back.
std::optional<std::vector<ProjectFile>> PreviousProjectFiles(const std::string& qpfPath);

// The writing of a report: create a missing folder, keep an edited old report as a numbered
// backup (its path goes into backup; a report equal to unedited, when given, is no edit),
// delete the old file, write all or nothing. A failure carries the path and no reason, the
// report having no failure message of its own; its SystemMessage names the file with the
// system's reason.
Status SaveReportFile(const std::string& path, const std::string& text,
                      std::string* backup = nullptr, const std::string* unedited = nullptr);

}  // namespace pinwright
