#include "ui/ui_larkspur.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <cctype>
#include <vector>

#include "build/buildproject.h"
#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "cards/usercards.h"
#include "host/diagnostic.h"
#include "host/paths.h"
#include "host/places.h"
#include "model/mainboard.h"
#include "readers/qsfimport.h"
#include "ui/guard.h"
#include "ui/outline.h"
#include "ui/pictures.h"
#include "ui/textlimit.h"
#include "ui/unitmain.h"

namespace pinwright {
namespace {

// The row of the core's component table with this record field name.
constexpr std::size_t ComponentRow(std::string_view name) {
  std::size_t row = 0;
  while (row < kLarkspurComponents.size() && kLarkspurComponents[row].Name != name)
    ++row;
  return row;
}

// One on-board component on the form: where its check box stands in GroupBox1 (named
// "CheckBox" and the record field name), its outline in Panel1, and its row of the core's
// component table, which holds the caption and the record flag; in tab order, row by row.
// Mnemonic is the caption's underlined letter.
struct ComponentControl {
  std::size_t Row;
  char Mnemonic;
  QPoint CheckBoxAt;
  const char* OutlineName;
  QRect OutlineBox;

  const LarkspurComponent& Component() const { return kLarkspurComponents[Row]; }
};

// clang-format off
constexpr ComponentControl kComponents[kComponentCount] = {
  {ComponentRow("OSC"),     'C', {16, 104},  "ShapeOSC",     {248, 160, 26, 26}},
  {ComponentRow("LED"),     'D', {182, 104}, "ShapeLED",     {277, 272, 48, 14}},
  {ComponentRow("Button"),  'o', {16, 130},  "ShapeButton",  {326, 270, 39, 17}},
  {ComponentRow("Switch"),  'w', {182, 130}, "ShapeSwitch",  {299, 234, 75, 34}},
  {ComponentRow("SDRAM"),   'M', {16, 156},  "ShapeSDRAM",   {117, 65, 77, 34} },
  {ComponentRow("LPDDR4A"), '4', {182, 156}, "ShapeLPDDR4A", {195, 67, 54, 37} },
  {ComponentRow("ADC"),     '2', {16, 182},  "ShapeADC",     {38, 263, 49, 23} },
  {ComponentRow("LPDDR4B"), 'B', {182, 182}, "ShapeLPDDR4B", {168, 223, 54, 37}},
  {ComponentRow("HdmiTx"),  'T', {16, 208},  "ShapeHDMI",    {12, 124, 39, 57} },
  {ComponentRow("MIPI"),    'I', {182, 208}, "ShapeMIPI",    {17, 192, 20, 65} },
  {ComponentRow("UART"),    'U', {16, 234},  "ShapeUART",    {360, 121, 33, 24}},
  {ComponentRow("FAN"),     'F', {182, 234}, "ShapeFAN",     {74, 205, 44, 25} },
  {ComponentRow("HPS"),     'H', {16, 261},  "ShapeHPS",     {154, 126, 35, 33}},
};
// clang-format on

constexpr bool EveryComponentOnce() {
  std::array<int, kLarkspurComponents.size()> seen{};
  for (const ComponentControl& control : kComponents) {
    if (control.Row >= seen.size() || seen[control.Row]++ != 0)
      return false;
  }
  return true;
}
static_assert(EveryComponentOnce(), "the form shows every component of the core's table once");

constexpr QSize kCheckBoxSize{160, 17};

// One GPIO header: its controls in GroupBox1, its outline in Panel1 and its record fields.
// The controls of one GPIO header, in the order of kLarkspurHeaders: the header's record
// fields and label come from there.
struct HeaderControl {
  const char* LabelName;
  char LabelMnemonic;
  QPoint LabelAt;
  const char* ComboName;
  QRect ComboBox;
  const char* PrefixLabelName;
  char PrefixMnemonic;
  QPoint PrefixLabelAt;
  const char* EditName;
  QRect EditBox;
  const char* ImageName;
  QPoint ImageAt;
  const char* OutlineName;
  QRect OutlineBox;
};

// clang-format off
static_assert(kHeaderCount == kLarkspurHeaders.size());
constexpr HeaderControl kHeaders[kHeaderCount] = {
  {"Label1", '0', {16, 296}, "ComboBoxGpio0", {16, 320, 240, 28},
   "Label4", 'a', {16, 352}, "EditPrefixGpio0", {120, 352, 136, 28}, "ImageGpio0", {262, 320},
   "ShapeGpio0", {94, 43, 182, 20}},
  {"Label2", '1', {16, 400}, "ComboBoxGpio1", {16, 424, 240, 28},
   "Label5", 'r', {16, 456}, "EditPrefixGpio1", {120, 456, 136, 28}, "ImageGpio1", {262, 408},
   "ShapeGpio1", {94, 263, 182, 23}},
};
// clang-format on
// The output options' controls, in the band of Panel1 below the board picture: the language's
// label and list, then one check box per other option, in the order of the output table. An
// option past the places listed goes below the last place.
constexpr QPoint kTopLevelLabelAt{8, 297};
constexpr QRect kTopLevelComboBox{84, 293, 150, 26};
constexpr QRect kOutputSwitchPlaces[] = {
    {84, 322, 150, 20},   // left part, under the language
    {285, 297, 124, 22},  // right end
    {285, 319, 124, 22},
};

constexpr QSize kCardPictureSize{80, 80};
constexpr QSize kLogoSize{89, 42};
constexpr QSize kBoardPictureSize{400, 245};

struct ButtonControl {
  const char* Name;
  const char* Caption;
  char Mnemonic;
  QRect Box;
  void (TFormLarkspur::*Handler)();
  const char* Tip;
};

// In tab order: row by row.
// clang-format off
constexpr std::array<ButtonControl, kButtonCount> kButtons{{
  {"ButtonSave", "Save Setting", 'S', {16, 423, 190, 35},  &TFormLarkspur::ButtonSaveClick,
   "Save these settings to a board settings file (.cfg)."},
  {"ButtonGen",  "Generate",     'G', {224, 423, 190, 35}, &TFormLarkspur::ButtonGenClick,
   "Write the Quartus project for these settings."},
  {"ButtonLoad", "Load Setting", 'L', {16, 471, 190, 35},  &TFormLarkspur::ButtonLoadClick,
   "Load the settings of a board settings file (.cfg) or of a Quartus project (.qsf)."},
  {"ButtonExit", "Exit",         'x', {224, 471, 190, 35}, &TFormLarkspur::ButtonExitClick,
   "Keep these settings for the next start and close the program."},
}};
// clang-format on

constexpr const char* kPreferredFontFamily = "MS Sans Serif";
constexpr int kFontPixels = 16;
constexpr int kBoardNamePixels = 24;
constexpr int kSmallestListPixels = 11;
// The reason a typed field is refused stands in a box just below the field (above it where
// the form ends first), as wide as the settings box, in lines that wrap.
constexpr int kReasonPixels = 13;
constexpr int kReasonGap = 2;
constexpr int kReasonPadding = 4;

QFont FormFont() {
  const QString preferred = QString::fromLatin1(kPreferredFontFamily);
  QFont font(QFontDatabase::families().contains(preferred)
                 ? preferred
                 : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
  font.setPixelSize(kFontPixels);
  return font;
}

// The form's colours in one scheme: its own, so that a desktop theme never sets dark text on
// a dark ground, or the reverse, in it.
struct SchemeColours {
  QColor Background;
  QColor Text;
  QColor GreyText;
  QColor Base;
  QColor GreyBase;
  QColor Button;
  QColor GreyButton;
  QColor Light;
  QColor Midlight;
  QColor Mid;
  QColor Dark;
  QColor Shadow;
  QColor Highlight;
  QColor Link;
  QColor ToolTipBase;
  QColor RefusedBase;  // behind the text of a field that generation would refuse
};

// clang-format off
const SchemeColours kLightScheme{
  {235, 233, 237}, {0, 0, 0},       {100, 100, 100}, {255, 255, 255}, {240, 240, 240},
  {239, 239, 239}, {232, 232, 232}, {255, 255, 255}, {227, 227, 227}, {160, 160, 160},
  {160, 160, 160}, {105, 105, 105}, {48, 140, 198},  {0, 0, 255},     {255, 255, 220},
  {255, 218, 218}};
const SchemeColours kDarkScheme{
  {42, 42, 46},    {236, 236, 236}, {150, 150, 150}, {28, 28, 31},    {38, 38, 41},
  {62, 62, 68},    {50, 50, 54},    {90, 90, 98},    {72, 72, 78},    {40, 40, 44},
  {30, 30, 33},    {10, 10, 10},    {38, 110, 170},  {140, 180, 255}, {56, 56, 60},
  {110, 32, 36}};
// clang-format on

const SchemeColours& Scheme(bool dark) {
  return dark ? kDarkScheme : kLightScheme;
}

// The desktop asks for dark colours when its own palette puts light text on a dark ground, as
// dark themes and styles that paint their own colours do.
bool DesktopIsDark() {
  const QPalette desktop = QApplication::palette();
  return desktop.color(QPalette::Window).lightness() <
         desktop.color(QPalette::WindowText).lightness();
}

QPalette FormPalette(bool dark) {
  const SchemeColours& c = Scheme(dark);
  struct RoleColour {
    QPalette::ColorRole Role;
    QColor Active;
    QColor Disabled;
  };
  const RoleColour colours[] = {
      {QPalette::Window, c.Background, c.Background},
      {QPalette::WindowText, c.Text, c.GreyText},
      {QPalette::Base, c.Base, c.GreyBase},
      {QPalette::AlternateBase, c.Button, c.GreyBase},
      {QPalette::Text, c.Text, c.GreyText},
      {QPalette::PlaceholderText, c.GreyText, c.GreyText},
      {QPalette::Button, c.Button, c.GreyButton},
      {QPalette::ButtonText, c.Text, c.GreyText},
      {QPalette::BrightText, QColor(255, 255, 255), QColor(255, 255, 255)},
      {QPalette::Light, c.Light, c.Light},
      {QPalette::Midlight, c.Midlight, c.Midlight},
      {QPalette::Mid, c.Mid, c.Mid},
      {QPalette::Dark, c.Dark, c.Dark},
      {QPalette::Shadow, c.Shadow, c.Shadow},
      {QPalette::Highlight, c.Highlight, c.GreyText},
      {QPalette::HighlightedText, QColor(255, 255, 255), QColor(255, 255, 255)},
      {QPalette::Link, c.Link, c.Link},
      {QPalette::LinkVisited, c.Link, c.Link},
      {QPalette::ToolTipBase, c.ToolTipBase, c.ToolTipBase},
      {QPalette::ToolTipText, c.Text, c.Text},
  };
  QPalette palette;
  for (const RoleColour& entry : colours) {
    palette.setColor(QPalette::Active, entry.Role, entry.Active);
    palette.setColor(QPalette::Inactive, entry.Role, entry.Active);
    palette.setColor(QPalette::Disabled, entry.Role, entry.Disabled);
  }
  return palette;
}

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "GPIO-0 Header": the caption above a header's controls.
QString HeaderCaption(std::size_t header) {
  return Utf8(kLarkspurHeaders[header].Label) + QStringLiteral(" Header");
}

// The caption with its mnemonic letter marked: the first occurrence of that character.
QString WithMnemonic(QString text, char letter) {
  const qsizetype at = text.indexOf(QLatin1Char(letter));
  if (at >= 0)
    text.insert(at, QLatin1Char('&'));
  return text;
}

QString WithMnemonic(const char* caption, char letter) {
  return WithMnemonic(QString::fromUtf8(caption), letter);
}

// The name of an option's control after its caption: "Pin list" gives "PinList", "Top level:"
// gives "TopLevel".
QString ControlNameOf(std::string_view caption) {
  QString name;
  bool wordStart = true;
  for (const char c : caption) {
    if (!std::isalnum(static_cast<unsigned char>(c))) {
      wordStart = true;
      continue;
    }
    name +=
        QLatin1Char(wordStart ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c);
    wordStart = false;
  }
  return name;
}

// An option's tooltip: its description as one sentence.
QString TipOf(std::string_view description) {
  QString tip = Utf8(description).replace(QLatin1Char('\n'), QLatin1Char(' '));
  if (!tip.isEmpty())
    tip[0] = tip[0].toUpper();
  return tip + QLatin1Char('.');
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QPoint at, bool bold) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(QString::fromLatin1(name));
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  label->move(at);
  label->adjustSize();
  return label;
}

QLabel* MakePicture(QWidget* parent, const char* name, QRect box, const QString& resource) {
  auto* picture = new QLabel(parent);
  picture->setObjectName(QString::fromLatin1(name));
  picture->setGeometry(box);
  if (!resource.isEmpty()) {
    picture->setPixmap(PictureFromResource(resource, box.size(), picture->devicePixelRatioF()));
  }
  return picture;
}

TOutline* MakeOutline(QWidget* parent, const char* name, QRect box) {
  auto* outline = new TOutline(parent);
  outline->setObjectName(QString::fromLatin1(name));
  outline->setGeometry(box);
  return outline;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, QRect box, int maxLength) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(box);
  edit->setMaxLength(maxLength);
  // The record keeps UTF-8 text of at most this many bytes.
  edit->setValidator(new Utf8ByteLimit(static_cast<int>(TextField::kSize) - 1, edit));
  return edit;
}

// A card list: the arrow keys, Home, End, letters and the mouse wheel step through the cards
// but never onto the last entry, "Card file...", which opens a dialog and so is taken only when
// chosen from the open list; the wheel turns the list only while it has the focus, and
// otherwise scrolls the form around it.
class TCardList : public QComboBox {
 public:
  using QComboBox::QComboBox;

  // True while a key or the wheel steps through the list: an activation then is no choice.
  bool Stepping() const { return StepDepth > 0; }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    Step([&] { QComboBox::keyPressEvent(event); });
  }
  void wheelEvent(QWheelEvent* event) override {
    if (!hasFocus()) {
      event->ignore();  // passed on to the scroll area
      return;
    }
    Step([&] { QComboBox::wheelEvent(event); });
  }

 private:
  template <typename Handler>
  void Step(Handler handler) {
    const int before = currentIndex();
    ++StepDepth;
    handler();
    --StepDepth;
    const int last = count() - 1;
    if (currentIndex() == last && before != last)
      setCurrentIndex(std::max(0, last - 1) == before ? before : std::max(0, last - 1));
  }

  int StepDepth = 0;
};

// The form's style: Fusion, whose check-box indicators it draws itself, since Fusion's own
// edge is too faint to tell from the ground (about 1.5:1): here the edge takes the grey text
// colour, which stands out from the ground in both schemes (3:1 at least), around the field's
// base colour, and the tick the text colour.
class TFormStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element != PE_IndicatorCheckBox) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    const QPalette& colours = option->palette;
    const QPalette::ColorGroup group =
        option->state & State_Enabled ? QPalette::Active : QPalette::Disabled;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    const QRectF box = QRectF(option->rect).adjusted(1, 1, -1, -1);
    painter->setPen(QPen(colours.color(group, QPalette::PlaceholderText), 1.5));
    painter->setBrush(colours.color(group, QPalette::Base));
    painter->drawRoundedRect(box, 2, 2);
    painter->setPen(QPen(colours.color(group, QPalette::Text), 2.0, Qt::SolidLine, Qt::RoundCap,
                         Qt::RoundJoin));
    const QRectF inner = box.adjusted(3, 3, -3, -3);
    if (option->state & State_On) {
      const QPointF tick[] = {{inner.left(), inner.center().y()},
                              {inner.left() + inner.width() * 0.4, inner.bottom()},
                              {inner.right(), inner.top()}};
      painter->drawPolyline(tick, 3);
    } else if (option->state & State_NoChange) {
      painter->drawLine(QPointF(inner.left(), inner.center().y()),
                        QPointF(inner.right(), inner.center().y()));
    }
    painter->restore();
  }
};

// Shrinks a drop-down list's font until its longest entry fits the closed list, so that no
// card name is cut off where the platform's sans-serif runs wider than the layout expects.
void FitListFont(QComboBox* combo) {
  QStyleOptionComboBox option;
  option.initFrom(combo);
  option.editable = false;
  const int room =
      combo->style()
          ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
          .width() -
      2;  // the style insets the text by a pixel on each side
  QFont font = combo->font();
  for (int pixels = font.pixelSize(); pixels >= kSmallestListPixels; --pixels) {
    font.setPixelSize(pixels);
    const QFontMetrics metrics(font);
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i) {
      widest = std::max(widest, metrics.horizontalAdvance(combo->itemText(i)));
    }
    if (widest <= room)
      break;
  }
  combo->setFont(font);
}

// "Adds 8 pins: LED." with at most a handful of names, so that the tip stays readable.
QString SignalsTip(const SignalSummary& summary) {
  constexpr std::size_t kNamesShown = 6;
  if (summary.PinCount == 0)
    return QStringLiteral("Adds no pins.");
  QStringList names;
  for (std::size_t i = 0; i < summary.Signals.size() && i < kNamesShown; ++i)
    names.append(QString::fromStdString(summary.Signals[i]));
  QString tip = QStringLiteral("Adds %1 pin%2: %3")
                    .arg(summary.PinCount)
                    .arg(summary.PinCount == 1 ? "" : "s")
                    .arg(names.join(QStringLiteral(", ")));
  if (summary.Signals.size() > kNamesShown)
    tip += QStringLiteral(" and %1 more").arg(summary.Signals.size() - kNamesShown);
  return tip + QLatin1Char('.');
}

QString CardTip(std::int32_t cardId) {
  if (cardId == kCardNone)
    return QStringLiteral("No card: the header adds no pins.");
  const std::size_t pins = CardSignals(cardId).PinCount;
  return QStringLiteral("Adds %1 pin%2 on the header.").arg(pins).arg(pins == 1 ? "" : "s");
}

// Shows whether generation would take the field's text: a tinted field with a warning sign
// at its end and the reason as its tooltip and description, or the field's own tooltip.
void MarkField(QLineEdit* edit, const std::string& problem, const QString& usualTip,
               const SchemeColours& scheme) {
  const bool refused = !problem.empty() && edit->isEnabled();
  QPalette colours = edit->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    colours.setColor(group, QPalette::Base, refused ? scheme.RefusedBase : scheme.Base);
  edit->setPalette(colours);
  edit->setProperty("refused", refused);
  auto* sign = edit->findChild<QAction*>(QStringLiteral("RefusedSign"));
  if (!sign) {
    sign = edit->addAction(edit->style()->standardIcon(QStyle::SP_MessageBoxWarning),
                           QLineEdit::TrailingPosition);
    sign->setObjectName(QStringLiteral("RefusedSign"));
  }
  const QString reason = QString::fromStdString(problem);
  sign->setVisible(refused);
  sign->setToolTip(reason);
  edit->setToolTip(refused ? reason : usualTip);
  edit->setAccessibleDescription(refused ? reason : QString());
}

std::string AboutText(const StoragePlaces& places) {
  return "Pinwright " PINWRIGHT_VERSION
         "\r\nWrites ready-to-open Quartus projects for the Larkspur FPGA board, with cards of "
         "your own from card files and a picture of each header's pinout. pinwright-cli also "
         "checks a Quartus settings file against the board (check) and reads its settings "
         "back (import).\r\n\r\n"
         "Licence: proprietary. Copyright 2026 Pinwright developers, all rights reserved."
         "\r\n\r\nCard files of your own are kept in:\r\n" +
         places.CardsFolder + "\r\n\r\nSettings (default.cfg and the INI file) are kept in:\r\n" +
         places.SettingsFolder + "\r\n\r\nNew projects go to:\r\n" + places.ProjectsFolder +
         "CodeGenerated" + kFolderSeparator + kLarkspurBoardFolder + kFolderSeparator;
}

std::string ToRecordText(const QString& text) {
  return text.toStdString();
}
QString FromRecordText(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TFormLarkspur::TFormLarkspur(TFormMain& owner) : QWidget(&owner), Owner(owner) {
  setObjectName(QStringLiteral("FormLarkspur"));
  setWindowTitle(QString::fromLatin1(kLarkspurCaption));
  setFont(FormFont());
  setFixedSize(kLarkspurFormWidth, kLarkspurFormHeight);
  CreateControls();
  Config = std::make_unique<TConfigLarkspur>();

  // Every control, the lists' drop-down parts included, draws with the form's style.
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
    FormStyle = new TFormStyle(fusion);  // which takes it over
  if (FormStyle) {
    FormStyle->setParent(this);
    for (QComboBox* combo : findChildren<QComboBox*>())
      combo->view();  // makes the drop-down part, so that it is among the children below
    setStyle(FormStyle);
    for (QWidget* control : findChildren<QWidget*>())
      control->setStyle(FormStyle);
  }
  setAutoFillBackground(true);
  ApplyColourScheme();

  Owner.setWindowTitle(windowTitle());
  // The user's card files join the built-in cards, those of the standard folder first and
  // then those of the command line; a file with a mistake is left out, and told of once the
  // window shows.
  const StoragePlaces places = CurrentPlaces();
  InstallUserCards(LoadCards(CardSources(places.CardsFolder, Owner.ExtraCardSources())));
  InitChoiceLists();
  Config->Folder = places.ProjectsFolder;
  // A missing or unusable default.cfg, or one with text no control can show, is no problem
  // worth a message: the defaults apply.
  if (!Config->LoadDefault() || !CheckTextFields(Config->Settings)) {
    SetDefaultSettings();
  } else {
    // A card whose file is not found shows as None; the designer is told, and the record
    // that names it is not lost at Exit.
    int headers = 0;
    for (int h = 0; h < kHeaderCount; ++h) {
      const std::string missing =
          MissingUserCardText((Config->Settings.*kLarkspurHeaders[h].Card).Get());
      if (!missing.empty()) {
        MissingCardText += std::string(kLarkspurHeaders[h].Label) + ": " + missing + "\n";
        ++headers;
      }
    }
    if (headers > 0) {
      KeepOldDefault = true;
      MissingCardText =
          "The settings kept at the last Exit name a card whose file is not found:\n" +
          MissingCardText + (headers == 1 ? "That header shows None" : "Those headers show None") +
          ". When the program ends, the old default.cfg is kept as a numbered backup beside "
          "the new one.";
    }
  }
  SettingsToControls();
  WireHandlers();
  SetTabOrder();
  FocusFirstField();
  QTimer::singleShot(0, this, [this] { RunGuarded([this] { ShowCardNotice(); }); });
}

void TFormLarkspur::ShowCardNotice() {
  std::vector<std::string> files;
  for (const std::string& file : RefusedCardFiles()) {
    if (std::find(ToldRefusedFiles.begin(), ToldRefusedFiles.end(), file) == ToldRefusedFiles.end())
      files.push_back(file);
  }
  if (files.empty() && MissingCardText.empty())
    return;
  QStringList text;
  if (!MissingCardText.empty())
    text.append(QString::fromStdString(MissingCardText));
  QStringList listed;
  QStringList details;
  if (!files.empty()) {
    text.append(files.size() == 1
                    ? QStringLiteral("A card file has errors, so its card is not offered:")
                    : QStringLiteral("%1 card files have errors, so their cards are not offered:")
                          .arg(files.size()));
    for (const std::string& file : files)
      listed.append(QString::fromStdString(file));
    for (const Diagnostic& problem : RefusedCardProblems()) {
      if (std::find(files.begin(), files.end(), problem.File) != files.end())
        details.append(QString::fromStdString(DiagnosticLine(problem)));
    }
    ToldRefusedFiles.insert(ToldRefusedFiles.end(), files.begin(), files.end());
  }
  MissingCardText.clear();
  // Titled as every other box of the program.
  auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Pinwright"),
                              text.join(QStringLiteral("\n\n")), QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("CardNotice"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->setTextFormat(Qt::PlainText);
  if (!listed.isEmpty()) {
    box->setInformativeText(listed.join(QLatin1Char('\n')) +
                            QStringLiteral("\n\nShow Details... lists every error."));
    box->setDetailedText(details.join(QLatin1Char('\n')));
  }
  box->show();
}

void TFormLarkspur::FocusFirstField() {
  EditProjectName->setFocus(Qt::OtherFocusReason);
}

TFormLarkspur::~TFormLarkspur() = default;

void TFormLarkspur::CreateControls() {
  // The maker's logo opens the About box, as F1 does.
  ButtonAbout = new QToolButton(this);
  ButtonAbout->setObjectName(QStringLiteral("logo"));
  ButtonAbout->setGeometry(16, 11, 93, 46);
  ButtonAbout->setAutoRaise(true);
  ButtonAbout->setIconSize(kLogoSize);
  ButtonAbout->setIcon(
      PictureFromResource(QStringLiteral("LOGO_BITMAP"), kLogoSize, devicePixelRatioF()));
  ButtonAbout->setCursor(Qt::PointingHandCursor);
  ButtonAbout->setAccessibleName(QStringLiteral("About Pinwright"));
  ButtonAbout->setToolTip(QStringLiteral("About Pinwright (F1)"));
  connect(ButtonAbout, &QToolButton::clicked, this,
          [this] { RunGuarded([this] { ShowAbout(); }); });
  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, [this] { RunGuarded([this] { ShowAbout(); }); });

  for (std::size_t i = 0; i < ReasonLabels.size(); ++i) {
    auto* reason = new QLabel(this);
    reason->setObjectName(QStringLiteral("Reason%1").arg(i));
    reason->setWordWrap(true);
    reason->setTextFormat(Qt::PlainText);
    reason->setFrameStyle(QFrame::Box | QFrame::Plain);
    reason->setMargin(kReasonPadding);
    reason->setAutoFillBackground(true);
    reason->setBackgroundRole(QPalette::ToolTipBase);
    reason->setForegroundRole(QPalette::ToolTipText);
    QFont font = reason->font();
    font.setPixelSize(kReasonPixels);
    reason->setFont(font);
    reason->hide();
    ReasonLabels[i] = reason;
  }

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setGeometry(8, 64, 417, 345);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  QLabel* boardName =
      MakeLabel(panel, "LabelBoardName", QStringLiteral("Larkspur FPGA Board"), {8, 8},
                /*bold=*/true);
  QFont nameFont = boardName->font();
  nameFont.setPixelSize(kBoardNamePixels);
  boardName->setFont(nameFont);
  boardName->setGeometry(8, 8, 405, 29);
  MakePicture(panel, "ImageBoard", {QPoint(6, 43), kBoardPictureSize},
              QStringLiteral("BOARD_BITMAP"))
      ->setAccessibleName(QStringLiteral("The Larkspur board, the chosen parts outlined"));
  // Created after the picture, so they are drawn over it.
  for (int i = 0; i < kComponentCount; ++i) {
    ComponentShapes[i] = MakeOutline(panel, kComponents[i].OutlineName, kComponents[i].OutlineBox);
  }
  for (int h = 0; h < kHeaderCount; ++h) {
    HeaderShapes[h] = MakeOutline(panel, kHeaders[h].OutlineName, kHeaders[h].OutlineBox);
  }
  CreateOutputControls(panel);

  for (std::size_t i = 0; i < kButtons.size(); ++i) {
    const ButtonControl& row = kButtons[i];
    auto* button = new QPushButton(WithMnemonic(row.Caption, row.Mnemonic), this);
    button->setObjectName(QString::fromLatin1(row.Name));
    button->setGeometry(row.Box);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(QString::fromUtf8(row.Tip));
    // Enter presses the focused button, as Space does.
    button->setAutoDefault(true);
    Buttons[i] = button;
    connect(button, &QPushButton::clicked, this,
            [this, handler = row.Handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
  }

  auto* group = new QGroupBox(QStringLiteral("System Configuration"), this);
  group->setObjectName(QStringLiteral("GroupBox1"));
  group->setGeometry(431, 8, 353, 504);
  QLabel* nameLabel =
      MakeLabel(group, "Label3", WithMnemonic("Project Name:", 'N'), {16, 32}, /*bold=*/false);
  EditProjectName = MakeEdit(group, "EditProjectName", {16, 56, 326, 28}, kProjectNameMaxLength);
  EditProjectName->setAccessibleName(QStringLiteral("Project Name"));
  nameLabel->setBuddy(EditProjectName);
  for (int i = 0; i < kComponentCount; ++i) {
    const ComponentControl& row = kComponents[i];
    const LarkspurComponent& component = row.Component();
    const QString caption = QString::fromUtf8(component.Caption.data(),
                                              static_cast<qsizetype>(component.Caption.size()));
    auto* check = new QCheckBox(WithMnemonic(caption, row.Mnemonic), group);
    check->setObjectName(
        QStringLiteral("CheckBox") +
        QString::fromLatin1(component.Name.data(), static_cast<qsizetype>(component.Name.size())));
    check->setGeometry({row.CheckBoxAt, kCheckBoxSize});
    check->setCursor(Qt::PointingHandCursor);
    check->setAccessibleName(caption);
    check->setToolTip(SignalsTip(ComponentSignals(component.Flag)));
    ComponentChecks[i] = check;
  }
  for (int h = 0; h < kHeaderCount; ++h) {
    const HeaderControl& row = kHeaders[h];
    const QString header = HeaderCaption(h);
    QLabel* headerLabel = MakeLabel(group, row.LabelName, WithMnemonic(header, row.LabelMnemonic),
                                    row.LabelAt, /*bold=*/true);
    auto* combo = new TCardList(group);
    // The wheel gives no focus, so that it scrolls the form over the list.
    combo->setFocusPolicy(Qt::StrongFocus);
    combo->setContextMenuPolicy(Qt::CustomContextMenu);
    combo->setObjectName(QString::fromLatin1(row.ComboName));
    combo->setGeometry(row.ComboBox);
    combo->setEditable(false);  // a choice from the list only
    combo->setCursor(Qt::PointingHandCursor);
    combo->setAccessibleName(header + QStringLiteral(" card"));
    headerLabel->setBuddy(combo);
    HeaderCombos[h] = combo;
    QLabel* prefixLabel =
        MakeLabel(group, row.PrefixLabelName, WithMnemonic("Prefix Name:", row.PrefixMnemonic),
                  row.PrefixLabelAt, /*bold=*/false);
    PrefixEdits[h] = MakeEdit(group, row.EditName, row.EditBox, kPrefixMaxLength);
    PrefixEdits[h]->setAccessibleName(header + QStringLiteral(" prefix name"));
    prefixLabel->setBuddy(PrefixEdits[h]);
    HeaderImages[h] = MakePicture(group, row.ImageName, {row.ImageAt, kCardPictureSize}, {});
  }
}

// The control of each option of the output table: the language's list with its label, a
// check box for every other option; caption, mnemonic and tooltip come from the option.
void TFormLarkspur::CreateOutputControls(QWidget* panel) {
  std::size_t place = 0;
  for (const OutputOption* option : OutputOptions()) {
    const QString caption = Utf8(option->Caption);
    const QString name = ControlNameOf(option->Caption);
    if (option->Kind == OptionKind::Language) {
      QLabel* label = MakeLabel(panel, ("Label" + name).toLatin1().constData(),
                                WithMnemonic(caption, option->Mnemonic), kTopLevelLabelAt,
                                /*bold=*/false);
      ComboTopLevel = new QComboBox(panel);
      ComboTopLevel->setObjectName("ComboBox" + name);
      ComboTopLevel->setGeometry(kTopLevelComboBox);
      ComboTopLevel->setEditable(false);
      ComboTopLevel->setCursor(Qt::PointingHandCursor);
      ComboTopLevel->setAccessibleName(Utf8(option->Caption).remove(':') + " language");
      ComboTopLevel->setToolTip(TipOf(option->Description));
      for (HdlLanguage language : kHdlLanguages) {
        const std::string_view words = HdlLanguageCaption(language);
        ComboTopLevel->addItem(QString::fromLatin1(words.data(), qsizetype(words.size())));
      }
      label->setBuddy(ComboTopLevel);
      continue;
    }
    QRect box = place < std::size(kOutputSwitchPlaces)
                    ? kOutputSwitchPlaces[place]
                    : kOutputSwitchPlaces[std::size(kOutputSwitchPlaces) - 1].translated(
                          0, static_cast<int>(place - std::size(kOutputSwitchPlaces) + 1) * 22);
    ++place;
    auto* check =
        new QCheckBox(option->Mnemonic ? WithMnemonic(caption, option->Mnemonic) : caption, panel);
    check->setObjectName("CheckBox" + name);
    check->setGeometry(box);
    check->setCursor(Qt::PointingHandCursor);
    check->setAccessibleName(caption);
    check->setToolTip(TipOf(option->Description));
    OutputSwitches.emplace_back(option, check);
  }
}

// Tab follows the reading order: the name, the check boxes row by row, each header's card
// and prefix, the output choices below the board, the buttons row by row, then the logo.
void TFormLarkspur::SetTabOrder() {
  std::vector<QWidget*> order{EditProjectName};
  order.insert(order.end(), ComponentChecks.begin(), ComponentChecks.end());
  for (int h = 0; h < kHeaderCount; ++h) {
    order.push_back(HeaderCombos[h]);
    order.push_back(PrefixEdits[h]);
  }
  order.push_back(ComboTopLevel);
  for (const auto& [option, check] : OutputSwitches)
    order.push_back(check);
  order.insert(order.end(), Buttons.begin(), Buttons.end());
  order.push_back(ButtonAbout);
  for (std::size_t i = 1; i < order.size(); ++i)
    QWidget::setTabOrder(order[i - 1], order[i]);
}

void TFormLarkspur::WireHandlers() {
  for (QCheckBox* check : ComponentChecks) {
    connect(check, &QCheckBox::toggled, this, [this] { RunGuarded([this] { CheckBoxClick(); }); });
  }
  for (int h = 0; h < kHeaderCount; ++h) {
    QComboBox* combo = HeaderCombos[h];
    connect(combo, &QComboBox::currentIndexChanged, this,
            [this] { RunGuarded([this] { ComboBoxGpioChange(); }); });
    // "Card file..." opens its dialog only when chosen, never when a key steps onto it.
    connect(combo, &QComboBox::activated, this, [this, h, combo](int index) {
      if (index == Config->ChoiceCount && !static_cast<TCardList*>(combo)->Stepping())
        RunGuarded([this, h] { ChooseCardFile(h); });
    });
    connect(combo, &QComboBox::customContextMenuRequested, this,
            [this, h](const QPoint& at) { RunGuarded([this, h, at] { ShowCardMenu(h, at); }); });
  }
  for (QLineEdit* edit : {EditProjectName, PrefixEdits[0], PrefixEdits[1]}) {
    connect(edit, &QLineEdit::textChanged, this,
            [this] { RunGuarded([this] { UpdateFieldMarks(); }); });
  }
  // The names are checked for the language they will be written in.
  connect(ComboTopLevel, &QComboBox::currentIndexChanged, this,
          [this] { RunGuarded([this] { UpdateFieldMarks(); }); });
}

bool TFormLarkspur::event(QEvent* event) {
  // The desktop changed its theme or palette: follow its light or dark scheme.
  if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ThemeChange)
    ApplyColourScheme();
  return QWidget::event(event);
}

void TFormLarkspur::ApplyColourScheme() {
  DarkScheme = DesktopIsDark();
  const QPalette colours = FormPalette(DarkScheme);
  setPalette(colours);
  // The logo is drawn for a light ground: on a dark one it keeps a light plate of its own.
  QPalette plate = colours;
  plate.setColor(QPalette::Window, kLightScheme.Background);
  ButtonAbout->setPalette(plate);
  ButtonAbout->setAutoFillBackground(DarkScheme);
  // The drop-down parts are windows of their own, which take no palette from the form.
  for (QComboBox* combo : findChildren<QComboBox*>())
    combo->view()->window()->setPalette(colours);
  if (Config && Config->ChoiceCount > 0)  // once the controls show a record
    UpdateFieldMarks();
}

void TFormLarkspur::ShowAbout() {
  CurrentHost().ShowAbout(AboutText(CurrentPlaces()));
}

bool TFormLarkspur::LoadSettingsFile(const std::string& path) {
  const TLarkspurSettings before = Config->Settings;
  Status loaded = Config->LoadFile(path);
  if (loaded)
    loaded = CheckTextFields(Config->Settings);
  if (!loaded) {
    Config->Settings = before;
    if (loaded.Error().Kind == FailureKind::Missing) {
      ShowError("The settings file " + path + " does not exist.");
    } else {
      ReportFailure(loaded.Error());
    }
    return false;
  }
  // Save Setting then proposes this file.
  Config->Folder = FolderOf(path);
  Config->FileName = FileNameOf(path);
  SettingsToControls();
  return true;
}

void TFormLarkspur::closeEvent(QCloseEvent* event) {
  bool kept = false;
  RunGuarded([this, &kept] { kept = FormClose(); });
  // Settings that could not be kept hold the window open once, so that nothing is lost
  // unnoticed; a second Exit leaves without them.
  if (kept || SettingsNotKept) {
    event->accept();
    return;
  }
  SettingsNotKept = true;
  event->ignore();
}

void TFormLarkspur::CheckBoxClick() {
  UpdateOutlines();
}

void TFormLarkspur::ComboBoxGpioChange() {
  // "Card file..." is no card: its activation (or a step back) follows.
  for (int h = 0; h < kHeaderCount; ++h) {
    if (HeaderCombos[h]->currentIndex() >= Config->ChoiceCount)
      return;
  }
  for (int h = 0; h < kHeaderCount; ++h)
    ShownCards[h] = SelectedCard(h);
  UpdateCardImages();
  UpdateOutlines();
  UpdateFieldMarks();
}

void TFormLarkspur::ChooseCardFile(int header) {
  FileDialog dialog;
  dialog.Kind = FileDialogKind::Open;
  dialog.Title =
      "Choose a card file for the " + std::string(kLarkspurHeaders[header].Label) + " header";
  dialog.FilterDescription = "Card Files (*.toml)";
  dialog.FilterPattern = "*.toml";
  dialog.DefaultExtension = "toml";
  dialog.InitialFolder = Config->Folder;
  std::array<std::int32_t, kHeaderCount> cards = ShownCards;
  if (const std::optional<std::string> chosen = CurrentHost().RunFileDialog(dialog)) {
    const std::string folder = CurrentPlaces().CardsFolder;
    const Result<CardFileInstall> plan =
        PlanUserCardFile(*chosen, folder, Owner.ExtraCardSources());
    bool install = plan.Ok();
    if (!plan) {
      ShowError("The card file was not installed:\r\n" + plan.Error().Reason);
    } else if (!plan->Replaces.empty()) {
      install = CurrentHost().AskYesNo("Card " + std::to_string(plan->Id) + " \"" + plan->Name +
                                       "\" is installed from " + plan->Replaces +
                                       ".\r\nReplace it with " + *chosen +
                                       "? The installed file is kept as a numbered backup.");
    }
    if (install) {
      const Result<CardFileInstall> added =
          AddUserCardFile(*chosen, folder, Owner.ExtraCardSources());
      if (added) {
        cards[header] = added->Id;
        std::string text = "The card file was copied to " + added->Target + ".";
        for (const std::string& backup : added->Backups)
          text += "\r\nThe file it replaces is kept as " + backup + ".";
        ShowInformation(text);
      } else {
        ShowError(added.Error().Reason);
      }
    }
    // Loading again may leave out a file of the extra sources that now fails.
    ShowCardNotice();
  }
  ShowCards(cards);
}

void TFormLarkspur::ShowCards(std::array<std::int32_t, kHeaderCount> cards) {
  {
    const QSignalBlocker first(HeaderCombos[0]);
    const QSignalBlocker second(HeaderCombos[1]);
    InitChoiceLists();
    for (int h = 0; h < kHeaderCount; ++h) {
      HeaderCombos[h]->setCurrentIndex(Config->ChoiceIndexOf(cards[h]).value_or(0));
      ShownCards[h] = SelectedCard(h);
    }
  }
  ComboBoxGpioChange();
}

void TFormLarkspur::ShowCardMenu(int header, const QPoint& at) {
  const std::int32_t card = ShownCards[header];
  const std::string folder = CurrentPlaces().CardsFolder;
  const std::string_view source = CardSourceFile(card);
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("CardMenu"));
  QAction* remove = menu.addAction(
      QStringLiteral("&Remove card \"%1\"...").arg(HeaderCombos[header]->currentText()));
  remove->setObjectName(QStringLiteral("RemoveCard"));
  // Only a card read from the card folder is the form's to remove.
  remove->setEnabled(!source.empty() && FolderOf(std::string(source)) == folder);
  if (menu.exec(HeaderCombos[header]->mapToGlobal(at)) == remove)
    RemoveCard(card);
}

void TFormLarkspur::RemoveCard(std::int32_t card) {
  const std::string source(CardSourceFile(card));
  if (!CurrentHost().AskYesNo("Remove card " + std::to_string(card) + " \"" +
                              std::string(CardById(card).Name) + "\"? Its file " + source +
                              " is kept as a numbered backup, and the card is no longer offered."))
    return;
  const Result<std::string> backup =
      RemoveUserCardFile(card, CurrentPlaces().CardsFolder, Owner.ExtraCardSources());
  if (!backup) {
    ShowError(backup.Error().Reason);
    return;
  }
  std::array<std::int32_t, kHeaderCount> cards = ShownCards;
  for (std::int32_t& shown : cards) {
    if (shown == card)
      shown = kCardNone;
  }
  ShowInformation("The card file " + source + " is now " + *backup + ".");
  ShowCards(cards);
}

void TFormLarkspur::ButtonSaveClick() {
  if (!CheckInputs())
    return;
  ControlsToSettings();
  // A cancelled dialog carries no message; ReportFailure shows nothing for it.
  if (const Status saved =
          Config->SaveWithDialog(SaveDialog, Config->Settings.ProjectName.Get() + ".cfg");
      !saved)
    ReportFailure(saved.Error());
}

void TFormLarkspur::ButtonLoadClick() {
  const std::optional<std::string> path =
      Config->PickFileToLoad(OpenDialog, {{"Quartus settings (*.qsf)", "*.qsf"}});
  if (!path)
    return;
  if (IsQsfPath(*path)) {
    LoadQsfFile(*path);
    return;
  }
  const TLarkspurSettings before = Config->Settings;
  Status loaded = Config->LoadFile(*path);
  // A record whose text no control can show as it stands is refused, as the command-line
  // tool refuses it, rather than cut silently.
  if (loaded)
    loaded = CheckTextFields(Config->Settings);
  // A record naming a user card whose file is not found is refused, not shown as another card.
  for (const std::int32_t card : {Config->Settings.Gpio0.Get(), Config->Settings.Gpio1.Get()}) {
    if (const std::string missing = MissingUserCardText(card); loaded && !missing.empty())
      loaded = Failure{FailureKind::UnknownCard, {}, missing, {}};
  }
  if (!loaded) {
    Config->Settings = before;
    // A cancelled dialog and a file that is gone carry no reason and stay silent; a picked
    // file that did not load says why.
    ReportFailure(loaded.Error());
    return;
  }
  SettingsToControls();
}

void TFormLarkspur::LoadQsfFile(const std::string& path) {
  const Result<QsfImport> imported = ImportQsfFile(path);
  if (!imported) {
    ReportFailure(imported.Error());
    return;
  }
  if (!imported->Ok()) {
    ShowError("The settings of " + FileNameOf(path) +
              " cannot be loaded: " + imported->Refusal->Message);
    return;
  }
  Config->Settings = imported->Settings;
  SettingsToControls();
  // The project's own language, so that the next Generate writes the top level it has.
  GenerationOptions output = OutputChoices();
  output.TopLevel = imported->TopLevel;
  ShowOutputChoices(output);
  if (const std::string notes = QsfImportNotes(*imported); !notes.empty())
    ShowInformation(notes);
}

void TFormLarkspur::ButtonGenClick() {
  const GenerationOptions output = OutputChoices();
  const std::optional<CheckedSettings> checked = CheckInputs(output.TopLevel);
  if (!checked)
    return;
  if (const Status names = CheckTopLevelNames(*checked, output.TopLevel); !names) {
    ShowError(names.Error().Reason);
    return;
  }
  const Result<std::string> picked =
      Config->SelectProjectFile(ProjectDialog, kLarkspurBoardFolder, checked->ProjectName());
  if (!picked)
    return;  // cancelled: nothing to show
  const std::string& path = *picked;
  ControlsToSettings();
  const Result<CheckedProject> project = CheckProject(*checked, path, output);
  if (!project) {
    ShowError(project.Error().Reason);
    return;
  }
  std::vector<std::string> backups;
  const Result<GenerationReport> report = BuildProject(*project, &backups);
  if (!report) {
    ReportFailure(report.Error());
    ShowError(GenerateFailedText(path, backups));
    return;
  }
  CurrentHost().ShowProjectMessage(report->Text, FolderOf(project->Path().QpfPath()));
  for (const std::string& warning : report->Warnings)
    ShowInformation(warning);
  if (const std::string note = PinoutNote(checked->Settings(), output.Pinout); !note.empty())
    ShowInformation(note);
}

void TFormLarkspur::ButtonExitClick() {
  // The main window closes this form first, which runs FormClose, as any other way of
  // closing the window does.
  Owner.close();
}

bool TFormLarkspur::FormClose() {
  ControlsToSettings();
  if (SettingsNotKept)
    return true;
  // A default.cfg that named a card whose file was not found is kept, not overwritten.
  std::string backup;
  const Status saved = Config->SaveDefault(
      KeepOldDefault ? OtherFile::KeepAnyAsBackup : OtherFile::KeepAsBackup, &backup);
  if (saved) {
    if (KeepOldDefault && !backup.empty()) {
      ShowInformation(
          "The settings kept before, which name a card whose file was not found, "
          "are now in " +
          backup + ".");
    }
    KeepOldDefault = false;
    return true;
  }
  // One message: the file, what went wrong with it, and the way out.
  const Failure& failure = saved.Error();
  const std::string what = !failure.SystemMessage.empty()
                               ? failure.SystemMessage
                               : Config->DefaultPath() + ": " + failure.Reason;
  ShowError("The settings were not kept. " + what +
            "\r\nExit or close the window again to leave without keeping them.");
  return false;
}

void TFormLarkspur::InitChoiceLists() {
  Config->FillChoiceList(GpioHeaderChoices());
  for (QComboBox* combo : HeaderCombos) {
    combo->clear();
    for (int i = 0; i < Config->ChoiceCount; ++i) {
      const std::string_view name = CardById(Config->ChoiceAt(i)).Name;
      combo->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
      QString tip = CardTip(Config->ChoiceList[i]);
      if (const std::string_view source = CardSourceFile(Config->ChoiceAt(i)); !source.empty())
        tip += QStringLiteral(" From ") + QString::fromUtf8(source.data(), source.size());
      combo->setItemData(i, tip, Qt::ToolTipRole);
    }
    combo->addItem(QStringLiteral("Card file..."));
    combo->setItemData(Config->ChoiceCount,
                       QStringLiteral("Choose a card file (.toml) of your own: it is checked and "
                                      "kept in ") +
                           QString::fromStdString(CurrentPlaces().CardsFolder),
                       Qt::ToolTipRole);
    combo->setCurrentIndex(0);
    combo->setMaxVisibleItems(Config->ChoiceCount + 1);  // the whole list opens without scrolling
    FitListFont(combo);
  }
}

void TFormLarkspur::SetDefaultSettings() {
  Config->Settings = DefaultLarkspurSettings();
}

void TFormLarkspur::SettingsToControls() {
  const TLarkspurSettings& record = Config->Settings;
  EditProjectName->setText(FromRecordText(record.ProjectName.Get()));
  for (int i = 0; i < kComponentCount; ++i) {
    ComponentChecks[i]->setChecked(record.*kComponents[i].Component().Flag != 0);
  }
  for (int h = 0; h < kHeaderCount; ++h) {
    const std::int32_t card = (record.*kLarkspurHeaders[h].Card).Get();
    // A card the list does not offer leaves the selection as it was.
    if (const std::optional<int> index = Config->ChoiceIndexOf(card))
      HeaderCombos[h]->setCurrentIndex(*index);
    if (HeaderCombos[h]->currentIndex() > 0) {
      PrefixEdits[h]->setText(FromRecordText((record.*kLarkspurHeaders[h].Prefix).Get()));
    } else {
      PrefixEdits[h]->clear();
    }
  }
  for (int h = 0; h < kHeaderCount; ++h)
    ShownCards[h] = SelectedCard(h);
  UpdateCardImages();
  UpdateOutlines();
  UpdateFieldMarks();
}

void TFormLarkspur::ControlsToRecord(TLarkspurSettings& record) const {
  StampLarkspurRecord(record);
  record.ProjectName.Set(ToRecordText(EditProjectName->text()));
  for (int i = 0; i < kComponentCount; ++i) {
    record.*kComponents[i].Component().Flag = ComponentChecks[i]->isChecked() ? 1 : 0;
  }
  for (int h = 0; h < kHeaderCount; ++h) {
    (record.*kLarkspurHeaders[h].Card).Set(SelectedCard(h));
    (record.*kLarkspurHeaders[h].Prefix).Set(ToRecordText(PrefixEdits[h]->text()));
  }
}

void TFormLarkspur::ControlsToSettings() {
  ControlsToRecord(Config->Settings);
}

std::int32_t TFormLarkspur::SelectedCard(int header) const {
  // "Card file..." stands for the card shown before it until a card file is taken.
  const int index = HeaderCombos[header]->currentIndex();
  return index >= 0 && index < Config->ChoiceCount ? Config->ChoiceAt(index) : ShownCards[header];
}

void TFormLarkspur::UpdateCardImages() {
  for (int h = 0; h < kHeaderCount; ++h) {
    Owner.ShowCardPicture(HeaderImages[h], SelectedCard(h), h);
    HeaderImages[h]->setAccessibleName(QStringLiteral("Picture of the %1 card: %2")
                                           .arg(HeaderCaption(h), HeaderCombos[h]->currentText()));
  }
}

void TFormLarkspur::UpdateOutlines() {
  for (int i = 0; i < kComponentCount; ++i) {
    ComponentShapes[i]->setVisible(ComponentChecks[i]->isChecked());
  }
  for (int h = 0; h < kHeaderCount; ++h) {
    HeaderShapes[h]->setVisible(HeaderCombos[h]->currentIndex() > 0);
  }
}

void TFormLarkspur::UpdateFieldMarks() {
  // A prefix belongs to a card: without one there is nothing to name, but the text stays for
  // when a card is chosen again.
  for (int h = 0; h < kHeaderCount; ++h)
    PrefixEdits[h]->setEnabled(HeaderCombos[h]->currentIndex() > 0);
  TLarkspurSettings record = Config->Settings;
  ControlsToRecord(record);
  const TypedFieldProblems problems = CheckTypedFields(record, OutputChoices().TopLevel);
  for (int h = 0; h < kHeaderCount; ++h) {
    HeaderCombos[h]->setToolTip(QStringLiteral("The daughter card on the %1. %2")
                                    .arg(HeaderCaption(h), CardTip(SelectedCard(h))));
  }
  const SchemeColours& scheme = Scheme(DarkScheme);
  MarkField(EditProjectName, problems.ProjectName,
            QStringLiteral("Names the project folder, the project files and the top-level "
                           "module."),
            scheme);
  for (int h = 0; h < kHeaderCount; ++h) {
    MarkField(PrefixEdits[h], problems.Prefixes[h],
              QStringLiteral("Put before the signal names of the %1 card; may be empty.")
                  .arg(HeaderCaption(h)),
              scheme);
  }

  // Each reason beside its field, where it can be read without a tooltip; a change is
  // announced to screen readers.
  const std::array<QLineEdit*, 3> fields = {EditProjectName, PrefixEdits[0], PrefixEdits[1]};
  QStringList reasons;
  bool changed = false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    QLineEdit* edit = fields[i];
    QLabel* label = ReasonLabels[i];
    const QString reason = edit->property("refused").toBool() ? edit->toolTip() : QString();
    changed = changed || reason != label->text();
    label->setText(reason);
    label->setAccessibleName(reason);
    label->setVisible(!reason.isEmpty());
    if (reason.isEmpty())
      continue;
    reasons.append(reason);
    const QRect field(edit->mapTo(this, QPoint(0, 0)), edit->size());
    const QWidget* box = edit->parentWidget();
    const QRect room(box->mapTo(this, QPoint(16, 0)), QSize(box->width() - 27, 0));
    const int height = label->heightForWidth(room.width());
    int top = field.bottom() + 1 + kReasonGap;
    if (top + height > this->height() - kReasonGap)
      top = field.top() - kReasonGap - height;
    label->setGeometry(room.left(), top, room.width(), height);
    label->raise();
    if (reason != edit->property("announced").toString()) {
      QAccessibleEvent alert(label, QAccessible::Alert);
      QAccessible::updateAccessibility(&alert);
    }
  }
  for (QLineEdit* edit : fields)
    edit->setProperty("announced",
                      edit->property("refused").toBool() ? edit->toolTip() : QString());
  if (changed && !reasons.isEmpty())
    emit ProblemsAnnounced(reasons.join(QLatin1Char('\n')));
}

std::optional<CheckedSettings> TFormLarkspur::CheckInputs(HdlLanguage language) {
  TLarkspurSettings record = Config->Settings;
  ControlsToRecord(record);
  Result<CheckedSettings> result = CheckLarkspurSettings(record, language);
  if (result)
    return std::move(result).Value();
  ShowError(result.Error().Reason);
  return std::nullopt;
}

GenerationOptions TFormLarkspur::OutputChoices() const {
  GenerationOptions options;
  const int index = ComboTopLevel->currentIndex();
  if (index >= 0 && index < static_cast<int>(kHdlLanguages.size()))
    options.TopLevel = kHdlLanguages[static_cast<std::size_t>(index)];
  for (const auto& [option, check] : OutputSwitches)
    SwitchOutputOption(*option, check->isChecked(), options);
  return options;
}

void TFormLarkspur::ShowOutputChoices(const GenerationOptions& options) {
  const auto language = std::find(kHdlLanguages.begin(), kHdlLanguages.end(), options.TopLevel);
  ComboTopLevel->setCurrentIndex(static_cast<int>(language - kHdlLanguages.begin()));
  for (const auto& [option, check] : OutputSwitches)
    check->setChecked(OutputOptionIsOn(*option, options));
}

}  // namespace pinwright
