// Each write of a generation failing in turn: the generation stops at that file, the files
// before it are complete, none after it is written, the failed file is neither half written
// nor replaced, no temporary file is left, and the messages are the writers' own.
// The failures also stop root: a folder in place of the file, a path through a regular file,
// and a writer that fails after a number of bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "build/buildproject.h"
#include "host/filewrite.h"
#include "outputs/projecttexts.h"
#include "project/checkedproject.h"
#include "settings/configlarkspur.h"
#include "support/configurations.h"
#include "support/recordinghost.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::ReadFile;
using testing::RecordedMessage;
using testing::RecordingHost;
using testing::TempDir;
using testing::WriteFile;

// The five files in writing order.
constexpr std::array<const char*, 5> kExtensions = {".qpf", ".qsf", ".v", ".sdc", ".htm"};
constexpr std::size_t kReport = 4;  // the .htm step, which shows no message of its own

// Every file's expected text, in writing order.
std::array<std::string, 5> ExpectedTexts(const TLarkspurSettings& settings,
                                         const RecordingHost& host) {
  const Result<std::vector<ProjectFile>> files =
      testing::CheckedFiles(settings, "P.qpf", host.Clock);
  if (!files)
    return {};
  std::array<std::string, 5> texts;
  for (std::size_t step = 0; step < texts.size(); ++step)
    texts[step] = (*files)[step].Text;
  return texts;
}

enum class Fault { FolderInPlace, WriteLimit };

// What the failed step leaves where its file belongs.
enum class Leftover { Nothing, OldText, Folder };

// The outcome of a failed step, by how it fails, whether an earlier project of the same name
// is in the folder and whether the step is the report, which moves its old self to its backup
// first and shows no "Failed to create file" of its own.
struct Outcome {
  Fault Kind;
  bool Regenerating;
  bool Report;
  Leftover AtFailedFile;
  bool OldKeptAsBackup;  // the failed file's old text went to its backup first
  bool SystemWords;      // "Cannot create PATH: " and the system's words in the standard box
  bool FailedToCreate;   // "Failed to create file P.xxx" in an error box
};

// clang-format off
constexpr Outcome kOutcomes[] = {
  // how it fails          regenerating report  left at the failed file  backup  system  failed to create
  {Fault::FolderInPlace,   false,       false,  Leftover::Folder,        false,  true,   true },
  {Fault::FolderInPlace,   true,        false,  Leftover::Folder,        false,  true,   true },
  {Fault::FolderInPlace,   false,       true,   Leftover::Folder,        false,  true,   false},
  {Fault::FolderInPlace,   true,        true,   Leftover::Folder,        false,  true,   false},
  {Fault::WriteLimit,      false,       false,  Leftover::Nothing,       false,  false,  true },
  {Fault::WriteLimit,      true,        false,  Leftover::OldText,       false,  false,  true },
  {Fault::WriteLimit,      false,       true,   Leftover::Nothing,       false,  false,  false},
  {Fault::WriteLimit,      true,        true,   Leftover::Nothing,       true,   false,  false},
};
// clang-format on

struct FaultCase {
  std::size_t Step;              // index into kExtensions
  std::size_t LimitNumerator;    // a write limit, as a share of the file's length ...
  std::size_t LimitDenominator;  // ... so that 0/1 allows nothing and n-1 of n all but a byte
  Outcome Expected;
};

std::string Label(const FaultCase& c) {
  std::string label =
      std::string(kExtensions[c.Step]) +
      (c.Expected.Kind == Fault::FolderInPlace ? " folder in place" : " write limit ");
  if (c.Expected.Kind == Fault::WriteLimit)
    label += std::to_string(c.LimitNumerator) + "/" + std::to_string(c.LimitDenominator);
  return label + (c.Expected.Regenerating ? ", regenerating" : ", new folder");
}

// Names the case in test listings and failure reports instead of its bytes.
void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << Label(c);
}

class EachWriteFails : public ::testing::TestWithParam<FaultCase> {};

TEST_P(EachWriteFails, StopsThereAndLeavesWholeFilesOnly) {
  const FaultCase& c = GetParam();
  const Outcome& expected = c.Expected;
  for (const TLarkspurSettings& settings :
       {DefaultLarkspurSettings(), testing::LargestLarkspurSettings()}) {
    RecordingHost host;
    TempDir dir;
    const std::string qpf = dir.File("P.qpf");
    const std::array<std::string, 5> texts = ExpectedTexts(settings, host);
    ASSERT_FALSE(texts[0].empty());
    auto path = [&](std::size_t step) { return ProjectFilePath(qpf, kExtensions[step]); };
    auto file = [&](std::size_t step) { return std::string("P") + kExtensions[step]; };

    std::array<std::string, 5> old;
    if (expected.Regenerating) {
      for (std::size_t step = 0; step < kExtensions.size(); ++step) {
        old[step] = "old " + file(step) + "\r\n";
        WriteFile(path(step), old[step]);
      }
    }
    if (expected.Kind == Fault::FolderInPlace) {
      std::filesystem::remove(path(c.Step));
      std::filesystem::create_directory(path(c.Step));
      WriteFile(path(c.Step) + "/inside", "kept");
    }
    const std::size_t limit = texts[c.Step].size() * c.LimitNumerator / c.LimitDenominator;
    std::vector<std::string> limitsAsked;
    bool built;
    {
      ScopedWriteLimit cut([&](const std::string& target) -> std::optional<std::size_t> {
        limitsAsked.push_back(target);
        if (expected.Kind == Fault::WriteLimit && target == path(c.Step))
          return limit;
        return std::nullopt;
      });
      // As a front end does: check, build, show the failure.
      const Result<CheckedProject> project = CheckProject(settings, qpf);
      const Result<GenerationReport> report =
          project ? BuildProject(*project) : Result<GenerationReport>(project.Error());
      built = report.Ok();
      if (!report)
        ReportFailure(report.Error());
    }
    EXPECT_FALSE(built);

    std::vector<std::string> onDisk;  // the folder as it must be, no temporary file in it
    // A regeneration keeps each old file it replaced as a backup.
    auto backedUp = [&](std::size_t step) {
      EXPECT_EQ(ReadFile(path(step) + ".~1~"), old[step]) << file(step) << " backup";
      onDisk.push_back(file(step) + ".~1~");
    };
    for (std::size_t step = 0; step < c.Step; ++step) {
      EXPECT_EQ(ReadFile(path(step)), texts[step]) << file(step) << " must be complete";
      onDisk.push_back(file(step));
      if (expected.Regenerating)
        backedUp(step);
    }
    if (expected.OldKeptAsBackup)
      backedUp(c.Step);
    switch (expected.AtFailedFile) {
      case Leftover::Nothing:
        EXPECT_FALSE(std::filesystem::exists(path(c.Step)));
        break;
      case Leftover::OldText:
        EXPECT_EQ(ReadFile(path(c.Step)), old[c.Step]) << "the failed file keeps its old text";
        onDisk.push_back(file(c.Step));
        break;
      case Leftover::Folder:
        EXPECT_EQ(testing::SortedFileNames(path(c.Step)), std::vector<std::string>{"inside"});
        onDisk.push_back(file(c.Step));
        break;
    }
    for (std::size_t step = c.Step + 1; step < kExtensions.size(); ++step) {
      if (expected.Regenerating) {
        EXPECT_EQ(ReadFile(path(step)), old[step]) << file(step) << " must not be written";
        onDisk.push_back(file(step));
      }
    }
    std::sort(onDisk.begin(), onDisk.end());
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), onDisk);

    std::vector<RecordedMessage> messages;
    if (expected.SystemWords) {
      messages.push_back({MessageKind::Unexpected,
                          "Cannot create " + path(c.Step) + ": " + std::strerror(EISDIR)});
    }
    if (expected.FailedToCreate)
      messages.push_back({MessageKind::Error, "Failed to create file " + file(c.Step)});
    EXPECT_EQ(host.Messages, messages);
    if (expected.Kind == Fault::WriteLimit) {
      EXPECT_EQ(std::count(limitsAsked.begin(), limitsAsked.end(), path(c.Step)), 1)
          << "every file goes through the atomic writer";
    }
  }
}

std::vector<FaultCase> AllFaults() {
  std::vector<FaultCase> cases;
  for (std::size_t step = 0; step < kExtensions.size(); ++step) {
    for (const Outcome& outcome : kOutcomes) {
      if (outcome.Report != (step == kReport))
        continue;
      if (outcome.Kind == Fault::FolderInPlace) {
        cases.push_back({step, 0, 1, outcome});
        continue;
      }
      for (auto [numerator, denominator] : {std::pair{0, 1}, {1, 1000000}, {1, 2}, {999, 1000}})
        cases.push_back({step, std::size_t(numerator), std::size_t(denominator), outcome});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Generation, EachWriteFails, ::testing::ValuesIn(AllFaults()),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           std::string name = Label(info.param);
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch)))
                               ch = '_';
                           }
                           return name;
                         });

TEST(GenerationFaults, PathThroughARegularFileWritesNothing) {
  RecordingHost host;
  TempDir dir;
  WriteFile(dir.File("plain"), "a regular file");
  const Status outcome =
      testing::CheckAndGenerate(DefaultLarkspurSettings(), dir.File("plain/P.qpf"));
  ASSERT_FALSE(outcome);
  EXPECT_EQ(outcome.Error().Kind, FailureKind::CannotCreate);
  EXPECT_EQ(outcome.Error().File, dir.File("plain/P.qpf"));
  EXPECT_TRUE(host.Messages.empty());  // the core shows nothing; the front end decides
  ReportFailure(outcome.Error());
  EXPECT_EQ(host.Messages,
            (std::vector<RecordedMessage>{
                {MessageKind::Unexpected,
                 "Cannot create " + dir.File("plain/P.qpf") + ": " + std::strerror(ENOTDIR)},
                {MessageKind::Error, "Failed to create file P.qpf"},
            }));
  EXPECT_EQ(testing::SortedFileNames(dir.Path()), std::vector<std::string>{"plain"});
  EXPECT_EQ(ReadFile(dir.File("plain")), "a regular file");
}

TEST(GenerationFaults, EachKindOfTargetAsTheSettingsFile) {
  for (const testing::TargetCase& target : testing::AllTargetKinds()) {
    SCOPED_TRACE(target.Name);
    RecordingHost host;
    TempDir dir;
    const std::string qsf = dir.File("P.qsf");
    if (!testing::MakeTarget(target.Kind, qsf))
      continue;  // a device node needs root
    const auto type = [&] { return std::filesystem::symlink_status(qsf).type(); };
    const std::filesystem::file_type before = type();
    std::vector<std::string> backups;
    const Status outcome =
        testing::CheckAndGenerate(DefaultLarkspurSettings(), dir.File("P.qpf"), {}, &backups);
    EXPECT_EQ(type(), before) << "a link stays a link";
    if (target.Written) {
      EXPECT_TRUE(outcome.Ok());
      const std::string written = ReadFile(testing::WrittenFileOf(target.Kind, qsf));
      EXPECT_TRUE(written.starts_with("#=====")) << written;
      // The old text was no generated one: it is kept beside the file it stood in.
      if (target.Kind != testing::TargetKind::DanglingLink) {
        EXPECT_EQ(backups,
                  std::vector<std::string>{testing::WrittenFileOf(target.Kind, qsf) + ".~1~"});
      }
    } else {
      ASSERT_FALSE(outcome.Ok());
      ReportFailure(outcome.Error());
      const std::string verb =
          target.Kind == testing::TargetKind::Folder ? "Cannot create " : "Cannot replace ";
      EXPECT_EQ(host.Messages, (std::vector<RecordedMessage>{
                                   {MessageKind::Unexpected, verb + qsf + ": " + target.Reason},
                                   {MessageKind::Error, "Failed to create file P.qsf"}}));
      EXPECT_FALSE(std::filesystem::exists(dir.File("P.v"))) << "generation stops there";
    }
  }
}

TEST(GenerationFaults, PipelineReportsAFailedWriteAsFailed) {
  for (std::size_t step = 0; step < kExtensions.size(); ++step) {
    SCOPED_TRACE(kExtensions[step]);
    RecordingHost host;
    TempDir dir;
    const std::string qpf = dir.File("P.qpf");
    ScopedWriteLimit cut([&](const std::string& target) -> std::optional<std::size_t> {
      if (target == ProjectFilePath(qpf, kExtensions[step]))
        return 0;
      return std::nullopt;
    });
    const Status outcome = testing::CheckAndGenerate(DefaultLarkspurSettings(), qpf);
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.Error().File, ProjectFilePath(qpf, kExtensions[step]));
    EXPECT_EQ(testing::SortedFileNames(dir.Path()).size(), step);
  }
}

}  // namespace
}  // namespace pinwright
