// The main window: its geometry around the form, the card pictures and the INI file.
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QXmlStreamReader>
#include <filesystem>

#include "boards/larkspur_board.h"
#include "cards/catalogue.h"
#include "outputs/pinout.h"
#include "ui/commandline.h"
#include "ui/formfixture.h"
#include "ui/uitests.h"

namespace {

using namespace pinwright;
using namespace pinwright::testing;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void centredPosition_data() {
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<int>("screenHeight");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::newRow("full HD") << 1920 << 1080 << 565 << 280;
    QTest::newRow("odd difference rounds down") << 1280 << 801 << 245 << 140;
    QTest::newRow("exact fit") << 789 << 520 << 0 << 0;
    QTest::newRow("3 pixels too narrow") << 786 << 520 << -1 << 0;
    QTest::newRow("too small both ways") << 640 << 480 << -74 << -20;
  }
  void centredPosition() {
    QFETCH(int, screenWidth);
    QFETCH(int, screenHeight);
    QFETCH(int, left);
    QFETCH(int, top);
    QCOMPARE(CentredWindowPosition(screenWidth, screenHeight, 789, 520),
             (WindowPosition{left, top}));
  }

  void commandLine() {
    struct Case {
      std::vector<std::string> Arguments;
      DesktopAction Action;
      std::string File;
      std::vector<std::string> Cards = {};  // "D:" a folder, "F:" a file, in order
    };
    const Case cases[] = {
        {{}, DesktopAction::OpenWindow, ""},
        {{"board.cfg"}, DesktopAction::OpenWindow, "board.cfg"},
        {{"--help"}, DesktopAction::Help, ""},
        {{"board.cfg", "-h"}, DesktopAction::Help, ""},
        {{"--version"}, DesktopAction::Version, ""},
        {{"-v", "--bogus"}, DesktopAction::Version, ""},
        {{"--", "-odd.cfg"}, DesktopAction::OpenWindow, "-odd.cfg"},
        {{"--", "--help"}, DesktopAction::OpenWindow, "--help"},
        {{"--bogus"}, DesktopAction::UsageError, ""},
        {{"a.cfg", "b.cfg"}, DesktopAction::UsageError, ""},
        {{"--cards", "mine", "--card=x.toml", "b.cfg", "--cards=more"},
         DesktopAction::OpenWindow,
         "b.cfg",
         {"D:mine", "F:x.toml", "D:more"}},
        {{"--card", "-odd.toml"}, DesktopAction::OpenWindow, "", {"F:-odd.toml"}},
        {{"--", "--cards"}, DesktopAction::OpenWindow, "--cards"},
        {{"a.cfg", "--cards"}, DesktopAction::UsageError, ""},
        {{"--card="}, DesktopAction::UsageError, ""},
        {{"--cardz", "x"}, DesktopAction::UsageError, ""},
    };
    for (const Case& c : cases) {
      const DesktopCommand command = ParseDesktopArguments(c.Arguments);
      QCOMPARE(command.Action, c.Action);
      QCOMPARE(command.SettingsFile, c.File);
      QCOMPARE(command.Error.empty(), c.Action != DesktopAction::UsageError);
      std::vector<std::string> cards;
      for (const CardSource& source : command.CardFiles)
        cards.push_back((source.What == CardSource::Kind::Folder ? "D:" : "F:") + source.Path);
      if (c.Action != DesktopAction::UsageError)
        QCOMPARE(cards, c.Cards);
    }
    QVERIFY(
        DesktopHelpText().starts_with("Usage: pinwright [--cards DIR] [--card FILE.toml] "
                                      "[FILE.cfg]\n"));
  }

  void iniPathReplacesTheExtension() {
    QCOMPARE(IniFilePath("/opt/pw/", "pinwright"), std::string("/opt/pw/pinwright.INI"));
    QCOMPARE(IniFilePath("C:\\pw\\", "pinwright.exe"), std::string("C:\\pw\\pinwright.INI"));
  }

  void windowFitsAroundTheForm() {
    StartedProgram program;
    program.Start();
    TFormMain& window = program.Window();
    TFormLarkspur& form = program.Form();
    QCOMPARE(window.CurrentBoard(), 43);
    QCOMPARE(form.window(), &window);
    QVERIFY(!form.isWindow());
    QCOMPARE(form.geometry(), QRect(0, 0, 789, 520));
    QCOMPARE(form.mapTo(&window, QPoint(0, 0)), QPoint(0, 0));
    QCOMPARE(window.size(), QSize(789, 520));
    QCOMPARE(window.minimumSize(), window.maximumSize());  // not resizable
    QCOMPARE(window.windowTitle(), QStringLiteral("Larkspur V1.0.0"));
    QVERIFY(!window.windowIcon().pixmap(48, 48).isNull());  // the installed icon's drawing
    const QRect screen = window.screen()->geometry();
    const WindowPosition expected =
        CentredWindowPosition(screen.width(), screen.height(), 789, 520);
    QCOMPARE(window.pos(), screen.topLeft() + QPoint(expected.Left, expected.Top));
  }

  void iniHoldsTheBoardAfterTheProgramEnds_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("pinList");  // the pin list choice kept from the last run
    QTest::newRow("no INI file") << QByteArray() << 0;
    QTest::newRow("another board") << QByteArray("[Builder]\r\nMainBoard=12\r\n") << 0;
    QTest::newRow("other sections")
        << QByteArray("[Window]\nLeft=3\n[Builder]\nMainBoard=x\n[Output]\nPinList=1\n") << 1;
    QTest::newRow("garbage") << QByteArray("\x01\x02[[=\xff\n=\n[", 11) << 0;
    QTest::newRow("unknown output choices")
        << QByteArray("[Output]\nTopLevel=vhdl93\nTestbench=yes\nPinList=yes\n") << 0;
  }
  void iniHoldsTheBoardAfterTheProgramEnds() {
    QFETCH(QByteArray, before);
    QFETCH(int, pinList);
    StartedProgram program;
    if (!before.isEmpty())
      WriteFile(program.IniPath(), before.toStdString());
    program.Start();
    // The output choices read as the defaults unless the INI file holds them.
    QCOMPARE(program.Find<QComboBox>("ComboBoxTopLevel")->currentText(), QStringLiteral("Verilog"));
    QVERIFY(!program.Find<QCheckBox>("CheckBoxTestbench")->isChecked());
    QCOMPARE(program.Find<QCheckBox>("CheckBoxPinList")->isChecked(), pinList == 1);
    program.SelectItem("ComboBoxTopLevel", 2);
    program.Click("CheckBoxTestbench");
    program.Stop();
    QSettings ini(QString::fromStdString(program.IniPath()), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Builder/MainBoard")).toInt(), 43);
    QCOMPARE(ini.value(QStringLiteral("Output/TopLevel")).toString(), QStringLiteral("vhdl"));
    QCOMPARE(ini.value(QStringLiteral("Output/PinList")).toInt(), pinList);
    QVERIFY(program.Host.Messages.empty());
    program.Start();
    QCOMPARE(program.Find<QComboBox>("ComboBoxTopLevel")->currentText(), QStringLiteral("VHDL"));
    QVERIFY(program.Find<QCheckBox>("CheckBoxTestbench")->isChecked());
  }

  void unwritableIniIsIgnored() {
    StartedProgram program;
    std::filesystem::create_directory(program.IniPath());  // no file can take its place
    program.Start();
    program.Stop();
    QVERIFY(std::filesystem::is_directory(program.IniPath()));
    QVERIFY(program.Host.Messages.empty());
  }

  void everyOfferedCardHasItsPicture() {
    StartedProgram program;
    program.Start({{CardSource::Kind::File,
                    std::string(PINWRIGHT_TEST_DATA_DIR) + "/cards/files/acme_strip.toml"}});
    const TConfigLarkspur& config = program.Form().Configuration();
    QLabel picture(&program.Window());
    picture.resize(80, 80);
    for (int i = 1; i < config.ChoiceCount; ++i) {
      const std::int32_t card = config.ChoiceList[i];
      program.Window().ShowCardPicture(&picture, card);
      QVERIFY2(!picture.isHidden() && !picture.pixmap().isNull(), CardById(card).Picture.data());
    }
    // A card without a picture hides the control rather than keep the last picture.
    for (std::int32_t card : {kCardNone, 99}) {
      program.Window().ShowCardPicture(&picture, 1);
      program.Window().ShowCardPicture(&picture, card);
      QVERIFY(picture.isHidden());
      QVERIFY(picture.pixmap().isNull());
    }
    // A card file's generated picture shows the balls of the header it sits on.
    picture.resize(800, 80);
    program.Window().ShowCardPicture(&picture, 1001, 0);
    const QImage onGpio0 = picture.pixmap().toImage();
    program.Window().ShowCardPicture(&picture, 1001, 1);
    QVERIFY(!onGpio0.isNull());
    QVERIFY(picture.pixmap().toImage() != onGpio0);
    // Too small to read there, it shows at a readable size in the tooltip; a built-in
    // card's photograph needs none, and choosing one takes the last card's tooltip away.
    QVERIFY(picture.toolTip().startsWith(QStringLiteral("<img src=\"data:image/png;base64,")));
    program.Window().ShowCardPicture(&picture, config.ChoiceList[2], 1);
    QVERIFY(picture.toolTip().isEmpty());
    // A screen reader hears the card in words, never the tooltip's picture.
    program.Window().ShowCardPicture(&picture, 1001, 0);
    QCOMPARE(picture.accessibleDescription(),
             QStringLiteral("Acme 8-LED Strip: 2 inputs, 8 outputs, 4 inouts"));
  }

  // The pinout picture can be read: every name fits its cell (wrapped, smaller, or cut with
  // "..." and whole in the tooltip), every text stands out from its cell as text must, and
  // supply and ground say what they are.
  void pinoutTextFitsAndStandsOut() {
    const struct {
      const char* What;
      std::int32_t Gpio0, Gpio1;
      std::string Prefix;
    } cases[] = {
        {"no prefix", 12, 13, ""},
        {"a long prefix", 12, 69, "CAMERA_MODULE_"},
        {"the longest prefix", 67, 76, std::string(100, 'P')},
    };
    for (const auto& c : cases) {
      TLarkspurSettings settings = DefaultLarkspurSettings();
      settings.Gpio0.Set(c.Gpio0);
      settings.Gpio1.Set(c.Gpio1);
      settings.PrefixGpio0.Set(c.Prefix);
      const QByteArray svg = QByteArray::fromStdString(
          ProjectPinoutSvg(LarkspurBoard(), LarkspurBoardSettings(settings)));
      QXmlStreamReader xml(svg);
      QColor cellFill;
      QString title;  // of the cell
      QString name;   // its lines joined
      QStringList supply;
      int lines = 0;
      const auto nameFits = [&] {
        if (title.isEmpty() || name.isEmpty() || supply.contains(name))
          return true;
        return lines <= 3 && (title.contains(name) || (name.endsWith(QStringLiteral("...")) &&
                                                       title.contains(name.chopped(3))));
      };
      while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QStringLiteral("g")) {
          QVERIFY2(nameFits(), qPrintable(QStringLiteral("%1: %2").arg(c.What, title)));
          title.clear();
          name.clear();
          lines = 0;
        }
        if (!xml.isStartElement())
          continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QStringLiteral("rect")) {
          cellFill = QColor(attributes.value(QStringLiteral("fill")).toString());
        } else if (xml.name() == QStringLiteral("title")) {
          title = xml.readElementText();
        } else if (xml.name() == QStringLiteral("text")) {
          const QString kind = attributes.value(QStringLiteral("class")).toString();
          const QString text = xml.readElementText();
          // Every text is drawn in one colour, the style's, on its cell.
          QVERIFY2(Contrast(QColor(0x21, 0x21, 0x21), cellFill) >= 4.5,
                   qPrintable(cellFill.name()));
          if (kind != QStringLiteral("name"))
            continue;
          QFont font(QStringLiteral("sans-serif"));
          font.setBold(true);
          font.setPixelSize(attributes.value(QStringLiteral("font-size")).toInt());
          QVERIFY2(font.pixelSize() >= 7, qPrintable(text));
          QVERIFY2(QFontMetrics(font).horizontalAdvance(text) <= 86,
                   qPrintable(QStringLiteral("%1: %2").arg(c.What, text)));
          if (title.contains(QStringLiteral("supply")) || title.contains(QStringLiteral("ground")))
            supply.append(text);
          name += text;
          ++lines;
        }
      }
      QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
      QCOMPARE(supply, (QStringList{"5 V", "GND", "3.3 V", "GND", "5 V", "GND", "3.3 V", "GND"}));
    }
  }
};

}  // namespace

int RunMainWindowTests(int argc, char** argv) {
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "mainwindow_test.moc"
