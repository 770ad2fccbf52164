// A program started in a scratch folder: the recorder as host (its executable folder is the
// scratch folder), and the main window with its form, found by the layout's control names.
#pragma once

#include <QColor>
#include <QComboBox>
#include <QPalette>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "support/recordinghost.h"
#include "support/tempdir.h"
#include "ui/ui_larkspur.h"
#include "ui/unitmain.h"

namespace pinwright::testing {

class StartedProgram {
 public:
  StartedProgram();
  ~StartedProgram();

  // Starts (or restarts) the program: a fresh main window, shown, with the card folders and
  // files of the command line.
  void Start(std::vector<CardSource> extraCards = {});
  // Ends it the way the program ends: the main window is destroyed.
  void Stop();

  TFormMain& Window() { return *Main; }
  TFormLarkspur& Form() { return *Main->Form(); }
  // The form's control of that name; fails the test when there is none.
  template <typename Control>
  Control* Find(const char* name) {
    auto* control = Main->findChild<Control*>(QString::fromLatin1(name));
    if (!control)
      throw std::runtime_error(std::string("no control named ") + name);
    return control;
  }

  // User actions, as mouse clicks and keys.
  void Click(const char* name);  // a button or a check box
  void SelectItem(const char* comboName, int index);
  void SelectCard(const char* comboName, std::int32_t cardId);
  void TypeInto(const char* editName, const QString& text);  // replaces the text

  std::string IniPath() const;
  std::string DefaultCfgPath() const { return Folder.File("default.cfg"); }

  TempDir Folder;
  RecordingHost Host;

 private:
  std::unique_ptr<TFormMain> Main;
};

// A desktop theme with light text on dark ground.
QPalette DarkTheme();

// The contrast ratio of two colours as accessibility guidelines measure it, from 1 to 21.
double Contrast(const QColor& a, const QColor& b);

}  // namespace pinwright::testing
