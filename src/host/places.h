// Where the program keeps its settings and puts new projects. A program whose folder it may
// write to (the build tree, a portable copy) keeps everything beside its executable; an
// installed program keeps its settings in the user's configuration folder and its projects
// in the home folder.
#pragma once

#include <string>

namespace pinwright {

// The reverse-DNS name under which the program is installed: desktop entry, metainfo, icon.
inline constexpr const char* kApplicationId = "io.github.pinwright.Pinwright";

struct StoragePlaces {
  std::string SettingsFolder;  // default.cfg and the INI file
  std::string ProjectsFolder;  // holds CodeGenerated/; the .cfg dialogs start here too
  std::string CardsFolder;     // the user's card files
};

// What the places are decided from; filled from the running system by CurrentPlaces.
struct PlacesInput {
  std::string ExecutableFolder;  // with its trailing separator
  bool ExecutableFolderIsOwn = true;
  std::string Home;           // $HOME, or the password entry's home folder
  std::string XdgConfigHome;  // $XDG_CONFIG_HOME as set, possibly empty
  std::string XdgDataHome;    // $XDG_DATA_HOME as set, possibly empty
};

// Every folder ends with a separator. A portable program keeps its card files in cards/ beside
// it, an installed one in $XDG_DATA_HOME/pinwright/cards/. A relative XDG_CONFIG_HOME or
// XDG_DATA_HOME is ignored, as the XDG base directory rules ask.
StoragePlaces ResolvePlaces(const PlacesInput& input);

// True when the program may keep its files beside the executable (a portable copy): the
// folder accepts a new file and is not named "bin". A copy in a bin folder is installed,
// whoever may write there (/usr/local/bin for the superuser, ~/.local/bin for its owner).
bool IsOwnFolder(const std::string& executableFolder);

// The places for the host's executable folder and the process's environment.
StoragePlaces CurrentPlaces();

// Creates the folder and its parents; false when it does not exist afterwards.
bool MakeFolder(const std::string& folder);

}  // namespace pinwright
