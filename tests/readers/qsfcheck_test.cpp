// The check of a settings file: one fault put into a generated project per rule, found at its
// line and column and nowhere else; the top-level port reader on each language; and the
// import's refusals and listings. Every generated project passing the check and importing
// back is in sweep_test.cpp.
#include "readers/qsfcheck.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "build/buildproject.h"
#include "project/checkedproject.h"
#include "readers/hdlports.h"
#include "readers/qsfimport.h"
#include "support/configurations.h"
#include "support/recordinghost.h"

namespace pinwright {
namespace {

// The .qsf and the top level of the largest project, as FULL_BOARD.qpf.
struct LargestTexts {
  std::string Qsf;
  std::string TopLevel;

  explicit LargestTexts(HdlLanguage language = HdlLanguage::Verilog,
                        const TLarkspurSettings& settings = testing::LargestLarkspurSettings()) {
    testing::RecordingHost host;
    const Result<std::vector<ProjectFile>> files =
        testing::CheckedFiles(settings, "FULL_BOARD.qpf", host.Clock, {language});
    EXPECT_TRUE(files);
    Qsf = *FileText(*files, ".qsf");
    TopLevel = *FileText(*files, std::string(HdlFileExtension(language)));
  }
};

bool Replace(std::string& text, const std::string& cut, const std::string& put) {
  const std::size_t at = text.find(cut);
  if (at == std::string::npos)
    return false;
  text.replace(at, cut.size(), put);
  return true;
}

// The line (from 1) that holds the text.
std::uint32_t LineOf(const std::string& text, const std::string& marker) {
  const std::size_t at = text.find(marker);
  EXPECT_NE(at, std::string::npos) << marker;
  return static_cast<std::uint32_t>(std::count(text.begin(), text.begin() + at, '\n') + 1);
}

TEST(QsfCheck, FindsEachRuleAtItsLine) {
  struct Expected {
    const char* Rule;
    const char* Marker;  // text on the finding's line, in the .qsf (or the top level)
    DiagnosticSeverity Severity = DiagnosticSeverity::Error;
  };
  struct Case {
    const char* What;
    std::vector<std::pair<std::string, std::string>> QsfEdits;
    std::vector<std::pair<std::string, std::string>> TopEdits;  // and the check reads the top
    std::vector<Expected> Findings;
    bool UserCards = false;  // the largest project with the test's two card files instead
  };
  const std::vector<Case> cases = {
      {"generated as it is", {}, {}, {}},
      {"generated, with its top level", {}, {{"", ""}}, {}},
      {"two balls swapped",
       {{"PIN_DF35 -to LED[0]", "PIN_DK24 -to LED[0]"},
        {"PIN_DK24 -to SW[0]", "PIN_DF35 -to SW[0]"}},
       {},
       {{"swapped", "PIN_DK24 -to LED[0]"}, {"swapped", "PIN_DF35 -to SW[0]"}}},
      {"a second port on a ball",
       {{"set_location_assignment PIN_V16 -to CLOCK1_50\r\n",
         "set_location_assignment PIN_V16 -to CLOCK1_50\r\nset_location_assignment PIN_V16 -to "
         "my_clock\r\n"}},
       {},
       {{"location-twice", "-to my_clock"}}},
      {"a 1.8 V standard on a 3.3 V ball",
       {{"\"3.3-V LVCMOS\" -to CLOCK1_50", "\"1.8-V LVCMOS\" -to CLOCK1_50"}},
       {},
       {{"io-standard", "-to CLOCK1_50\r\nset_instance"}}},
      {"a standard of the same voltage under another name",
       {{"\"3.3-V LVCMOS\" -to CLOCK1_50", "\"3.3-V LVTTL\" -to CLOCK1_50"}},
       {},
       {{"io-standard", "LVTTL", DiagnosticSeverity::Warning}}},
      {"a differential leg dropped",
       {{"set_instance_assignment -name IO_STANDARD \"DIFFERENTIAL 1.1-V LVSTL\" -to "
         "LPDDR4A_CK_n\r\n",
         ""},
        {"set_location_assignment PIN_G42 -to LPDDR4A_CK_n\r\n", ""}},
       {},
       {{"diff-partner", "\"DIFFERENTIAL 1.1-V LVSTL\" -to LPDDR4A_CK\r"}}},
      {"a device of another board",
       {{"DEVICE A5EB013BB23BE4S", "DEVICE A5ED065BB32AE6SR0"}},
       {},
       {{"device", "DEVICE A5ED"}}},
      {"a ball off the board's tables",
       {{"PIN_H14 -to FPGA_UART_TX", "PIN_ZZ99 -to FPGA_UART_TX"}},
       {},
       {{"unknown-location", "PIN_ZZ99", DiagnosticSeverity::Warning}}},
      {"a port renamed in the top level",
       {},
       {{"FPGA_UART_TX,", "FPGA_UART_TXD,"}},
       {{"stale-assignment", "PIN_H14 -to FPGA_UART_TX", DiagnosticSeverity::Warning},
        {"unassigned-port", "FPGA_UART_TXD,"}}},
      // A card file's pins carry the card's own standards: LVTTL and Schmitt trigger inputs
      // pass as generated, and the board's LVCMOS on an LVTTL pin differs in name only.
      {"user cards, generated with their top level", {}, {{"", ""}}, {}, true},
      {"a user card's LVTTL pin given LVCMOS",
       {{"\"3.3-V LVTTL\" -to A_ACME_CLK", "\"3.3-V LVCMOS\" -to A_ACME_CLK"}},
       {},
       {{"io-standard", "LVCMOS\" -to A_ACME_CLK", DiagnosticSeverity::Warning}},
       true},
      {"a user card's signal on another position",
       {{"PIN_DE1 -to POD_SCL", "PIN_DH1 -to POD_SCL"},
        {"PIN_DH1 -to POD_SDA", "PIN_DE1 -to POD_SDA"}},
       {},
       {{"swapped", "PIN_DH1 -to POD_SCL"}, {"swapped", "PIN_DE1 -to POD_SDA"}},
       true},
  };
  const LargestTexts texts;
  TLarkspurSettings withCards = testing::LargestLarkspurSettings();
  withCards.Gpio0.Set(1001);
  withCards.PrefixGpio0.Set("A_");
  withCards.Gpio1.Set(2040);
  withCards.PrefixGpio1.Set("");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    // Installed only for their rows, after the check has read the board without them.
    std::optional<testing::TestCards> cards;
    if (c.UserCards)
      cards.emplace();
    const LargestTexts made = c.UserCards ? LargestTexts(HdlLanguage::Verilog, withCards) : texts;
    std::string qsf = made.Qsf;
    std::string top = made.TopLevel;
    for (const auto& [cut, put] : c.QsfEdits)
      ASSERT_TRUE(Replace(qsf, cut, put)) << cut;
    for (const auto& [cut, put] : c.TopEdits)
      ASSERT_TRUE(cut.empty() || Replace(top, cut, put)) << cut;
    const DeclaredPorts ports = ReadDeclaredPorts(top, HdlLanguage::Verilog, {}, "top.v");
    const std::vector<QsfFinding> findings =
        CheckQsf(QsfAssignments(ReadTclWords(qsf)), c.TopEdits.empty() ? nullptr : &ports,
                 HdlLanguage::Verilog, "top.qsf");
    ASSERT_EQ(findings.size(), c.Findings.size())
        << (findings.empty() ? "" : DiagnosticLine(findings.front()));
    for (std::size_t i = 0; i < findings.size(); ++i) {
      const Expected& expected = c.Findings[i];
      const QsfFinding& found = findings[i];
      SCOPED_TRACE(DiagnosticLine(found));
      EXPECT_EQ(found.Rule, expected.Rule);
      EXPECT_EQ(found.File, found.InTopLevel ? "top.v" : "top.qsf");
      EXPECT_EQ(found.Severity, expected.Severity);
      EXPECT_EQ(found.Line, LineOf(found.InTopLevel ? top : qsf, expected.Marker));
      // A .qsf finding points at its command, a top-level one at the port's name.
      const std::string& where = found.InTopLevel ? top : qsf;
      const std::size_t at = where.find(expected.Marker);
      const std::size_t lineStart = where.rfind('\n', at) + 1;
      EXPECT_EQ(found.Column, found.InTopLevel ? at - lineStart + 1 : 1u);
    }
  }
}

TEST(QsfCheck, MessagesSpeakOfThePortTheBallAndTheBoard) {
  std::string qsf = LargestTexts().Qsf;
  ASSERT_TRUE(Replace(qsf, "PIN_DF35 -to LED[0]", "PIN_DK24 -to LED[0]"));
  ASSERT_TRUE(Replace(qsf, "\"3.3-V LVCMOS\" -to CLOCK1_50", "\"1.8-V LVCMOS\" -to CLOCK1_50"));
  const std::vector<QsfFinding> findings =
      CheckQsf(QsfAssignments(ReadTclWords(qsf)), nullptr, HdlLanguage::Verilog, "top.qsf");
  ASSERT_GE(findings.size(), 3u);
  EXPECT_EQ(DiagnosticLine(findings[0]),
            "top.qsf:33:1: error: CLOCK1_50 has the I/O standard \"1.8-V LVCMOS\" (1.8 V), but "
            "the board wires PIN_V16 (CLOCK1_50) at 3.3 V for \"3.3-V LVCMOS\". [io-standard]");
  EXPECT_EQ(findings[2].Message,
            "SW[0] is placed on PIN_DK24, which LED[0] already has (line 59).");
  EXPECT_EQ(QsfFindingsJson({findings[1]}),
            "[\n  {\"file\": \"top.qsf\", \"line\": 59, \"column\": 1, \"severity\": \"error\", "
            "\"rule\": \"swapped\", \"message\": \"LED[0] is placed on PIN_DK24, where the board "
            "has SW[0]; LED[0] belongs on PIN_DF35.\", \"port\": \"LED[0]\", \"location\": "
            "\"PIN_DK24\"}\n]\n");
}

// A card's signal behind any prefix is known on its own position of either header, and
// swapped anywhere else.
TEST(QsfCheck, CardSignalsKeepTheirPositions) {
  const std::string head = "set_global_assignment -name DEVICE A5EB013BB23BE4S\n";
  struct Case {
    const char* Lines;
    const char* Rule;  // nullptr: no finding
  };
  const Case cases[] = {
      {"set_location_assignment PIN_H6 -to CAM_CORVEL_D[0]", nullptr},  // GPIO-0, 16
      {"set_location_assignment PIN_CR14 -to CORVEL_D[0]", nullptr},    // GPIO-1, 16
      {"set_location_assignment PIN_C6 -to X_CORVEL_D[0]", "swapped"},  // GPIO-0, 15
      {"set_location_assignment PIN_DF35 -to CORVEL_D[0]", "swapped"},  // LED[0]
      {"set_location_assignment PIN_H16 -to GPIO_0[0]", nullptr},       // the plain pair
      {"set_location_assignment PIN_BV14 -to GPIO_0[0]", "swapped"},
      {"set_location_assignment PIN_H16 -to my_own_signal", nullptr},
      {"set_instance_assignment -name IO_STANDARD LVDS -to rx_p", nullptr},  // true differential
      {"set_instance_assignment -name IO_STANDARD \"Differential 1.2-V HSUL\" -to ck_p",
       "diff-partner"},
      {"set_location_assignment PIN_DF35 -to LED[0] -disable\n"
       "set_location_assignment PIN_DF35 -to SW[0] -disable",
       nullptr},
      // A pattern's standard reaches the placed ports it matches that have none of their own.
      {"set_instance_assignment -name IO_STANDARD \"1.8 V\" -to *\n"
       "set_location_assignment PIN_V16 -to CLOCK1_50",
       "io-standard"},
      {"set_instance_assignment -name IO_STANDARD \"1.8 V\" -to LED*\n"
       "set_location_assignment PIN_V16 -to CLOCK1_50",
       nullptr},
      {"set_instance_assignment -name IO_STANDARD \"1.8 V\" -to *\n"
       "set_instance_assignment -name IO_STANDARD \"3.3-V LVCMOS\" -to CLOCK1_50\n"
       "set_location_assignment PIN_V16 -to CLOCK1_50",
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Lines);
    const std::vector<QsfFinding> findings = CheckQsf(QsfAssignments(ReadTclWords(head + c.Lines)));
    if (!c.Rule) {
      EXPECT_TRUE(findings.empty()) << DiagnosticLine(findings.front());
    } else {
      ASSERT_EQ(findings.size(), 1u);
      EXPECT_EQ(findings[0].Rule, c.Rule);
    }
  }
}

TEST(DeclaredPorts, ReadsEveryLanguageAlike) {
  std::vector<std::vector<std::string>> seen;
  for (const HdlLanguage language : kHdlLanguages) {
    SCOPED_TRACE(std::string(HdlLanguageCaption(language)));
    const DeclaredPorts ports = ReadDeclaredPorts(LargestTexts(language).TopLevel, language);
    EXPECT_EQ(ports.Unit, "FULL_BOARD");
    std::vector<std::string> described;
    for (const DeclaredPort& port : ports.Ports) {
      described.push_back(port.Name + (port.Bus ? "[" + std::to_string(port.First) + ":" +
                                                      std::to_string(port.Last) + "]"
                                                : ""));
    }
    EXPECT_GT(described.size(), 100u);
    seen.push_back(described);
  }
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(seen[0], seen[2]);

  const DeclaredPorts old = ReadDeclaredPorts(
      "// module fake(x);\nmodule other(a); input a; endmodule\n"
      "module top #(parameter W = 4) (clk, /* c */ data, q);\n"
      "  input clk; input [W-1:0] data;\n  output reg [1:0] q;\nendmodule\n",
      HdlLanguage::Verilog, "top");
  ASSERT_EQ(old.Ports.size(), 3u);
  EXPECT_EQ(old.Unit, "top");
  EXPECT_FALSE(old.Ports[0].Bus);
  EXPECT_TRUE(old.Ports[1].Bus);
  EXPECT_FALSE(old.Ports[1].RangeKnown);
  EXPECT_TRUE(old.Ports[2].RangeKnown);
  EXPECT_EQ(old.Ports[2].First, 1);
  EXPECT_EQ(old.Ports[1].Line, 3u);

  const DeclaredPorts vhdl = ReadDeclaredPorts(
      "ENTITY Top IS GENERIC (n : natural := 2); PORT (a, b : IN std_logic;\n"
      "  -- c : out bit;\n  q : OUT std_logic_vector(0 TO 3)); END;",
      HdlLanguage::Vhdl, "top");
  ASSERT_EQ(vhdl.Ports.size(), 3u);
  EXPECT_EQ(vhdl.Ports[1].Name, "b");
  EXPECT_EQ(vhdl.Ports[2].Last, 3);
  EXPECT_EQ(vhdl.Ports[2].Line, 3u);
  EXPECT_TRUE(ReadDeclaredPorts("wire x;", HdlLanguage::Verilog).Problem);
}

TEST(QsfImport, ListsWhatItCannotPlaceAndRefusesWhatDoesNotFit) {
  const std::string qsf = LargestTexts().Qsf;
  struct Case {
    const char* What;
    std::string Cut;
    std::string Put;
    const char* Refusal;  // part of it; nullptr when the import succeeds
    std::vector<std::string> Unplaced;
  };
  const std::vector<Case> cases = {
      {"an extra port",
       "set_location_assignment PIN_V16 -to CLOCK1_50\r\n",
       "set_location_assignment PIN_V16 -to CLOCK1_50\r\nset_location_assignment PIN_ZZ1 -to "
       "extra\r\n",
       nullptr,
       {"extra"}},
      {"a part with a pin missing",
       "set_location_assignment PIN_H14 -to FPGA_UART_TX\r\n",
       "",
       nullptr,
       {"FPGA_UART_RX", "FPGA_UART_TX"}},
      {"no top-level entity", "TOP_LEVEL_ENTITY", "TOP_LEVEL_ENTITY_X", "no top-level entity", {}},
      {"another device", "DEVICE A5EB013BB23BE4S", "DEVICE A5ED065BB32AE6SR0", "device", {}},
      {"a project name no module takes", "\"FULL_BOARD\"", "\"9lives\"", "refused", {}},
      // A top-level name the record cannot hold whole is refused, never cut.
      {"a project name of 127 bytes",
       "\"FULL_BOARD\"",
       "\"" + std::string(127, 'n') + "\"",
       nullptr,
       {}},
      {"a project name of 128 bytes",
       "\"FULL_BOARD\"",
       "\"" + std::string(128, 'n') + "\"",
       "128 bytes long",
       {}},
      {"a project name of 5000 bytes",
       "\"FULL_BOARD\"",
       "\"" + std::string(5000, 'n') + "\"",
       "5000 bytes long",
       {}},
      {"a project name with a NUL", "\"FULL_BOARD\"", "\"FULL\\x00BOARD\"", "NUL", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    std::string text = qsf;
    ASSERT_TRUE(Replace(text, c.Cut, c.Put));
    const QsfImport imported = ImportQsf(ReadTclWords(text));
    if (c.Refusal) {
      ASSERT_FALSE(imported.Ok());
      EXPECT_NE(imported.Refusal->Message.find(c.Refusal), std::string::npos)
          << imported.Refusal->Message;
    } else {
      EXPECT_TRUE(imported.Ok()) << DiagnosticLine(*imported.Refusal);
    }
    std::vector<std::string> unplaced;
    for (const UnplacedAssignment& u : imported.Unplaced)
      unplaced.push_back(u.Port);
    if (!c.Unplaced.empty()) {
      EXPECT_EQ(unplaced, c.Unplaced);
    }
  }

  // Two cards with one map: the comment decides, and without it the first is taken and said.
  TLarkspurSettings settings = testing::LargestLarkspurSettings();
  settings.Gpio0.Set(63);
  std::string pavona = LargestTexts(HdlLanguage::Verilog, settings).Qsf;
  EXPECT_EQ(ImportQsf(ReadTclWords(pavona)).Settings.Gpio0.Get(), 63);
  ASSERT_TRUE(Replace(pavona, "# GPIO_0, GPIO connect to", "# GPIO_0, connect to"));
  const QsfImport uncommented = ImportQsf(ReadTclWords(pavona));
  EXPECT_EQ(uncommented.Settings.Gpio0.Get(), 55);
  ASSERT_EQ(uncommented.Choices.size(), 2u);
  EXPECT_NE(uncommented.Choices[1].find("GPIO-0"), std::string::npos);
}

}  // namespace
}  // namespace pinwright
