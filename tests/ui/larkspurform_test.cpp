// The Larkspur form driven like a user drives it: clicks, keys and list selections, with
// every message and dialog answered by the recorder.
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cards/catalogue.h"
#include "cards/usercards.h"
#include "project/checkedproject.h"
#include "support/configurations.h"
#include "ui/formfixture.h"
#include "ui/outline.h"
#include "ui/uitests.h"

namespace {

// 2025-03-15 14:05:33 UTC, the time the recorder reports.
constexpr qint64 kRecorderClockEpoch = 1742047533;

using namespace pinwright;
using namespace pinwright::testing;
namespace fs = std::filesystem;

struct ComponentNames {
  const char* CheckBox;
  const char* Outline;
};

// clang-format off
constexpr ComponentNames kComponents[] = {
  {"CheckBoxOSC",     "ShapeOSC"},
  {"CheckBoxLED",     "ShapeLED"},
  {"CheckBoxButton",  "ShapeButton"},
  {"CheckBoxSwitch",  "ShapeSwitch"},
  {"CheckBoxSDRAM",   "ShapeSDRAM"},
  {"CheckBoxLPDDR4A", "ShapeLPDDR4A"},
  {"CheckBoxADC",     "ShapeADC"},
  {"CheckBoxLPDDR4B", "ShapeLPDDR4B"},
  {"CheckBoxHdmiTx",  "ShapeHDMI"},
  {"CheckBoxMIPI",    "ShapeMIPI"},
  {"CheckBoxUART",    "ShapeUART"},
  {"CheckBoxFAN",     "ShapeFAN"},
  {"CheckBoxHPS",     "ShapeHPS"},
};

// Every control where the layout puts it, relative to its container; a width of 0 means the
// control takes its natural size and only its position is given.
struct Placement {
  const char* Name;
  const char* Container;
  QRect Box;
};
const Placement kPlacements[] = {
  {"logo",            "FormLarkspur", {16, 11, 93, 46}},
  {"Panel1",          "FormLarkspur", {8, 64, 417, 345}},
  {"LabelBoardName",  "Panel1",       {8, 8, 405, 29}},
  {"ImageBoard",      "Panel1",       {6, 43, 400, 245}},
  {"LabelTopLevel",   "Panel1",       {8, 297, 0, 0}},
  {"ComboBoxTopLevel", "Panel1",      {84, 293, 150, 26}},
  {"CheckBoxTestbench", "Panel1",     {84, 322, 150, 20}},
  {"CheckBoxPinList", "Panel1",       {285, 297, 124, 22}},
  {"CheckBoxPinout",  "Panel1",       {285, 319, 124, 22}},
  {"ButtonSave",      "FormLarkspur", {16, 423, 190, 35}},
  {"ButtonLoad",      "FormLarkspur", {16, 471, 190, 35}},
  {"ButtonGen",       "FormLarkspur", {224, 423, 190, 35}},
  {"ButtonExit",      "FormLarkspur", {224, 471, 190, 35}},
  {"GroupBox1",       "FormLarkspur", {431, 8, 353, 504}},
  {"Label3",          "GroupBox1",    {16, 32, 0, 0}},
  {"EditProjectName", "GroupBox1",    {16, 56, 326, 28}},
  {"CheckBoxOSC",     "GroupBox1",    {16, 104, 160, 17}},
  {"CheckBoxLED",     "GroupBox1",    {182, 104, 160, 17}},
  {"CheckBoxButton",  "GroupBox1",    {16, 130, 160, 17}},
  {"CheckBoxSwitch",  "GroupBox1",    {182, 130, 160, 17}},
  {"CheckBoxSDRAM",   "GroupBox1",    {16, 156, 160, 17}},
  {"CheckBoxLPDDR4A", "GroupBox1",    {182, 156, 160, 17}},
  {"CheckBoxADC",     "GroupBox1",    {16, 182, 160, 17}},
  {"CheckBoxLPDDR4B", "GroupBox1",    {182, 182, 160, 17}},
  {"CheckBoxHdmiTx",  "GroupBox1",    {16, 208, 160, 17}},
  {"CheckBoxMIPI",    "GroupBox1",    {182, 208, 160, 17}},
  {"CheckBoxUART",    "GroupBox1",    {16, 234, 160, 17}},
  {"CheckBoxFAN",     "GroupBox1",    {182, 234, 160, 17}},
  {"CheckBoxHPS",     "GroupBox1",    {16, 261, 160, 17}},
  {"Label1",          "GroupBox1",    {16, 296, 0, 0}},
  {"ComboBoxGpio0",   "GroupBox1",    {16, 320, 240, 28}},
  {"Label4",          "GroupBox1",    {16, 352, 0, 0}},
  {"EditPrefixGpio0", "GroupBox1",    {120, 352, 136, 28}},
  {"ImageGpio0",      "GroupBox1",    {262, 320, 80, 80}},
  {"Label2",          "GroupBox1",    {16, 400, 0, 0}},
  {"ComboBoxGpio1",   "GroupBox1",    {16, 424, 240, 28}},
  {"Label5",          "GroupBox1",    {16, 456, 0, 0}},
  {"EditPrefixGpio1", "GroupBox1",    {120, 456, 136, 28}},
  {"ImageGpio1",      "GroupBox1",    {262, 408, 80, 80}},
  {"ShapeOSC",        "Panel1",       {248, 160, 26, 26}},
  {"ShapeLED",        "Panel1",       {277, 272, 48, 14}},
  {"ShapeButton",     "Panel1",       {326, 270, 39, 17}},
  {"ShapeSwitch",     "Panel1",       {299, 234, 75, 34}},
  {"ShapeSDRAM",      "Panel1",       {117, 65, 77, 34}},
  {"ShapeLPDDR4A",    "Panel1",       {195, 67, 54, 37}},
  {"ShapeLPDDR4B",    "Panel1",       {168, 223, 54, 37}},
  {"ShapeADC",        "Panel1",       {38, 263, 49, 23}},
  {"ShapeHDMI",       "Panel1",       {12, 124, 39, 57}},
  {"ShapeMIPI",       "Panel1",       {17, 192, 20, 65}},
  {"ShapeUART",       "Panel1",       {360, 121, 33, 24}},
  {"ShapeFAN",        "Panel1",       {74, 205, 44, 25}},
  {"ShapeHPS",        "Panel1",       {154, 126, 35, 33}},
  {"ShapeGpio0",      "Panel1",       {94, 43, 182, 20}},
  {"ShapeGpio1",      "Panel1",       {94, 263, 182, 23}},
};
// clang-format on

constexpr const char* kClashMessage =
    "GPIO-0 and GPIO-1 cannot have the same prefix name when both connect to the same type of "
    "daughter boards.";
constexpr const char* kProjectFiles[] = {".qpf", ".qsf", ".v", ".sdc", ".htm"};

QByteArray Describe(const std::vector<RecordedMessage>& messages) {
  QByteArray text = "messages:";
  for (const RecordedMessage& message : messages) {
    text += message.Kind == MessageKind::Information ? " [info] " : " [error] ";
    text += QByteArray::fromStdString(message.Text);
  }
  return text;
}

std::string RecordBytes(const TLarkspurSettings& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

std::string DefaultProjectFolder(const StartedProgram& program, const std::string& name) {
  return program.Folder.FolderWithSeparator() + "CodeGenerated/LARKSPUR/" + name + "/";
}

// Chooses "Card file..." as a user does: opens the list and takes its last entry.
void ChooseCardFileEntry(StartedProgram& program, const char* comboName) {
  auto* combo = program.Find<QComboBox>(comboName);
  combo->showPopup();
  combo->view()->setCurrentIndex(combo->model()->index(combo->count() - 1, 0));
  QTest::keyClick(combo->view(), Qt::Key_Return);
}

QString AccessibleName(QWidget* control) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
  return face ? face->text(QAccessible::Name) : QString();
}

QString AccessibleDescription(QWidget* control) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
  return face ? face->text(QAccessible::Description) : QString();
}

class LarkspurFormTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsSitWhereTheLayoutPutsThem() {
    StartedProgram program;
    program.Start();
    for (const Placement& row : kPlacements) {
      auto* control = program.Find<QWidget>(row.Name);
      QVERIFY2(control->parentWidget()->objectName() == QLatin1String(row.Container), row.Name);
      if (row.Box.width() == 0) {
        QVERIFY2(control->pos() == row.Box.topLeft(), row.Name);
      } else {
        QVERIFY2(control->geometry() == row.Box, row.Name);
      }
    }
    // Every control stands wholly inside the panel or box that holds it, within its frame.
    for (QWidget* control : program.Form().findChildren<QWidget*>()) {
      auto* frame = qobject_cast<QFrame*>(control->parentWidget());
      auto* group = qobject_cast<QGroupBox*>(control->parentWidget());
      if (control->objectName().isEmpty() || control->isWindow() || (!frame && !group) ||
          control->isHidden())
        continue;
      const QRect inside = frame ? frame->contentsRect() : group->rect();
      QVERIFY2(inside.contains(control->geometry()), qPrintable(control->objectName()));
    }
    for (const char* name : {"ButtonSave", "ButtonLoad", "ButtonGen", "ButtonExit", "CheckBoxOSC",
                             "CheckBoxHPS", "ComboBoxGpio0", "ComboBoxGpio1", "CheckBoxPinList"}) {
      QVERIFY2(program.Find<QWidget>(name)->cursor().shape() == Qt::PointingHandCursor, name);
    }
    QCOMPARE(program.Find<QLabel>("Label1")->font().bold(), true);
    QCOMPARE(program.Find<QLabel>("LabelBoardName")->font().pixelSize(), 24);
    QCOMPARE(program.Form().palette().color(QPalette::Window), QColor(235, 233, 237));
  }

  void firstStartShowsTheDefaults() {
    StartedProgram program;
    program.Start();
    QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text(), QStringLiteral("LARKSPUR"));
    const std::set<std::string> ticked = {"CheckBoxOSC",    "CheckBoxLED",  "CheckBoxButton",
                                          "CheckBoxSwitch", "CheckBoxADC",  "CheckBoxHdmiTx",
                                          "CheckBoxUART",   "CheckBoxSDRAM"};
    for (const ComponentNames& row : kComponents) {
      const bool expected = ticked.count(row.CheckBox) == 1;
      QVERIFY2(program.Find<QCheckBox>(row.CheckBox)->isChecked() == expected, row.CheckBox);
      QVERIFY2(!program.Find<TOutline>(row.Outline)->isHidden() == expected, row.Outline);
    }
    for (const char* suffix : {"0", "1"}) {
      const std::string n = suffix;
      auto* combo = program.Find<QComboBox>(("ComboBoxGpio" + n).c_str());
      QCOMPARE(combo->currentText(), QStringLiteral("None"));
      // The cards and, last, the entry that takes a card file.
      QCOMPARE(combo->count(), 13);
      QCOMPARE(combo->itemText(12), QStringLiteral("Card file..."));
      QCOMPARE(combo->maxVisibleItems(), 13);
      QVERIFY(!combo->isEditable());
      QVERIFY(program.Find<QLineEdit>(("EditPrefixGpio" + n).c_str())->text().isEmpty());
      QVERIFY(program.Find<QLabel>(("ImageGpio" + n).c_str())->isHidden());
      QVERIFY(program.Find<TOutline>(("ShapeGpio" + n).c_str())->isHidden());
    }
    QVERIFY(!program.Find<QCheckBox>("CheckBoxPinList")->isChecked());
    QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));
    QVERIFY(!fs::exists(program.DefaultCfgPath()));
  }

  void outlinesAndPicturesFollowTheUser() {
    StartedProgram program;
    program.Start();
    for (const ComponentNames& row : kComponents) {
      auto* check = program.Find<QCheckBox>(row.CheckBox);
      auto* outline = program.Find<TOutline>(row.Outline);
      const bool before = check->isChecked();
      program.Click(row.CheckBox);
      QVERIFY2(check->isChecked() != before, row.CheckBox);
      QVERIFY2(outline->isHidden() == before, row.Outline);
      program.Click(row.CheckBox);
      QVERIFY2(outline->isHidden() != before, row.Outline);
    }
    const std::pair<const char*, std::pair<const char*, const char*>> headers[] = {
        {"ComboBoxGpio0", {"ShapeGpio0", "ImageGpio0"}},
        {"ComboBoxGpio1", {"ShapeGpio1", "ImageGpio1"}}};
    for (const auto& [combo, controls] : headers) {
      auto* outline = program.Find<TOutline>(controls.first);
      auto* picture = program.Find<QLabel>(controls.second);
      program.SelectCard(combo, 12);
      QVERIFY(!outline->isHidden());
      QVERIFY(!picture->isHidden() && !picture->pixmap().isNull());
      program.SelectItem(combo, 0);
      QVERIFY(outline->isHidden());
      QVERIFY(picture->isHidden());
    }
    QVERIFY(program.Host.Messages.empty());
  }

  // "Card file...": a good file is taken into the card folder and selected, with its picture,
  // and the form says where it went; a file with mistakes or a clash with an installed card
  // shows every problem in one box; a new file of an installed card replaces it only when
  // the user agrees, the old file kept as a backup. The other header keeps its card.
  void cardFileEntryTakesACardOrShowsEveryProblem() {
    StartedProgram program;
    program.Start();
    program.SelectCard("ComboBoxGpio0", 12);
    const std::string card = std::string(PINWRIGHT_TEST_DATA_DIR) + "/cards/files/acme_strip.toml";
    auto* combo = program.Find<QComboBox>("ComboBoxGpio1");
    auto* other = program.Find<QComboBox>("ComboBoxGpio0");
    program.Host.AnswerNextDialog(card);
    ChooseCardFileEntry(program, "ComboBoxGpio1");
    QCOMPARE(combo->currentText(), QStringLiteral("Acme 8-LED Strip"));
    QCOMPARE(other->currentIndex(), 2);  // card 12 stays
    const std::string installed = program.Folder.File("cards/acme_strip.toml");
    QVERIFY(std::filesystem::exists(installed));
    QVERIFY(!program.Find<QLabel>("ImageGpio1")->pixmap().isNull());
    QVERIFY(combo->itemData(combo->currentIndex(), Qt::ToolTipRole).toString().contains("From "));
    QVERIFY2(program.Host.Messages.size() == 1 &&
                 program.Host.Messages[0].Text == "The card file was copied to " + installed + ".",
             Describe(program.Host.Messages));
    QVERIFY(program.Host.Dialogs.back().Title.find("GPIO-1") != std::string::npos);

    struct Case {
      const char* What;
      std::string Text;     // of the file picked
      std::string Problem;  // in the one error box; empty: a question comes
      bool Agree = false;   // the answer to the question
    };
    const std::string acme = ReadFile(card);
    const auto with = [&](const std::string& from, const std::string& to) {
      std::string text = acme;
      text.replace(text.find(from), from.size(), to);
      return text;
    };
    const Case cases[] = {
        {"mistakes", "format = \"pinwright-card\"\nversion = 7\nid = 3\n",
         ":2:11: error: version 7"},
        {"an installed card's name", with("id = 1001", "id = 1002"),
         ": the name \"Acme 8-LED Strip\" is already the name of card 1001"},
        {"the same card, not agreed", with("Acme 8-LED Strip", "Acme Nine"), "", false},
        {"the same card, agreed", with("Acme 8-LED Strip", "Acme Nine"), "", true},
    };
    for (const Case& c : cases) {
      program.Host.Messages.clear();
      program.Host.Questions.clear();
      const std::string picked = program.Folder.File("picked.toml");
      WriteFile(picked, c.Text);
      const std::string before = ReadFile(installed);
      program.Host.AnswerNextDialog(picked);
      if (c.Problem.empty())
        program.Host.AnswerNextQuestion(c.Agree);
      ChooseCardFileEntry(program, "ComboBoxGpio0");
      QVERIFY2(other->currentIndex() == 2 || c.Agree, c.What);
      QVERIFY2(combo->currentText() == (c.Agree ? "Acme Nine" : "Acme 8-LED Strip"),
               Describe(program.Host.Messages));
      QVERIFY2(!fs::exists(program.Folder.File("cards/picked.toml")) || c.Agree, c.What);
      if (!c.Problem.empty()) {
        QVERIFY2(program.Host.Questions.empty(), c.What);
        QVERIFY2(program.Host.Messages.size() == 1 &&
                     program.Host.Messages[0].Kind == MessageKind::Error &&
                     program.Host.Messages[0].Text.find(picked + c.Problem) != std::string::npos,
                 Describe(program.Host.Messages));
        QVERIFY2(ReadFile(installed) == before, c.What);
        continue;
      }
      QVERIFY2(program.Host.Questions.size() == 1 &&
                   program.Host.Questions[0].find(installed) != std::string::npos,
               c.What);
      if (!c.Agree) {
        QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));
        QVERIFY2(ReadFile(installed) == before, c.What);
        continue;
      }
      // The new file in the folder under its own name, the old one as its backup, the
      // header that showed the card shows it still.
      QVERIFY(!fs::exists(installed));
      QCOMPARE(ReadFile(installed + ".~1~"), before);
      QCOMPARE(ReadFile(program.Folder.File("cards/picked.toml")), c.Text);
      QCOMPARE(other->currentText(), QStringLiteral("Acme Nine"));
      QVERIFY2(program.Host.Messages.size() == 1 &&
                   program.Host.Messages[0].Text.find(installed + ".~1~") != std::string::npos,
               Describe(program.Host.Messages));
    }

    // The list's menu removes a user card, after asking, and keeps its file as a backup; the
    // headers that showed it show None.
    program.Host.Messages.clear();
    program.Host.AnswerNextQuestion(true);
    QTimer::singleShot(0, [] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu)
        return;
      menu->setActiveAction(menu->findChild<QAction*>(QStringLiteral("RemoveCard")));
      QTest::keyClick(menu, Qt::Key_Return);
    });
    emit combo->customContextMenuRequested(QPoint(4, 4));
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(other->currentIndex(), 0);
    QVERIFY(!fs::exists(program.Folder.File("cards/picked.toml")));
    QCOMPARE(ReadFile(program.Folder.File("cards/picked.toml.~1~")), std::end(cases)[-1].Text);
    QCOMPARE(combo->findText(QStringLiteral("Acme Nine")), -1);
  }

  // "Card file..." opens its dialog only when chosen from the open list: keys that step
  // through the closed list stop at the last card, and the wheel turns a list only while it
  // has the focus, scrolling the form otherwise.
  void cardFileEntryOpensOnlyWhenChosen() {
    struct Case {
      const char* What;
      std::function<void(QComboBox*)> Act;
      bool Focus;
      int Dialogs;
      int Index;  // after it: -1 for the last card
    };
    const auto key = [](Qt::Key k) { return [k](QComboBox* c) { QTest::keyClick(c, k); }; };
    const auto wheel = [](QComboBox* c) {
      QWheelEvent down(QPointF(10, 10), c->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(c, &down);
    };
    const Case cases[] = {
        {"Down from the last card", key(Qt::Key_Down), true, 0, -1},
        {"End", key(Qt::Key_End), true, 0, -1},
        {"Page Down", key(Qt::Key_PageDown), true, 0, -1},
        {"a letter", [](QComboBox* c) { QTest::keyClicks(c, "Card f"); }, true, 0, -1},
        {"the wheel with the focus", wheel, true, 0, -1},
        {"the wheel without the focus", wheel, false, 0, -2},
        {"chosen from the open list",
         [](QComboBox* c) {
           c->showPopup();
           c->view()->setCurrentIndex(c->model()->index(c->count() - 1, 0));
           QTest::keyClick(c->view(), Qt::Key_Return);
         },
         true, 1, -1},
    };
    for (const Case& c : cases) {
      StartedProgram program;
      program.Start();
      program.Window().activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&program.Window()));
      auto* combo = program.Find<QComboBox>("ComboBoxGpio0");
      const int lastCard = combo->count() - 2;
      // Below the last card unless the step is the wheel's without focus.
      combo->setCurrentIndex(c.Index == -2 ? lastCard - 1 : lastCard);
      if (c.Focus)
        combo->setFocus();
      else
        program.Find<QWidget>("EditProjectName")->setFocus();
      c.Act(combo);
      QVERIFY2(static_cast<int>(program.Host.Dialogs.size()) == c.Dialogs, c.What);
      QVERIFY2(combo->currentIndex() == (c.Index == -2 ? lastCard - 1 : lastCard), c.What);
      QVERIFY2(combo->currentText() != QStringLiteral("Card file..."), c.What);
    }
  }

  // At start the designer is told, once and without a blocking box, of every refused card
  // file (the standard folder's and the command line's) with its error lines, and of a
  // default.cfg naming a card whose file is not found; Exit keeps that default.cfg.
  void cardProblemsAtStartAreToldOnceAndTheOldSettingsKept() {
    StartedProgram program;
    const std::string acme = std::string(PINWRIGHT_TEST_DATA_DIR) + "/cards/files/acme_strip.toml";
    std::filesystem::create_directories(program.Folder.Path() / "cards");
    std::filesystem::create_directories(program.Folder.Path() / "more");
    const std::string standard = program.Folder.File("cards/bad.toml");
    const std::string extra = program.Folder.File("more/worse.toml");
    WriteFile(standard, "format = \"pinwright-card\"\nversion = 1\nid = 3\n");
    WriteFile(extra, "format = \"pinwright-card\"\nversion = 7\n");
    TConfigLarkspur kept;
    kept.Settings = DefaultLarkspurSettings();
    kept.Settings.Gpio0.Set(4321);
    kept.Settings.PrefixGpio0.Set("K_");
    kept.Settings.Gpio1.Set(1001);  // found through --card
    QVERIFY(kept.SaveFile(program.DefaultCfgPath()));
    const std::string keptBytes = ReadFile(program.DefaultCfgPath());
    const std::vector<CardSource> extras = {
        {CardSource::Kind::File, acme}, {CardSource::Kind::Folder, program.Folder.File("more")}};

    program.Start(extras);
    QTRY_VERIFY(program.Window().findChild<QMessageBox*>("CardNotice"));
    auto* notice = program.Window().findChild<QMessageBox*>("CardNotice");
    QVERIFY(!notice->isModal());
    QCOMPARE(notice->icon(), QMessageBox::Warning);
    QCOMPARE(notice->windowTitle(), QStringLiteral("Pinwright"));
    QVERIFY2(notice->text().contains(QString::fromStdString(
                 "GPIO-0: No card file with card ID 4321 was found in " +
                 program.Folder.File("cards/") + " or " + program.Folder.File("more/") + ".")),
             qPrintable(notice->text()));
    QVERIFY(notice->text().contains("2 card files have errors"));
    QVERIFY(notice->informativeText().contains(QString::fromStdString(standard)));
    QVERIFY(notice->informativeText().contains(QString::fromStdString(extra)));
    QVERIFY(notice->detailedText().contains(
        QString::fromStdString(standard + ":3:6: error: id must be")));
    QVERIFY(notice->detailedText().contains(QString::fromStdString(extra + ":2:11: error:")));
    QCOMPARE(program.Find<QComboBox>("ComboBoxGpio0")->currentIndex(), 0);
    QCOMPARE(program.Find<QComboBox>("ComboBoxGpio1")->currentText(),
             QStringLiteral("Acme 8-LED Strip"));
    QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));
    // Told once: a later look finds nothing new to tell.
    program.Form().ShowCardNotice();
    QCOMPARE(program.Window().findChildren<QMessageBox*>("CardNotice").size(), 1);

    // Exit keeps the record naming the missing card as a numbered backup, and says where.
    program.Click("ButtonExit");
    const std::string backup = program.DefaultCfgPath() + ".~1~";
    QCOMPARE(ReadFile(backup), keptBytes);
    TConfigLarkspur written;
    QVERIFY(written.LoadFile(program.DefaultCfgPath()));
    QCOMPARE(written.Settings.Gpio0.Get(), 0);
    QCOMPARE(written.Settings.Gpio1.Get(), 1001);
    QCOMPARE(program.Host.Messages.size(), size_t{1});
    QVERIFY2(program.Host.Messages[0].Text.find(backup) != std::string::npos,
             program.Host.Messages[0].Text.c_str());

    // The next start tells of the refused files again, and of no missing card.
    program.Start(extras);
    QTRY_VERIFY(program.Window().findChild<QMessageBox*>("CardNotice"));
    notice = program.Window().findChild<QMessageBox*>("CardNotice");
    QVERIFY(!notice->text().contains("4321"));
    QVERIFY(notice->text().contains("2 card files have errors"));
    // Without a refused file, and with every card default.cfg names, there is nothing to tell.
    std::filesystem::remove(standard);
    program.Start({{CardSource::Kind::File, acme}});
    QTest::qWait(50);
    QVERIFY(!program.Window().findChild<QMessageBox*>("CardNotice"));
  }

  // Every refusal stops Save Setting and Generate before any dialog, with the same message.
  void checksStopSaveAndGenerate() {
    struct Case {
      const char* Name;
      std::function<void(StartedProgram&)> Enter;
      std::function<void(TLarkspurSettings&)> Record;  // the same input, as a record
      std::string Message;                             // empty: the core's own message
    };
    const Case cases[] = {
        {"empty project name", [](StartedProgram& p) { p.TypeInto("EditProjectName", {}); },
         [](TLarkspurSettings& r) { r.ProjectName.Set(""); }, "Project Name cannot be empty."},
        {"same card and prefix",
         [](StartedProgram& p) {
           p.SelectCard("ComboBoxGpio0", 12);
           p.SelectCard("ComboBoxGpio1", 12);
           p.TypeInto("EditPrefixGpio0", "A_");
           p.TypeInto("EditPrefixGpio1", "A_");
         },
         [](TLarkspurSettings& r) {
           r.Gpio0.Set(12);
           r.Gpio1.Set(12);
           r.PrefixGpio0.Set("A_");
           r.PrefixGpio1.Set("A_");
         },
         kClashMessage},
        {"default cards with one prefix",
         [](StartedProgram& p) {
           p.SelectCard("ComboBoxGpio0", kCardGpioDefault);
           p.SelectCard("ComboBoxGpio1", kCardGpioDefault);
           p.TypeInto("EditPrefixGpio0", "P_");
           p.TypeInto("EditPrefixGpio1", "P_");
         },
         [](TLarkspurSettings& r) {
           r.Gpio0.Set(kCardGpioDefault);
           r.Gpio1.Set(kCardGpioDefault);
           r.PrefixGpio0.Set("P_");
           r.PrefixGpio1.Set("P_");
         },
         kClashMessage},
        {"project name with a space",
         [](StartedProgram& p) { p.TypeInto("EditProjectName", "my project"); },
         [](TLarkspurSettings& r) { r.ProjectName.Set("my project"); }, ""},
        {"prefix that is no identifier",
         [](StartedProgram& p) {
           p.SelectCard("ComboBoxGpio0", 12);
           p.TypeInto("EditPrefixGpio0", "9-");
         },
         [](TLarkspurSettings& r) {
           r.Gpio0.Set(12);
           r.PrefixGpio0.Set("9-");
         },
         ""},
    };
    for (const Case& c : cases) {
      StartedProgram program;
      program.Start();
      c.Enter(program);
      TLarkspurSettings record = DefaultLarkspurSettings();
      c.Record(record);
      const Result<CheckedSettings> core = CheckLarkspurSettings(record);
      QVERIFY2(!core.Ok(), c.Name);
      if (!c.Message.empty())
        QVERIFY2(core.Error().Reason == c.Message, c.Name);
      const std::vector<RecordedMessage> expected = {{MessageKind::Error, core.Error().Reason}};

      program.Click("ButtonSave");
      QVERIFY2(program.Host.Messages == expected, c.Name + Describe(program.Host.Messages));
      program.Host.Messages.clear();
      program.Click("ButtonGen");
      QVERIFY2(program.Host.Messages == expected, c.Name + Describe(program.Host.Messages));
      QVERIFY2(program.Host.Dialogs.empty(), c.Name);
      QVERIFY2(!fs::exists(program.Folder.File("CodeGenerated")), c.Name);
    }
  }

  void headersWithoutCardsNeverClash() {
    StartedProgram program;
    program.Start();
    program.TypeInto("EditPrefixGpio0", "A_");
    program.TypeInto("EditPrefixGpio1", "A_");
    program.Click("ButtonSave");  // the recorder cancels the dialog
    QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));
    QCOMPARE(program.Host.Dialogs.size(), size_t{1});
  }

  void cancellingTheProjectDialogGeneratesNothing() {
    StartedProgram program;
    program.Start();
    program.Click("ButtonGen");
    QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));
    QCOMPARE(program.Host.Dialogs.size(), size_t{1});
    const FileDialog& dialog = program.Host.Dialogs.front();
    QCOMPARE(dialog.Kind, FileDialogKind::Save);
    QCOMPARE(dialog.InitialFileName, std::string("LARKSPUR.qpf"));
    // The folders made for the dialog go again.
    QVERIFY(!fs::exists(program.Folder.File("CodeGenerated")));
  }

  void successNamesTheFolder() {
    StartedProgram program;
    program.Start();
    const std::string folder = DefaultProjectFolder(program, "LARKSPUR");
    program.Host.AnswerNextDialog(folder + "LARKSPUR.qpf");
    program.Click("ButtonGen");
    const std::vector<RecordedMessage> expected = {
        {MessageKind::Information,
         "Generate Quartus Project successfully.\r\nThe project is located in the folder:\r\n" +
             folder}};
    QVERIFY2(program.Host.Messages == expected, Describe(program.Host.Messages));
    QCOMPARE(program.Host.OfferedFolders, std::vector<std::string>{folder});  // to open it
    QCOMPARE(program.Host.Dialogs.back().Title, std::string("Generate project"));
    for (const char* extension : kProjectFiles) {
      QVERIFY2(fs::is_regular_file(folder + "LARKSPUR" + extension), extension);
    }

    // The settings dialog keeps its own place and proposes a settings file, never the .qpf.
    program.Click("ButtonSave");  // cancelled
    QCOMPARE(program.Host.Dialogs.back().InitialFileName, std::string("LARKSPUR.cfg"));
    QCOMPARE(program.Host.Dialogs.back().InitialFolder, program.Folder.FolderWithSeparator());

    // Regenerating keeps an edited file and says so; an untouched one is replaced quietly.
    WriteFile(folder + "LARKSPUR.v", "module mine;\r\nendmodule\r\n");
    program.Host.Messages.clear();
    program.Host.AnswerNextDialog(folder + "LARKSPUR.qpf");
    program.Click("ButtonGen");
    const std::vector<RecordedMessage> kept = {
        {MessageKind::Information,
         expected.front().Text +
             "\r\n\r\nEdited files were kept as numbered backups:\r\nLARKSPUR.v.~1~"}};
    QVERIFY2(program.Host.Messages == kept, Describe(program.Host.Messages));
    QCOMPARE(ReadFile(folder + "LARKSPUR.v.~1~"), std::string("module mine;\r\nendmodule\r\n"));
  }

  // The pin list box adds both pin list files and is remembered from one start to the next.
  void pinListBoxWritesThePinListAndIsRemembered() {
    StartedProgram program;
    program.Start();
    program.Click("CheckBoxPinList");
    const std::string folder = DefaultProjectFolder(program, "LARKSPUR");
    program.Host.AnswerNextDialog(folder + "LARKSPUR.qpf");
    program.Click("ButtonGen");
    QCOMPARE(program.Host.Messages.size(), size_t{1});
    QCOMPARE(testing::SortedFileNames(folder).size(), std::size(kProjectFiles) + 2);
    QVERIFY(ReadFile(folder + "LARKSPUR.pins.json").find("\"project\": \"LARKSPUR\"") !=
            std::string::npos);
    QVERIFY(ReadFile(folder + "LARKSPUR.pins.csv").starts_with("To,Direction,Location"));
    program.Stop();
    program.Start();
    QVERIFY(program.Find<QCheckBox>("CheckBoxPinList")->isChecked());
    program.Click("CheckBoxPinList");
    program.Stop();
    program.Start();
    QVERIFY(!program.Find<QCheckBox>("CheckBoxPinList")->isChecked());

    // Pinout without a card on either header writes no picture, and says so.
    program.Click("CheckBoxPinout");
    for (const std::int32_t card : {kCardNone, std::int32_t{12}}) {
      program.SelectCard("ComboBoxGpio0", card);
      program.Host.Messages.clear();
      program.Host.AnswerNextDialog(folder + "LARKSPUR.qpf");
      program.Click("ButtonGen");
      QCOMPARE(fs::exists(folder + "LARKSPUR.pinout.svg"), card != kCardNone);
      QVERIFY2(program.Host.Messages.size() == (card == kCardNone ? 2u : 1u) &&
                   (card != kCardNone ||
                    program.Host.Messages[1].Text.find("no pinout picture") != std::string::npos),
               Describe(program.Host.Messages));
    }
  }

  void memoryAndHpsWarningFollowsSuccess() {
    const struct {
      std::vector<const char*> Ticks;
      const char* Word;
    } cases[] = {
        {{"CheckBoxLPDDR4B", "CheckBoxHPS"}, "LPDDR4 and HPS"},
        {{"CheckBoxLPDDR4A", "CheckBoxHPS"}, "LPDDR4 and HPS"},
        {{"CheckBoxLPDDR4A"}, "LPDDR4"},
        {{"CheckBoxHPS"}, "HPS"},
    };
    for (const auto& c : cases) {
      StartedProgram program;
      program.Start();
      for (const char* tick : c.Ticks)
        program.Click(tick);
      const std::string folder = DefaultProjectFolder(program, "LARKSPUR");
      program.Host.AnswerNextDialog(folder + "LARKSPUR.qpf");
      program.Click("ButtonGen");
      const std::string word = c.Word;
      const std::string warning = "===== " + word +
                                  " System warning =====\r\nTo prevent any errors while "
                                  "compiling your Quartus project, \r\nplease add the Altera " +
                                  word + " IP to your design.\r\n";
      const auto& messages = program.Host.Messages;
      QVERIFY2(messages.size() == 2, c.Word + Describe(messages));
      QCOMPARE(messages[0].Kind, MessageKind::Information);
      QVERIFY2(messages[1] == (RecordedMessage{MessageKind::Information, warning}),
               c.Word + Describe(messages));
    }
  }

  void failureNamesTheProjectFileOnly() {
    StartedProgram program;
    program.Start();
    const std::string folder = DefaultProjectFolder(program, "LARKSPUR");
    fs::create_directories(folder + "LARKSPUR.qsf");  // the settings file cannot be written
    program.Host.AnswerNextDialog(folder + "LARKSPUR.qpf");
    program.Click("ButtonGen");
    const auto& messages = program.Host.Messages;
    QVERIFY2(messages.size() >= 2, Describe(messages));  // the writer's own message first
    QVERIFY2(messages.back() == (RecordedMessage{MessageKind::Error,
                                                 "Failed to generate Quartus project: "
                                                 "LARKSPUR.qpf."}),
             Describe(messages));
    QVERIFY(fs::is_regular_file(folder + "LARKSPUR.qpf"));
    QVERIFY(!fs::exists(folder + "LARKSPUR.v"));
  }

  // A name the chosen top-level language refuses: the project name before the dialog, the
  // chosen file's name after it. Only the refusal is shown and nothing is written.
  void refusedNameShowsOnlyTheRefusal_data() {
    QTest::addColumn<int>("language");  // index in the "Top level:" list
    QTest::addColumn<QString>("projectName");
    QTest::addColumn<QString>("fileName");  // empty: no dialog comes
    QTest::newRow("file name in Verilog") << 0 << "LARKSPUR"
                                          << "my top.qpf";
    QTest::newRow("file name in VHDL") << 2 << "LARKSPUR"
                                       << "Entity.qpf";
    QTest::newRow("project name in VHDL") << 2 << "Signal"
                                          << "";
    QTest::newRow("project name in SystemVerilog") << 1 << "logic"
                                                   << "";
  }
  void refusedNameShowsOnlyTheRefusal() {
    QFETCH(int, language);
    QFETCH(QString, projectName);
    QFETCH(QString, fileName);
    StartedProgram program;
    program.Start();
    program.SelectItem("ComboBoxTopLevel", language);
    program.TypeInto("EditProjectName", projectName);
    const HdlLanguage chosen = kHdlLanguages[static_cast<std::size_t>(language)];
    std::string reason;
    if (fileName.isEmpty()) {
      TLarkspurSettings record = DefaultLarkspurSettings();
      record.ProjectName.Set(projectName.toStdString());
      const Status core = CheckTopLevelNames(*CheckLarkspurSettings(record), chosen);
      QVERIFY(!core.Ok());
      reason = core.Error().Reason;
    } else {
      const std::string path =
          DefaultProjectFolder(program, projectName.toStdString()) + fileName.toStdString();
      const Result<CheckedProjectPath> core = CheckProjectPath(path, chosen);
      QVERIFY(!core.Ok());
      reason = core.Error().Reason;
      program.Host.AnswerNextDialog(path);
    }
    program.Click("ButtonGen");
    const std::vector<RecordedMessage> expected = {{MessageKind::Error, reason}};
    QVERIFY2(program.Host.Messages == expected, Describe(program.Host.Messages));
    QCOMPARE(program.Host.Dialogs.size(), std::size_t(fileName.isEmpty() ? 0 : 1));
    const fs::path folder = DefaultProjectFolder(program, projectName.toStdString());
    QVERIFY(!fs::exists(folder) || fs::is_empty(folder));
  }

  void defaultGpioPairNamesTheBuses() {
    StartedProgram program;
    program.Start();
    program.SelectCard("ComboBoxGpio0", kCardGpioDefault);
    program.SelectCard("ComboBoxGpio1", kCardGpioDefault);
    const std::string folder = DefaultProjectFolder(program, "LARKSPUR");
    program.Host.AnswerNextDialog(folder + "LARKSPUR.qpf");
    program.Click("ButtonGen");
    QCOMPARE(program.Host.Messages.size(), size_t{1});
    const std::string qsf = ReadFile(folder + "LARKSPUR.qsf");
    QVERIFY(qsf.find("GPIO_0[0]") != std::string::npos);
    QVERIFY(qsf.find("GPIO_1[35]") != std::string::npos);
  }

  void exitStoresTheControlsEvenWithAnEmptyName() {
    StartedProgram program;
    program.Start();
    program.TypeInto("EditProjectName", {});
    program.Click("CheckBoxFAN");
    program.Click("ButtonExit");
    QVERIFY(!program.Window().isVisible());
    QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));
    QCOMPARE(ReadFile(program.DefaultCfgPath()).size(), kLarkspurRecordSize);
    program.Start();
    QVERIFY(program.Find<QLineEdit>("EditProjectName")->text().isEmpty());
    QVERIFY(program.Find<QCheckBox>("CheckBoxFAN")->isChecked());
    QVERIFY(!program.Find<TOutline>("ShapeFAN")->isHidden());
  }

  // Exit and the window's own close keep the settings alike; when default.cfg cannot be
  // written, one message names the file and the reason, and the window stays open once.
  void everyWayOfClosingKeepsTheSettings() {
    const std::function<void(StartedProgram&)> ways[] = {
        [](StartedProgram& p) { p.Click("ButtonExit"); },
        [](StartedProgram& p) { p.Window().close(); },
    };
    for (const auto& leave : ways) {
      StartedProgram program;
      program.Start();
      program.Click("CheckBoxFAN");
      leave(program);
      QVERIFY(!program.Window().isVisible());
      QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));
      program.Stop();
      program.Start();
      QVERIFY(program.Find<QCheckBox>("CheckBoxFAN")->isChecked());
      QVERIFY(fs::exists(program.IniPath()));

      fs::remove(program.DefaultCfgPath());
      fs::create_directory(program.DefaultCfgPath());
      leave(program);
      QVERIFY(program.Window().isVisible());
      const std::vector<RecordedMessage> expected = {
          {MessageKind::Error, "The settings were not kept. Cannot create " +
                                   program.DefaultCfgPath() +
                                   ": Is a directory\r\nExit or close the window again to "
                                   "leave without keeping them."}};
      QVERIFY2(program.Host.Messages == expected, Describe(program.Host.Messages));
      leave(program);
      QVERIFY(!program.Window().isVisible());
      QCOMPARE(program.Host.Messages.size(), size_t{1});
    }
  }

  void loadedCardsThatTheListLacksKeepTheSelection() {
    const struct {
      const char* Name;
      std::int32_t StartCard;
      std::int32_t LoadedCard;
      QString ExpectedText;
      QString ExpectedPrefix;
    } cases[] = {
        {"unknown card over a card", 12, 5, "Corvel - 5M Pixel Camera", "B_"},
        {"unknown card over none", 0, 5, "None", ""},
        {"no card with a prefix", 12, 0, "None", ""},
        {"offered card", 0, 69, "RISC-V", "B_"},
    };
    for (const auto& c : cases) {
      StartedProgram program;
      TLarkspurSettings start = DefaultLarkspurSettings();
      start.Gpio0.Set(c.StartCard);
      start.PrefixGpio0.Set("A_");
      WriteFile(program.DefaultCfgPath(), RecordBytes(start));
      program.Start();
      TLarkspurSettings loaded = DefaultLarkspurSettings();
      loaded.Gpio0.Set(c.LoadedCard);
      loaded.PrefixGpio0.Set("B_");
      WriteFile(program.Folder.File("other.cfg"), RecordBytes(loaded));
      program.Host.AnswerNextDialog(program.Folder.File("other.cfg"));
      program.Click("ButtonLoad");
      QVERIFY2(program.Host.Messages.empty(), c.Name + Describe(program.Host.Messages));
      QVERIFY2(program.Find<QComboBox>("ComboBoxGpio0")->currentText() == c.ExpectedText, c.Name);
      QVERIFY2(program.Find<QLineEdit>("EditPrefixGpio0")->text() == c.ExpectedPrefix, c.Name);
      QVERIFY2(program.Find<TOutline>("ShapeGpio0")->isHidden() == (c.ExpectedText == "None"),
               c.Name);
    }
  }

  void failedLoadSaysWhyButCancelStaysSilent() {
    StartedProgram program;
    WriteFile(program.DefaultCfgPath(), "too short");  // rejected silently at start
    program.Start();
    QVERIFY(program.Host.Messages.empty());
    QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text(), QStringLiteral("LARKSPUR"));

    program.Click("ButtonLoad");  // cancelled
    QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));

    WriteFile(program.Folder.File("short.cfg"), "x");
    program.Host.AnswerNextDialog(program.Folder.File("short.cfg"));
    program.Click("ButtonLoad");
    const std::vector<RecordedMessage> expected = {{MessageKind::Error, "Invalid File Size."}};
    QVERIFY2(program.Host.Messages == expected, Describe(program.Host.Messages));
    QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text(), QStringLiteral("LARKSPUR"));
  }

  void settingsFilesThatAreNoFilesAreRefusedAtOnce() {
    for (TargetKind kind : {TargetKind::Fifo, TargetKind::Device, TargetKind::Folder}) {
      StartedProgram program;
      if (!MakeTarget(kind, program.DefaultCfgPath()))
        continue;       // a device node needs root
      program.Start();  // neither waits for a writer nor complains: the defaults apply
      QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));
      QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text(), QStringLiteral("LARKSPUR"));
      program.Host.AnswerNextDialog(program.DefaultCfgPath());
      program.Click("ButtonLoad");
      const std::vector<RecordedMessage> expected = {
          {MessageKind::Unexpected,
           "Cannot open " + program.DefaultCfgPath() + ": it is not a regular file"},
          {MessageKind::Error, "Failed to open file."}};
      QVERIFY2(program.Host.Messages == expected, Describe(program.Host.Messages));
    }
  }

  // Load Setting also takes a Quartus settings file: its settings fill the form, and what
  // fits no part and no card is said; a file that gives no settings changes nothing.
  void quartusSettingsLoadAsTheirSettings() {
    StartedProgram program;
    program.Start();
    TLarkspurSettings settings = DefaultLarkspurSettings();
    settings.ProjectName.Set("demo");
    settings.MIPI = 1;
    settings.Gpio1.Set(13);
    settings.PrefixGpio1.Set("LCD_");
    const std::string qsf = program.Folder.File("demo.qsf");
    // Each language's project loads with its language, so that a Generate straight after
    // writes the same top level and leaves nothing of it in place.
    for (std::size_t language = 0; language < kHdlLanguages.size(); ++language) {
      program.SelectItem("ComboBoxTopLevel", static_cast<int>((language + 1) % 3));
      program.Host.Messages.clear();
      // A folder of its own, so that no other language's files are in it.
      const std::string folder = "in" + std::to_string(language);
      fs::create_directories(program.Folder.Path() / folder);
      const std::string qpf = program.Folder.File(folder + "/demo.qpf");
      QVERIFY(pinwright::testing::CheckAndGenerate(settings, qpf, {kHdlLanguages[language]}));
      program.Host.AnswerNextDialog(program.Folder.File(folder + "/demo.qsf"));
      program.Click("ButtonLoad");
      QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));
      // Every kind the dialog takes is shown at first, then each kind alone.
      const FileDialog& dialog = program.Host.Dialogs.back();
      QCOMPARE(dialog.FilterPattern, std::string("*.cfg *.qsf"));
      QCOMPARE(dialog.MoreFilters.size(), std::size_t{2});
      QCOMPARE(dialog.MoreFilters[1].Pattern, std::string("*.qsf"));
      QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text(), QStringLiteral("demo"));
      QVERIFY(program.Find<QCheckBox>("CheckBoxMIPI")->isChecked());
      QCOMPARE(program.Find<QComboBox>("ComboBoxGpio1")->currentIndex(), 3);
      QCOMPARE(program.Find<QLineEdit>("EditPrefixGpio1")->text(), QStringLiteral("LCD_"));
      QCOMPARE(program.Find<QComboBox>("ComboBoxTopLevel")->currentIndex(),
               static_cast<int>(language));
      program.Host.AnswerNextDialog(qpf);
      program.Click("ButtonGen");
      QVERIFY2(program.Host.Messages.size() == 1 &&
                   program.Host.Messages[0].Text.find("left in place") == std::string::npos,
               Describe(program.Host.Messages));
    }
    program.Host.Messages.clear();
    QVERIFY(pinwright::testing::CheckAndGenerate(settings, program.Folder.File("demo.qpf")));

    const std::string text = ReadFile(qsf);
    WriteFile(qsf, text + "set_location_assignment PIN_ZZ1 -to extra\r\n");
    const std::string line = std::to_string(std::count(text.begin(), text.end(), '\n') + 1);
    program.Host.AnswerNextDialog(qsf);
    program.Click("ButtonLoad");
    const std::vector<RecordedMessage> unplaced = {
        {MessageKind::Information,
         "These assignments fit no part and no card and are not in the settings:\r\n"
         "  extra on PIN_ZZ1 (line " +
             line + ")\r\n"}};
    QVERIFY2(program.Host.Messages == unplaced, Describe(program.Host.Messages));

    program.Host.Messages.clear();
    program.TypeInto("EditProjectName", "other");
    WriteFile(qsf, "# nothing here\r\n");
    program.Host.AnswerNextDialog(qsf);
    program.Click("ButtonLoad");
    const std::vector<RecordedMessage> refused = {
        {MessageKind::Error,
         "The settings of demo.qsf cannot be loaded: The file names no "
         "top-level entity (TOP_LEVEL_ENTITY)."}};
    QVERIFY2(program.Host.Messages == refused, Describe(program.Host.Messages));
    QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text(), QStringLiteral("other"));

    // A file that is no Tcl script says where, in the form the command line prints.
    program.Host.Messages.clear();
    WriteFile(qsf, "set_location_assignment PIN_V16 -to {CLOCK1_50\r\n");
    program.Host.AnswerNextDialog(qsf);
    program.Click("ButtonLoad");
    const std::vector<RecordedMessage> broken = {
        {MessageKind::Error,
         "demo.qsf:1:37: error: not a settings file Quartus can read: missing close-brace"}};
    QVERIFY2(program.Host.Messages == broken, Describe(program.Host.Messages));
    QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text(), QStringLiteral("other"));
  }

  // A settings file named on the command line: shown as Load Setting shows one, and then
  // proposed by Save Setting; one that cannot be used says why and leaves the defaults.
  void settingsFileFromTheCommandLine() {
    struct Case {
      const char* What;
      std::string Bytes;  // empty: no file
      std::string Message;
    };
    TLarkspurSettings good = DefaultLarkspurSettings();
    good.ProjectName.Set("fromfile");
    good.FAN = 1;
    const Case cases[] = {
        {"a settings file", RecordBytes(good), ""},
        {"no such file", "", "The settings file {} does not exist."},
        {"too short", "x", "Invalid File Size."},
    };
    for (const Case& c : cases) {
      StartedProgram program;
      program.Start();
      const std::string path = program.Folder.File("board.cfg");
      if (!c.Bytes.empty())
        WriteFile(path, c.Bytes);
      const bool loaded = program.Form().LoadSettingsFile(path);
      QVERIFY2(loaded == c.Message.empty(), c.What);
      const bool fine = c.Message.empty();
      QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text(),
               fine ? QStringLiteral("fromfile") : QStringLiteral("LARKSPUR"));
      QCOMPARE(program.Find<QCheckBox>("CheckBoxFAN")->isChecked(), fine);
      std::string message = c.Message;
      if (const std::size_t at = message.find("{}"); at != std::string::npos)
        message.replace(at, 2, path);
      const std::vector<RecordedMessage> expected =
          fine ? std::vector<RecordedMessage>{}
               : std::vector<RecordedMessage>{{MessageKind::Error, message}};
      QVERIFY2(program.Host.Messages == expected, c.What + Describe(program.Host.Messages));
      if (fine) {
        program.Click("ButtonSave");
        QCOMPARE(program.Host.Dialogs.back().InitialFileName, std::string("board.cfg"));
        QCOMPARE(program.Host.Dialogs.back().Title, std::string("Save settings"));
      }
    }
  }

  // The logo and F1 open the About box: the version, the licence and where settings and
  // projects are kept.
  void aboutBoxFromTheLogoAndF1() {
    StartedProgram program;
    program.Start();
    program.Window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&program.Window()));
    program.Click("logo");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    QCOMPARE(program.Host.Messages.size(), size_t{2});
    QCOMPARE(program.Host.Messages[0], program.Host.Messages[1]);
    const std::string& about = program.Host.Messages[0].Text;
    for (const std::string& part :
         {std::string("Pinwright " PINWRIGHT_VERSION), std::string("Licence: proprietary"),
          program.Folder.FolderWithSeparator() + "\r\n",
          program.Folder.FolderWithSeparator() + "CodeGenerated/LARKSPUR/"}) {
      QVERIFY2(about.find(part) != std::string::npos, about.c_str());
    }
    QCOMPARE(AccessibleName(program.Find<QWidget>("logo")), QStringLiteral("About Pinwright"));
  }

  void savedSettingsComeBackOnLoad() {
    StartedProgram program;
    program.Start();
    program.TypeInto("EditProjectName", "demo");
    program.Click("CheckBoxOSC");
    program.Click("CheckBoxMIPI");
    program.SelectCard("ComboBoxGpio1", 13);
    program.TypeInto("EditPrefixGpio1", "LCD_");
    const std::string path = program.Folder.File("demo.cfg");
    program.Host.AnswerNextDialog(path);
    program.Click("ButtonSave");
    QVERIFY2(program.Host.Messages.empty(), Describe(program.Host.Messages));

    TLarkspurSettings expected = DefaultLarkspurSettings();
    expected.ProjectName.Set("demo");
    expected.OSC = 0;
    expected.MIPI = 1;
    expected.Gpio1.Set(13);
    expected.PrefixGpio1.Set("LCD_");
    QVERIFY(ReadFile(path) == RecordBytes(expected));

    program.TypeInto("EditProjectName", "other");
    program.Click("CheckBoxMIPI");
    program.SelectItem("ComboBoxGpio1", 0);
    program.Host.AnswerNextDialog(path);
    program.Click("ButtonLoad");
    QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text(), QStringLiteral("demo"));
    QVERIFY(!program.Find<QCheckBox>("CheckBoxOSC")->isChecked());
    QVERIFY(program.Find<QCheckBox>("CheckBoxMIPI")->isChecked());
    QCOMPARE(program.Find<QComboBox>("ComboBoxGpio1")->currentIndex(), 3);
    QCOMPARE(program.Find<QLineEdit>("EditPrefixGpio1")->text(), QStringLiteral("LCD_"));
    QVERIFY(!program.Find<QLabel>("ImageGpio1")->isHidden());
  }

  void editFieldsKeepTextWithinTheRecord() {
    StartedProgram program;
    program.Start();
    program.TypeInto("EditProjectName", QString(130, QLatin1Char('a')));
    QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text().size(), 127);
    // Two bytes each in UTF-8: 63 of them fill 126 of the 127 bytes, a 64th would not fit.
    program.TypeInto("EditProjectName", QString(70, QChar(0x00e9)));
    QCOMPARE(program.Find<QLineEdit>("EditProjectName")->text().size(), 63);
    program.SelectCard("ComboBoxGpio0", 12);  // a prefix takes text only with a card
    program.TypeInto("EditPrefixGpio0", QString(105, QLatin1Char('b')));
    QCOMPARE(program.Find<QLineEdit>("EditPrefixGpio0")->text().size(), 100);

    program.Form().ControlsToSettings();
    const TLarkspurSettings& record = program.Form().Configuration().Settings;
    QCOMPARE(QString::fromStdString(record.ProjectName.Get()), QString(63, QChar(0x00e9)));
    QCOMPARE(record.PrefixGpio0.Get(), std::string(100, 'b'));
  }

  // The form adds nothing of its own: its project equals the one the command-line tool writes
  // for the same settings and time.
  void generatedProjectEqualsTheCommandLineTools_data() {
    QTest::addColumn<int>("language");  // index in the "Top level:" list
    QTest::addColumn<bool>("testbench");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("Verilog") << 0 << false << QStringList{}
                             << QStringList{".qpf", ".qsf", ".v", ".sdc", ".htm"};
    QTest::newRow("SystemVerilog with testbench")
        << 1 << true << QStringList{"--hdl", "systemverilog", "--testbench"}
        << QStringList{".qpf", ".qsf", ".sv", ".sdc", ".htm", "_tb.sv"};
    QTest::newRow("VHDL with testbench")
        << 2 << true << QStringList{"--hdl", "vhdl", "--testbench"}
        << QStringList{".qpf", ".qsf", ".vhd", ".sdc", ".htm", "_tb.vhd"};
  }
  void generatedProjectEqualsTheCommandLineTools() {
    QFETCH(int, language);
    QFETCH(bool, testbench);
    QFETCH(QStringList, options);
    QFETCH(QStringList, files);
    StartedProgram program;
    program.Start();
    program.SelectItem("ComboBoxTopLevel", language);
    if (testbench)
      program.Click("CheckBoxTestbench");
    program.Click("CheckBoxUART");
    program.Click("CheckBoxMIPI");
    program.Click("CheckBoxFAN");
    program.Click("CheckBoxLPDDR4A");
    program.SelectCard("ComboBoxGpio0", 12);
    program.TypeInto("EditPrefixGpio0", "CAM_");
    program.SelectCard("ComboBoxGpio1", 69);
    const std::string folder = DefaultProjectFolder(program, "LARKSPUR");
    program.Host.AnswerNextDialog(folder + "top.qpf");
    program.Click("ButtonGen");
    QVERIFY2(program.Host.Messages.size() == 2, Describe(program.Host.Messages));

    // The command-line tool, as a process, with the recorder's clock as its fixed time.
    const std::string direct = program.Folder.File("direct") + "/";
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QString::number(kRecorderClockEpoch));
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(PINWRIGHT_CLI_PATH),
              QStringList{"generate", "--without", "UART", "--with", "MIPI,FAN,LPDDR4A", "--gpio0",
                          "12", "--prefix0", "CAM_", "--gpio1", "69"}
                  << options << QString::fromStdString(direct + "top.qpf"));
    QVERIFY(cli.waitForFinished(30000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    QCOMPARE(SortedFileNames(folder).size(), std::size_t(files.size()));
    for (const QString& file : files) {
      const std::string name = "top" + file.toStdString();
      const std::string ours = ReadFile(folder + name);
      QVERIFY2(!ours.empty(), name.c_str());
      QVERIFY2(ours == ReadFile(direct + name), name.c_str());
    }
  }

  // Tab walks the controls in reading order; focus starts in the project name.
  void tabFollowsTheReadingOrder() {
    StartedProgram program;
    program.Start();
    program.Window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&program.Window()));
    QCOMPARE(QApplication::focusWidget(), program.Find<QWidget>("EditProjectName"));
    // Prefix fields take focus only while their header carries a card.
    program.SelectCard("ComboBoxGpio0", 12);
    program.SelectCard("ComboBoxGpio1", 69);
    program.Find<QWidget>("EditProjectName")->setFocus();
    QStringList expected = {"EditProjectName"};
    for (const ComponentNames& row : kComponents)
      expected.append(QString::fromLatin1(row.CheckBox));
    expected += QStringList{"ComboBoxGpio0",
                            "EditPrefixGpio0",
                            "ComboBoxGpio1",
                            "EditPrefixGpio1",
                            "ComboBoxTopLevel",
                            "CheckBoxTestbench",
                            "CheckBoxPinList",
                            "CheckBoxPinout",
                            "ButtonSave",
                            "ButtonGen",
                            "ButtonLoad",
                            "ButtonExit",
                            "logo",
                            "EditProjectName"};
    QStringList visited = {QApplication::focusWidget()->objectName()};
    for (qsizetype i = 1; i < expected.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(visited, expected);
  }

  // Enter, Return and Space press the focused button; Alt with a mnemonic reaches each
  // control through its caption or its label.
  void keysPressButtonsAndMnemonicsReachTheirControls() {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
      StartedProgram program;
      program.Start();
      auto* generate = program.Find<QPushButton>("ButtonGen");
      generate->setFocus();
      QTest::keyClick(generate, key);
      QVERIFY2(program.Host.Dialogs.size() == 1, QTest::toString(key));
    }

    StartedProgram program;
    program.Start();
    program.Window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&program.Window()));
    program.SelectCard("ComboBoxGpio1", 12);
    struct Mnemonic {
      Qt::Key Key;
      const char* Reaches;
    };
    const Mnemonic mnemonics[] = {
        {Qt::Key_N, "EditProjectName"},   {Qt::Key_0, "ComboBoxGpio0"},
        {Qt::Key_1, "ComboBoxGpio1"},     {Qt::Key_R, "EditPrefixGpio1"},
        {Qt::Key_O, "CheckBoxButton"},    {Qt::Key_V, "ComboBoxTopLevel"},
        {Qt::Key_E, "CheckBoxTestbench"}, {Qt::Key_H, "CheckBoxHPS"},
        {Qt::Key_P, "CheckBoxPinList"},
    };
    for (const Mnemonic& row : mnemonics) {
      QTest::keyClick(&program.Window(), row.Key, Qt::AltModifier);
      QVERIFY2(QApplication::focusWidget() == program.Find<QWidget>(row.Reaches), row.Reaches);
    }
    QTRY_VERIFY(program.Find<QCheckBox>("CheckBoxHPS")->isChecked());  // Alt+H ticked it
    QTest::keyClick(&program.Window(), Qt::Key_G, Qt::AltModifier);
    QTRY_COMPARE(program.Host.Dialogs.size(), size_t{1});

    // Every caption's mnemonic is its own, and every focusable control has a name of its own
    // for a screen reader.
    std::map<QChar, QString> owners;
    const auto claim = [&](const QString& caption, const QString& owner) {
      const qsizetype at = caption.indexOf(QLatin1Char('&'));
      QVERIFY2(at >= 0 && at + 1 < caption.size(), qPrintable(owner));
      const QChar key = caption[at + 1].toLower();
      QVERIFY2(owners.emplace(key, owner).second, qPrintable(owner + " and " + owners[key]));
    };
    for (QAbstractButton* button : program.Window().findChildren<QAbstractButton*>()) {
      // A picture alone, such as the logo, has no caption; every letter of "Pinout" is taken.
      if (!button->text().isEmpty() && button->objectName() != "CheckBoxPinout")
        claim(button->text(), button->objectName());
    }
    QCOMPARE(program.Find<QCheckBox>("CheckBoxPinout")->text(), QStringLiteral("Pinout"));
    for (QLabel* label : program.Window().findChildren<QLabel*>()) {
      if (label->buddy())
        claim(label->text(), label->objectName());
    }
    std::set<QString> names;
    for (QWidget* control : program.Window().findChildren<QWidget*>()) {
      if (control->focusPolicy() == Qt::NoFocus || control->window() != &program.Window())
        continue;
      const QString name = AccessibleName(control);
      QVERIFY2(!name.isEmpty(), qPrintable(control->objectName()));
      QVERIFY2(names.insert(name).second, qPrintable(name));
    }
    // The pictures say what they show.
    QVERIFY(AccessibleName(program.Find<QWidget>("ImageBoard")).contains("Larkspur board"));
    QCOMPARE(AccessibleName(program.Find<QWidget>("ImageGpio1")),
             QStringLiteral("Picture of the GPIO-1 Header card: Corvel - 5M Pixel Camera"));
    QVERIFY(AccessibleName(program.Find<QWidget>("EditPrefixGpio0")).contains("GPIO-0"));
    QVERIFY(AccessibleName(program.Find<QWidget>("EditPrefixGpio1")).contains("GPIO-1"));
  }

  // A prefix field is disabled without a card and keeps its text for the next card.
  void prefixFieldFollowsItsCard() {
    StartedProgram program;
    program.Start();
    auto* prefix = program.Find<QLineEdit>("EditPrefixGpio0");
    QVERIFY(!prefix->isEnabled());
    program.SelectCard("ComboBoxGpio0", 12);
    QVERIFY(prefix->isEnabled());
    program.TypeInto("EditPrefixGpio0", QStringLiteral("CAM_"));
    program.SelectCard("ComboBoxGpio0", kCardNone);
    QVERIFY(!prefix->isEnabled());
    QCOMPARE(prefix->text(), QStringLiteral("CAM_"));
    program.SelectCard("ComboBoxGpio0", 13);
    QVERIFY(prefix->isEnabled());
    QCOMPARE(prefix->text(), QStringLiteral("CAM_"));
  }

  // While the user types, and whenever Top level changes, a field that generation in the
  // chosen language would refuse is tinted and carries a warning sign, its tooltip and
  // description give the reason generation gives, and the reasons stand in text above the
  // board, announced to screen readers; a field it takes shows its usual tip.
  void fieldsGenerationWouldRefuseAreMarkedWhileTyping() {
    struct Case {
      const char* What;
      int Language;  // index in the "Top level:" list, chosen after the typing
      std::int32_t Gpio0, Gpio1;
      const char* Name;
      const char* Prefix0;
      const char* Prefix1;
      std::set<std::string> Marked;
    };
    const Case cases[] = {
        {"all fine", 0, 12, 13, "blink", "CAM_", "LCD_", {}},
        {"empty name", 0, 0, 0, "", "", "", {"EditProjectName"}},
        {"name starts with a digit", 0, 0, 0, "1st", "", "", {"EditProjectName"}},
        {"reserved word", 0, 0, 0, "module", "", "", {"EditProjectName"}},
        {"prefix with a blank", 0, 12, 0, "blink", "A B", "", {"EditPrefixGpio0"}},
        {"same card, same prefix",
         0,
         67,
         67,
         "blink",
         "S_",
         "S_",
         {"EditPrefixGpio0", "EditPrefixGpio1"}},
        {"same card, no prefixes",
         0,
         67,
         67,
         "blink",
         "",
         "",
         {"EditPrefixGpio0", "EditPrefixGpio1"}},
        {"a signal twice", 0, 67, 67, "blink", "A_", "a_", {"EditPrefixGpio1"}},
        {"VHDL keyword", 2, 0, 0, "entity", "", "", {"EditProjectName"}},
        {"VHDL trailing underscore", 2, 0, 0, "abc_", "", "", {"EditProjectName"}},
        {"VHDL double underscore", 2, 0, 0, "a__b", "", "", {"EditProjectName"}},
        {"VHDL port from a prefix", 2, 0, 12, "blink", "", "_C", {"EditPrefixGpio1"}},
        {"SystemVerilog keyword", 1, 0, 0, "logic", "", "", {"EditProjectName"}},
        {"Verilog takes a VHDL keyword", 0, 0, 0, "entity", "", "", {}},
        {"VHDL name and prefix at once",
         2,
         0,
         12,
         "abc_",
         "",
         "A__",
         {"EditProjectName", "EditPrefixGpio1"}},
        {"VHDL digit first", 2, 12, 0, "9bad", "9x", "", {"EditProjectName", "EditPrefixGpio0"}},
        {"a long name and a clash",
         0,
         67,
         67,
         "a_very_long_project_name_that_is_no_good_because_it_holds_a space",
         "",
         "",
         {"EditProjectName", "EditPrefixGpio0", "EditPrefixGpio1"}},
    };
    for (const Case& c : cases) {
      StartedProgram program;
      program.Start();
      QStringList announced;
      QObject::connect(&program.Form(), &TFormLarkspur::ProblemsAnnounced,
                       [&announced](const QString& text) { announced.append(text); });
      program.SelectCard("ComboBoxGpio0", c.Gpio0 ? c.Gpio0 : 12);
      program.SelectCard("ComboBoxGpio1", c.Gpio1 ? c.Gpio1 : 12);
      program.TypeInto("EditPrefixGpio0", QString::fromUtf8(c.Prefix0));
      program.TypeInto("EditPrefixGpio1", QString::fromUtf8(c.Prefix1));
      program.SelectCard("ComboBoxGpio0", c.Gpio0);
      program.SelectCard("ComboBoxGpio1", c.Gpio1);
      program.TypeInto("EditProjectName", QString::fromUtf8(c.Name));
      program.SelectItem("ComboBoxTopLevel", c.Language);

      program.Form().ControlsToSettings();
      const HdlLanguage language = kHdlLanguages[static_cast<std::size_t>(c.Language)];
      Result<CheckedSettings> checked =
          CheckLarkspurSettings(program.Form().Configuration().Settings, language);
      const Status verdict =
          !checked ? Status(checked.Error()) : CheckTopLevelNames(*checked, language);
      QStringList reasons;
      QStringList shown;  // every reason box's text, in the order of the fields
      const char* names[] = {"EditProjectName", "EditPrefixGpio0", "EditPrefixGpio1"};
      for (int field = 0; field < 3; ++field) {
        const char* name = names[field];
        auto* edit = program.Find<QLineEdit>(name);
        const bool marked = c.Marked.count(name) > 0;
        const QString what = QStringLiteral("%1: %2").arg(c.What, name);
        // The reason stands in a box at the field, just below or above it, inside the form,
        // tall enough for every line of it.
        auto* box = program.Find<QLabel>(qPrintable(QStringLiteral("Reason%1").arg(field)));
        QVERIFY2(box->isVisible() == marked, qPrintable(what));
        if (marked) {
          shown.append(box->text());
          const QRect at(edit->mapTo(&program.Form(), QPoint(0, 0)), edit->size());
          QVERIFY2(box->text() == edit->toolTip() && AccessibleName(box) == box->text(),
                   qPrintable(what));
          QVERIFY2(
              box->geometry().top() == at.bottom() + 3 || box->geometry().bottom() == at.top() - 3,
              qPrintable(what));
          QVERIFY2(program.Form().rect().contains(box->geometry()), qPrintable(what));
          QVERIFY2(box->height() >= box->heightForWidth(box->width()), qPrintable(what));
          QVERIFY2(box->width() >= edit->width(), qPrintable(what));
        }
        if (marked) {
          // Under a language other than Verilog, the reason gives that language's rule.
          QVERIFY2(c.Language == 0 || c.Marked.size() > 1 || edit->toolTip().contains("VHDL") ||
                       edit->toolTip().contains("SystemVerilog"),
                   qPrintable(what));
          QVERIFY2(AccessibleDescription(edit) == edit->toolTip(), qPrintable(what));
          if (!reasons.contains(edit->toolTip()))
            reasons.append(edit->toolTip());
        }
      }
      QVERIFY2(verdict.Ok() == c.Marked.empty(), c.What);
      // Generate's refusal is the reason of one of the marked fields, and every field is
      // marked at once.
      QVERIFY2(verdict.Ok() || reasons.contains(QString::fromStdString(verdict.Error().Reason)),
               c.What);
      // The last change announced, with every reason shown.
      if (!c.Marked.empty()) {
        QVERIFY2(!announced.isEmpty() && announced.back() == shown.join(QLatin1Char('\n')), c.What);
      }
    }
  }

  // The form follows the desktop's light or dark scheme, also when the desktop changes it
  // while the program runs (how readable each is, the appearance tests measure from the
  // pixels); every part and card entry tells what pins it adds.
  void followsTheDesktopSchemeWithTipsFromTheTables() {
    const QPalette theme = QApplication::palette();
    QApplication::setPalette(DarkTheme());
    StartedProgram program;
    program.Start();
    const QColor dark = program.Form().palette().color(QPalette::Window);
    QVERIFY(dark.lightness() < 80);
    // Qt tells the widgets of a running application; here the test does.
    const auto desktopChanges = [&](const QPalette& palette) {
      QApplication::setPalette(palette);
      QEvent change(QEvent::ApplicationPaletteChange);
      QApplication::sendEvent(&program.Form(), &change);
    };
    desktopChanges(theme);
    QCOMPARE(program.Form().palette().color(QPalette::Window), QColor(235, 233, 237));
    desktopChanges(DarkTheme());
    QCOMPARE(program.Form().palette().color(QPalette::Window), dark);
    QApplication::setPalette(theme);

    QCOMPARE(program.Find<QCheckBox>("CheckBoxLED")->toolTip(),
             QStringLiteral("Adds 8 pins: LED."));
    QVERIFY(program.Find<QCheckBox>("CheckBoxOSC")->toolTip().contains("CLOCK1_50"));
    auto* combo = program.Find<QComboBox>("ComboBoxGpio0");
    const TConfigLarkspur& config = program.Form().Configuration();
    for (int i = 1; i < config.ChoiceCount; ++i) {
      const QString expected = QStringLiteral("Adds %1 pins on the header.")
                                   .arg(CardSignals(config.ChoiceList[i]).PinCount);
      QCOMPARE(combo->itemData(i, Qt::ToolTipRole).toString(), expected);
    }
    for (const char* name : {"ButtonSave", "ButtonGen", "ButtonLoad", "ButtonExit"})
      QVERIFY2(!program.Find<QWidget>(name)->toolTip().isEmpty(), name);
  }
};

}  // namespace

int RunLarkspurFormTests(int argc, char** argv) {
  LarkspurFormTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "larkspurform_test.moc"
