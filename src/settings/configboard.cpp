#include "settings/configboard.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <utility>
#include "host/paths.h"

#include "host/places.h"

namespace pinwright {
namespace {

constexpr const char* kCfgFilterDescription = "Board Configuration Files (*.cfg)";
constexpr const char* kCfgFilterPattern = "*.cfg";
constexpr const char* kCfgExtension = "cfg";

void PrepareCfgDialog(FileDialog& dialog, FileDialogKind kind, const std::string& folder,
                      const std::string& fileName) {
  dialog.Kind = kind;
  dialog.Title = kind == FileDialogKind::Save ? "Save settings" : "Load settings";
  dialog.FilterDescription = kCfgFilterDescription;
  dialog.FilterPattern = kCfgFilterPattern;
  dialog.FilterIndex = 1;
  dialog.DefaultExtension = kCfgExtension;
  dialog.InitialFolder = folder;
  // Set every time: a dialog object that once proposed a file of another kind must not
  // propose it here.
  dialog.InitialFileName = fileName;
  dialog.MoreFilters.clear();
}

}  // namespace

void TConfigBoard::FillChoiceList(std::span<const std::int32_t> offered) {
  ChoiceList.assign(offered.begin(), offered.end());
  ChoiceCount = static_cast<std::int32_t>(ChoiceList.size());
}

bool TConfigBoard::OffersCard(std::int32_t cardId) const {
  return ChoiceIndexOf(cardId).has_value();
}

std::optional<int> TConfigBoard::ChoiceIndexOf(std::int32_t cardId) const {
  for (int i = 0; i < ChoiceCount; ++i) {
    if (ChoiceList[static_cast<std::size_t>(i)] == cardId)
      return i;
  }
  return std::nullopt;
}

std::int32_t TConfigBoard::ChoiceAt(int index) const {
  if (index < 0 || index >= ChoiceCount)
    return 0;
  return ChoiceList[static_cast<std::size_t>(index)];
}

std::string TConfigBoard::DefaultPath() const {
  return CurrentPlaces().SettingsFolder + "default.cfg";
}

Status TConfigBoard::LoadDefault() {
  return LoadFile(DefaultPath());
}

Status TConfigBoard::SaveDefault(OtherFile other, std::string* backup) {
  // The configuration folder of an installed program may not exist yet; should it fail to
  // appear, SaveFile says so.
  MakeFolder(CurrentPlaces().SettingsFolder);
  return SaveFile(DefaultPath(), other, backup);
}

std::optional<std::string> TConfigBoard::PickFileToLoad(FileDialog& dialog,
                                                        std::vector<FileFilter> moreFilters) {
  PrepareCfgDialog(dialog, FileDialogKind::Open, Folder, FileName);
  // With further kinds, the filter shown first offers every kind, so that no file the
  // program reads is hidden until the filter is changed; each kind alone follows.
  if (!moreFilters.empty()) {
    FileFilter every{"Settings files", dialog.FilterPattern};
    for (const FileFilter& more : moreFilters)
      every.Pattern += " " + more.Pattern;
    dialog.MoreFilters = {{dialog.FilterDescription, dialog.FilterPattern}};
    dialog.MoreFilters.insert(dialog.MoreFilters.end(), moreFilters.begin(), moreFilters.end());
    dialog.FilterDescription = every.Description;
    dialog.FilterPattern = every.Pattern;
  }
  std::optional<std::string> path = CurrentHost().RunFileDialog(dialog);
  if (!path)
    return std::nullopt;
  // Follows the pick even when the file then turns out to be unusable.
  Folder = FolderOf(*path);
  FileName = FileNameOf(*path);
  return path;
}

Status TConfigBoard::SaveWithDialog(FileDialog& dialog, const std::string& proposedName) {
  PrepareCfgDialog(dialog, FileDialogKind::Save, Folder,
                   FileName.empty() ? proposedName : FileName);
  std::optional<std::string> path = CurrentHost().RunFileDialog(dialog);
  if (!path)
    return Failure{FailureKind::Cancelled, {}, {}, {}};
  Folder = FolderOf(*path);
  FileName = FileNameOf(*path);
  return SaveFile(*path, OtherFile::KeepAsBackup);
}

}  // namespace pinwright
