// The settings object of a board form: the record (in the derived class), the folder of the
// .cfg dialogs and the list of daughter cards the GPIO headers offer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/failure.h"
#include "host/host.h"

namespace pinwright {

// The default project folder, with its trailing separator: "CodeGenerated/BOARD/NAME/" inside
// the base folder (which ends in a separator), BOARD being the board folder name and NAME the
// project name.
std::string DefaultProjectFolder(const std::string& baseFolder, const std::string& boardFolderName,
                                 const std::string& projectName);

// What a save does with a file in its place that is no settings record: refuses it, or,
// once the user has agreed to replace it, keeps it as a numbered backup (NAME.~N~) first.
// KeepAnyAsBackup keeps a settings record that differs from the new one as well.
enum class OtherFile { Refuse, KeepAsBackup, KeepAnyAsBackup };

class TConfigBoard {
 public:
  virtual ~TConfigBoard() = default;

  // Fills the record from the file, or leaves it untouched and fails: Missing (no reason)
  // when the file does not exist, else CannotRead with the reason "Invalid File Size.",
  // "Failed to read file." or "Failed to open file.". Shows nothing.
  virtual Status LoadFile(const std::string& path) = 0;
  // Writes the record to the file, all or nothing, or fails with the reason "Failed to
  // create file." (CannotCreate, or ForeignFile for a file in its place that is no
  // settings record, when other says to refuse it) or "Failed to write file."
  // (ShortWrite). Shows nothing. backup, when given, receives the full path of the backup
  // kept of such a file, or empty text.
  virtual Status SaveFile(const std::string& path, OtherFile other = OtherFile::Refuse,
                          std::string* backup = nullptr) = 0;

  // default.cfg in the settings folder: beside the executable, or the user's configuration
  // folder for an installed program.
  std::string DefaultPath() const;
  Status LoadDefault();
  // A default.cfg that is no settings record is kept as a numbered backup; with
  // KeepAnyAsBackup, an older record too. backup receives the backup's path, or empty text.
  Status SaveDefault(OtherFile other = OtherFile::KeepAsBackup, std::string* backup = nullptr);
  // The dialogs start in Folder with the .cfg filter, and Folder follows the pick even when
  // the file then fails. Both propose FileName, the last .cfg file picked; before the first
  // pick the save dialog proposes proposedName (e.g. "LARKSPUR.cfg").
  // The open dialog, offering files of the further kinds after .cfg files (and first all of
  // them together): the path picked,
  // not yet loaded, or nothing when the user cancels.
  std::optional<std::string> PickFileToLoad(FileDialog& dialog,
                                            std::vector<FileFilter> moreFilters = {});
  // Runs the save dialog and saves to the pick; Cancelled when the user cancels. The dialog
  // asks before it names a file that exists, so a picked file that is no settings record is
  // replaced, kept as a numbered backup.
  Status SaveWithDialog(FileDialog& dialog, const std::string& proposedName = {});

  // Rewrites ChoiceCount and ChoiceList with the cards a GPIO header offers, in display
  // order ("None" first; the cards layer's GpioHeaderChoices), all of them.
  void FillChoiceList(std::span<const std::int32_t> offered);
  // True when the choice list holds the card.
  bool OffersCard(std::int32_t cardId) const;
  // The item index of the card in the choice list; nothing when the list does not hold it.
  std::optional<int> ChoiceIndexOf(std::int32_t cardId) const;
  // The card of an item index; "None" (0) for an index outside the list.
  std::int32_t ChoiceAt(int index) const;
  // Creates the default project folder (CodeGenerated/<board>/<project>/ in the projects
  // folder), runs the save dialog for the .qpf and returns the chosen path; Cancelled when the
  // user cancels.
  Result<std::string> SelectProjectFile(FileDialog& dialog, const std::string& boardFolderName,
                                        const std::string& projectName);

  std::string Folder;
  std::string FileName;
  std::int32_t ChoiceCount = 0;
  std::vector<std::int32_t> ChoiceList;
};

}  // namespace pinwright
