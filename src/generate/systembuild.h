// Turns a built board model into a Quartus project: the .qpf, .qsf, top-level .v, .sdc and
// the .htm pin report, sharing one base name and one folder.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generate/generationoptions.h"
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
std::string VerilogText(const TMainBoard& board, const std::string& projectName);
std::string SdcText(const TMainBoard& board);
std::string HtmlText(const TMainBoard& board);

struct ProjectTexts {
  std::string Qpf;
  std::string Qsf;
  std::string TopLevel;  // in the chosen language
  std::string Sdc;
  std::string Html;
  std::string Testbench;  // empty when none was asked for
  HdlLanguage Language = HdlLanguage::Verilog;
  // The pin list, written only when asked for.
  std::optional<std::string> PinsJson = std::nullopt;
  std::optional<std::string> PinsCsv = std::nullopt;
  // The picture of the headers, written only when asked for and a header carries a card.
  std::optional<std::string> Pinout = std::nullopt;
};

// All texts of a model whose pins are already in generation order. A bus index that is not a
// decimal integer fails with BadPinName and the error's words as SystemMessage.
Result<ProjectTexts> MakeOrderedProjectTexts(const TMainBoard& board,
                                             const std::string& projectName,
                                             const LocalDateTime& now,
                                             const GenerationOptions& options = {});

// Checks the pin names, orders the pins and builds all five texts in memory. A pin name
// holding only one of the two brackets fails with BadPinName and no message; a bus index
// that is not a decimal integer with BadPinName and the error's words as SystemMessage.
Result<ProjectTexts> MakeProjectTexts(TMainBoard& board, const std::string& projectName,
                                      const LocalDateTime& now);

// How long a generation waits for another one writing into the same folder.
inline constexpr std::chrono::milliseconds kFolderWait{5000};

// Writes the texts next to qpfPath (.qpf, .qsf, the top level, .sdc, .htm, then NAME_tb
// when there is a testbench, then the pin list texts there are: .pins.json, .pins.csv), in
// this order, stopping at the first failure, which it returns. Files written before it stay.
// An edited old file is kept as a numbered backup, whose path goes into backups. The folder
// is locked against other generations meanwhile; after folderWait without the lock nothing
// is written.
Status WriteProjectTexts(const std::string& qpfPath, const ProjectTexts& texts,
                         std::vector<std::string>* backups = nullptr,
                         std::chrono::milliseconds folderWait = kFolderWait);

class TSystemBuild {
 public:
  // Checks the pin names, orders the pins and writes the five files next to qpfPath, in
  // order, stopping at the first failure; true when all five were written. A failure is
  // shown through the host (ReportFailure) before it returns false.
  bool BuildProject(TMainBoard& board, const std::string& qpfPath);

  // False when a pin name holds one of "[" and "]" but not the other.
  static bool CheckPinNames(const TMainBoard& board);

  // Each writes its text to the project path with its own extension, keeping an edited old
  // file as a numbered backup (its path goes into backups). A failure of the first four
  // carries "Failed to create file NAME" and the file's full path with the system's words
  // when there are any; the report's failure carries only the latter.
  static Status WriteQpf(const std::string& qpfPath, const std::string& text,
                         std::vector<std::string>* backups = nullptr);
  static Status WriteQsf(const std::string& qpfPath, const std::string& text,
                         std::vector<std::string>* backups = nullptr);
  static Status WriteVerilog(const std::string& qpfPath, const std::string& text,
                             std::vector<std::string>* backups = nullptr);
  // The design file with the extension; a testbench's extension begins with "_tb".
  static Status WriteDesignFile(const std::string& qpfPath, std::string_view extension,
                                const std::string& text,
                                std::vector<std::string>* backups = nullptr);
  static Status WriteSdc(const std::string& qpfPath, const std::string& text,
                         std::vector<std::string>* backups = nullptr);
  static Status WriteHtml(const std::string& qpfPath, const std::string& text,
                          std::vector<std::string>* backups = nullptr);

  // The backups the last BuildProject kept of edited files, full paths in writing order.
  std::vector<std::string> Backups;
  std::chrono::milliseconds FolderWait = kFolderWait;
};

}  // namespace pinwright
