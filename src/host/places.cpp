#include "host/places.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "host/host.h"
#include "host/paths.h"
#include "host/platform.h"

namespace pinwright {
namespace {

namespace fs = std::filesystem;

std::string WithSeparator(std::string folder) {
  // Windows' own separator counts as well, and a '/' works there too.
  if (folder.empty() || (folder.back() != '/' && folder.back() != kFolderSeparator))
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
    return {input.ExecutableFolder, input.ExecutableFolder, input.ExecutableFolder + "cards/"};
  const std::string home = WithSeparator(input.Home.empty() ? "/" : input.Home);
  auto usable = [](const std::string& folder) { return !folder.empty() && folder.front() == '/'; };
  const std::string configHome =
      usable(input.XdgConfigHome) ? WithSeparator(input.XdgConfigHome) : home + ".config/";
  const std::string dataHome =
      usable(input.XdgDataHome) ? WithSeparator(input.XdgDataHome) : home + ".local/share/";
  return {configHome + "pinwright/", home, dataHome + "pinwright/cards/"};
}

bool IsOwnFolder(const std::string& executableFolder) {
  // A bin folder holds programs of many kinds (/usr/bin, ~/.local/bin, /opt/NAME/bin): one
  // that takes new files is still no place for a program's settings and projects.
  const fs::path folder = PathFromUtf8(WithSeparator(executableFolder)).parent_path();
  if (folder.filename() == "bin")
    return false;
  return platform::MayCreateFilesIn(executableFolder);
}

StoragePlaces CurrentPlaces() {
  PlacesInput input;
  input.ExecutableFolder = WithSeparator(CurrentHost().ExecutableFolder());
  input.ExecutableFolderIsOwn = IsOwnFolder(input.ExecutableFolder);
  input.Home = HomeFolder();
  input.XdgConfigHome = EnvironmentText("XDG_CONFIG_HOME");
  input.XdgDataHome = EnvironmentText("XDG_DATA_HOME");
  return ResolvePlaces(input);
}

bool MakeFolder(const std::string& folder) {
  std::error_code error;
  const fs::path path = PathFromUtf8(folder);
  if (fs::is_directory(path, error))
    return true;
  fs::create_directories(path, error);
  return fs::is_directory(path, error);
}

}  // namespace pinwright
