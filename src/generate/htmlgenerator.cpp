#include "generate/htmlgenerator.h"

#include <string_view>

namespace pinwright {
namespace {

using namespace std::string_view_literals;

// Texts go in as c_str(), so that each counts up to its first NUL as "%s" would insert it.
std::string_view UpToNul(const std::string& text) {
  return text.c_str();
}

}  // namespace

void THtmlGenerator::BeginHtml() {
  AddLine("<html>\r\n<body>\r\n"sv);
}

void THtmlGenerator::EndHtml() {
  AddLine("</body>\r\n</html>\r\n"sv);
}

void THtmlGenerator::BeginTable(const std::string& caption, const std::string& captionAlign) {
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

void THtmlGenerator::AddCell(const std::string& text, const std::string& align, bool isHeader,
                             const std::string& colour) {
  const char* tag = isHeader ? "th" : "td";
  if (!colour.empty()) {
    AddPieces({"   <", tag, " align=\"", UpToNul(align), "\" bgcolor=\"", UpToNul(colour), "\">",
               UpToNul(text), "</", tag, ">\r\n"});
  } else {
    AddPieces({"   <", tag, " align=\"", UpToNul(align), "\">", UpToNul(text), "</", tag, ">\r\n"});
  }
}

void THtmlGenerator::AddHeading(const std::string& text, int level, const std::string& align) {
  const std::string number = std::to_string(level);
  AddPieces({"<h", UpToNul(number), " align=\"", UpToNul(align), "\">", UpToNul(text), "</h",
             UpToNul(number), ">\r\n"});
}

void THtmlGenerator::AddBreaks(int count) {
  for (int i = 0; i < count; ++i)
    AddLine("<br />\r\n"sv);
}

void THtmlGenerator::AddLink(const std::string& anchor, const std::string& text) {
  AddPieces({"<a href=\"#", UpToNul(anchor), "\">", UpToNul(text), "</a>\r\n"});
}

void THtmlGenerator::AddAnchorHeading(const std::string& anchor) {
  AddPieces({"<h2><a name=\"", UpToNul(anchor), "\"></a></h2>"});
}

void THtmlGenerator::BeginList() {
  AddLine("<ul>\r\n"sv);
}

void THtmlGenerator::EndList() {
  AddLine("</ul>\r\n"sv);
}

std::string THtmlGenerator::ListItem(const std::string& text) const {
  return "<li>" + text + "</li>";
}

}  // namespace pinwright
