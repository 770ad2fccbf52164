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
Look LookOf(const Cell& cell) {
  if (IsSupplyPosition(cell.Position))
    return {"#9e9e9e", "power"};
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
      title += ": supply or ground";
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
    AppendText(svg, x + 4, y + 14, "class=\"pos\"", std::to_string(cell.Position));
    if (IsSupplyPosition(cell.Position))
      AppendText(svg, x + 4, y + 30, "class=\"name\"", "power");
    else if (!cell.Name.empty())
      AppendText(svg, x + 4, y + 30, "class=\"name\"", cell.Name);
    if (!cell.Ball.empty())
      AppendText(svg, x + 4, y + 45, "class=\"ball\"", cell.Ball);
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
      ".name{font-size:10px;font-weight:bold}.ball{font-size:10px;fill:#616161}</style>\n";
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
        Look{"#9e9e9e", "supply or ground"}, Look{"#ffffff", "no signal"}}) {
    svg += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(top + 4) +
           "\" width=\"14\" height=\"14\" fill=\"" + look.Fill + "\" stroke=\"#424242\"/>\n";
    AppendText(svg, x + 20, top + 16, "class=\"pos\"", look.Word);
    x += 130;
  }
  svg += "</svg>\n";
  return svg;
}

std::string TitleOf(const LarkspurHeader& header, std::int32_t cardId) {
  return std::string(header.Label) + ": " + std::string(CardById(cardId).Name);
}

}  // namespace

std::string CardHeaderSvg(std::int32_t cardId, int header) {
  const LarkspurHeader& place = kLarkspurHeaders[header == 1 ? 1 : 0];
  TLarkspurSettings settings = TConfigLarkspur().Settings;  // nothing ticked, no cards
  (settings.*place.Card).Set(cardId);
  const std::unique_ptr<TMainBoard> board = BuildLarkspurModel(settings);
  return Picture({ViewOf(*board, place.Key, TitleOf(place, cardId))});
}

std::string ProjectPinoutSvg(const TLarkspurSettings& settings) {
  const std::unique_ptr<TMainBoard> board = BuildLarkspurModel(settings);
  std::vector<HeaderView> views;
  for (const LarkspurHeader& header : kLarkspurHeaders) {
    const std::int32_t card = (settings.*header.Card).Get();
    if (card != kCardNone)
      views.push_back(ViewOf(*board, header.Key, TitleOf(header, card)));
  }
  return views.empty() ? std::string() : Picture(views);
}

}  // namespace pinwright
