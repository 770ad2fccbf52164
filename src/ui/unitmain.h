// The main window: hosts the Larkspur form, shows daughter-card pictures for it and records
// the board in the INI file (in the settings folder, beside default.cfg) when the program ends.
#pragma once

#include <QWidget>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cards/usercards.h"

class QCloseEvent;
class QLabel;
class QScrollArea;

namespace pinwright {

class TFormLarkspur;

struct WindowPosition {
  int Left = 0;
  int Top = 0;
  bool operator==(const WindowPosition&) const = default;
};

// Where a window of the given client size sits centred on the screen; the halves are
// rounded toward zero, so a screen narrower than the window gives a negative position.
WindowPosition CentredWindowPosition(int screenWidth, int screenHeight, int width, int height);

// The INI file: the executable's file name with its extension replaced by ".INI", in the
// settings folder.
std::string IniFilePath(const std::string& settingsFolder, const std::string& executableName);

class TFormMain : public QWidget {
  Q_OBJECT

 public:
  // extraCards: card folders and files given on the command line, loaded after the
  // standard card folder.
  explicit TFormMain(std::vector<CardSource> extraCards = {}, QWidget* parent = nullptr);
  ~TFormMain() override;

  // Creates the Larkspur form inside the window, fits the window around it and centres it;
  // on a screen too small for the form, the window fills the room there is and scrolls.
  void ShowBoard();
  // Shows the card's picture in the control, or hides the control for a card without one. A
  // card file's card without a picture of its own shows its generated picture on the header
  // of that index into kLarkspurHeaders, with that header's balls.
  void ShowCardPicture(QLabel* picture, std::int32_t cardId, int header = 0);
  // Writes CurrentBoard under [Builder] MainBoard; failures are ignored.
  void SaveLastBoard();
  // The form's output choices under [Output] (TopLevel: verilog, systemverilog or vhdl;
  // Testbench and PinList: 0 or 1): read when the form is shown, written when the program
  // ends. A missing or unknown value reads as the default.
  void LoadOutputChoices();
  void SaveOutputChoices();

  std::int32_t CurrentBoard() const { return Board; }
  TFormLarkspur* Form() const { return Larkspur; }
  std::span<const CardSource> ExtraCardSources() const { return ExtraCards; }

 protected:
  // However the window is closed, the form closes first and keeps the settings as Exit
  // does; when they cannot be kept, the window stays open once.
  void closeEvent(QCloseEvent* event) override;

 private:
  std::string IniPath() const;

  QScrollArea* Scroller = nullptr;
  TFormLarkspur* Larkspur = nullptr;
  std::int32_t Board = 0;
  std::vector<CardSource> ExtraCards;
};

}  // namespace pinwright
