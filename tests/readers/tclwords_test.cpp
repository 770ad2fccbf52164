// The Tcl word reader against a table of hand-written lines in every quoting form, and
// against the real Tcl interpreter (tclsh with stub commands) on the same lines and on
// generated settings files.
#include "readers/tclwords.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "build/buildproject.h"
#include "readers/qsfcheck.h"
#include "support/configurations.h"
#include "support/recordinghost.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

// Words joined by "|", commands by "\n", a fault as "!" and its message; bytes outside
// printable ASCII and the backslash as \xHH.
std::string Readable(const TclScript& script) {
  std::string text;
  for (const TclCommand& command : script.Commands) {
    if (!text.empty())
      text += '\n';
    for (std::size_t i = 0; i < command.Words.size(); ++i) {
      if (i > 0)
        text += '|';
      for (const unsigned char c : command.Words[i].Text) {
        if (c < 0x20 || c >= 0x7F || c == '\\') {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          text += hex;
        } else {
          text += static_cast<char>(c);
        }
      }
    }
  }
  if (script.Error)
    text += (text.empty() ? "!" : "\n!") + script.Error->Message;
  return text;
}

// The output tclwords.tcl gives for one script (tclsh runs on the build system only).
[[maybe_unused]] std::string AsTclPrints(const TclScript& script) {
  std::string text;
  for (const TclCommand& command : script.Commands) {
    for (std::size_t i = 0; i < command.Words.size(); ++i) {
      text += i > 0 ? " x" : "x";
      for (const unsigned char c : command.Words[i].Text) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", c);
        text += hex;
      }
    }
    text += '\n';
  }
  if (script.Error)
    text += "E " + script.Error->Message + "\n";
  return text + ".\n";
}

struct WordCase {
  const char* Text;
  const char* Words;  // as Readable writes them
};

// clang-format off
const std::vector<WordCase> kWordCases = {
  {"set_location_assignment PIN_V16 -to CLOCK1_50",      "set_location_assignment|PIN_V16|-to|CLOCK1_50"},
  {"set_location_assignment PIN_DF35 -to LED[0]\r\n",    "set_location_assignment|PIN_DF35|-to|LED[0]"},
  {"a -to \"LED[12]\" {SW[3]} x[0]y [1]",                "a|-to|LED[12]|SW[3]|x[0]y|[1]"},
  {"g -name FAMILY \"Agilex 5\"",                        "g|-name|FAMILY|Agilex 5"},
  {"i -name IO_STANDARD {3.3-V LVCMOS} -to KEY[1]",      "i|-name|IO_STANDARD|3.3-V LVCMOS|-to|KEY[1]"},
  {"a b\r\nc d\r\n",                                     "a|b\nc|d"},
  {"\n\n   a\tb  \n\f c\vd ;; ",                         "a|b\nc|d"},
  {"a b \\\n   c\nd",                                    "a|b|c\nd"},
  {"a b\\\nc",                                           "a|b|c"},
  {"# x y\r\na b",                                       "a|b"},
  {"# x \\\n y z\na",                                    "a"},
  {"  # {unbalanced \"\n a",                             "a"},
  {"a b; c d",                                           "a|b\nc|d"},
  {"a b;# c\nd",                                         "a|b\nd"},
  {"a #b # c",                                           "a|#b|#|c"},
  {"a \"x\\ty\\\"z\" \"\\\\\"",                          "a|x\\x09y\"z|\\x5C"},
  {"a \"x\\\n    y\" \"p\nq\"",                          "a|x y|p\\x0Aq"},
  {"a \"semi;colon\" \"#\" \"{x\" \"]\"",                "a|semi;colon|#|{x|]"},
  {"a {x {y} z} {}",                                     "a|x {y} z|"},
  {"a {x\\ty} {x\\}y} {\\{}",                            "a|x\\x5Cty|x\\x5C}y|\\x5C{"},
  {"a {x\\\n   y} {p\nq}",                               "a|x y|p\\x0Aq"},
  {"a {\"x} {$y} {[z]} {;}",                             "a|\"x|$y|[z]|;"},
  {"a b\"c d{e} f}",                                     "a|b\"c|d{e}|f}"},
  {"a \\x41\\u00e9\\101\\n\\x4g \\xq \\u \\e",           "a|A\\xC3\\xA9A\\x0A\\x04g|xq|u|e"},
  {"a b\\ c b\\;c b\\\"c \\{",                           "a|b c|b;c|b\"c|{"},
  {"a \\a\\b\\f\\r\\v\\0\\777",                          "a|\\x07\\x08\\x0C\\x0D\\x0B\\x00?7"},
  {"a $ b$ \"$\"",                                       "a|$|b$|$"},
  {"a \"\" {} \"\"",                                     "a|||"},
  {"a b\\",                                              "a|b\\x5C"},
  {"x y\na \"b",                                         "x|y\n!missing \""},
  {"x y\na {b",                                          "x|y\n!missing close-brace"},
  {"a \"b\"c",                                           "!extra characters after close-quote"},
  {"a {b}c",                                             "!extra characters after close-brace"},
  {"a [b",                                               "!missing close-bracket"},
  {"a {b}\\\nc",                                         "a|b|c"},
};
// clang-format on

TEST(TclWords, ReadsEachQuotingForm) {
  for (const WordCase& c : kWordCases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(Readable(ReadTclWords(c.Text)), c.Words);
  }
}

TEST(TclWords, GivesLineAndColumnOfEveryWord) {
  const TclScript script = ReadTclWords("# c\r\n  a {b\nc} \"d\"\n\tset_x\\\n  y");
  ASSERT_FALSE(script.Error);
  ASSERT_EQ(script.Commands.size(), 2u);
  const std::vector<TclWord>& first = script.Commands[0].Words;
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[0].Line, 2u);
  EXPECT_EQ(first[0].Column, 3u);
  EXPECT_EQ(first[1].Column, 5u);
  EXPECT_EQ(first[2].Line, 3u);
  EXPECT_EQ(first[2].Column, 4u);
  const std::vector<TclWord>& second = script.Commands[1].Words;
  EXPECT_EQ(second[0].Line, 4u);
  EXPECT_EQ(second[0].Column, 2u);
  EXPECT_EQ(second[1].Line, 5u);
  EXPECT_EQ(second[1].Column, 3u);
  ASSERT_EQ(script.Comments.size(), 1u);
  EXPECT_EQ(script.Comments[0].Text, " c");
  EXPECT_EQ(script.Comments[0].Line, 1u);

  const TclScript broken = ReadTclWords("a b\n  c {d\n", "x.qsf");
  ASSERT_TRUE(broken.Error);
  EXPECT_EQ(DiagnosticLine(*broken.Error), "x.qsf:2:5: error: missing close-brace");
}

TEST(TclWords, SubstitutionsStayAsWritten) {
  const TclScript script = ReadTclWords("a $x ${y z} $n(i j) [b c] \"p[q]\" [0]");
  ASSERT_FALSE(script.Error);
  ASSERT_EQ(script.Commands.size(), 1u);
  const std::vector<TclWord>& words = script.Commands[0].Words;
  const std::vector<std::string> texts = {"a", "$x", "${y z}", "$n(i j)", "[b c]", "p[q]", "[0]"};
  ASSERT_EQ(words.size(), texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(words[i].Text, texts[i]);
    EXPECT_EQ(words[i].Substituted, i > 0 && i < 6) << texts[i];
  }
}

// Hostile settings files: nesting deep enough to run a recursive reader out of stack gives a
// syntax error on its line, and a text from which no assignment can be read says why.
TEST(TclWords, RefusesHostileSettingsFiles) {
  struct Case {
    const char* What;
    std::string Text;
    const char* Error;   // the syntax error's message; nullptr for none
    const char* Reason;  // part of UnreadableQsfReason's text; nullptr when readable
  };
  const std::string assignment = "set_location_assignment PIN_V16 -to CLOCK1_50\n";
  auto repeated = [](std::string_view piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
      text += piece;
    return text;
  };
  constexpr char kUtf16[] = "\xFF\xFEs\0e\0t\0_\0l\0o\0c\0\n\0";
  const std::string utf16(kUtf16, sizeof kUtf16 - 1);
  const std::vector<Case> cases = {
      {"brackets at the limit", assignment + "a " + repeated("[", 100) + "b" + repeated("]", 100),
       nullptr, nullptr},
      {"brackets one past the limit",
       assignment + "a " + repeated("[", 101) + "b" + repeated("]", 101), "nesting too deep",
       nullptr},
      {"20000 brackets", assignment + repeated("[", 20000) + repeated("]", 20000),
       "nesting too deep", nullptr},
      {"20000 array indices", assignment + "a " + repeated("$a(", 20000), "nesting too deep",
       nullptr},
      {"20000 quoted brackets", assignment + "a " + repeated("\"[", 20000), "nesting too deep",
       nullptr},
      {"empty", "", nullptr, "empty"},
      {"blank lines only", " \r\n\t\n", nullptr, "empty"},
      {"UTF-16", utf16, nullptr, "UTF-16"},
      {"NUL bytes", assignment + std::string(1, '\0'), nullptr, "NUL"},
      {"carriage returns alone",
       "set_global_assignment -name FAMILY x\rset_location_assignment "
       "PIN_V16 -to CLOCK1_50\r",
       nullptr, "carriage return"},
      {"one line ending in CR", "set_location_assignment PIN_V16 -to CLOCK1_50\r", nullptr,
       nullptr},
      {"comments only", "# a settings file\n# nothing else\n", nullptr, "no set_global"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const TclScript script = ReadTclWords(c.Text);
    if (c.Error) {
      ASSERT_TRUE(script.Error);
      EXPECT_EQ(script.Error->Message, c.Error);
      EXPECT_EQ(script.Error->Line, 2u);  // after the assignment on line 1
      EXPECT_EQ(script.Commands.size(), 1u);
      continue;
    }
    EXPECT_FALSE(script.Error) << script.Error->Message;
    const std::string reason = UnreadableQsfReason(c.Text, QsfAssignments(script));
    if (c.Reason)
      EXPECT_NE(reason.find(c.Reason), std::string::npos) << reason;
    else
      EXPECT_EQ(reason, "");
  }
}

// The same scripts through tclsh: the words Tcl passes to each command are the words read.
TEST(TclWords, AgreesWithTclsh) {
#ifdef _WIN32
  GTEST_SKIP() << "tclsh runs on the build system only";
#else
  if (std::system("command -v tclsh >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "tclsh is not installed";
  std::vector<std::string> scripts;
  for (const WordCase& c : kWordCases)
    scripts.emplace_back(c.Text);
  testing::RecordingHost host;
  for (const TLarkspurSettings& settings :
       {DefaultLarkspurSettings(), testing::LargestLarkspurSettings()}) {
    const Result<std::vector<ProjectFile> > files =
        testing::CheckedFiles(settings, "P.qpf", host.Clock);
    ASSERT_TRUE(files);
    scripts.push_back(*FileText(*files, ".qsf"));
  }

  testing::TempDir folder;
  std::string input;
  std::string expected;
  for (const std::string& script : scripts) {
    input += (input.empty() ? "" : std::string(1, '\0')) + script;
    expected += AsTclPrints(ReadTclWords(script));
  }
  testing::WriteFile(folder.File("scripts"), input);
  const std::string command = "tclsh '" PINWRIGHT_TEST_DATA_DIR "/readers/tclwords.tcl' '" +
                              folder.File("scripts") + "' >'" + folder.File("out") + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << testing::ReadFile(folder.File("out"));
  const std::string actual = testing::ReadFile(folder.File("out"));
  // Compared script by script, so a difference names its script.
  std::size_t actualAt = 0;
  std::size_t expectedAt = 0;
  for (const std::string& script : scripts) {
    const std::size_t actualEnd = actual.find("\n.\n", actualAt - (actualAt > 0));
    const std::size_t expectedEnd = expected.find("\n.\n", expectedAt - (expectedAt > 0));
    ASSERT_NE(actualEnd, std::string::npos) << script;
    EXPECT_EQ(actual.substr(actualAt, actualEnd + 3 - actualAt),
              expected.substr(expectedAt, expectedEnd + 3 - expectedAt))
        << script.substr(0, 200);
    actualAt = actualEnd + 3;
    expectedAt = expectedEnd + 3;
  }
  EXPECT_EQ(actualAt, actual.size());
#endif
}

}  // namespace
}  // namespace pinwright
