#include "ui/ui_larkspur.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>

#include "cards/catalogue.h"
#include "cards/choicelist.h"
#include "model/mainboard.h"
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
// component table, which holds the caption and the record flag.
struct ComponentControl {
  std::size_t Row;
  QPoint CheckBoxAt;
  const char* OutlineName;
  QRect OutlineBox;

  const LarkspurComponent& Component() const { return kLarkspurComponents[Row]; }
};

// clang-format off
constexpr ComponentControl kComponents[kComponentCount] = {
  {ComponentRow("OSC"),     {16, 104},  "ShapeOSC",     {248, 160, 26, 26}},
  {ComponentRow("LED"),     {182, 104}, "ShapeLED",     {277, 272, 48, 14}},
  {ComponentRow("Button"),  {16, 130},  "ShapeButton",  {326, 270, 39, 17}},
  {ComponentRow("Switch"),  {182, 130}, "ShapeSwitch",  {299, 234, 75, 34}},
  {ComponentRow("SDRAM"),   {16, 156},  "ShapeSDRAM",   {117, 65, 77, 34} },
  {ComponentRow("LPDDR4A"), {182, 156}, "ShapeLPDDR4A", {195, 67, 54, 37} },
  {ComponentRow("ADC"),     {16, 182},  "ShapeADC",     {38, 263, 49, 23} },
  {ComponentRow("LPDDR4B"), {182, 182}, "ShapeLPDDR4B", {168, 223, 54, 37}},
  {ComponentRow("HdmiTx"),  {16, 208},  "ShapeHDMI",    {12, 124, 39, 57} },
  {ComponentRow("MIPI"),    {182, 208}, "ShapeMIPI",    {17, 192, 20, 65} },
  {ComponentRow("UART"),    {16, 234},  "ShapeUART",    {360, 121, 33, 24}},
  {ComponentRow("FAN"),     {182, 234}, "ShapeFAN",     {74, 205, 44, 25} },
  {ComponentRow("HPS"),     {16, 261},  "ShapeHPS",     {154, 126, 35, 33}},
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
struct HeaderControl {
  const char* LabelName;
  const char* LabelCaption;
  QPoint LabelAt;
  const char* ComboName;
  QRect ComboBox;
  const char* PrefixLabelName;
  QPoint PrefixLabelAt;
  const char* EditName;
  QRect EditBox;
  const char* ImageName;
  QPoint ImageAt;
  const char* OutlineName;
  QRect OutlineBox;
  LeInt32 TLarkspurSettings::*Card;
  TextField TLarkspurSettings::*Prefix;
};

// clang-format off
constexpr HeaderControl kHeaders[kHeaderCount] = {
  {"Label1", "GPIO-0 Header", {16, 296}, "ComboBoxGpio0", {16, 320, 240, 28},
   "Label4", {16, 352}, "EditPrefixGpio0", {120, 352, 136, 28}, "ImageGpio0", {262, 320},
   "ShapeGpio0", {94, 43, 182, 20}, &TLarkspurSettings::Gpio0, &TLarkspurSettings::PrefixGpio0},
  {"Label2", "GPIO-1 Header", {16, 400}, "ComboBoxGpio1", {16, 424, 240, 28},
   "Label5", {16, 456}, "EditPrefixGpio1", {120, 456, 136, 28}, "ImageGpio1", {262, 408},
   "ShapeGpio1", {94, 263, 182, 23}, &TLarkspurSettings::Gpio1, &TLarkspurSettings::PrefixGpio1},
};
// clang-format on
constexpr QSize kCardPictureSize{80, 80};
constexpr QSize kBoardPictureSize{400, 245};
// In the band of Panel1 below the board picture, at its right end.
constexpr QRect kPinListBox{285, 305, 124, 22};

struct ButtonControl {
  const char* Name;
  const char* Caption;
  QRect Box;
  void (TFormLarkspur::*Handler)();
};

// clang-format off
constexpr ButtonControl kButtons[] = {
  {"ButtonSave", "Save Setting", {16, 423, 190, 35},  &TFormLarkspur::ButtonSaveClick},
  {"ButtonLoad", "Load Setting", {16, 471, 190, 35},  &TFormLarkspur::ButtonLoadClick},
  {"ButtonGen",  "Generate",     {224, 423, 190, 35}, &TFormLarkspur::ButtonGenClick},
  {"ButtonExit", "Exit",         {224, 471, 190, 35}, &TFormLarkspur::ButtonExitClick},
};
// clang-format on

const QColor kBackground(235, 233, 237);
constexpr const char* kPreferredFontFamily = "MS Sans Serif";
constexpr int kFontPixels = 16;
constexpr int kBoardNamePixels = 24;
constexpr int kSmallestListPixels = 11;

QFont FormFont() {
  const QString preferred = QString::fromLatin1(kPreferredFontFamily);
  QFont font(QFontDatabase::families().contains(preferred)
                 ? preferred
                 : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
  font.setPixelSize(kFontPixels);
  return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, QPoint at, bool bold) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
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

  QPalette colours = palette();
  colours.setColor(QPalette::Window, kBackground);
  setPalette(colours);
  setAutoFillBackground(true);

  Owner.setWindowTitle(windowTitle());
  InitChoiceLists();
  Config->Folder = CurrentHost().ExecutableFolder();
  // A missing or unusable default.cfg, or one with text no control can show, is no problem
  // worth a message: the defaults apply.
  if (!Config->LoadDefault() || !CheckTextFields(Config->Settings))
    SetDefaultSettings();
  SettingsToControls();
  WireHandlers();
}

TFormLarkspur::~TFormLarkspur() = default;

void TFormLarkspur::CreateControls() {
  MakePicture(this, "logo", {16, 11, 93, 46}, QStringLiteral("LOGO_BITMAP"));

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setGeometry(8, 64, 417, 345);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  QLabel* boardName =
      MakeLabel(panel, "LabelBoardName", "Larkspur FPGA Board", {8, 8}, /*bold=*/true);
  QFont nameFont = boardName->font();
  nameFont.setPixelSize(kBoardNamePixels);
  boardName->setFont(nameFont);
  boardName->setGeometry(8, 8, 405, 29);
  MakePicture(panel, "ImageBoard", {QPoint(6, 43), kBoardPictureSize},
              QStringLiteral("BOARD_BITMAP"));
  // Created after the picture, so they are drawn over it.
  for (int i = 0; i < kComponentCount; ++i) {
    ComponentShapes[i] = MakeOutline(panel, kComponents[i].OutlineName, kComponents[i].OutlineBox);
  }
  for (int h = 0; h < kHeaderCount; ++h) {
    HeaderShapes[h] = MakeOutline(panel, kHeaders[h].OutlineName, kHeaders[h].OutlineBox);
  }
  CheckBoxPinList = new QCheckBox(QStringLiteral("Pin list"), panel);
  CheckBoxPinList->setObjectName(QStringLiteral("CheckBoxPinList"));
  CheckBoxPinList->setGeometry(kPinListBox);
  CheckBoxPinList->setCursor(Qt::PointingHandCursor);
  CheckBoxPinList->setToolTip(
      QStringLiteral("Also write the pins as NAME.pins.json and NAME.pins.csv (for the Pin "
                     "Planner's Import Assignments)"));

  for (const ButtonControl& row : kButtons) {
    auto* button = new QPushButton(QString::fromUtf8(row.Caption), this);
    button->setObjectName(QString::fromLatin1(row.Name));
    button->setGeometry(row.Box);
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this,
            [this, handler = row.Handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
  }

  auto* group = new QGroupBox(QStringLiteral("System Configuration"), this);
  group->setObjectName(QStringLiteral("GroupBox1"));
  group->setGeometry(431, 8, 353, 504);
  MakeLabel(group, "Label3", "Project Name:", {16, 32}, /*bold=*/false);
  EditProjectName = MakeEdit(group, "EditProjectName", {16, 56, 326, 28}, kProjectNameMaxLength);
  for (int i = 0; i < kComponentCount; ++i) {
    const ComponentControl& row = kComponents[i];
    const LarkspurComponent& component = row.Component();
    auto* check = new QCheckBox(QString::fromUtf8(component.Caption.data(),
                                                  static_cast<qsizetype>(component.Caption.size())),
                                group);
    check->setObjectName(
        QStringLiteral("CheckBox") +
        QString::fromLatin1(component.Name.data(), static_cast<qsizetype>(component.Name.size())));
    check->setGeometry({row.CheckBoxAt, kCheckBoxSize});
    check->setCursor(Qt::PointingHandCursor);
    ComponentChecks[i] = check;
  }
  for (int h = 0; h < kHeaderCount; ++h) {
    const HeaderControl& row = kHeaders[h];
    MakeLabel(group, row.LabelName, row.LabelCaption, row.LabelAt, /*bold=*/true);
    auto* combo = new QComboBox(group);
    combo->setObjectName(QString::fromLatin1(row.ComboName));
    combo->setGeometry(row.ComboBox);
    combo->setEditable(false);  // a choice from the list only
    combo->setCursor(Qt::PointingHandCursor);
    HeaderCombos[h] = combo;
    MakeLabel(group, row.PrefixLabelName, "Prefix Name:", row.PrefixLabelAt, /*bold=*/false);
    PrefixEdits[h] = MakeEdit(group, row.EditName, row.EditBox, kPrefixMaxLength);
    HeaderImages[h] = MakePicture(group, row.ImageName, {row.ImageAt, kCardPictureSize}, {});
  }
}

void TFormLarkspur::WireHandlers() {
  for (QCheckBox* check : ComponentChecks) {
    connect(check, &QCheckBox::toggled, this, [this] { RunGuarded([this] { CheckBoxClick(); }); });
  }
  for (QComboBox* combo : HeaderCombos) {
    connect(combo, &QComboBox::currentIndexChanged, this,
            [this] { RunGuarded([this] { ComboBoxGpioChange(); }); });
  }
}

void TFormLarkspur::closeEvent(QCloseEvent* event) {
  RunGuarded([this] { FormClose(); });
  event->accept();
}

void TFormLarkspur::CheckBoxClick() {
  UpdateOutlines();
}

void TFormLarkspur::ComboBoxGpioChange() {
  UpdateCardImages();
  UpdateOutlines();
}

void TFormLarkspur::ButtonSaveClick() {
  if (!CheckInputs())
    return;
  ControlsToSettings();
  // A cancelled dialog carries no message; ReportFailure shows nothing for it.
  if (const Status saved = Config->SaveWithDialog(SaveDialog); !saved)
    ReportFailure(saved.Error());
}

void TFormLarkspur::ButtonLoadClick() {
  const TLarkspurSettings before = Config->Settings;
  Status loaded = Config->LoadWithDialog(OpenDialog);
  // A record whose text no control can show as it stands is refused, as the command-line
  // tool refuses it, rather than cut silently.
  if (loaded)
    loaded = CheckTextFields(Config->Settings);
  if (!loaded) {
    Config->Settings = before;
    // A cancelled dialog and a file that is gone carry no reason and stay silent; a picked
    // file that did not load says why.
    ReportFailure(loaded.Error());
    return;
  }
  SettingsToControls();
}

void TFormLarkspur::ButtonGenClick() {
  const std::optional<CheckedSettings> checked = CheckInputs();
  if (!checked)
    return;
  const std::string path =
      Config->SelectProjectFile(SaveDialog, kLarkspurBoardFolder, checked->ProjectName());
  if (path.empty())
    return;
  ControlsToSettings();
  const Result<CheckedProjectPath> chosen = CheckProjectPath(path);
  if (!chosen) {
    ShowError(chosen.Error().Reason);
    return;
  }
  if (const Status generated = GenerateLarkspurProject(*checked, *chosen, OutputChoices());
      !generated) {
    ReportFailure(generated.Error());
    ShowError(GenerateFailedText(path));
    return;
  }
  ShowInformation(GeneratedText(*chosen));
  const std::string warning = MemoryWarning(checked->Settings());
  if (!warning.empty())
    ShowInformation(warning);
}

void TFormLarkspur::ButtonExitClick() {
  close();  // runs FormClose
  Owner.close();
}

void TFormLarkspur::FormClose() {
  ControlsToSettings();
  if (const Status saved = Config->SaveDefault(); !saved)
    ReportFailure(saved.Error());
}

void TFormLarkspur::InitChoiceLists() {
  Config->FillChoiceList(GpioHeaderChoices());
  for (QComboBox* combo : HeaderCombos) {
    combo->clear();
    for (int i = 0; i < Config->ChoiceCount; ++i) {
      const std::string_view name = CardDisplayName(Config->ChoiceAt(i));
      combo->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    combo->setCurrentIndex(0);
    combo->setMaxVisibleItems(Config->ChoiceCount);  // the whole list opens without scrolling
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
    const std::int32_t card = (record.*kHeaders[h].Card).Get();
    // A card the list does not offer leaves the selection as it was.
    if (const std::optional<int> index = Config->ChoiceIndexOf(card))
      HeaderCombos[h]->setCurrentIndex(*index);
    if (HeaderCombos[h]->currentIndex() > 0) {
      PrefixEdits[h]->setText(FromRecordText((record.*kHeaders[h].Prefix).Get()));
    } else {
      PrefixEdits[h]->clear();
    }
  }
  UpdateCardImages();
  UpdateOutlines();
}

void TFormLarkspur::ControlsToRecord(TLarkspurSettings& record) const {
  StampLarkspurRecord(record);
  record.ProjectName.Set(ToRecordText(EditProjectName->text()));
  for (int i = 0; i < kComponentCount; ++i) {
    record.*kComponents[i].Component().Flag = ComponentChecks[i]->isChecked() ? 1 : 0;
  }
  for (int h = 0; h < kHeaderCount; ++h) {
    (record.*kHeaders[h].Card).Set(SelectedCard(h));
    (record.*kHeaders[h].Prefix).Set(ToRecordText(PrefixEdits[h]->text()));
  }
}

void TFormLarkspur::ControlsToSettings() {
  ControlsToRecord(Config->Settings);
}

std::int32_t TFormLarkspur::SelectedCard(int header) const {
  return Config->ChoiceAt(HeaderCombos[header]->currentIndex());
}

void TFormLarkspur::UpdateCardImages() {
  for (int h = 0; h < kHeaderCount; ++h)
    Owner.ShowCardPicture(HeaderImages[h], SelectedCard(h));
}

void TFormLarkspur::UpdateOutlines() {
  for (int i = 0; i < kComponentCount; ++i) {
    ComponentShapes[i]->setVisible(ComponentChecks[i]->isChecked());
  }
  for (int h = 0; h < kHeaderCount; ++h) {
    HeaderShapes[h]->setVisible(HeaderCombos[h]->currentIndex() > 0);
  }
}

std::optional<CheckedSettings> TFormLarkspur::CheckInputs() {
  TLarkspurSettings record = Config->Settings;
  ControlsToRecord(record);
  Result<CheckedSettings> result = CheckLarkspurSettings(record);
  if (result)
    return std::move(result).Value();
  ShowError(result.Error().Reason);
  return std::nullopt;
}

GenerationOptions TFormLarkspur::OutputChoices() const {
  GenerationOptions options;
  if (CheckBoxPinList->isChecked())
    options.PinList = PinListFiles::Both();
  return options;
}

void TFormLarkspur::ShowOutputChoices(const GenerationOptions& options) {
  CheckBoxPinList->setChecked(options.PinList.Any());
}

bool TFormLarkspur::IsDefaultGpioPair() const {
  TLarkspurSettings record = Config->Settings;
  ControlsToRecord(record);
  return pinwright::IsDefaultGpioPair(record);
}

}  // namespace pinwright
