// The HTML constructs of the pin report, one operation each, appended as file entries.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "outputs/filegenerator.h"

namespace pinwright {

class THtmlGenerator : public FileGenerator {
 public:
  void BeginHtml();
  void EndHtml();
  // Two entries: the table opening and its caption.
  void BeginTable(std::string_view caption, std::string_view captionAlign);
  void EndTable();
  void BeginRow();
  void EndRow();
  // A "th" cell when isHeader, else "td"; the bgcolor attribute only with a colour.
  void AddCell(std::string_view text, std::string_view align, bool isHeader,
               std::string_view colour);
  // A row of "td" cells aligned left: the entries of BeginRow, AddCell(cell, "left", false,
  // "") for each cell and EndRow, made at once.
  void AddRow(std::initializer_list<std::string_view> cells);
  void AddHeading(std::string_view text, int level, std::string_view align);
  // One entry per break.
  void AddBreaks(int count);
  void AddLink(std::string_view anchor, std::string_view text);
  // An empty level-2 heading carrying the anchor, without a line end.
  void AddAnchorHeading(std::string_view anchor);
  void BeginList();
  void EndList();
  // The list item text; appends nothing.
  std::string ListItem(const std::string& text) const;
};

// Text for an element's content, with the characters that start markup there ("&", "<"
// and ">") written as entities, so that a card file's name shows as it is and cannot add
// markup to the report. Quotes mean nothing outside a tag and stay as they are.
std::string HtmlEscaped(std::string_view text);

}  // namespace pinwright
