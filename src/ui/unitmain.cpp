#include "ui/unitmain.h"
#include "boards/larkspur_board.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStyle>
#include <QSvgRenderer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "build/buildproject.h"
#include "cards/catalogue.h"
#include "cards/usercards.h"
#include "host/host.h"
#include "host/paths.h"
#include "host/places.h"
#include "model/mainboard.h"
#include "outputs/pinout.h"
#include "ui/pictures.h"
#include "ui/ui_larkspur.h"

// The pictures are compiled into the static library; a static library's resources must be
// registered by hand, from outside any namespace.
static void RegisterPictures() {
  Q_INIT_RESOURCE(resources);
}

namespace pinwright {
namespace {

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Rich text that shows a header picture as an embedded PNG, at most its own width and at most
// nine tenths of the screen's width; empty when it cannot be drawn.
QString HeaderPictureToolTip(const QByteArray& svg, const QScreen* screen) {
  const QSize natural = QSvgRenderer(svg).defaultSize();
  if (natural.isEmpty())
    return {};
  int width = natural.width();
  if (screen != nullptr)
    width = std::min(width, screen->availableGeometry().width() * 9 / 10);
  const QSize size(width, natural.height() * width / natural.width());
  const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
  const QPixmap pixmap = PictureFromSvgText(svg, size, ratio);
  if (pixmap.isNull())
    return {};
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  pixmap.toImage().save(&buffer, "PNG");
  return QStringLiteral("<img src=\"data:image/png;base64,%1\" width=\"%2\" height=\"%3\">")
      .arg(QString::fromLatin1(png.toBase64()))
      .arg(size.width())
      .arg(size.height());
}

// What a card picture shows, for screen readers: the card's name and its pins per direction,
// e.g. "Acme 8-LED Strip: 2 inputs, 8 outputs, 1 inout".
QString CardPictureDescription(std::int32_t cardId) {
  const Card& card = CardById(cardId);
  std::size_t counts[3] = {0, 0, 0};
  for (const CardPinRow& row : card.Pins) {
    const std::size_t pins = static_cast<std::size_t>(row.LastPosition - row.FirstPosition + 1);
    if (row.Direction == PinDirection::Input)
      counts[0] += pins;
    else if (row.Direction == PinDirection::Output)
      counts[1] += pins;
    else if (row.Direction == PinDirection::Inout)
      counts[2] += pins;
  }
  QStringList parts;
  const char* words[3][2] = {{"input", "inputs"}, {"output", "outputs"}, {"inout", "inouts"}};
  for (int d = 0; d < 3; ++d) {
    if (counts[d] > 0)
      parts.append(QStringLiteral("%1 %2").arg(counts[d]).arg(
          QString::fromLatin1(words[d][counts[d] == 1 ? 0 : 1])));
  }
  return QString::fromUtf8(card.Name.data(), static_cast<qsizetype>(card.Name.size())) +
         QStringLiteral(": ") +
         (parts.isEmpty() ? QStringLiteral("no pins") : parts.join(QStringLiteral(", ")));
}

// What a desktop's window frame takes of the screen: a title bar and thin borders.
const QSize kFrameAllowance{8, 40};
const QSize kSmallestWindow{240, 180};

}  // namespace

WindowPosition CentredWindowPosition(int screenWidth, int screenHeight, int width, int height) {
  // C++ integer division truncates toward zero.
  return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

std::string IniFilePath(const std::string& settingsFolder, const std::string& executableName) {
  std::filesystem::path name = PathFromUtf8(executableName);
  name.replace_extension(".INI");
  return settingsFolder + Utf8FromPath(name);
}

TFormMain::TFormMain(std::vector<CardSource> extraCards, QWidget* parent)
    : QWidget(parent), ExtraCards(std::move(extraCards)) {
  RegisterPictures();
  // A fixed dialog-style frame: a title with a close button, no resizing, no maximising.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setWindowIcon(ApplicationIcon());
  ShowBoard();
}

TFormMain::~TFormMain() {
  SaveLastBoard();
  SaveOutputChoices();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (Larkspur && Larkspur->isVisible() && !Larkspur->close()) {
    event->ignore();
    return;
  }
  event->accept();
}

void TFormMain::ShowBoard() {
  // The form sits in a scroll area, so that every control stays reachable on a screen
  // smaller than the form (high scaling, small screens).
  Scroller = new QScrollArea(this);
  Scroller->setObjectName(QStringLiteral("ScrollForm"));
  Scroller->setFrameShape(QFrame::NoFrame);
  Scroller->setFocusPolicy(Qt::NoFocus);  // Tab walks the form's controls only
  Scroller->setWidgetResizable(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Scroller);

  Larkspur = new TFormLarkspur(*this);
  Board = kLarkspurBoardId;
  LoadOutputChoices();
  Scroller->setWidget(Larkspur);
  Scroller->setBackgroundRole(QPalette::Window);
  Larkspur->move(0, 0);
  Larkspur->show();
  Larkspur->FocusFirstField();
  const QSize client = Larkspur->size();
  const QScreen* display = screen() ? screen() : QGuiApplication::primaryScreen();
  const QRect available = display ? display->availableGeometry() : QRect(QPoint(), client);
  const QSize room = available.size() - kFrameAllowance;
  if (client.width() <= room.width() && client.height() <= room.height()) {
    setFixedSize(client);
    if (display) {
      const QRect area = display->geometry();
      const WindowPosition position =
          CentredWindowPosition(area.width(), area.height(), client.width(), client.height());
      move(area.left() + position.Left, area.top() + position.Top);
    }
    return;
  }
  // Too small a screen: the window takes the room there is, scrolls, and may grow up to the
  // form's size; its title bar stays on the screen.
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  setMinimumSize(kSmallestWindow);
  setMaximumSize(client + QSize(bar, bar));
  resize(client.boundedTo(room));
  move(available.left() + std::max(0, (room.width() - width()) / 2), available.top());
}

void TFormMain::ShowCardPicture(QLabel* picture, std::int32_t cardId, int header) {
  const std::string_view name = CardById(cardId).Picture;
  QPixmap pixmap = PictureFromResource(QString::fromUtf8(name.data(), name.size()), picture->size(),
                                       picture->devicePixelRatioF());
  picture->setToolTip({});
  // Not the tooltip's picture: the card in words.
  picture->setAccessibleDescription(CardPictureDescription(cardId));
  // A card file's card: the file's own picture, or the generated picture of its header.
  if (pixmap.isNull() && !CardSourceFile(cardId).empty()) {
    const std::string_view file = CardPictureFile(cardId);
    if (file.empty()) {
      const QByteArray svg = QByteArray::fromStdString(
          CardHeaderSvg(LarkspurBoard(), cardId, static_cast<std::size_t>(header)));
      pixmap = PictureFromSvgText(svg, picture->size(), picture->devicePixelRatioF());
      // Drawn into the small picture, the header's names and balls cannot be read: the
      // tooltip shows it at a size that can, as wide as the screen allows.
      picture->setToolTip(HeaderPictureToolTip(svg, picture->screen()));
    } else {
      pixmap = PictureFromFile(QString::fromUtf8(file.data(), file.size()), picture->size(),
                               picture->devicePixelRatioF());
    }
  }
  if (pixmap.isNull()) {
    // Hide rather than keep an earlier card's picture.
    picture->hide();
    picture->clear();
    return;
  }
  picture->setPixmap(pixmap);
  picture->show();
}

std::string TFormMain::IniPath() const {
  const std::string executable =
      QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
  return IniFilePath(CurrentPlaces().SettingsFolder, executable);
}

void TFormMain::SaveLastBoard() {
  MakeFolder(CurrentPlaces().SettingsFolder);
  QSettings ini(QString::fromStdString(IniPath()), QSettings::IniFormat);
  ini.setValue(QStringLiteral("Builder/MainBoard"), Board);
  ini.sync();  // a folder that cannot be written is no reason to stop the program ending
}

void TFormMain::LoadOutputChoices() {
  const QSettings ini(QString::fromStdString(IniPath()), QSettings::IniFormat);
  GenerationOptions options;
  for (const OutputOption* option : OutputOptions()) {
    const QVariant value = ini.value(Latin1(option->IniKey));
    if (value.isValid())
      ReadOutputOptionValue(*option, value.toString().toStdString(), options);
  }
  Larkspur->ShowOutputChoices(options);
}

void TFormMain::SaveOutputChoices() {
  if (!Larkspur)
    return;
  const GenerationOptions options = Larkspur->OutputChoices();
  MakeFolder(CurrentPlaces().SettingsFolder);
  QSettings ini(QString::fromStdString(IniPath()), QSettings::IniFormat);
  for (const OutputOption* option : OutputOptions())
    ini.setValue(Latin1(option->IniKey),
                 QString::fromStdString(OutputOptionValue(*option, options)));
  ini.sync();  // as for the board: failures are ignored
}

}  // namespace pinwright
