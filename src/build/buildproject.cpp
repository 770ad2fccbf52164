#include "build/buildproject.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "host/filewrite.h"
#include "host/paths.h"
#include "host/text.h"
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

std::string TopLevelSuffix(HdlLanguage language) {
  return std::string(HdlFileExtension(language));
}

std::string TestbenchSuffix(HdlLanguage language) {
  return "_tb" + TopLevelSuffix(language);
}

// The rows in writing order. Adding an output means a row here and its text maker; an
// optional output also needs its option (project/generationoptions.h) and its field in
// GenerationOptions, which the front ends then find by walking the rows.
// clang-format off
const OutputRow kOutputs[] = {
    {.Suffix = [](HdlLanguage) { return std::string(".qpf"); },
     .Make = [](const CheckedProject& p, const LocalDateTime& now) { return QpfText(p.Name(), now); },
     .TimeLine = kQpfTimeLine},
    {.Suffix = [](HdlLanguage) { return std::string(".qsf"); },
     .Make = [](const CheckedProject& p, const LocalDateTime& now) {
       return QsfText(p.Board(), p.Name(), now, p.Outputs().TopLevel);
     },
     .TimeLine = kQsfTimeLine},
    {.Suffix = TopLevelSuffix,
     .Option = &kTopLevelOption,
     .Make = [](const CheckedProject& p, const LocalDateTime&) { return TopLevelText(p.TopLevel()); }},
    {.Suffix = [](HdlLanguage) { return std::string(".sdc"); },
     .Make = [](const CheckedProject& p, const LocalDateTime&) { return SdcText(p.Board()); }},
    {.Suffix = [](HdlLanguage) { return std::string(".htm"); },
     .Make = [](const CheckedProject& p, const LocalDateTime&) { return HtmlText(p.Board()); },
     .Report = true},
    {.Suffix = TestbenchSuffix,
     .Option = &kTestbenchOption,
     .Wanted = [](const GenerationOptions& o) { return o.Testbench; },
     .Want = [](GenerationOptions& o, bool on) { o.Testbench = on; },
     .Make = [](const CheckedProject& p, const LocalDateTime&) { return TestbenchText(p); }},
    {.Suffix = [](HdlLanguage) { return std::string(".pins.json"); },
     .Option = &kPinListOption,
     .Format = "json",
     .Wanted = [](const GenerationOptions& o) { return o.PinList.Json; },
     .Want = [](GenerationOptions& o, bool on) { o.PinList.Json = on; },
     .Make = [](const CheckedProject& p, const LocalDateTime&) {
       return PinManifestJson(MakePinManifest(p.Settings(), p.Name()), "\r\n");
     }},
    {.Suffix = [](HdlLanguage) { return std::string(".pins.csv"); },
     .Option = &kPinListOption,
     .Format = "csv",
     .Wanted = [](const GenerationOptions& o) { return o.PinList.Csv; },
     .Want = [](GenerationOptions& o, bool on) { o.PinList.Csv = on; },
     .Make = [](const CheckedProject& p, const LocalDateTime&) {
       return PinManifestCsv(MakePinManifest(p.Settings(), p.Name()));
     }},
    // Empty, and so not written, when no header carries a card.
    {.Suffix = [](HdlLanguage) { return std::string(".pinout.svg"); },
     .Option = &kPinoutOption,
     .Wanted = [](const GenerationOptions& o) { return o.Pinout; },
     .Want = [](GenerationOptions& o, bool on) { o.Pinout = on; },
     .Make = [](const CheckedProject& p, const LocalDateTime&) {
       return ProjectPinoutSvg(p.Settings().Definition(), p.Settings().Choice());
     }},
};
// clang-format on

// True for a row whose file is named after the top level's language.
bool NamedByLanguage(const OutputRow& row) {
  return row.Suffix(HdlLanguage::Verilog) != row.Suffix(HdlLanguage::Vhdl);
}

// The project's files of the table, in any language, that an earlier generation wrote and
// this one did not replace: the files named by language first, language by language, then
// the others in table order.
std::vector<std::string> FilesLeftInPlace(const std::string& base,
                                          const std::vector<std::string>& written) {
  std::vector<std::string> suffixes;
  for (const HdlLanguage language : kHdlLanguages) {
    for (const OutputRow& row : kOutputs) {
      if (NamedByLanguage(row))
        suffixes.push_back(row.Suffix(language));
    }
  }
  for (const OutputRow& row : kOutputs) {
    if (!NamedByLanguage(row))
      suffixes.push_back(row.Suffix(HdlLanguage::Verilog));
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

// "a, b or c", or with another last separator.
std::string Listed(const std::vector<std::string_view>& words, std::string_view last = " or ",
                   std::string_view between = ", ") {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0)
      text += i + 1 == words.size() ? last : between;
    text += words[i];
  }
  return text;
}

}  // namespace

std::span<const OutputRow> OutputTable() {
  return kOutputs;
}

std::vector<const OutputOption*> OutputOptions() {
  std::vector<const OutputOption*> options;
  for (const OutputRow& row : kOutputs) {
    if (row.Option && std::find(options.begin(), options.end(), row.Option) == options.end())
      options.push_back(row.Option);
  }
  return options;
}

bool OutputOptionIsOn(const OutputOption& option, const GenerationOptions& options) {
  return std::any_of(std::begin(kOutputs), std::end(kOutputs), [&](const OutputRow& row) {
    return row.Option == &option && row.Wanted && row.Wanted(options);
  });
}

void SwitchOutputOption(const OutputOption& option, bool on, GenerationOptions& options) {
  for (const OutputRow& row : kOutputs) {
    if (row.Option == &option && row.Want)
      row.Want(options, on);
  }
}

Status SetOutputOption(const OutputOption& option, std::string_view value,
                       GenerationOptions& options) {
  auto refused = [&](std::string_view word, const std::string& choices) {
    return Failure{FailureKind::BadArgument,
                   {},
                   "unknown " + std::string(option.ValueNoun) + " '" + std::string(word) + "' (" +
                       choices + ")",
                   {}};
  };
  if (option.Kind == OptionKind::Switch) {
    SwitchOutputOption(option, true, options);
    return {};
  }
  if (option.Kind == OptionKind::Language) {
    const std::optional<HdlLanguage> language = HdlLanguageFromKeyword(value);
    if (!language) {
      std::vector<std::string_view> keywords;
      for (const HdlLanguage each : kHdlLanguages)
        keywords.push_back(HdlLanguageKeyword(each));
      return refused(value, "choose " + Listed(keywords));
    }
    options.TopLevel = *language;
    return {};
  }
  // A list of formats, each the word of one file of the option.
  std::vector<const OutputRow*> files;
  std::vector<std::string_view> words;
  for (const OutputRow& row : kOutputs) {
    if (row.Option == &option) {
      files.push_back(&row);
      words.push_back(row.Format);
    }
  }
  SwitchOutputOption(option, false, options);
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = value.find(',', start);
    const std::string_view word = value.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    const auto found = std::find_if(files.begin(), files.end(), [&](const OutputRow* row) {
      return EqualsIgnoringCase(row->Format, word);
    });
    if (found == files.end()) {
      const std::string every = Listed(words, ",", ",");
      return refused(word, words.size() > 1 ? Listed(words, ", ") + " or " + every : every);
    }
    (*found)->Want(options, true);
    if (comma == std::string_view::npos)
      return {};
    start = comma + 1;
  }
}

std::string OutputOptionValue(const OutputOption& option, const GenerationOptions& options) {
  if (option.Kind == OptionKind::Language)
    return std::string(HdlLanguageKeyword(options.TopLevel));
  return OutputOptionIsOn(option, options) ? "1" : "0";
}

void ReadOutputOptionValue(const OutputOption& option, std::string_view value,
                           GenerationOptions& options) {
  if (option.Kind == OptionKind::Language) {
    if (const std::optional<HdlLanguage> language = HdlLanguageFromKeyword(value))
      options.TopLevel = *language;
    return;
  }
  if (value == "1" || value == "0")
    SwitchOutputOption(option, value == "1", options);
}

GenerationOptions EveryOutput(HdlLanguage language) {
  GenerationOptions options;
  options.TopLevel = language;
  for (const OutputRow& row : kOutputs) {
    if (row.Want)
      row.Want(options, true);
  }
  return options;
}

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
