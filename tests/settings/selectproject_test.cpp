#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/paths.h"
#include "settings/configlarkspur.h"
#include "support/recordinghost.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::RecordingHost;
using testing::TempDir;

// The path the dialog gave, or empty text for a cancelled one, which must fail as Cancelled.
std::string Chosen(const Result<std::string>& picked) {
  if (picked)
    return *picked;
  EXPECT_EQ(picked.Error().Kind, FailureKind::Cancelled);
  return {};
}

// The text with every '/' turned into the system's separator.
std::string NativeSeparators(std::string text) {
  std::replace(text.begin(), text.end(), '/', kFolderSeparator);
  return text;
}

TEST(SelectProjectFile, PreparesTheFolderAndTheDialog) {
  struct Case {
    const char* What;
    std::optional<std::string> Answer;  // below the scratch folder unless it starts with '/'
    bool KeepsProjectFolder;            // CodeGenerated/LARKSPUR/MyProject/
    bool KeepsBaseFolder;               // CodeGenerated/
  };
  const std::vector<Case> cases = {
      {"accepted elsewhere", "/chosen/elsewhere/top.qpf", false, false},
      {"accepted where proposed", "CodeGenerated/LARKSPUR/MyProject/top.qpf", true, true},
      {"accepted in the board's folder", "CodeGenerated/LARKSPUR/top.qpf", false, true},
      {"cancelled", std::nullopt, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TempDir dir;
    RecordingHost host;
    host.ExeFolder = dir.FolderWithSeparator();
    const std::optional<std::string> answer =
        !c.Answer || c.Answer->starts_with('/') ? c.Answer : std::optional(dir.File(*c.Answer));
    host.AnswerNextDialog(answer);
    TConfigLarkspur config;
    FileDialog dialog;
    EXPECT_EQ(Chosen(config.SelectProjectFile(dialog, "LARKSPUR", "MyProject")),
              answer.value_or(""));

    // In the system's own separators: backslashes on Windows.
    const std::string folder =
        dir.FolderWithSeparator() + NativeSeparators("CodeGenerated/LARKSPUR/MyProject/");
    // A cancel, or a file picked elsewhere, takes away the folders the step made for the
    // dialog that the file does not go into.
    EXPECT_EQ(std::filesystem::is_directory(PathFromUtf8(folder)), c.KeepsProjectFolder);
    EXPECT_EQ(std::filesystem::exists(PathFromUtf8(dir.File("CodeGenerated"))), c.KeepsBaseFolder);
    ASSERT_EQ(host.Dialogs.size(), 1u);
    const FileDialog& shown = host.Dialogs[0];
    EXPECT_EQ(shown.Kind, FileDialogKind::Save);
    EXPECT_EQ(shown.Title, "Generate project");
    EXPECT_EQ(shown.FilterDescription, "Quartus Project File (*.qpf)");
    EXPECT_EQ(shown.FilterPattern, "*.qpf");
    EXPECT_EQ(shown.FilterIndex, 1);
    EXPECT_EQ(shown.DefaultExtension, "qpf");
    EXPECT_EQ(shown.InitialFileName, "MyProject.qpf");
    EXPECT_EQ(shown.InitialFolder, folder);
    EXPECT_TRUE(host.Messages.empty());
  }
}

TEST(SelectProjectFile, AnExistingFolderIsKeptAndAMissingOneIsNoError) {
  TempDir dir;
  RecordingHost host;
  host.ExeFolder = dir.FolderWithSeparator();
  const std::string folder = dir.FolderWithSeparator() + "CodeGenerated/LARKSPUR/P/";
  std::filesystem::create_directories(folder);
  testing::WriteFile(folder + "keep.txt", "x");
  TConfigLarkspur config;
  FileDialog dialog;
  EXPECT_EQ(Chosen(config.SelectProjectFile(dialog, "LARKSPUR", "P")), "");
  EXPECT_EQ(testing::ReadFile(folder + "keep.txt"), "x");
  // A cancel leaves alone a folder that was there before, even an empty one.
  std::filesystem::remove(folder + "keep.txt");
  EXPECT_EQ(Chosen(config.SelectProjectFile(dialog, "LARKSPUR", "P")), "");
  EXPECT_TRUE(std::filesystem::is_directory(folder));

  // The folder cannot be made under a file: the dialog runs all the same. A folder the
  // program cannot write to sends it to the home folder, a file here as well.
  testing::WriteFile(dir.File("file"), "");
  host.ExeFolder = dir.File("file") + "/";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  testing::SetEnvironment("HOME", dir.File("file"));
  host.AnswerNextDialog("/x/P.qpf");
  EXPECT_EQ(Chosen(config.SelectProjectFile(dialog, "LARKSPUR", "P")), "/x/P.qpf");
  testing::SetEnvironment("HOME", home);
  EXPECT_EQ(host.Dialogs.back().InitialFolder,
            dir.File("file") + "/" + NativeSeparators("CodeGenerated/LARKSPUR/P/"));
  EXPECT_TRUE(host.Messages.empty());
}

}  // namespace
}  // namespace pinwright
