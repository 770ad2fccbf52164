// The Qt host's translations of the core's requests: dialog filters and message text.
#include <QTest>

#include "ui/qthost.h"
#include "ui/uitests.h"

namespace {

using pinwright::FileDialog;

class QtHostTest : public QObject {
  Q_OBJECT

 private slots:
  void nameFilter_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QTest::newRow("cfg") << "Board Configuration Files (*.cfg)"
                         << "*.cfg"
                         << "Board Configuration Files (*.cfg *.CFG)";
    QTest::newRow("upper-case pattern") << "Quartus Project File (*.qpf)"
                                        << "*.QPF"
                                        << "Quartus Project File (*.qpf *.QPF)";
    QTest::newRow("no pattern in description") << "Settings"
                                               << "*.cfg;*.ini"
                                               << "Settings (*.cfg *.CFG *.ini *.INI)";
    QTest::newRow("no pattern at all") << "Anything"
                                       << ""
                                       << "Anything (*)";
  }
  void nameFilter() {
    QFETCH(QString, description);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    FileDialog dialog;
    dialog.FilterDescription = description.toStdString();
    dialog.FilterPattern = pattern.toStdString();
    QCOMPARE(pinwright::QtNameFilter(dialog), expected);
  }

  void messageTextBreaksLinesAtCrLf() {
    QCOMPARE(pinwright::MessageBoxText("Generate Quartus Project successfully.\r\nThe project "
                                       "is located in the folder:\r\n/tmp/x/"),
             QStringLiteral("Generate Quartus Project successfully.\nThe project is located in "
                            "the folder:\n/tmp/x/"));
    QCOMPARE(pinwright::MessageBoxText("caf\xc3\xa9"), QStringLiteral("caf\u00e9"));
  }
};

}  // namespace

int RunQtHostTests(int argc, char** argv) {
  QtHostTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "qthost_test.moc"
