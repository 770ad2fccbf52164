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
#include <string>
#include <vector>

#include "generate/larkspurproject.h"
#include "generate/systembuild.h"
#include "host/filewrite.h"
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

std::unique_ptr<TMainBoard> ModelOf(const TLarkspurSettings& settings) {
  return BuildLarkspurModel(settings);
}

// Every file's expected text, in writing order.
std::array<std::string, 5> ExpectedTexts(const TLarkspurSettings& settings,
                                         const RecordingHost& host) {
  std::unique_ptr<TMainBoard> model = ModelOf(settings);
  Result<ProjectTexts> texts = MakeProjectTexts(*model, "P", host.Clock);
  if (!texts)
    return {};
  return {texts->Qpf, texts->Qsf, texts->TopLevel, texts->Sdc, texts->Html};
}

enum class Fault { FolderInPlace, WriteLimit };

struct FaultCase {
  std::size_t Step;              // index into kExtensions
  Fault Kind;                    // how that step fails
  std::size_t LimitNumerator;    // the write limit, as a share of the file's length ...
  std::size_t LimitDenominator;  // ... so that 0/1 allows nothing and n-1 of n all but a byte
  bool Regenerating;             // an earlier project of the same name is in the folder
};

std::string Label(const FaultCase& c) {
  std::string label = std::string(kExtensions[c.Step]) +
                      (c.Kind == Fault::FolderInPlace ? " folder in place" : " write limit ");
  if (c.Kind == Fault::WriteLimit)
    label += std::to_string(c.LimitNumerator) + "/" + std::to_string(c.LimitDenominator);
  return label + (c.Regenerating ? ", regenerating" : ", new folder");
}

class EachWriteFails : public ::testing::TestWithParam<FaultCase> {};

TEST_P(EachWriteFails, StopsThereAndLeavesWholeFilesOnly) {
  const FaultCase& c = GetParam();
  SCOPED_TRACE(Label(c));
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
    if (c.Regenerating) {
      for (std::size_t step = 0; step < kExtensions.size(); ++step) {
        old[step] = "old " + file(step) + "\r\n";
        WriteFile(path(step), old[step]);
      }
    }
    if (c.Kind == Fault::FolderInPlace) {
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
        if (c.Kind == Fault::WriteLimit && target == path(c.Step))
          return limit;
        return std::nullopt;
      });
      std::unique_ptr<TMainBoard> model = ModelOf(settings);
      built = TSystemBuild().BuildProject(*model, qpf);
    }
    EXPECT_FALSE(built);

    for (std::size_t step = 0; step < c.Step; ++step)
      EXPECT_EQ(ReadFile(path(step)), texts[step]) << file(step) << " must be complete";
    if (c.Kind == Fault::FolderInPlace) {
      EXPECT_TRUE(std::filesystem::is_directory(path(c.Step)));
      EXPECT_EQ(testing::SortedFileNames(path(c.Step)), std::vector<std::string>{"inside"});
    } else if (c.Regenerating && c.Step != kReport) {
      EXPECT_EQ(ReadFile(path(c.Step)), old[c.Step]) << "the failed file must keep its old text";
    } else if (std::filesystem::exists(path(c.Step))) {
      // The report may delete its old self first; it may never leave a part of the new one.
      EXPECT_TRUE(c.Regenerating);
      EXPECT_EQ(ReadFile(path(c.Step)), old[c.Step]) << "a half-written report";
    }
    for (std::size_t step = c.Step + 1; step < kExtensions.size(); ++step) {
      if (c.Regenerating) {
        EXPECT_EQ(ReadFile(path(step)), old[step]) << file(step) << " must not be written";
      } else {
        EXPECT_FALSE(std::filesystem::exists(path(step))) << file(step) << " must not be written";
      }
    }
    std::vector<std::string> expectedEntries;
    for (std::size_t step = 0; step < kExtensions.size(); ++step) {
      bool present = step < c.Step || (step > c.Step && c.Regenerating);
      if (step == c.Step) {
        present = c.Kind == Fault::FolderInPlace ||
                  (c.Regenerating && (step != kReport || std::filesystem::exists(path(step))));
      }
      if (present)
        expectedEntries.push_back(file(step));
      // The old files of a regeneration differ from the new texts: each one replaced is
      // kept as a backup, and so is the report that had to go before its failed write.
      const bool replaced =
          step < c.Step || (step == kReport && c.Step == kReport && c.Kind == Fault::WriteLimit);
      if (c.Regenerating && replaced) {
        expectedEntries.push_back(file(step) + ".~1~");
        EXPECT_EQ(ReadFile(path(step) + ".~1~"), old[step]);
      }
    }
    std::sort(expectedEntries.begin(), expectedEntries.end());
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), expectedEntries)
        << "no temporary file may be left";

    std::vector<RecordedMessage> messages;
    if (c.Kind == Fault::FolderInPlace) {
      messages.push_back({MessageKind::Unexpected,
                          "Cannot create " + path(c.Step) + ": " + std::strerror(EISDIR)});
    }
    if (c.Step != kReport)
      messages.push_back({MessageKind::Error, "Failed to create file " + file(c.Step)});
    EXPECT_EQ(host.Messages, messages);
    if (c.Kind == Fault::WriteLimit) {
      EXPECT_EQ(std::count(limitsAsked.begin(), limitsAsked.end(), path(c.Step)), 1)
          << "every file goes through the atomic writer";
    }
  }
}

std::vector<FaultCase> AllFaults() {
  std::vector<FaultCase> cases;
  for (std::size_t step = 0; step < kExtensions.size(); ++step) {
    for (bool regenerating : {false, true}) {
      cases.push_back({step, Fault::FolderInPlace, 0, 1, regenerating});
      for (auto [numerator, denominator] : {std::pair{0, 1}, {1, 1000000}, {1, 2}, {999, 1000}})
        cases.push_back({step, Fault::WriteLimit, std::size_t(numerator), std::size_t(denominator),
                         regenerating});
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
