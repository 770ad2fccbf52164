#include "settings/configboard.h"

#include "host/paths.h"

namespace pinwright {
namespace {

constexpr const char* kCfgFilterDescription = "Board Configuration Files (*.cfg)";
constexpr const char* kCfgFilterPattern = "*.cfg";
constexpr const char* kCfgExtension = "cfg";

void PrepareCfgDialog(FileDialog& dialog, FileDialogKind kind, const std::string& folder,
                      const std::string& fileName) {
  dialog.Kind = kind;
  dialog.FilterDescription = kCfgFilterDescription;
  dialog.FilterPattern = kCfgFilterPattern;
  dialog.FilterIndex = 1;
  dialog.DefaultExtension = kCfgExtension;
  dialog.InitialFolder = folder;
  // Set every time: a dialog object that once proposed a file of another kind must not
  // propose it here.
  dialog.InitialFileName = fileName;
}

}  // namespace

std::string TConfigBoard::DefaultPath() const {
  return CurrentHost().ExecutableFolder() + "default.cfg";
}

// LoadFile itself answers a missing file with false and no reason.
bool TConfigBoard::LoadDefault() {
  return LoadFile(DefaultPath());
}

bool TConfigBoard::SaveDefault() {
  return SaveFile(DefaultPath());
}

bool TConfigBoard::LoadWithDialog(FileDialog& dialog) {
  // A reason left from an earlier load must not be taken for this one's.
  LoadReason.clear();
  PrepareCfgDialog(dialog, FileDialogKind::Open, Folder, FileName);
  std::optional<std::string> path = CurrentHost().RunFileDialog(dialog);
  if (!path)
    return false;
  // Follows the pick even when the file then turns out to be unusable.
  Folder = FolderOf(*path);
  FileName = FileNameOf(*path);
  return LoadFile(*path);
}

bool TConfigBoard::SaveWithDialog(FileDialog& dialog, const std::string& proposedName) {
  PrepareCfgDialog(dialog, FileDialogKind::Save, Folder,
                   FileName.empty() ? proposedName : FileName);
  std::optional<std::string> path = CurrentHost().RunFileDialog(dialog);
  if (!path)
    return false;
  Folder = FolderOf(*path);
  FileName = FileNameOf(*path);
  return SaveFile(*path);
}

}  // namespace pinwright
