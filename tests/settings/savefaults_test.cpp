// A .cfg save that fails at any point, through any of the three ways the program saves one,
// leaves the previous file byte for byte and no temporary file beside it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/filewrite.h"
#include "settings/configlarkspur.h"
#include "support/recordinghost.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::ReadFile;
using testing::RecordedMessage;
using testing::RecordingHost;
using testing::TempDir;

std::string RecordOf(const TConfigLarkspur& config) {
  return std::string(reinterpret_cast<const char*>(&config.Settings), sizeof config.Settings);
}

enum class Way { SaveFile, SaveDefault, SaveWithDialog };

Status SaveOneWay(Way way, TConfigLarkspur& config, RecordingHost& host, const std::string& path) {
  switch (way) {
    case Way::SaveFile:
      return config.SaveFile(path);
    case Way::SaveDefault:
      return config.SaveDefault();
    case Way::SaveWithDialog: {
      host.AnswerNextDialog(path);
      FileDialog dialog;
      return config.SaveWithDialog(dialog);
    }
  }
  return Failure{};
}

// Saves as a front end does: a failure is shown through the host.
bool Save(Way way, TConfigLarkspur& config, RecordingHost& host, const std::string& path) {
  const Status saved = SaveOneWay(way, config, host, path);
  if (!saved)
    ReportFailure(saved.Error());
  return saved.Ok();
}

TEST(CfgSaveFaults, ShortWriteAtAnyByteKeepsThePreviousFile) {
  for (Way way : {Way::SaveFile, Way::SaveDefault, Way::SaveWithDialog}) {
    for (std::size_t limit : {0, 1, 8, 136, 208, 415}) {
      SCOPED_TRACE(static_cast<int>(way));
      SCOPED_TRACE(limit);
      RecordingHost host;
      TempDir dir;
      host.ExeFolder = dir.FolderWithSeparator();
      const std::string path = dir.File("default.cfg");

      // The previous file is a real record, different from the one being saved.
      TConfigLarkspur previous;
      previous.Settings = DefaultLarkspurSettings();
      previous.Settings.Gpio1.Set(69);
      previous.Settings.PrefixGpio1.Set("OLD_");
      ASSERT_TRUE(previous.SaveFile(path));
      const std::string before = ReadFile(path);

      TConfigLarkspur config;
      config.Settings = DefaultLarkspurSettings();
      config.Settings.ProjectName.Set("NEWER");
      bool saved;
      {
        ScopedWriteLimit cut([&](const std::string&) { return std::optional<std::size_t>(limit); });
        saved = Save(way, config, host, path);
      }
      EXPECT_FALSE(saved);
      EXPECT_EQ(host.Messages,
                (std::vector<RecordedMessage>{{MessageKind::Error, "Failed to write file."}}));
      EXPECT_EQ(ReadFile(path), before);
      EXPECT_EQ(testing::SortedFileNames(dir.Path()), std::vector<std::string>{"default.cfg"});

      TConfigLarkspur reloaded;
      ASSERT_TRUE(reloaded.LoadFile(path));
      EXPECT_EQ(RecordOf(reloaded), before);
    }
  }
}

// The old file of a regular target is "old": no settings record. A plain save refuses it;
// Exit and the save dialog (which asked before naming it) keep it as a numbered backup.
TEST(CfgSaveFaults, EachKindOfTarget) {
  for (Way way : {Way::SaveFile, Way::SaveDefault, Way::SaveWithDialog}) {
    for (const testing::TargetCase& target : testing::AllTargetKinds()) {
      SCOPED_TRACE(static_cast<int>(way));
      SCOPED_TRACE(target.Name);
      RecordingHost host;
      TempDir dir;
      host.ExeFolder = dir.FolderWithSeparator();
      const std::string path = dir.File("default.cfg");
      if (!testing::MakeTarget(target.Kind, path))
        continue;  // a device node needs root
      const std::string written = testing::WrittenFileOf(target.Kind, path);
      const auto status = [](const std::string& p) { return std::filesystem::symlink_status(p); };
      const std::filesystem::file_status before = status(path);
      const bool holdsOld = target.Kind == testing::TargetKind::Regular ||
                            target.Kind == testing::TargetKind::LinkToRegular;
      const bool refusedAsForeign = holdsOld && way == Way::SaveFile;

      TConfigLarkspur config;
      config.Settings = DefaultLarkspurSettings();
      EXPECT_EQ(Save(way, config, host, path), target.Written && !refusedAsForeign);
      EXPECT_EQ(status(path).type(), before.type()) << "a link stays a link";
      if (refusedAsForeign) {
        EXPECT_EQ(host.Messages,
                  (std::vector<RecordedMessage>{
                      {MessageKind::Unexpected,
                       "Cannot replace " + path +
                           ": it is no board settings file (3 bytes; a settings file has 416)"},
                      {MessageKind::Error, "Failed to create file."}}));
        EXPECT_EQ(ReadFile(written), "old");
      } else if (target.Written) {
        EXPECT_TRUE(host.Messages.empty());
        EXPECT_EQ(ReadFile(written), RecordOf(config));
        if (holdsOld) {
          EXPECT_EQ(ReadFile(written + ".~1~"), "old");
        }
        if (target.Kind == testing::TargetKind::Regular) {
          EXPECT_EQ(status(path).permissions(), before.permissions());
        }
      } else {
        const std::string verb =
            target.Kind == testing::TargetKind::Folder ? "Cannot create " : "Cannot replace ";
        EXPECT_EQ(host.Messages, (std::vector<RecordedMessage>{
                                     {MessageKind::Unexpected, verb + path + ": " + target.Reason},
                                     {MessageKind::Error, "Failed to create file."}}));
        if (target.Kind == testing::TargetKind::ReadOnly) {
          EXPECT_EQ(ReadFile(path), "old");
        }
      }
      std::vector<std::string> names = {"default.cfg"};
      if (written != path)
        names.push_back("real");
      else if (target.Kind == testing::TargetKind::Regular && !refusedAsForeign)
        names.push_back("default.cfg.~1~");
      EXPECT_EQ(testing::SortedFileNames(dir.Path()), names) << "no temporary file is left";
    }
  }
}

}  // namespace
}  // namespace pinwright
