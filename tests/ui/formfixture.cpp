#include "ui/formfixture.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <stdexcept>

namespace pinwright::testing {

StartedProgram::StartedProgram() {
  Host.ExeFolder = Folder.FolderWithSeparator();
}

StartedProgram::~StartedProgram() {
  Stop();
}

void StartedProgram::Start() {
  Stop();
  Main = std::make_unique<TFormMain>();
  Main->show();
}

void StartedProgram::Stop() {
  Main.reset();
}

void StartedProgram::Click(const char* name) {
  auto* control = Find<QAbstractButton>(name);
  // Near the left edge: a check box reacts only on its box and caption, not on the empty
  // rest of its 160 pixels.
  QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(8, control->height() / 2));
}

void StartedProgram::SelectItem(const char* comboName, int index) {
  auto* combo = Find<QComboBox>(comboName);
  QTest::keyClick(combo, Qt::Key_Home);
  for (int i = 0; i < index; ++i)
    QTest::keyClick(combo, Qt::Key_Down);
  if (combo->currentIndex() != index)
    throw std::runtime_error("selection did not take");
}

void StartedProgram::SelectCard(const char* comboName, std::int32_t cardId) {
  const TConfigLarkspur& config = Form().Configuration();
  for (int i = 0; i < config.ChoiceCount; ++i) {
    if (config.ChoiceList[i] == cardId)
      return SelectItem(comboName, i);
  }
  throw std::runtime_error("card not offered");
}

void StartedProgram::TypeInto(const char* editName, const QString& text) {
  auto* edit = Find<QLineEdit>(editName);
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  // Key by key, as typed; characters beyond ASCII arrive as text without a key code.
  for (const QChar character : text) {
    if (character.unicode() < 0x80) {
      QTest::keyClick(edit, character.toLatin1());
    } else {
      QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(character), {});
    }
  }
}

std::string StartedProgram::IniPath() const {
  return IniFilePath(Folder.FolderWithSeparator(),
                     QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString());
}

}  // namespace pinwright::testing
