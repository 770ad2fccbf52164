// The settings object of a board form: the record (in the derived class), the folder of the
// .cfg dialogs and the list of daughter cards the GPIO headers offer.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "host/host.h"

namespace pinwright {

// The default project folder, with its trailing separator: "CodeGenerated/BOARD/NAME/" inside
// the base folder (which ends in a separator), BOARD being the board folder name and NAME the
// project name.
std::string DefaultProjectFolder(const std::string& baseFolder, const std::string& boardFolderName,
                                 const std::string& projectName);

class TConfigBoard {
 public:
  virtual ~TConfigBoard() = default;

  // Fills the record from the file; on failure leaves it untouched and returns false, with
  // the reason in LoadFailReason ("Invalid File Size.", "Failed to read file.", "Failed to
  // open file.", or empty when the file does not exist).
  virtual bool LoadFile(const std::string& path) = 0;
  // Writes the record to the file, all or nothing; on failure shows "Failed to create file."
  // or "Failed to write file." and returns false.
  virtual bool SaveFile(const std::string& path) = 0;

  const std::string& LoadFailReason() const { return LoadReason; }

  // default.cfg in the settings folder: beside the executable, or the user's configuration
  // folder for an installed program.
  std::string DefaultPath() const;
  bool LoadDefault();
  bool SaveDefault();
  // Runs the dialog (initial folder Folder, the .cfg filter) and loads or saves the pick.
  bool LoadWithDialog(FileDialog& dialog);
  bool SaveWithDialog(FileDialog& dialog);

  // Rewrites ChoiceCount and ChoiceList with the cards a GPIO header offers.
  void FillChoiceList();
  // Creates the default project folder (CodeGenerated/<board>/<project>/ in the projects
  // folder), runs the save dialog for the .qpf and returns the chosen path, or empty text on
  // cancel.
  std::string SelectProjectFile(FileDialog& dialog, const std::string& boardFolderName,
                                const std::string& projectName);

  std::string Folder;
  std::int32_t ChoiceCount = 0;
  std::array<std::int32_t, 256> ChoiceList{};

 protected:
  std::string LoadReason;
};

}  // namespace pinwright
