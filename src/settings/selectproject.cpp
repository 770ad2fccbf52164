// The project-location step: the default project folder in the projects folder and the save
// dialog for the .qpf.
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "host/paths.h"
#include "host/places.h"
#include "settings/configboard.h"

namespace pinwright {

std::string DefaultProjectFolder(const std::string& baseFolder, const std::string& boardFolderName,
                                 const std::string& projectName) {
  // The base folder ends in its separator; the rest follows the system's own.
  return baseFolder + "CodeGenerated" + kFolderSeparator + boardFolderName + kFolderSeparator +
         projectName + kFolderSeparator;
}

Result<std::string> TConfigBoard::SelectProjectFile(FileDialog& dialog,
                                                    const std::string& boardFolderName,
                                                    const std::string& projectName) {
  const std::string folder =
      DefaultProjectFolder(CurrentPlaces().ProjectsFolder, boardFolderName, projectName);
  // The dialog opens in this folder; should it be missing after all, the dialog still lets
  // the user pick another one, so a failure here needs no message.
  std::error_code error;
  if (!std::filesystem::is_directory(PathFromUtf8(folder), error)) {
    std::filesystem::create_directories(PathFromUtf8(folder), error);
  }

  dialog.Kind = FileDialogKind::Save;
  dialog.FilterDescription = "Quartus Project File (*.qpf)";
  dialog.FilterPattern = "*.qpf";
  dialog.FilterIndex = 1;
  dialog.DefaultExtension = "qpf";
  dialog.InitialFileName = projectName + ".qpf";
  dialog.InitialFolder = folder;
  std::optional<std::string> chosen = CurrentHost().RunFileDialog(dialog);
  if (!chosen)
    return Failure{FailureKind::Cancelled, {}, {}, {}};
  return std::move(*chosen);
}

}  // namespace pinwright
