#include "generate/htmlgenerator.h"

namespace pinwright {

void THtmlGenerator::BeginHtml() {
  AddLine("<html>\r\n<body>\r\n");
}

void THtmlGenerator::EndHtml() {
  AddLine("</body>\r\n</html>\r\n");
}

void THtmlGenerator::BeginTable(const std::string& caption, const std::string& captionAlign) {
  AddLine("<table border=\"3\">\r\n");
  AddLine("<caption  align=\"%s\">%s</caption>\r\n", captionAlign.c_str(), caption.c_str());
}

void THtmlGenerator::EndTable() {
  AddLine("</table>\r\n");
}

void THtmlGenerator::BeginRow() {
  AddLine("<tr>\r\n");
}

void THtmlGenerator::EndRow() {
  AddLine("</tr>\r\n");
}

void THtmlGenerator::AddCell(const std::string& text, const std::string& align, bool isHeader,
                             const std::string& colour) {
  const char* tag = isHeader ? "th" : "td";
  if (!colour.empty()) {
    AddLine("   <%s align=\"%s\" bgcolor=\"%s\">%s</%s>\r\n", tag, align.c_str(), colour.c_str(),
            text.c_str(), tag);
  } else {
    AddLine("   <%s align=\"%s\">%s</%s>\r\n", tag, align.c_str(), text.c_str(), tag);
  }
}

void THtmlGenerator::AddHeading(const std::string& text, int level, const std::string& align) {
  AddLine("<h%d align=\"%s\">%s</h%d>\r\n", level, align.c_str(), text.c_str(), level);
}

void THtmlGenerator::AddBreaks(int count) {
  for (int i = 0; i < count; ++i)
    AddLine("<br />\r\n");
}

void THtmlGenerator::AddLink(const std::string& anchor, const std::string& text) {
  AddLine("<a href=\"#%s\">%s</a>\r\n", anchor.c_str(), text.c_str());
}

void THtmlGenerator::AddAnchorHeading(const std::string& anchor) {
  AddLine("<h2><a name=\"%s\"></a>%s</h2>", anchor.c_str(), "");
}

void THtmlGenerator::BeginList() {
  AddLine("<ul>\r\n");
}

void THtmlGenerator::EndList() {
  AddLine("</ul>\r\n");
}

std::string THtmlGenerator::ListItem(const std::string& text) const {
  return "<li>" + text + "</li>";
}

}  // namespace pinwright
