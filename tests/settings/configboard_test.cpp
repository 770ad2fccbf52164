#include "settings/configboard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "settings/configlarkspur.h"
#include "support/recordinghost.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::ReadFile;
using testing::RecordedMessage;
using testing::RecordingHost;
using testing::TempDir;
using testing::WriteFile;

std::string RecordOf(const TConfigLarkspur& config) {
  return std::string(reinterpret_cast<const char*>(&config.Settings), sizeof config.Settings);
}

std::string DefaultRecord() {
  const TLarkspurSettings settings = DefaultLarkspurSettings();
  return std::string(reinterpret_cast<const char*>(&settings), sizeof settings);
}

enum class Action { Load, Save };

// Load as the window's Load Setting does it: the pick, then the file.
Status RunDialog(TConfigBoard& config, Action action, FileDialog& dialog) {
  if (action == Action::Save)
    return config.SaveWithDialog(dialog, "PROPOSED.cfg");
  const std::optional<std::string> path = config.PickFileToLoad(dialog);
  if (!path)
    return Failure{FailureKind::Cancelled, {}, {}, {}};
  return config.LoadFile(*path);
}

TEST(CfgDialog, AsksForCfgFilesFromFolder) {
  for (Action action : {Action::Load, Action::Save}) {
    SCOPED_TRACE(action == Action::Load ? "load" : "save");
    RecordingHost host;
    TConfigLarkspur config;
    config.Folder = "/start/here/";
    FileDialog dialog;
    dialog.Kind = action == Action::Load ? FileDialogKind::Save : FileDialogKind::Open;
    dialog.FilterIndex = 3;
    dialog.InitialFileName = "LARKSPUR.qpf";  // left by a dialog for another kind of file
    (void)RunDialog(config, action, dialog);

    ASSERT_EQ(host.Dialogs.size(), 1u);
    const FileDialog& shown = host.Dialogs[0];
    EXPECT_EQ(shown.Kind, action == Action::Load ? FileDialogKind::Open : FileDialogKind::Save);
    EXPECT_EQ(shown.Title, action == Action::Load ? "Load settings" : "Save settings");
    EXPECT_EQ(shown.FilterDescription, "Board Configuration Files (*.cfg)");
    EXPECT_EQ(shown.FilterPattern, "*.cfg");
    EXPECT_EQ(shown.FilterIndex, 1);
    EXPECT_EQ(shown.DefaultExtension, "cfg");
    EXPECT_EQ(shown.InitialFolder, "/start/here/");
    EXPECT_EQ(shown.InitialFileName, action == Action::Load ? "" : "PROPOSED.cfg");

    // Once a file was picked, both dialogs propose its name.
    config.FileName = "picked.cfg";
    (void)RunDialog(config, action, dialog);
    EXPECT_EQ(host.Dialogs.back().InitialFileName, "picked.cfg");
  }
}

TEST(CfgDialog, CancelChangesNothing) {
  for (Action action : {Action::Load, Action::Save}) {
    SCOPED_TRACE(action == Action::Load ? "load" : "save");
    RecordingHost host;
    TConfigLarkspur config;
    config.Settings = DefaultLarkspurSettings();
    config.Folder = "/start/here/";
    host.AnswerNextDialog(std::nullopt);
    FileDialog dialog;
    EXPECT_FALSE(RunDialog(config, action, dialog));
    EXPECT_EQ(config.Folder, "/start/here/");
    EXPECT_EQ(RecordOf(config), DefaultRecord());
    EXPECT_TRUE(host.Messages.empty());
  }
}

TEST(CfgDialog, CancelIsAFailureWithNothingToShow) {
  for (Action action : {Action::Load, Action::Save}) {
    RecordingHost host;
    TConfigLarkspur config;
    host.AnswerNextDialog(std::nullopt);
    FileDialog dialog;
    const Status outcome = RunDialog(config, action, dialog);
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.Error().Kind, FailureKind::Cancelled);
    ReportFailure(outcome.Error());
    EXPECT_TRUE(host.Messages.empty());
  }
}

TEST(CfgDialog, PickMovesFolderBeforeTheFileIsTouched) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "picked");
  const std::string folder = dir.File("picked") + "/";
  WriteFile(folder + "good.cfg", DefaultRecord());
  WriteFile(folder + "wrong.cfg", "too short");
  WriteFile(dir.File("blocker"), "a regular file");

  struct Case {
    const char* Name;
    Action What;
    std::string Pick;
    bool Succeeds;
    std::string Folder;
  };
  const Case cases[] = {
      {"load a good file", Action::Load, folder + "good.cfg", true, folder},
      {"load a wrong-size file", Action::Load, folder + "wrong.cfg", false, folder},
      {"save a new file", Action::Save, folder + "new.cfg", true, folder},
      {"save through a file", Action::Save, dir.File("blocker") + "/x.cfg", false,
       dir.File("blocker") + "/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RecordingHost host;
    TConfigLarkspur config;
    config.Folder = "/start/here/";
    host.AnswerNextDialog(c.Pick);
    FileDialog dialog;
    const Status outcome = RunDialog(config, c.What, dialog);
    EXPECT_EQ(outcome.Ok(), c.Succeeds);
    EXPECT_EQ(config.Folder, c.Folder);
    EXPECT_TRUE(host.Messages.empty());  // the caller shows a failure
    if (!c.Succeeds) {
      EXPECT_EQ(outcome.Error().File, c.Pick);
      EXPECT_EQ(outcome.Error().Reason,
                c.What == Action::Load ? "Invalid File Size." : "Failed to create file.");
    }
    if (c.What == Action::Load) {
      EXPECT_EQ(RecordOf(config),
                c.Succeeds ? DefaultRecord() : std::string(kLarkspurRecordSize, '\0'));
    } else if (c.Succeeds) {
      EXPECT_EQ(ReadFile(c.Pick), RecordOf(config));
    }
  }
}

TEST(DefaultCfg, LivesInTheExecutableFolder) {
  RecordingHost host;
  TempDir dir;
  host.ExeFolder = dir.FolderWithSeparator();
  TConfigLarkspur config;
  EXPECT_EQ(config.DefaultPath(), dir.File("default.cfg"));

  const Status missing = config.LoadDefault();
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.Error().Kind, FailureKind::Missing);
  EXPECT_TRUE(missing.Error().Reason.empty());

  config.Settings = DefaultLarkspurSettings();
  config.Settings.Gpio0.Set(62);
  ASSERT_TRUE(config.SaveDefault());
  EXPECT_EQ(ReadFile(dir.File("default.cfg")), RecordOf(config));

  TConfigLarkspur reloaded;
  ASSERT_TRUE(reloaded.LoadDefault());
  EXPECT_EQ(RecordOf(reloaded), RecordOf(config));

  // Keeping any older record: an equal one is replaced without a backup, another one is
  // kept as a numbered backup first.
  std::string backup = "stale";
  ASSERT_TRUE(config.SaveDefault(OtherFile::KeepAnyAsBackup, &backup));
  EXPECT_EQ(backup, "");
  const std::string older = RecordOf(config);
  config.Settings.Gpio0.Set(0);
  ASSERT_TRUE(config.SaveDefault(OtherFile::KeepAnyAsBackup, &backup));
  EXPECT_EQ(backup, dir.File("default.cfg.~1~"));
  EXPECT_EQ(ReadFile(backup), older);
  EXPECT_EQ(ReadFile(dir.File("default.cfg")), RecordOf(config));
  // By default an older record is simply replaced.
  config.Settings.Gpio0.Set(62);
  ASSERT_TRUE(config.SaveDefault(OtherFile::KeepAsBackup, &backup));
  EXPECT_EQ(backup, "");
  EXPECT_FALSE(std::filesystem::exists(dir.File("default.cfg.~2~")));

  WriteFile(dir.File("default.cfg"), "");
  const Status empty = reloaded.LoadDefault();
  ASSERT_FALSE(empty);
  EXPECT_EQ(empty.Error().Reason, "Invalid File Size.");
  EXPECT_TRUE(host.Messages.empty());
}

}  // namespace
}  // namespace pinwright
