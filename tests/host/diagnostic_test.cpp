#include "host/diagnostic.h"

#include <gtest/gtest.h>

#include <string>

#include "host/jsonwriter.h"

namespace pinwright {
namespace {

// The one line every reader's diagnostic is printed as, with what is unknown left out, and
// the same diagnostic as JSON members, where nothing is left out.
TEST(Diagnostic, LeavesOutWhatIsUnknown) {
  struct Case {
    Diagnostic Given;
    const char* Line;
    const char* Json;
  };
  using enum DiagnosticSeverity;
  const Case cases[] = {
      {{"top.qsf", 59, 7, Error, "swapped", "m"},
       "top.qsf:59:7: error: m [swapped]",
       R"({"file": "top.qsf", "line": 59, "column": 7, )"
       R"("severity": "error", "rule": "swapped", "message": "m"})"},
      {{"card.toml", 3, 6, Error, {}, "m"}, "card.toml:3:6: error: m", nullptr},
      {{"top.v", 12, 0, Warning, {}, "m"}, "top.v:12: warning: m", nullptr},
      // Without a line a column means nothing.
      {{"top.qsf", 0, 5, Note, {}, "m"}, "top.qsf: note: m", nullptr},
      {{{}, 2, 5, Error, {}, "m"}, "2:5: error: m", nullptr},
      {{{}, 0, 0, Note, {}, "a.toml replaces b.toml"},
       "note: a.toml replaces b.toml",
       R"({"file": "", "line": 0, "column": 0, )"
       R"("severity": "note", "rule": "", "message": "a.toml replaces b.toml"})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    EXPECT_EQ(DiagnosticLine(c.Given), c.Line);
    if (!c.Json)
      continue;
    TJsonWriter json;
    json.BeginObject(/*oneLine=*/true);
    WriteDiagnosticMembers(json, c.Given);
    json.EndObject();
    EXPECT_EQ(json.Text(), std::string(c.Json) + "\n");
  }
}

}  // namespace
}  // namespace pinwright
