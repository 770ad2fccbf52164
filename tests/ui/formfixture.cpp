#include "ui/formfixture.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace pinwright::testing {

StartedProgram::StartedProgram() {
  Host.ExeFolder = Folder.FolderWithSeparator();
}

StartedProgram::~StartedProgram() {
  Stop();
}

void StartedProgram::Start(std::vector<CardSource> extraCards) {
  Stop();
  Main = std::make_unique<TFormMain>(std::move(extraCards));
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

QPalette DarkTheme() {
  QPalette dark(QColor(230, 230, 230), QColor(53, 53, 53));
  dark.setColor(QPalette::Base, QColor(35, 35, 35));
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  dark.setColor(QPalette::ToolTipBase, QColor(25, 25, 25));
  dark.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
  return dark;
}

double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto channel = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace pinwright::testing
