// The Qt host's translations of the core's requests: dialog filters and message text.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "support/tempdir.h"
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
    QCOMPARE(pinwright::QtNameFilter({description.toStdString(), pattern.toStdString()}), expected);
  }

  // A save dialog that names an existing file asks the toolkit's question before it returns
  // it; a new name is returned without one. The modal dialogs are answered from the event
  // loop they run.
  void saveDialogAsksBeforeReplacing() {
    pinwright::testing::TempDir dir;
    pinwright::testing::WriteFile(dir.File("old.cfg"), "kept");
    for (const char* name : {"old.cfg", "new.cfg"}) {
      FileDialog dialog;
      dialog.Kind = pinwright::FileDialogKind::Save;
      dialog.FilterDescription = "Board Configuration Files (*.cfg)";
      dialog.FilterPattern = "*.cfg";
      dialog.DefaultExtension = "cfg";
      dialog.InitialFolder = dir.FolderWithSeparator();
      dialog.InitialFileName = name;
      QString question;
      QTimer::singleShot(0, [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(files);
        QTimer::singleShot(0, [&] {
          if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            question = box->text();
            box->button(QMessageBox::Yes)->click();
          }
        });
        static_cast<QDialog*>(files)->accept();
      });
      pinwright::QtHost host;
      const std::optional<std::string> chosen = host.RunFileDialog(dialog);
      QCOMPARE(chosen.value_or(""), dir.File(name));
      QCOMPARE(question.contains(QLatin1String("old.cfg")), std::string(name) == "old.cfg");
    }
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
