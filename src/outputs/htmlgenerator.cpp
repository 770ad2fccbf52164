#include "outputs/htmlgenerator.h"

#include <algorithm>
#include <string_view>

namespace pinwright {
namespace {

using namespace std::string_view_literals;

// Each text counts up to its first NUL, as "%s" would insert it.
std::string_view UpToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

}  // namespace

void THtmlGenerator::BeginHtml() {
  AddLine("<html>\r\n<body>\r\n"sv);
}

void THtmlGenerator::EndHtml() {
  AddLine("</body>\r\n</html>\r\n"sv);
}

void THtmlGenerator::BeginTable(std::string_view caption, std::string_view captionAlign) {
  AddLine("<table border=\"3\">\r\n"sv);
  AddPieces(
      {"<caption  align=\"", UpToNul(captionAlign), "\">", UpToNul(caption), "</caption>\r\n"});
}

void THtmlGenerator::EndTable() {
  AddLine("</table>\r\n"sv);
}

void THtmlGenerator::BeginRow() {
  AddLine("<tr>\r\n"sv);
}

void THtmlGenerator::EndRow() {
  AddLine("</tr>\r\n"sv);
}

void THtmlGenerator::AddCell(std::string_view text, std::string_view align, bool isHeader,
                             std::string_view colour) {
  const std::string_view open = isHeader ? "   <th align=\""sv : "   <td align=\""sv;
  const std::string_view close = isHeader ? "</th>\r\n"sv : "</td>\r\n"sv;
  if (!colour.empty()) {
    AddPieces(
        {open, UpToNul(align), "\" bgcolor=\""sv, UpToNul(colour), "\">"sv, UpToNul(text), close});
  } else {
    AddPieces({open, UpToNul(align), "\">"sv, UpToNul(text), close});
  }
}

void THtmlGenerator::AddRow(std::initializer_list<std::string_view> cells) {
  static constexpr std::string_view kBegin = "<tr>\r\n";
  static constexpr std::string_view kOpen = "   <td align=\"left\">";
  static constexpr std::string_view kClose = "</td>\r\n";
  static constexpr std::string_view kEnd = "</tr>\r\n";
  // Each cell is an entry of its own, cut at the limit as AddCell cuts it.
  auto cellLength = [](std::string_view text) {
    return std::min(kOpen.size() + text.size() + kClose.size(), kEntryLimit);
  };
  std::size_t length = kBegin.size() + kEnd.size();
  for (std::string_view cell : cells)
    length += cellLength(UpToNul(cell));
  char* out = Put(Grow(length), {kBegin}, kBegin.size());
  for (std::string_view cell : cells) {
    const std::string_view text = UpToNul(cell);
    out = Put(out, {kOpen, text, kClose}, cellLength(text));
  }
  Put(out, {kEnd}, kEnd.size());
}

void THtmlGenerator::AddHeading(std::string_view text, int level, std::string_view align) {
  const std::string number = std::to_string(level);
  AddPieces({"<h", UpToNul(number), " align=\"", UpToNul(align), "\">", UpToNul(text), "</h",
             UpToNul(number), ">\r\n"});
}

void THtmlGenerator::AddBreaks(int count) {
  for (int i = 0; i < count; ++i)
    AddLine("<br />\r\n"sv);
}

void THtmlGenerator::AddLink(std::string_view anchor, std::string_view text) {
  AddPieces({"<a href=\"#", UpToNul(anchor), "\">", UpToNul(text), "</a>\r\n"});
}

void THtmlGenerator::AddAnchorHeading(std::string_view anchor) {
  AddPieces({"<h2><a name=\"", UpToNul(anchor), "\"></a></h2>"});
}

void THtmlGenerator::BeginList() {
  AddLine("<ul>\r\n"sv);
}

void THtmlGenerator::EndList() {
  AddLine("</ul>\r\n"sv);
}

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
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
      default:
        out += c;
    }
  }
  return out;
}

std::string THtmlGenerator::ListItem(const std::string& text) const {
  return "<li>" + text + "</li>";
}

}  // namespace pinwright
