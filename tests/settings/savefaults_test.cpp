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

TEST(CfgSaveFaults, CreateFailureLeavesNothingBehind) {
  for (Way way : {Way::SaveFile, Way::SaveDefault, Way::SaveWithDialog}) {
    SCOPED_TRACE(static_cast<int>(way));
    RecordingHost host;
    TempDir dir;
    host.ExeFolder = dir.FolderWithSeparator();
    // default.cfg is a folder holding a file of its own: nothing may replace or enter it.
    std::filesystem::create_directory(dir.Path() / "default.cfg");
    testing::WriteFile(dir.File("default.cfg/inside"), "kept");

    TConfigLarkspur config;
    config.Settings = DefaultLarkspurSettings();
    EXPECT_FALSE(Save(way, config, host, dir.File("default.cfg")));
    EXPECT_EQ(host.Messages,
              (std::vector<RecordedMessage>{{MessageKind::Error, "Failed to create file."}}));
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), std::vector<std::string>{"default.cfg"});
    EXPECT_EQ(testing::SortedFileNames(dir.Path() / "default.cfg"),
              std::vector<std::string>{"inside"});
    EXPECT_EQ(ReadFile(dir.File("default.cfg/inside")), "kept");
  }
}

}  // namespace
}  // namespace pinwright
