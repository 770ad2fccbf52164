// The project-location step: the default project folder in the projects folder and the save
// dialog for the .qpf.
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

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
  // the user pick another one, so a failure here needs no message. The folders made here are
  // noted, deepest first, so that a cancelled dialog leaves no empty folders behind.
  namespace fs = std::filesystem;
  std::error_code error;
  std::vector<fs::path> made;
  for (fs::path step = PathFromUtf8(folder).parent_path();
       !step.empty() && step != step.parent_path() && !fs::exists(step, error);
       step = step.parent_path()) {
    made.push_back(step);
  }
  if (!made.empty())
    fs::create_directories(made.front(), error);

  dialog.Kind = FileDialogKind::Save;
  dialog.Title = "Generate project";
  dialog.FilterDescription = "Quartus Project File (*.qpf)";
  dialog.FilterPattern = "*.qpf";
  dialog.FilterIndex = 1;
  dialog.DefaultExtension = "qpf";
  dialog.InitialFileName = projectName + ".qpf";
  dialog.InitialFolder = folder;
  std::optional<std::string> chosen = CurrentHost().RunFileDialog(dialog);
  // The folders made for the dialog go again unless the chosen file is to go into one of
  // them. Removing a folder fails while it holds anything, so whatever was put there stays.
  const fs::path target =
      chosen ? PathFromUtf8(*chosen).parent_path().lexically_normal() : fs::path();
  for (const fs::path& step : made) {
    const fs::path inside = target.lexically_relative(step.lexically_normal());
    if (chosen && !inside.empty() && *inside.begin() != "..")
      break;
    if (!fs::remove(step, error))
      break;
  }
  if (chosen)
    return *std::move(chosen);
  return Failure{FailureKind::Cancelled, {}, {}, {}};
}

}  // namespace pinwright
