// The window as the desktop shows it, measured from its pixels on a display: every text of the
// form reaches the contrast of 4.5:1 that accessibility guidelines ask (WCAG AA) under the
// desktop's own style and palette, a dark palette and a light one; and on a screen smaller
// than the form the window fits and Generate and Exit can be reached and pressed.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTest>
#include <map>

#include "ui/formfixture.h"
#include "ui/uitests.h"

namespace {

using namespace pinwright;
using namespace pinwright::testing;

// Where a control draws its text, in its own coordinates; empty for a control without text.
QRect TextArea(QWidget* control) {
  if (auto* label = qobject_cast<QLabel*>(control))
    return label->text().isEmpty() ? QRect() : label->contentsRect();
  if (auto* check = qobject_cast<QCheckBox*>(control)) {
    QStyleOptionButton option;
    option.initFrom(check);
    option.text = check->text();
    return check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
  }
  if (auto* button = qobject_cast<QPushButton*>(control))
    return button->text().isEmpty() ? QRect() : button->rect().adjusted(5, 5, -5, -5);
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = false;
    return combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                          QStyle::SC_ComboBoxEditField, combo);
  }
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    if (edit->text().isEmpty())
      return {};
    // The text only, not a warning sign at the field's end.
    const int width = edit->fontMetrics().horizontalAdvance(edit->text());
    return QRect(3, 3, width + 6, edit->height() - 6);
  }
  if (auto* group = qobject_cast<QGroupBox*>(control)) {
    const QFontMetrics metrics = group->fontMetrics();
    return QRect(0, 0, metrics.horizontalAdvance(group->title()) + 12, metrics.height() + 2);
  }
  return {};
}

struct Measure {
  double Contrast = 0;  // of the strongest text pixel against the ground
  int TextPixels = 0;   // pixels that stand out from the ground at all
};

// The ground is the colour most pixels of the area have; the text's colour is the one that
// stands out most from it (the middle of a stroke, not its smoothed edge).
Measure MeasureText(const QImage& image, const QRect& area) {
  std::map<QRgb, int> counts;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x)
      ++counts[image.pixel(x, y)];
  }
  QRgb ground = 0;
  int most = 0;
  for (const auto& [colour, count] : counts) {
    if (count > most) {
      most = count;
      ground = colour;
    }
  }
  Measure measure;
  for (const auto& [colour, count] : counts) {
    const double contrast = Contrast(QColor(colour), QColor(ground));
    measure.Contrast = std::max(measure.Contrast, contrast);
    if (contrast >= 1.5)
      measure.TextPixels += count;
  }
  return measure;
}

class AppearanceTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    Desktop = QApplication::palette();
    // A style asked for by the environment must be the one in use, or nothing is measured.
    const QString asked = qEnvironmentVariable("QT_STYLE_OVERRIDE");
    if (!asked.isEmpty())
      QCOMPARE(QApplication::style()->name().toLower(), asked.toLower());
  }

  void everyTextIsReadable_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("the desktop's style and palette") << Desktop;
    QTest::newRow("a dark palette") << DarkTheme();
    QTest::newRow("a light palette") << QPalette(QColor(239, 239, 239));
  }
  void everyTextIsReadable() {
    QFETCH(QPalette, palette);
    QApplication::setPalette(palette);
    StartedProgram program;
    program.Start();
    QVERIFY(QTest::qWaitForWindowExposed(&program.Window()));
    // A card with its prefix, and a refused name with its reason above the board.
    program.SelectCard("ComboBoxGpio0", 12);
    program.TypeInto("EditPrefixGpio0", QStringLiteral("CAM_"));
    program.TypeInto("EditProjectName", QStringLiteral("1st"));
    QApplication::processEvents();

    // The whole form, also where a small screen's window shows only part of it.
    TFormLarkspur& form = program.Form();
    const QImage image = form.grab().toImage();
    const qreal scale = image.width() / qreal(form.width());
    int measured = 0;
    for (QWidget* control : form.findChildren<QWidget*>()) {
      if (control->window() != &program.Window() || !control->isVisibleTo(&form) ||
          !control->isEnabled())
        continue;
      const QRect area = TextArea(control);
      if (area.isEmpty())
        continue;
      const QRect inWindow(control->mapTo(&form, area.topLeft()), area.size());
      const QRect pixels =
          QRect(QPoint(qRound(inWindow.left() * scale), qRound(inWindow.top() * scale)),
                QSize(qRound(inWindow.width() * scale), qRound(inWindow.height() * scale)))
              .intersected(image.rect());
      const Measure measure = MeasureText(image, pixels);
      const QByteArray what = control->objectName().toLatin1() + ": contrast " +
                              QByteArray::number(measure.Contrast, 'f', 2);
      QVERIFY2(measure.TextPixels >= 8, what + ", no text found");
      QVERIFY2(measure.Contrast >= 4.5, what);
      ++measured;
    }
    // Labels, check boxes, buttons, lists, fields and the group's title.
    QVERIFY2(measured >= 30, QByteArray::number(measured));

    // Every check box's indicator, ticked or not, stands out from the ground beside it at
    // 3:1, as a control must.
    for (QCheckBox* check : form.findChildren<QCheckBox*>()) {
      for (const bool ticked : {false, true}) {
        check->setChecked(ticked);
        const QImage drawn = check->grab().toImage();
        const qreal ratio = drawn.width() / qreal(check->width());
        QStyleOptionButton option;
        option.initFrom(check);
        const QRect box =
            check->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, check);
        const QColor ground(drawn.pixel(drawn.width() - 1, drawn.height() / 2));
        double strongest = 0;
        for (int y = qRound(box.top() * ratio); y < qRound((box.bottom() + 1) * ratio); ++y) {
          for (int x = qRound(box.left() * ratio); x < qRound((box.right() + 1) * ratio); ++x)
            strongest = std::max(strongest, Contrast(QColor(drawn.pixel(x, y)), ground));
        }
        const QByteArray what = check->objectName().toLatin1() + (ticked ? " ticked" : "") +
                                ": indicator contrast " + QByteArray::number(strongest, 'f', 2);
        QVERIFY2(strongest >= 3.0, what);
      }
    }
    QApplication::setPalette(Desktop);
  }

  // The window fits the screen's free area; Tab reaches Generate and Exit, each then in view
  // and on the screen, and Space presses them.
  void generateAndExitAreReachable() {
    StartedProgram program;
    program.Start();
    TFormMain& window = program.Window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect available = window.screen()->availableGeometry();
    QVERIFY2(available.contains(window.frameGeometry()),
             qPrintable(QStringLiteral("%1x%2 window on %3x%4")
                            .arg(window.frameGeometry().width())
                            .arg(window.frameGeometry().height())
                            .arg(available.width())
                            .arg(available.height())));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QWidget* viewport = window.findChild<QScrollArea*>()->viewport();
    for (const char* name : {"ButtonGen", "ButtonExit"}) {
      auto* button = program.Find<QPushButton>(name);
      for (int presses = 0; QApplication::focusWidget() != button && presses < 40; ++presses)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), button);
      const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
      const QRect inView(viewport->mapToGlobal(QPoint(0, 0)), viewport->size());
      QVERIFY2(inView.contains(onScreen) && available.contains(onScreen), name);
      QTest::keyClick(button, Qt::Key_Space);
    }
    QCOMPARE(program.Host.Dialogs.size(), std::size_t{1});  // Generate asked where
    QTRY_VERIFY(!window.isVisible());                       // Exit closed the window
  }

 private:
  QPalette Desktop;
};

}  // namespace

int RunAppearanceTests(int argc, char** argv) {
  AppearanceTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "appearance_test.moc"
