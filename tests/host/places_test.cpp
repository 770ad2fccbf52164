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
      {"portable copy", {"/opt/pw/", true, "/home/ann", "/x/conf"}, {"/opt/pw/", "/opt/pw/"}},
      {"installed",
       {"/usr/bin/", false, "/home/ann", ""},
       {"/home/ann/.config/pinwright/", "/home/ann/"}},
      {"XDG_CONFIG_HOME",
       {"/usr/bin/", false, "/home/ann/", "/x/conf"},
       {"/x/conf/pinwright/", "/home/ann/"}},
      {"relative XDG_CONFIG_HOME is ignored",
       {"/usr/bin/", false, "/home/ann", "conf"},
       {"/home/ann/.config/pinwright/", "/home/ann/"}},
      {"no home", {"/usr/bin/", false, "", ""}, {"/.config/pinwright/", "/"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const StoragePlaces places = ResolvePlaces(c.Input);
    EXPECT_EQ(places.SettingsFolder, c.Expected.SettingsFolder);
    EXPECT_EQ(places.ProjectsFolder, c.Expected.ProjectsFolder);
  }
}

TEST(IsOwnFolder, AnInstalledBinFolderIsNeverTheProgramsOwn) {
  namespace fs = std::filesystem;
  testing::TempDir prefix;
  const fs::path bin = prefix.Path() / "bin";
  fs::create_directories(bin);
  EXPECT_TRUE(IsOwnFolder(bin.string() + "/"));
  fs::create_directories(prefix.Path() / "share" / "metainfo");
  testing::WriteFile(
      (prefix.Path() / "share" / "metainfo" / (std::string(kApplicationId) + ".metainfo.xml"))
          .string(),
      "<component/>");
  EXPECT_FALSE(IsOwnFolder(bin.string() + "/"));
  EXPECT_FALSE(IsOwnFolder((prefix.Path() / "missing").string() + "/"));
}

}  // namespace
}  // namespace pinwright
