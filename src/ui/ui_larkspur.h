// The Larkspur board form: the board picture with an outline over every chosen part, the
// settings controls, and the buttons that save, load, generate and leave.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/host.h"
#include "project/checkedproject.h"
#include "settings/configlarkspur.h"

class QCheckBox;
class QComboBox;
class QPoint;
class QPushButton;
class QLabel;
class QLineEdit;
class QStyle;
class QToolButton;

namespace pinwright {

class TFormMain;
class TOutline;

inline constexpr int kLarkspurFormWidth = 789;
inline constexpr int kLarkspurFormHeight = 520;
inline constexpr const char* kLarkspurCaption = "Larkspur V1.0.0";
inline constexpr int kProjectNameMaxLength = static_cast<int>(kTextCapacity);
inline constexpr int kPrefixMaxLength = static_cast<int>(kPrefixLimit);
inline constexpr int kComponentCount = static_cast<int>(kLarkspurComponents.size());
inline constexpr int kHeaderCount = 2;
inline constexpr int kButtonCount = 4;

class TFormLarkspur : public QWidget {
  Q_OBJECT

 public:
  // Builds the controls, fills the card lists and shows default.cfg or the defaults.
  explicit TFormLarkspur(TFormMain& owner);
  ~TFormLarkspur() override;

  // Event handlers.
  void CheckBoxClick();
  void ComboBoxGpioChange();
  void ButtonSaveClick();
  void ButtonLoadClick();
  void ButtonGenClick();
  void ButtonExitClick();
  // Copies the controls into the record and writes default.cfg; false when it could not be
  // written (the form then stays open once).
  bool FormClose();

  // Puts the focus in the project name, where the user starts.
  void FocusFirstField();
  void InitChoiceLists();
  void SetDefaultSettings();
  void SettingsToControls();
  void ControlsToSettings();
  void UpdateCardImages();
  void UpdateOutlines();
  // Enables each prefix field while its header carries a card, and marks the typed fields
  // that generation in the chosen top-level language would refuse: a tint and a warning sign
  // in the field, the reason as its tooltip and description, and the reason in a box just
  // below the field (above it at the form's end), announced to screen readers when it changes.
  void UpdateFieldMarks();
  // Takes the light or the dark colours, as the desktop's own palette is light or dark.
  void ApplyColourScheme();
  // The About box: version, licence, and where settings and projects are kept.
  void ShowAbout();
  // Shows the settings of a board settings file, as Load Setting does for a picked one;
  // false, after saying why, when the file cannot be used.
  bool LoadSettingsFile(const std::string& path);
  // Checks the controls as they would be saved: the checked settings, or nothing after
  // showing the first problem in an error box; the names in the language about to be
  // generated first.
  std::optional<CheckedSettings> CheckInputs(HdlLanguage language = HdlLanguage::Verilog);
  // What Generate writes beyond the fixed files, as the output controls show it.
  GenerationOptions OutputChoices() const;
  void ShowOutputChoices(const GenerationOptions& options);
  // Loads the settings a Quartus settings file gives back, and says what it left out.
  void LoadQsfFile(const std::string& path);
  // Tells the designer, in a warning box that does not block the form, of the card files the
  // loaded cards left out that were not told of before (each file with its error lines), and
  // of a default.cfg naming a card whose file was not found. Nothing when all is well.
  void ShowCardNotice();

  TConfigLarkspur& Configuration() { return *Config; }

 signals:
  // The reasons of the refused fields changed and were announced to screen readers.
  void ProblemsAnnounced(const QString& text);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void CreateControls();
  void WireHandlers();
  void SetTabOrder();
  void CreateOutputControls(QWidget* panel);
  // The controls written over a copy of the record, as ControlsToSettings would store them.
  void ControlsToRecord(TLarkspurSettings& record) const;
  std::int32_t SelectedCard(int header) const;
  // The last entry of a card list: a card file chosen, checked, taken into the user's card
  // folder and selected on the header, or every problem in one error box.
  void ChooseCardFile(int header);
  // Fills the card lists again and shows these cards on the headers.
  void ShowCards(std::array<std::int32_t, kHeaderCount> cards);
  // The context menu of a card list: remove the user card it shows (its file kept as a
  // numbered backup) after asking.
  void ShowCardMenu(int header, const QPoint& at);
  void RemoveCard(std::int32_t card);

  TFormMain& Owner;
  std::unique_ptr<TConfigLarkspur> Config;

  QLineEdit* EditProjectName = nullptr;
  std::array<QCheckBox*, kComponentCount> ComponentChecks{};
  std::array<TOutline*, kComponentCount> ComponentShapes{};
  std::array<QComboBox*, kHeaderCount> HeaderCombos{};
  std::array<QLineEdit*, kHeaderCount> PrefixEdits{};
  std::array<QLabel*, kHeaderCount> HeaderImages{};
  std::array<TOutline*, kHeaderCount> HeaderShapes{};
  std::array<QPushButton*, kButtonCount> Buttons{};
  QComboBox* ComboTopLevel = nullptr;  // the language of the top level
  // A check box for each other option of the output table, in the table's order.
  std::vector<std::pair<const OutputOption*, QCheckBox*>> OutputSwitches;
  // The cards selected before "Card file..." was picked, for when the choice is abandoned.
  std::array<std::int32_t, kHeaderCount> ShownCards{};
  // The reason of each refused typed field (project name, GPIO-0 and GPIO-1 prefix).
  std::array<QLabel*, 3> ReasonLabels{};
  QToolButton* ButtonAbout = nullptr;
  // The form draws its controls with a style that honours its palette, whatever style the
  // desktop sets: some paint fixed colours of their own over any palette.
  QStyle* FormStyle = nullptr;
  bool DarkScheme = false;

  // Each dialog keeps its own folder and file name; the settings object sets kind, filter,
  // folder and file name each time it runs one of them.
  FileDialog OpenDialog;
  FileDialog SaveDialog;
  FileDialog ProjectDialog;
  // Set when Exit could not keep the settings in default.cfg: the next Exit leaves anyway.
  bool SettingsNotKept = false;
  // default.cfg named a card whose file was not found: what the card notice says of it (empty
  // once told), and that Exit keeps that default.cfg as a numbered backup before replacing it.
  std::string MissingCardText;
  bool KeepOldDefault = false;
  // The refused card files the designer was told of.
  std::vector<std::string> ToldRefusedFiles;
};

}  // namespace pinwright
