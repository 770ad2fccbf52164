// The HTML constructs of the pin report, one operation each, appended as file entries.
#pragma once

#include <string>

#include "generate/filegenerator.h"

namespace pinwright {

class THtmlGenerator : public FileGenerator {
 public:
  void BeginHtml();
  void EndHtml();
  // Two entries: the table opening and its caption.
  void BeginTable(const std::string& caption, const std::string& captionAlign);
  void EndTable();
  void BeginRow();
  void EndRow();
  // A "th" cell when isHeader, else "td"; the bgcolor attribute only with a colour.
  void AddCell(const std::string& text, const std::string& align, bool isHeader,
               const std::string& colour);
  void AddHeading(const std::string& text, int level, const std::string& align);
  // One entry per break.
  void AddBreaks(int count);
  void AddLink(const std::string& anchor, const std::string& text);
  // An empty level-2 heading carrying the anchor, without a line end.
  void AddAnchorHeading(const std::string& anchor);
  void BeginList();
  void EndList();
  // The list item text; appends nothing.
  std::string ListItem(const std::string& text) const;
};

}  // namespace pinwright
