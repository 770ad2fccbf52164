#include "host/places.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "host/host.h"
#include "host/platform.h"

namespace pinwright {
namespace {

namespace fs = std::filesystem;

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/')
    folder += '/';
  return folder;
}

std::string EnvironmentText(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
  std::string home = EnvironmentText("HOME");
  if (!home.empty())
    return home;
  home = platform::UserHomeFolder();
  return home.empty() ? "/" : home;
}

}  // namespace

StoragePlaces ResolvePlaces(const PlacesInput& input) {
  if (input.ExecutableFolderIsOwn)
    return {input.ExecutableFolder, input.ExecutableFolder};
  const std::string home = WithSeparator(input.Home.empty() ? "/" : input.Home);
  const bool xdgUsable = !input.XdgConfigHome.empty() && input.XdgConfigHome.front() == '/';
  const std::string configHome = xdgUsable ? WithSeparator(input.XdgConfigHome) : home + ".config/";
  return {configHome + "pinwright/", home};
}

bool IsOwnFolder(const std::string& executableFolder) {
  std::error_code error;
  const fs::path folder(executableFolder);
  const fs::path metainfo = folder.parent_path().parent_path() / "share" / "metainfo" /
                            (std::string(kApplicationId) + ".metainfo.xml");
  if (folder.parent_path().filename() == "bin" && fs::exists(metainfo, error))
    return false;
  return platform::MayCreateFilesIn(executableFolder);
}

StoragePlaces CurrentPlaces() {
  PlacesInput input;
  input.ExecutableFolder = WithSeparator(CurrentHost().ExecutableFolder());
  input.ExecutableFolderIsOwn = IsOwnFolder(input.ExecutableFolder);
  input.Home = HomeFolder();
  input.XdgConfigHome = EnvironmentText("XDG_CONFIG_HOME");
  return ResolvePlaces(input);
}

bool MakeFolder(const std::string& folder) {
  std::error_code error;
  if (fs::is_directory(folder, error))
    return true;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error);
}

}  // namespace pinwright
