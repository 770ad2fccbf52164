// Turns a built board model into a Quartus project: the .qpf, .qsf, top-level .v, .sdc and
// the .htm pin report, sharing one base name and one folder.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "host/host.h"
#include "model/mainboard.h"

namespace pinwright {

// The chosen project path's file name without folder and extension: the module, the
// revision and the top-level entity are named after it.
std::string ProjectNameOf(const std::string& qpfPath);
// The project path with its extension replaced, e.g. ".qsf" (demo.txt gives demo.qsf).
std::string ProjectFilePath(const std::string& qpfPath, const std::string& extension);

// The text of each file, top to bottom as it is written. They read the pins in the order
// they stand, so the model's pins should already be ordered.
std::string QpfText(const std::string& projectName, const LocalDateTime& now);
std::string QsfText(const TMainBoard& board, const std::string& projectName,
                    const LocalDateTime& now);
std::string VerilogText(const TMainBoard& board, const std::string& projectName);
std::string SdcText(const TMainBoard& board);
std::string HtmlText(const TMainBoard& board);

struct ProjectTexts {
  std::string Qpf;
  std::string Qsf;
  std::string Verilog;
  std::string Sdc;
  std::string Html;
};

// Checks the pin names, orders the pins and builds all five texts in memory. Nothing when
// a pin name holds only one of the two brackets. Throws BusIndexError for a bus index that
// is not a decimal integer.
std::optional<ProjectTexts> MakeProjectTexts(TMainBoard& board, const std::string& projectName,
                                             const LocalDateTime& now);

// How long a generation waits for another one writing into the same folder.
inline constexpr std::chrono::milliseconds kFolderWait{5000};

class TSystemBuild {
 public:
  // Writes the five files next to qpfPath, in order, stopping at the first failure; true
  // when all five were written. The failing writer has shown its messages. The folder is
  // locked against other generations meanwhile.
  bool BuildProject(TMainBoard& board, const std::string& qpfPath);

  // False when a pin name holds one of "[" and "]" but not the other.
  static bool CheckPinNames(const TMainBoard& board);

  // Each writes its text to the project path with its own extension, keeping an edited
  // old file as a numbered backup (listed in Backups). The first four show the file with
  // the system's reason and "Failed to create file %s" on failure; the report shows only
  // the first.
  bool WriteQpf(const std::string& qpfPath, const std::string& text);
  bool WriteQsf(const std::string& qpfPath, const std::string& text);
  bool WriteVerilog(const std::string& qpfPath, const std::string& text);
  bool WriteSdc(const std::string& qpfPath, const std::string& text);
  bool WriteHtml(const std::string& qpfPath, const std::string& text);

  // The backups the last BuildProject kept of edited files, full paths in writing order.
  std::vector<std::string> Backups;
  std::chrono::milliseconds FolderWait = kFolderWait;
};

}  // namespace pinwright
