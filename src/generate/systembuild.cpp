#include "generate/systembuild.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "generate/filegenerator.h"
#include "generate/headerpicture.h"
#include "generate/htmlgenerator.h"
#include "generate/pinmanifest.h"
#include "generate/qsfimport.h"
#include "generate/testbench.h"
#include "generate/toplevel.h"
#include "host/filewrite.h"
#include "host/paths.h"

namespace pinwright {
namespace {

constexpr const char* kQuartusVersion = "\"24.3\"";
// The lines that carry the time of the generation; a file that differs only there is the
// same file.
constexpr std::string_view kQpfTimeLine = "DATE = ";
constexpr std::string_view kQsfTimeLine = "set_global_assignment -name PROJECT_CREATION_TIME_DATE ";

// "14:05:33 03 15,2025" in the .qsf, "14:05:33 03 15, 2025" in the .qpf.
std::string TimeStamp(const LocalDateTime& now, const char* beforeYear) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d %02d %02d,%s%04d", now.Hour, now.Minute,
                now.Second, now.Month, now.Day, beforeYear, now.Year);
  return text;
}

// Appends the pieces one after the other, without building a joined temporary first: the
// settings file has two lines per pin.
void Append(std::string& text, std::initializer_list<std::string_view> pieces) {
  for (std::string_view piece : pieces)
    text += piece;
}

// What the pin lines of a text hold besides fixed words, summed over the active pins: the
// texts reserve their size from it first, so that they are never copied to grow, and no
// more, so that a generation stays small in memory.
struct PinTextSizes {
  std::size_t Groups = 0;
  std::size_t Pins = 0;        // active pins
  std::size_t HeaderPins = 0;  // of them on a GPIO header
  std::size_t Names = 0;       // bytes of their names
  std::size_t Locations = 0;   // bytes of their locations
  std::size_t Standards = 0;   // bytes of their I/O standard names
};

PinTextSizes MeasurePinTexts(const TMainBoard& board) {
  PinTextSizes size;
  size.Groups = board.GroupCount();
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const bool header = board.GroupAt(g).ConnectorType() != kConnectorOnBoard;
    board.GroupAt(g).ForEachActivePin([&](std::size_t, const TPin& pin) {
      ++size.Pins;
      size.HeaderPins += header ? 1 : 0;
      size.Names += pin.Name().size();
      size.Locations += pin.Location().size();
      size.Standards += pin.IoStandardName().size();
    });
  }
  return size;
}

std::string ConnectorTypeName(std::int32_t type) {
  return type == kConnectorGpio ? "GPIO" : "";
}

// The writing rule of the .qpf, .qsf, .v and .sdc: the whole text, or a failure whose
// reason names the file and, when there is one, carries the full path with the system's
// words. An edited old file is kept as a numbered backup first.
Status WriteProjectFile(const std::string& path, const std::string& text,
                        std::string_view timeLinePrefix, std::string* backup,
                        const std::string* unedited) {
  WriteOptions options;
  options.KeepEdits = true;
  options.IgnoredLinePrefix = timeLinePrefix;
  options.Unedited = unedited;
  Status written = WriteFileAtomically(path, text, options, backup);
  if (!written) {
    Failure failure = written.Error();
    failure.Reason = "Failed to create file " + FileNameOf(path);
    return failure;
  }
  return written;
}

// The project's files of other outputs (another top-level language, a testbench, the pin
// list) that an earlier generation wrote and this one did not replace.
std::vector<std::string> FilesLeftInPlace(const std::string& base,
                                          const std::vector<std::string>& written) {
  std::vector<std::string> suffixes = {".pins.json", ".pins.csv"};
  for (const HdlLanguage language : kHdlLanguages) {
    const std::string extension(HdlFileExtension(language));
    suffixes.insert(suffixes.end() - 2, {extension, "_tb" + extension});
  }
  std::vector<std::string> left;
  for (const std::string& suffix : suffixes) {
    const std::string path = base + suffix;
    std::error_code error;
    if (std::find(written.begin(), written.end(), path) == written.end() &&
        std::filesystem::is_regular_file(PathFromUtf8(path), error)) {
      left.push_back(path);
    }
  }
  return left;
}

}  // namespace

bool WritesAssignment(const TPin& pin) {
  return pin.IsActive() && pin.Direction() != PinDirection::FromCard;
}

bool HasClockConstraint(const TPin& pin) {
  return pin.IsClock() == 1 && !pin.FrequencyText().empty();
}

std::string ProjectNameOf(const std::string& qpfPath) {
  const std::string fileName = FileNameOf(qpfPath);
  return fileName.substr(0, fileName.rfind('.'));
}

std::string ProjectFilePath(const std::string& qpfPath, const std::string& extension) {
  const std::string fileName = FileNameOf(qpfPath);
  const std::size_t dot = fileName.rfind('.');
  const std::size_t cut =
      dot == std::string::npos ? qpfPath.size() : qpfPath.size() - (fileName.size() - dot);
  return qpfPath.substr(0, cut) + extension;
}

std::string QpfText(const std::string& projectName, const LocalDateTime& now) {
  std::string text;
  text += "DATE = \"" + TimeStamp(now, " ") + "\"\r\n";
  text += "QUARTUS_VERSION = " + std::string(kQuartusVersion) + "\r\n";
  text += "\r\n";
  text += "# Revisions\r\n";
  text += "\r\n";
  text += "PROJECT_REVISION = \"" + projectName + "\"";
  text += "\r\n";
  return text;
}

std::string QsfText(const TMainBoard& board, const std::string& projectName,
                    const LocalDateTime& now, HdlLanguage topLevel) {
  const std::string rule = "#============================================================\r\n";
  const std::string global = "set_global_assignment -name";
  std::string text;
  // Per pin an I/O standard line (51 fixed bytes) and a location line (35); a heading of
  // three lines per group.
  const PinTextSizes size = MeasurePinTexts(board);
  text.reserve(2048 + board.QsfExtraAssignments().size() + size.Groups * 200 + size.Pins * 86 +
               size.Names * 2 + size.Locations + size.Standards);
  text += rule + "# Build by Velmora Pinwright\r\n" + rule + "\r\n";
  text += global + " FAMILY \"" + board.Family() + "\"\r\n";
  text += global + " DEVICE " + board.Device() + "\r\n";
  text += global + " TOP_LEVEL_ENTITY \"" + projectName + "\"\r\n";
  text += global + " ORIGINAL_QUARTUS_VERSION " + kQuartusVersion + "\r\n";
  text += global + " LAST_QUARTUS_VERSION " + kQuartusVersion + "\r\n";
  text += global + " PROJECT_CREATION_TIME_DATE \"" + TimeStamp(now, "") + "\"\r\n";
  text += global + " DEVICE_FILTER_PACKAGE " + board.Package() + "\r\n";
  text += global + " DEVICE_FILTER_PIN_COUNT " + std::to_string(board.PinCount()) + "\r\n";
  text += global + " DEVICE_FILTER_SPEED_GRADE " + board.SpeedGrade() + "\r\n";
  // The constraints file is written as NAME.sdc; the assignment names it exactly so, which
  // matters wherever file names are case-sensitive.
  text += global + " SDC_FILE " + projectName + ".sdc\r\n";
  // Quartus finds a Verilog top level by its name; the other languages are named, VHDL with
  // the revision of the language it is written in.
  if (topLevel == HdlLanguage::SystemVerilog)
    text += global + " SYSTEMVERILOG_FILE " + projectName + ".sv\r\n";
  if (topLevel == HdlLanguage::Vhdl) {
    text += global + " VHDL_INPUT_VERSION VHDL_2008\r\n";
    text += global + " VHDL_FILE " + projectName + ".vhd\r\n";
  }
  text += "set_global_assignment -name PROJECT_OUTPUT_DIRECTORY output_files\r\n";
  text += board.QsfExtraAssignments();

  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    if (group.ActiveCount() > 0) {
      text += "\r\n" + rule + "# " + group.Name();
      if (!group.Description().empty())
        text += ", " + group.Description();
      text += "\r\n" + rule;
    }
    group.ForEachActivePin([&](std::size_t, const TPin& pin) {
      if (WritesAssignment(pin)) {
        Append(text, {"set_instance_assignment -name IO_STANDARD \"", pin.IoStandardName(),
                      "\" -to ", pin.Name(), "\r\n"});
      }
    });
    group.ForEachActivePin([&](std::size_t, const TPin& pin) {
      if (WritesAssignment(pin) && !pin.Location().empty())
        Append(text, {"set_location_assignment PIN_", pin.Location(), " -to ", pin.Name(), "\r\n"});
    });
    // Only a card file asks for pull-ups, so no built-in card's group gets these lines.
    group.ForEachActivePin([&](std::size_t, const TPin& pin) {
      if (WritesAssignment(pin) && pin.PullUp()) {
        Append(text,
               {"set_instance_assignment -name WEAK_PULL_UP_RESISTOR ON -to ", pin.Name(), "\r\n"});
      }
    });
  }

  text += "\r\n" + rule + "# End of pin assignments by Velmora Pinwright\r\n" + rule + "\r\n";
  return text;
}

std::string SdcText(const TMainBoard& board) {
  const std::string star = "#**************************************************************\r\n";
  auto banner = [&](const char* title) { return star + title + star; };
  std::string text;
  text += star + "# This .sdc file is created by Velmora Tool.\r\n" +
          "# Users are recommended to modify this file to match users logic.\r\n" + star + "\r\n";

  text += banner("# Create Clock\r\n");
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (!pin || !HasClockConstraint(*pin))
        continue;
      text += "create_clock -period \"" + pin->FrequencyText() + "\" [get_ports " + pin->Name() +
              "]\r\n";
    }
  }
  text += "\r\n";

  text += banner("# Create Generated Clock\r\n") + "derive_pll_clocks\r\n" + "\r\n\r\n\r\n";
  text += banner("# Set Clock Latency\r\n") + "\r\n\r\n\r\n";
  text += banner("# Set Clock Uncertainty\r\n") + "derive_clock_uncertainty\r\n" + "\r\n\r\n\r\n";
  for (const char* title :
       {"# Set Input Delay\r\n", "# Set Output Delay\r\n", "# Set Clock Groups\r\n",
        "# Set False Path\r\n", "# Set Multicycle Path\r\n", "# Set Maximum Delay\r\n",
        "# Set Minimum Delay\r\n", "# Set Input Transition\r\n", "# Set Load\r\n"}) {
    text += banner(title) + "\r\n\r\n\r\n";
  }
  return text;
}

std::string HtmlText(const TMainBoard& board) {
  THtmlGenerator html;
  // Per pin a row (13 fixed bytes) of four cells (26 each, and the direction word), and on
  // a header a fifth with the position; per group a link, a heading, a caption and a row of
  // titles.
  const PinTextSizes size = MeasurePinTexts(board);
  html.Reserve(2048 + size.Groups * 480 + size.Pins * 123 + size.HeaderPins * 28 + size.Names +
               size.Locations + size.Standards);
  html.BeginHtml();
  html.AddHeading(board.BoardName() + " Configuration", 1, "center");
  html.AddBreaks(2);
  html.AddHeading("Pin Assignments:", 2, "left");

  html.BeginList();
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const std::string& name = board.GroupAt(g).Name();
    html.AddLink(name, html.ListItem(name));
    html.AddBreaks(1);
  }
  html.EndList();
  html.AddBreaks(3);

  html.AddHeading("Pin Assignment Table:", 2, "left");
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    const bool isHeader = group.ConnectorType() != kConnectorOnBoard;
    html.AddAnchorHeading(group.Name());
    // A header's caption names its card, whose name a card file gives.
    html.BeginTable(isHeader ? HtmlEscaped(group.Description()) : group.Name(), "left");
    html.AddBreaks(2);

    html.BeginRow();
    for (const char* title : {"Name", "Location", "Direction", "Standard"}) {
      html.AddCell(title, "left", true, "Khaki");
    }
    if (isHeader) {
      html.AddCell(ConnectorTypeName(group.ConnectorType()) + " Pin Index", "left", true, "Khaki");
    }
    html.EndRow();

    group.ForEachActivePin([&](std::size_t, const TPin& pin) {
      if (isHeader) {
        html.AddRow({pin.Name(), pin.Location(), pin.DirectionWord(), pin.IoStandardName(),
                     std::to_string(pin.PinNumber())});
      } else {
        html.AddRow({pin.Name(), pin.Location(), pin.DirectionWord(), pin.IoStandardName()});
      }
    });
    html.EndTable();
  }
  html.EndHtml();
  return std::move(html).TakeText();
}

namespace {

// One row of the output table: a file of the project.
struct OutputRow {
  // What follows the project's name, for the chosen top-level language.
  std::string (*Suffix)(HdlLanguage language);
  // Whether the project asks for the file; nullptr for a file every project has.
  bool (*Wanted)(const GenerationOptions& options);
  // The file's text.
  std::string (*Make)(const CheckedProject& project, const LocalDateTime& now);
  std::string_view TimeLine;
  bool Report = false;
};

std::string TopLevelSuffix(HdlLanguage language) {
  return std::string(HdlFileExtension(language));
}

std::string TestbenchSuffix(HdlLanguage language) {
  return "_tb" + TopLevelSuffix(language);
}

// The rows in writing order. Adding an output means a row here, its text maker and its
// option in GenerationOptions.
const OutputRow kOutputs[] = {
    {[](HdlLanguage) { return std::string(".qpf"); }, nullptr,
     [](const CheckedProject& p, const LocalDateTime& now) { return QpfText(p.Name(), now); },
     kQpfTimeLine},
    {[](HdlLanguage) { return std::string(".qsf"); }, nullptr,
     [](const CheckedProject& p, const LocalDateTime& now) {
       return QsfText(p.Board(), p.Name(), now, p.Outputs().TopLevel);
     },
     kQsfTimeLine},
    {TopLevelSuffix,
     nullptr,
     [](const CheckedProject& p, const LocalDateTime&) { return TopLevelText(p.TopLevel()); },
     {}},
    {[](HdlLanguage) { return std::string(".sdc"); },
     nullptr,
     [](const CheckedProject& p, const LocalDateTime&) { return SdcText(p.Board()); },
     {}},
    {[](HdlLanguage) { return std::string(".htm"); },
     nullptr,
     [](const CheckedProject& p, const LocalDateTime&) { return HtmlText(p.Board()); },
     {},
     true},
    {TestbenchSuffix,
     [](const GenerationOptions& o) { return o.Testbench; },
     [](const CheckedProject& p, const LocalDateTime&) { return TestbenchText(p); },
     {}},
    {[](HdlLanguage) { return std::string(".pins.json"); },
     [](const GenerationOptions& o) { return o.PinList.Json; },
     [](const CheckedProject& p, const LocalDateTime&) {
       return PinManifestJson(MakePinManifest(p.Settings(), p.Name()), "\r\n");
     },
     {}},
    {[](HdlLanguage) { return std::string(".pins.csv"); },
     [](const GenerationOptions& o) { return o.PinList.Csv; },
     [](const CheckedProject& p, const LocalDateTime&) {
       return PinManifestCsv(MakePinManifest(p.Settings(), p.Name()));
     },
     {}},
    // Empty, and so not written, when no header carries a card.
    {[](HdlLanguage) { return std::string(".pinout.svg"); },
     [](const GenerationOptions& o) { return o.Pinout; },
     [](const CheckedProject& p, const LocalDateTime&) {
       return ProjectPinoutSvg(p.Settings().Settings());
     },
     {}},
};

}  // namespace

std::vector<ProjectFile> MakeProjectFiles(const CheckedProject& project, const LocalDateTime& now) {
  std::vector<ProjectFile> files;
  files.reserve(std::size(kOutputs));
  for (const OutputRow& row : kOutputs) {
    if (row.Wanted && !row.Wanted(project.Outputs()))
      continue;
    std::string text = row.Make(project, now);
    // A file asked for may have nothing to say (the pinout without a card).
    if (row.Wanted && text.empty())
      continue;
    files.push_back(
        {row.Suffix(project.Outputs().TopLevel), std::move(text), row.TimeLine, row.Report});
  }
  return files;
}

const std::string* FileText(const std::vector<ProjectFile>& files, std::string_view suffix) {
  for (const ProjectFile& file : files) {
    if (file.Suffix == suffix)
      return &file.Text;
  }
  return nullptr;
}

bool CheckPinNames(const TMainBoard& board) {
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (pin && FindBrackets(pin->Name()).Unbalanced())
        return false;
    }
  }
  return true;
}

Result<GenerationReport> BuildProject(const CheckedProject& project,
                                      std::vector<std::string>* keptBeforeFailure,
                                      std::chrono::milliseconds folderWait) {
  // Every text is complete before the first file is written.
  const std::vector<ProjectFile> files = MakeProjectFiles(project, CurrentHost().Now());
  const std::string& qpfPath = project.Path().QpfPath();
  // One generation at a time per folder, so that its files always come from one run.
  const std::string folder = FolderOf(qpfPath);
  FolderWriteLock lock;
  if (Status locked = lock.Acquire(folder, folderWait); !locked) {
    Failure failure = locked.Error();
    failure.File = qpfPath;
    return failure;
  }
  // What the project's own .qsf says was generated here last time: a file still equal to
  // that was not edited, whatever the new settings make of it.
  const std::optional<std::vector<ProjectFile>> previous = PreviousProjectFiles(qpfPath);
  auto unedited = [&](const ProjectFile& file) {
    return previous ? FileText(*previous, file.Suffix) : nullptr;
  };
  // Every name the run would write, backups included, fits before the first file is written.
  const std::string base = ProjectFilePath(qpfPath, "");
  std::vector<PlannedWrite> planned;
  planned.reserve(files.size());
  for (const ProjectFile& file : files) {
    WriteOptions options;
    options.KeepEdits = true;
    options.IgnoredLinePrefix = file.TimeLine;
    options.Unedited = unedited(file);
    planned.push_back({base + file.Suffix, file.Text, options});
  }
  if (Status fits = CheckNamesFit(planned); !fits) {
    Failure failure = fits.Error();
    failure.Reason = "Failed to create file " + FileNameOf(failure.File);
    return failure;
  }
  GenerationReport report;
  report.Folder = folder;
  for (const ProjectFile& file : files) {
    const std::string path = base + file.Suffix;
    std::string backup;
    const Status written =
        file.Report ? SaveReportFile(path, file.Text, &backup, unedited(file))
                    : WriteProjectFile(path, file.Text, file.TimeLine, &backup, unedited(file));
    if (!backup.empty())
      report.Backups.push_back(std::move(backup));
    if (!written) {
      if (keptBeforeFailure)
        *keptBeforeFailure = std::move(report.Backups);
      return written.Error();
    }
    report.Files.push_back(path);
  }
  if (std::string warning = MemoryWarning(project.Settings().Settings()); !warning.empty())
    report.Warnings.push_back(std::move(warning));
  report.LeftInPlace = FilesLeftInPlace(base, report.Files);
  report.Text = GeneratedText(qpfPath, report.Backups, report.LeftInPlace);
  return report;
}

}  // namespace pinwright
