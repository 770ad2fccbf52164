#include "generate/htmlgenerator.h"

#include <initializer_list>
#include <string_view>

namespace pinwright {
namespace {

using namespace std::string_literals;

// One entry from its pieces. Texts are passed as c_str(), so that each counts up to its first
// NUL as "%s" would insert it. The report has thousands of entries, and joining the pieces
// directly is far cheaper than formatting them.
std::string Joined(std::initializer_list<std::string_view> pieces) {
  std::size_t size = 0;
  for (std::string_view piece : pieces)
    size += piece.size();
  std::string entry;
  entry.reserve(size);
  for (std::string_view piece : pieces)
    entry += piece;
  return entry;
}

}  // namespace

void THtmlGenerator::BeginHtml() {
  AddLine("<html>\r\n<body>\r\n"s);
}

void THtmlGenerator::EndHtml() {
  AddLine("</body>\r\n</html>\r\n"s);
}

void THtmlGenerator::BeginTable(const std::string& caption, const std::string& captionAlign) {
  AddLine("<table border=\"3\">\r\n"s);
  AddLine(Joined(
      {"<caption  align=\"", captionAlign.c_str(), "\">", caption.c_str(), "</caption>\r\n"}));
}

void THtmlGenerator::EndTable() {
  AddLine("</table>\r\n"s);
}

void THtmlGenerator::BeginRow() {
  AddLine("<tr>\r\n"s);
}

void THtmlGenerator::EndRow() {
  AddLine("</tr>\r\n"s);
}

void THtmlGenerator::AddCell(const std::string& text, const std::string& align, bool isHeader,
                             const std::string& colour) {
  const char* tag = isHeader ? "th" : "td";
  if (!colour.empty()) {
    AddLine(Joined({"   <", tag, " align=\"", align.c_str(), "\" bgcolor=\"", colour.c_str(), "\">",
                    text.c_str(), "</", tag, ">\r\n"}));
  } else {
    AddLine(
        Joined({"   <", tag, " align=\"", align.c_str(), "\">", text.c_str(), "</", tag, ">\r\n"}));
  }
}

void THtmlGenerator::AddHeading(const std::string& text, int level, const std::string& align) {
  const std::string number = std::to_string(level);
  AddLine(Joined({"<h", number.c_str(), " align=\"", align.c_str(), "\">", text.c_str(), "</h",
                  number.c_str(), ">\r\n"}));
}

void THtmlGenerator::AddBreaks(int count) {
  for (int i = 0; i < count; ++i)
    AddLine("<br />\r\n"s);
}

void THtmlGenerator::AddLink(const std::string& anchor, const std::string& text) {
  AddLine(Joined({"<a href=\"#", anchor.c_str(), "\">", text.c_str(), "</a>\r\n"}));
}

void THtmlGenerator::AddAnchorHeading(const std::string& anchor) {
  AddLine(Joined({"<h2><a name=\"", anchor.c_str(), "\"></a></h2>"}));
}

void THtmlGenerator::BeginList() {
  AddLine("<ul>\r\n"s);
}

void THtmlGenerator::EndList() {
  AddLine("</ul>\r\n"s);
}

std::string THtmlGenerator::ListItem(const std::string& text) const {
  return "<li>" + text + "</li>";
}

}  // namespace pinwright
