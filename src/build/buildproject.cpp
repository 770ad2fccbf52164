#include "build/buildproject.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "host/filewrite.h"
#include "host/paths.h"
#include "outputs/pinlist.h"
#include "outputs/pinout.h"
#include "outputs/projecttexts.h"
#include "outputs/testbench.h"
#include "outputs/toplevel.h"
#include "readers/qsfimport.h"
#include "readers/tclwords.h"

namespace pinwright {
namespace {

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

// Every output of the table, for the files an earlier generation may have written.
GenerationOptions EveryOutput(HdlLanguage language) {
  return {language, true, PinListFiles::Both(), true};
}

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

Status SaveReportFile(const std::string& path, const std::string& text, std::string* backup,
                      const std::string* unedited) {
  std::error_code error;
  const std::filesystem::path folder = PathFromUtf8(path).parent_path();
  if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
    std::filesystem::create_directories(folder, error);
    if (error) {
      return Failure{FailureKind::CannotCreate,
                     path,
                     {},
                     "Cannot create folder " + Utf8FromPath(folder) + ": " + error.message()};
    }
  }
  // An old report goes first, so that a failed write leaves none behind; an edited one is
  // kept as a numbered backup before that. Anything but a regular file is refused.
  WriteOptions options;
  options.KeepEdits = true;
  options.RemoveOldFirst = true;
  options.Unedited = unedited;
  return WriteFileAtomically(path, text, options, backup);
}

std::optional<std::vector<ProjectFile>> PreviousProjectFiles(const std::string& qpfPath) {
  const Result<std::string> qsf = ReadTextFile(ProjectFilePath(qpfPath, ".qsf"));
  if (!qsf)
    return std::nullopt;
  const TclScript script = ReadTclWords(*qsf);
  if (script.Error)
    return std::nullopt;
  const QsfImport imported = ImportQsf(script);
  if (!imported.Ok())
    return std::nullopt;
  const Result<CheckedProject> project =
      CheckProject(imported.Settings, qpfPath, EveryOutput(imported.TopLevel));
  if (!project)
    return std::nullopt;
  Result<std::vector<ProjectFile>> files = MakeProjectFiles(*project, LocalDateTime{});
  if (!files)
    return std::nullopt;
  return std::move(files).Value();
}

}  // namespace pinwright
