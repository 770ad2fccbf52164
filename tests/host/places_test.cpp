#include "host/places.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/tempdir.h"

namespace pinwright {
namespace {

TEST(ResolvePlaces, OwnFolderKeepsEverythingBesideTheExecutableElseFollowsTheUser) {
  struct Case {
    const char* Name;
    PlacesInput Input;
    StoragePlaces Expected;
  };
  const Case cases[] = {
      {"portable copy",
       {"/opt/pw/", true, "/home/ann", "/x/conf", "/x/data"},
       {"/opt/pw/", "/opt/pw/", "/opt/pw/cards/"}},
      {"installed",
       {"/usr/bin/", false, "/home/ann", "", ""},
       {"/home/ann/.config/pinwright/", "/home/ann/", "/home/ann/.local/share/pinwright/cards/"}},
      {"XDG_CONFIG_HOME and XDG_DATA_HOME",
       {"/usr/bin/", false, "/home/ann/", "/x/conf", "/x/data/"},
       {"/x/conf/pinwright/", "/home/ann/", "/x/data/pinwright/cards/"}},
      {"relative XDG folders are ignored",
       {"/usr/bin/", false, "/home/ann", "conf", "data"},
       {"/home/ann/.config/pinwright/", "/home/ann/", "/home/ann/.local/share/pinwright/cards/"}},
      {"no home",
       {"/usr/bin/", false, "", "", ""},
       {"/.config/pinwright/", "/", "/.local/share/pinwright/cards/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const StoragePlaces places = ResolvePlaces(c.Input);
    EXPECT_EQ(places.SettingsFolder, c.Expected.SettingsFolder);
    EXPECT_EQ(places.ProjectsFolder, c.Expected.ProjectsFolder);
    EXPECT_EQ(places.CardsFolder, c.Expected.CardsFolder);
  }
}

TEST(IsOwnFolder, AWritableFolderIsOwnUnlessItIsABinFolder) {
  namespace fs = std::filesystem;
  testing::TempDir scratch;
  struct Case {
    const char* Folder;
    bool Make;
    bool Own;
  };
  const Case cases[] = {
      {"portable", true, true},           {"bin", true, false},     {"local/bin", true, false},
      {"opt/pinwright/bin", true, false}, {"binaries", true, true}, {"bin/tools", true, true},
      {"missing", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Folder);
    const fs::path folder = scratch.Path() / c.Folder;
    if (c.Make)
      fs::create_directories(folder);
    EXPECT_EQ(IsOwnFolder(folder.string() + "/"), c.Own);
    EXPECT_EQ(IsOwnFolder(folder.string()), c.Own);  // without its separator
  }
}

}  // namespace
}  // namespace pinwright
