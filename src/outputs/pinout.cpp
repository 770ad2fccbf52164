#include "outputs/pinout.h"

#include <array>
#include <string_view>
#include <vector>

#include "cards/catalogue.h"
#include "project/checkedproject.h"

namespace pinwright {
namespace {

constexpr int kCellWidth = 96;
constexpr int kCellHeight = 54;
constexpr int kColumns = kGpioHeaderPositions / 2;
constexpr int kMargin = 12;
constexpr int kTitleHeight = 26;
constexpr int kLegendHeight = 26;
constexpr int kHeaderHeight = kTitleHeight + 2 * kCellHeight + 10;

struct Cell {
  std::int32_t Position = 0;
  std::string Name;
  std::string Ball;
  PinDirection Direction = PinDirection::Unused;
  std::string Standard;
};

struct HeaderView {
  std::string Title;
  std::array<Cell, kGpioHeaderPositions> Cells;
};

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        // Card names are printable ASCII; anything else would not be well-formed UTF-8.
        out += (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) ? '?'
                                                                                              : c;
    }
  }
  return out;
}

// Fill colour and legend word of a cell.
struct Look {
  const char* Fill;
  const char* Word;
};
// What a supply or ground position carries: 5 V at 11, 3.3 V at 29, ground at 12 and 30.
std::string_view SupplyWord(std::int32_t position) {
  switch (position) {
    case 11:
      return "5 V";
    case 29:
      return "3.3 V";
    default:
      return "GND";
  }
}

Look LookOf(const Cell& cell) {
  if (IsSupplyPosition(cell.Position))
    return {"#bdbdbd", "supply or ground"};
  switch (cell.Direction) {
    case PinDirection::Input:
      return {"#b9e4b0", "input"};
    case PinDirection::Output:
      return {"#f7c98b", "output"};
    case PinDirection::Inout:
      return {"#a9cdf0", "inout"};
    default:
      return {"#ffffff", "unused"};
  }
}

// The header group of the model behind the key, its positions in order (the model not sorted).
HeaderView ViewOf(const TMainBoard& board, std::int32_t headerKey, std::string title) {
  HeaderView view;
  view.Title = std::move(title);
  for (std::size_t i = 0; i < view.Cells.size(); ++i)
    view.Cells[i].Position = static_cast<std::int32_t>(i + 1);
  for (std::size_t g = 0; g < board.GroupCount(); ++g) {
    const TConnector& group = board.GroupAt(g);
    if (!group.IsHeader() || group.HeaderKey() != headerKey)
      continue;
    for (std::size_t i = 0; i < group.PinEntryCount() && i < view.Cells.size(); ++i) {
      const TPin* pin = group.PinAt(i);
      if (!pin)
        continue;
      Cell& cell = view.Cells[i];
      cell.Ball = pin->Location();
      if (pin->IsActive() && pin->Direction() != PinDirection::FromCard) {
        cell.Name = pin->Name();
        cell.Direction = pin->Direction();
        cell.Standard = std::string(pin->IoStandardName());
      }
    }
  }
  return view;
}

void AppendText(std::string& svg, int x, int y, const char* style, std::string_view text) {
  svg += "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" " + style + ">" +
         Escaped(text) + "</text>\n";
}

// The text of a cell: 94 by 52 pixels, the position and the ball in the first line, the
// signal's name in up to three lines below, in the largest size from 10 pixels down to 7 that
// fits. A name too long even then ends in "..." (the cell's tooltip has it whole).
constexpr int kTextRoom = kCellWidth - 2 - 8;
constexpr int kNameLines = 3;
// A bold sans-serif letter is at most this many tenths of the font size wide, as a rule.
constexpr int kLetterTenths = 8;

// The name cut into lines of at most `room` characters, breaking after an underscore where
// one is near the end of a line.
std::vector<std::string> WrappedName(std::string_view name, std::size_t room) {
  std::vector<std::string> lines;
  while (!name.empty()) {
    std::size_t take = std::min(room, name.size());
    if (take < name.size()) {
      const std::size_t underscore = name.substr(0, take).find_last_of('_');
      if (underscore != std::string_view::npos && underscore + 1 >= take / 2)
        take = underscore + 1;
    }
    lines.emplace_back(name.substr(0, take));
    name.remove_prefix(take);
  }
  return lines;
}

struct NameText {
  int Pixels = 10;
  std::vector<std::string> Lines;
};

NameText FittedName(std::string_view name) {
  NameText text;
  for (text.Pixels = 10; text.Pixels >= 7; --text.Pixels) {
    const std::size_t room =
        static_cast<std::size_t>(kTextRoom * 10 / (kLetterTenths * text.Pixels));
    text.Lines = WrappedName(name, room);
    if (text.Lines.size() <= kNameLines)
      return text;
  }
  text.Pixels = 7;
  text.Lines.resize(kNameLines);
  std::string& last = text.Lines.back();
  last = last.substr(0, last.size() > 3 ? last.size() - 3 : 0) + "...";
  return text;
}

void AppendHeader(std::string& svg, const HeaderView& view, int top) {
  AppendText(svg, kMargin, top + 18, "class=\"title\"", view.Title);
  for (const Cell& cell : view.Cells) {
    // Odd positions in the upper row, even ones below, position 1 on the left.
    const int column = (cell.Position - 1) / 2;
    const int row = (cell.Position - 1) % 2;
    const int x = kMargin + column * kCellWidth;
    const int y = top + kTitleHeight + row * kCellHeight;
    const Look look = LookOf(cell);
    std::string title = "Position " + std::to_string(cell.Position);
    if (IsSupplyPosition(cell.Position))
      title += SupplyWord(cell.Position) == "GND"
                   ? ": ground"
                   : ": " + std::string(SupplyWord(cell.Position)) + " supply";
    else if (!cell.Name.empty())
      title += ": " + cell.Name + ", " + look.Word + ", " + cell.Standard;
    else
      title += ": no signal";
    if (!cell.Ball.empty())
      title += ", ball " + cell.Ball;
    svg += "<g>\n<title>" + Escaped(title) + "</title>\n";
    svg += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
           std::to_string(kCellWidth - 2) + "\" height=\"" + std::to_string(kCellHeight - 2) +
           "\" fill=\"" + look.Fill + "\" stroke=\"#424242\"/>\n";
    AppendText(svg, x + 4, y + 12, "class=\"pos\"", std::to_string(cell.Position));
    if (!cell.Ball.empty())
      AppendText(svg, x + kCellWidth - 6, y + 12, "class=\"ball\"", cell.Ball);
    const NameText name = FittedName(IsSupplyPosition(cell.Position) ? SupplyWord(cell.Position)
                                                                     : std::string_view(cell.Name));
    const std::string size = "class=\"name\" font-size=\"" + std::to_string(name.Pixels) + "\"";
    for (std::size_t line = 0; line < name.Lines.size(); ++line) {
      AppendText(svg, x + 4, y + 26 + static_cast<int>(line) * (name.Pixels + 2), size.c_str(),
                 name.Lines[line]);
    }
    svg += "</g>\n";
  }
}

std::string Picture(const std::vector<HeaderView>& views) {
  const int width = 2 * kMargin + kColumns * kCellWidth;
  const int height = 2 * kMargin + static_cast<int>(views.size()) * kHeaderHeight + kLegendHeight;
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
         std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
         std::to_string(width) + " " + std::to_string(height) + "\">\n";
  svg += "<title>GPIO header pinout</title>\n";
  svg +=
      "<style type=\"text/css\">text{font-family:sans-serif;fill:#212121}"
      ".title{font-size:15px;font-weight:bold}.pos{font-size:10px}"
      ".name{font-weight:bold}.ball{font-size:10px;text-anchor:end}</style>\n";
  svg += "<rect x=\"0\" y=\"0\" width=\"" + std::to_string(width) + "\" height=\"" +
         std::to_string(height) + "\" fill=\"#fafafa\"/>\n";
  int top = kMargin;
  for (const HeaderView& view : views) {
    AppendHeader(svg, view, top);
    top += kHeaderHeight;
  }
  // The legend: one swatch per colour.
  int x = kMargin;
  for (const Look look :
       {Look{"#b9e4b0", "input"}, Look{"#f7c98b", "output"}, Look{"#a9cdf0", "inout"},
        Look{"#bdbdbd", "supply or ground"}, Look{"#ffffff", "no signal"}}) {
    svg += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(top + 4) +
           "\" width=\"14\" height=\"14\" fill=\"" + look.Fill + "\" stroke=\"#424242\"/>\n";
    AppendText(svg, x + 20, top + 16, "class=\"pos\"", look.Word);
    x += 130;
  }
  svg += "</svg>\n";
  return svg;
}

std::string TitleOf(const BoardHeader& header, std::int32_t cardId) {
  return header.Label + ": " + std::string(CardById(cardId).Name);
}

}  // namespace

std::string CardHeaderSvg(const BoardDefinition& board, std::int32_t cardId, std::size_t header) {
  if (board.Headers.empty())
    return {};
  const std::size_t place = header < board.Headers.size() ? header : 0;
  BoardSettings settings;  // nothing ticked, the card alone on the header
  settings.Headers.resize(board.Headers.size());
  settings.Headers[place].Card = cardId;
  const std::unique_ptr<TMainBoard> model = BuildBoardModel(board, settings);
  return Picture(
      {ViewOf(*model, board.Headers[place].HeaderKey, TitleOf(board.Headers[place], cardId))});
}

std::string ProjectPinoutSvg(const BoardDefinition& board, const BoardSettings& settings) {
  const std::unique_ptr<TMainBoard> model = BuildBoardModel(board, settings);
  std::vector<HeaderView> views;
  for (std::size_t h = 0; h < board.Headers.size() && h < settings.Headers.size(); ++h) {
    const std::int32_t card = settings.Headers[h].Card;
    if (card != kCardNone)
      views.push_back(ViewOf(*model, board.Headers[h].HeaderKey, TitleOf(board.Headers[h], card)));
  }
  return views.empty() ? std::string() : Picture(views);
}

}  // namespace pinwright
