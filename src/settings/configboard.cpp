#include "settings/configboard.h"

#include <filesystem>
#include <string_view>

#include "host/places.h"

namespace pinwright {
namespace {

constexpr const char* kCfgFilterDescription = "Board Configuration Files (*.cfg)";
constexpr const char* kCfgFilterPattern = "*.cfg";
constexpr const char* kCfgExtension = "cfg";

// Where a path's folder part ends. Hosts hand over '/' paths; on Windows a native '\' is
// accepted as well.
constexpr std::string_view kSeparators =
    std::filesystem::path::preferred_separator == '\\' ? "/\\" : "/";

// The folder part of a full path, with its trailing separator.
std::string FolderOf(const std::string& path) {
  const std::string::size_type cut = path.find_last_of(kSeparators);
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

void PrepareCfgDialog(FileDialog& dialog, FileDialogKind kind, const std::string& folder) {
  dialog.Kind = kind;
  dialog.FilterDescription = kCfgFilterDescription;
  dialog.FilterPattern = kCfgFilterPattern;
  dialog.FilterIndex = 1;
  dialog.DefaultExtension = kCfgExtension;
  dialog.InitialFolder = folder;
}

}  // namespace

std::string TConfigBoard::DefaultPath() const {
  return CurrentPlaces().SettingsFolder + "default.cfg";
}

// LoadFile itself answers a missing file with false and no reason.
bool TConfigBoard::LoadDefault() {
  return LoadFile(DefaultPath());
}

bool TConfigBoard::SaveDefault() {
  // The configuration folder of an installed program may not exist yet; should it fail to
  // appear, SaveFile says so.
  MakeFolder(CurrentPlaces().SettingsFolder);
  return SaveFile(DefaultPath());
}

bool TConfigBoard::LoadWithDialog(FileDialog& dialog) {
  // A reason left from an earlier load must not be taken for this one's.
  LoadReason.clear();
  PrepareCfgDialog(dialog, FileDialogKind::Open, Folder);
  std::optional<std::string> path = CurrentHost().RunFileDialog(dialog);
  if (!path)
    return false;
  // Follows the pick even when the file then turns out to be unusable.
  Folder = FolderOf(*path);
  return LoadFile(*path);
}

bool TConfigBoard::SaveWithDialog(FileDialog& dialog) {
  PrepareCfgDialog(dialog, FileDialogKind::Save, Folder);
  std::optional<std::string> path = CurrentHost().RunFileDialog(dialog);
  if (!path)
    return false;
  Folder = FolderOf(*path);
  return SaveFile(*path);
}

}  // namespace pinwright
