#include "outputs/htmlgenerator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/filewrite.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(FileGenerator, AddLineCutsAnEntryAt1023Characters) {
  const std::vector<std::size_t> lengths = {0, 1, 1022, 1023, 1024, 5000};
  for (std::size_t length : lengths) {
    SCOPED_TRACE(length);
    FileGenerator file;
    file.AddLine(std::string(length, 'x'));
    file.AddLine(std::string(length, 'y'));
    const std::size_t kept = std::min<std::size_t>(length, 1023);
    EXPECT_EQ(file.Text(), std::string(kept, 'x') + std::string(kept, 'y'));
  }
}

// The entry the report's operations made when each was one printf format: a text is taken
// up to its first NUL, and the whole entry is cut at 1023 characters.
template <typename... Arguments>
std::string Formatted(const char* format, Arguments... arguments) {
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer, format, arguments...);
  return buffer;
}

TEST(THtmlGenerator, EachOperationMakesTheEntryOfItsFormat) {
  for (const std::string& text : {std::string(), std::string("GPIO_0[3]"), std::string(1000, 'n'),
                                  std::string(1100, 'n'), std::string("before\0after", 12)}) {
    SCOPED_TRACE(text.size());
    const char* t = text.c_str();
    struct Case {
      const char* Name;
      std::function<void(THtmlGenerator&)> Operation;
      std::vector<std::string> Entries;
    };
    const std::vector<Case> cases = {
        {"BeginTable",
         [&](THtmlGenerator& h) { h.BeginTable(text, "left"); },
         {"<table border=\"3\">\r\n",
          Formatted("<caption  align=\"%s\">%s</caption>\r\n", "left", t)}},
        {"AddCell th",
         [&](THtmlGenerator& h) { h.AddCell(text, "left", true, "Khaki"); },
         {Formatted("   <%s align=\"%s\" bgcolor=\"%s\">%s</%s>\r\n", "th", "left", "Khaki", t,
                    "th")}},
        {"AddCell td",
         [&](THtmlGenerator& h) { h.AddCell(text, "left", false, ""); },
         {Formatted("   <%s align=\"%s\">%s</%s>\r\n", "td", "left", t, "td")}},
        {"AddCell align",
         [&](THtmlGenerator& h) { h.AddCell("x", text, false, ""); },
         {Formatted("   <%s align=\"%s\">%s</%s>\r\n", "td", t, "x", "td")}},
        {"AddHeading",
         [&](THtmlGenerator& h) { h.AddHeading(text, 12, "center"); },
         {Formatted("<h%d align=\"%s\">%s</h%d>\r\n", 12, "center", t, 12)}},
        {"AddLink",
         [&](THtmlGenerator& h) { h.AddLink(text, h.ListItem(text)); },
         {Formatted("<a href=\"#%s\">%s</a>\r\n", t, ("<li>" + text + "</li>").c_str())}},
        {"AddAnchorHeading",
         [&](THtmlGenerator& h) { h.AddAnchorHeading(text); },
         {Formatted("<h2><a name=\"%s\"></a>%s</h2>", t, "")}},
        {"AddBreaks", [&](THtmlGenerator& h) { h.AddBreaks(2); }, {"<br />\r\n", "<br />\r\n"}},
        {"AddRow",
         [&](THtmlGenerator& h) {
           h.AddRow({"x", text, ""});
         },
         {"<tr>\r\n", Formatted("   <%s align=\"%s\">%s</%s>\r\n", "td", "left", "x", "td"),
          Formatted("   <%s align=\"%s\">%s</%s>\r\n", "td", "left", t, "td"),
          Formatted("   <%s align=\"%s\">%s</%s>\r\n", "td", "left", "", "td"), "</tr>\r\n"}},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.Name);
      THtmlGenerator html;
      c.Operation(html);
      std::string entries;
      for (const std::string& entry : c.Entries)
        entries += entry;
      EXPECT_EQ(html.Text(), entries);
    }
  }
}

}  // namespace
}  // namespace pinwright
