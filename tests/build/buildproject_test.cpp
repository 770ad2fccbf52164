#include "build/buildproject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cards/catalogue.h"
#include "host/filewrite.h"
#include "outputs/filegenerator.h"
#include "outputs/projecttexts.h"
#include "outputs/toplevel.h"
#include "settings/configlarkspur.h"
#include "support/configurations.h"
#include "support/projectchecks.h"
#include "support/recordinghost.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::ReadFile;
using testing::RecordedMessage;
using testing::RecordingHost;
using testing::SortedFileNames;
using testing::TempDir;
using testing::WriteFile;

const LocalDateTime kClock{2025, 3, 15, 14, 5, 33};

// A small board: a clock group that needs sorting and a header with every kind of entry.
TMainBoard SmallBoard() {
  TMainBoard board;
  board.SetDeviceData(kLarkspurBoardId, "Agilex 5", "A5EB013BB23BE4S", "VPBGA", 672, "4");
  board.SetBoardName("Larkspur");
  TConnector clock("CLOCK", "", kConnectorOnBoard);
  TPin slow("CLK_B", "BF23", PinDirection::Input, 65, 50.0);
  slow.SetFrequencyText("50.0 MHz");
  clock.AddPin(slow);
  clock.AddPin(TPin("CLK_A", "V16", PinDirection::Input, kIoLvcmos33, 166.666));
  board.AddGroup(clock);

  TConnector header("GPIO_0", "GPIO connect to GPIO Default", kConnectorGpio);
  header.SetIsHeader(1);
  header.SetHeaderKey(16);
  TPin d1("D[1]", PinDirection::Inout, kIoLvcmos33, 2);
  d1.SetLocation("Y1");
  TPin d0("D[0]", PinDirection::Inout, kIoLvcmos33, 1);
  d0.SetLocation("H16");
  header.AddPin(d1);
  header.AddPin(d0);
  header.AddPin(std::nullopt);
  header.AddPin(TPin("NOWHERE", PinDirection::Output, kIoLvcmos33, 4));  // no location
  header.AddPin(TPin("UNUSED", PinDirection::Unused, kIoLvcmos33, 5));
  board.AddGroup(header);
  return board;
}

TMainBoard EmptyBoard() {
  TMainBoard board;
  board.SetDeviceData(kLarkspurBoardId, "Agilex 5", "A5EB013BB23BE4S", "VPBGA", 672, "4");
  board.SetBoardName("Larkspur");
  return board;
}

TEST(ProjectNames, FollowTheChosenPath) {
  struct Case {
    const char* Path;
    const char* Name;
    const char* Qsf;
  };
  const std::vector<Case> cases = {
      {"/p/LARKSPUR.qpf", "LARKSPUR", "/p/LARKSPUR.qsf"},
      {"/p/top.qpf", "top", "/p/top.qsf"},
      {"/p/demo.txt", "demo", "/p/demo.qsf"},
      {"/p/no_extension", "no_extension", "/p/no_extension.qsf"},
      {"/p.d/inner", "inner", "/p.d/inner.qsf"},
      {"/p/archive.tar.qpf", "archive.tar", "/p/archive.tar.qsf"},
      {"/p/.qpf", "", "/p/.qsf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Path);
    EXPECT_EQ(ProjectNameOf(c.Path), c.Name);
    EXPECT_EQ(ProjectFilePath(c.Path, ".qsf"), c.Qsf);
  }
}

TEST(ProjectTexts, QpfNamesTheRevision) {
  EXPECT_EQ(QpfText("my top", kClock),
            "DATE = \"14:05:33 03 15, 2025\"\r\n"
            "QUARTUS_VERSION = \"24.3\"\r\n"
            "\r\n"
            "# Revisions\r\n"
            "\r\n"
            "PROJECT_REVISION = \"my top\"\r\n");
  EXPECT_EQ(QpfText("T", {2031, 12, 1, 0, 0, 9}).substr(0, 31),
            "DATE = \"00:00:09 12 01, 2031\"\r\n");
}

TEST(ProjectTexts, QsfListsStandardsThenLocationsPerGroup) {
  RecordingHost host;
  TMainBoard board = SmallBoard();
  ASSERT_TRUE(board.OrderPins());
  const std::string rule = "#============================================================\r\n";
  const std::string expected =
      rule + "# Build by Velmora Pinwright\r\n" + rule + "\r\n" +
      "set_global_assignment -name FAMILY \"Agilex 5\"\r\n"
      "set_global_assignment -name DEVICE A5EB013BB23BE4S\r\n"
      "set_global_assignment -name TOP_LEVEL_ENTITY \"Top\"\r\n"
      "set_global_assignment -name ORIGINAL_QUARTUS_VERSION \"24.3\"\r\n"
      "set_global_assignment -name LAST_QUARTUS_VERSION \"24.3\"\r\n"
      "set_global_assignment -name PROJECT_CREATION_TIME_DATE \"14:05:33 03 15,2025\"\r\n"
      "set_global_assignment -name DEVICE_FILTER_PACKAGE VPBGA\r\n"
      "set_global_assignment -name DEVICE_FILTER_PIN_COUNT 672\r\n"
      "set_global_assignment -name DEVICE_FILTER_SPEED_GRADE 4\r\n"
      "set_global_assignment -name SDC_FILE Top.sdc\r\n"
      "set_global_assignment -name PROJECT_OUTPUT_DIRECTORY output_files\r\n" +
      board.QsfExtraAssignments() + "\r\n" + rule + "# CLOCK\r\n" + rule +
      "set_instance_assignment -name IO_STANDARD \"3.3-V LVCMOS\" -to CLK_A\r\n"
      "set_instance_assignment -name IO_STANDARD \"1.1-V\" -to CLK_B\r\n"
      "set_location_assignment PIN_V16 -to CLK_A\r\n"
      "set_location_assignment PIN_BF23 -to CLK_B\r\n" +
      "\r\n" + rule + "# GPIO_0, GPIO connect to GPIO Default\r\n" + rule +
      "set_instance_assignment -name IO_STANDARD \"3.3-V LVCMOS\" -to D[0]\r\n"
      "set_instance_assignment -name IO_STANDARD \"3.3-V LVCMOS\" -to D[1]\r\n"
      "set_instance_assignment -name IO_STANDARD \"3.3-V LVCMOS\" -to NOWHERE\r\n"
      "set_location_assignment PIN_H16 -to D[0]\r\n"
      "set_location_assignment PIN_Y1 -to D[1]\r\n" +
      "\r\n" + rule + "# End of pin assignments by Velmora Pinwright\r\n" + rule + "\r\n";
  EXPECT_EQ(QsfText(board, "Top", kClock), expected);
}

TEST(ProjectTexts, QsfSkipsHeadersOfGroupsWithoutActivePinsAndUnfilledPositions) {
  RecordingHost host;
  TMainBoard board = EmptyBoard();
  TConnector idle("IDLE", "", kConnectorOnBoard);
  idle.AddPin(TPin("OFF", "A1", PinDirection::Unused, kIoLvcmos33, 0));
  board.AddGroup(idle);
  TConnector unfilled("GPIO_1", "GPIO connect to ", kConnectorGpio);
  unfilled.AddPin(TPin("", "B2", PinDirection::FromCard, kIoFromCard, 0));
  board.AddGroup(unfilled);
  const std::string rule = "#============================================================\r\n";
  const std::string tail = "output_files\r\n" + board.QsfExtraAssignments() + "\r\n" + rule +
                           "# GPIO_1, GPIO connect to \r\n" + rule + "\r\n" + rule +
                           "# End of pin assignments by Velmora Pinwright\r\n" + rule + "\r\n";
  const std::string text = QsfText(board, "P", kClock);
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(ProjectTexts, VerilogFramesThePortList) {
  RecordingHost host;
  const std::string rule = "//=======================================================\r\n";
  const std::string head = "\r\n" + rule + "//  This code is generated by Velmora Pinwright\r\n" +
                           rule + "\r\n" + "module my_top(\r\n";
  const std::string tail = ");\r\n\r\n\r\n\r\n" + rule + "//  REG/WIRE declarations\r\n" + rule +
                           "\r\n\r\n\r\n\r\n" + rule + "//  Structural coding\r\n" + rule +
                           "\r\n\r\n\r\nendmodule\r\n";
  TLarkspurSettings nothing = DefaultLarkspurSettings();
  for (const LarkspurComponent& component : kLarkspurComponents)
    nothing.*component.Flag = 0;
  nothing.Gpio0.Set(kCardNone);
  nothing.Gpio1.Set(kCardNone);
  for (const TLarkspurSettings& settings : {nothing, DefaultLarkspurSettings()}) {
    const Result<CheckedProject> project = CheckProject(settings, "/p/my_top.qpf");
    ASSERT_TRUE(project) << project.Error().Reason;
    EXPECT_EQ(TopLevelText(project->TopLevel()), head + VerilogPortList(project->Ports()) + tail);
  }
  EXPECT_TRUE(CheckProject(nothing, "/p/my_top.qpf")->Ports().empty());
  // A module name the language does not take makes no top level to write.
  EXPECT_EQ(CheckProject(nothing, "/p/my-top.qpf").Error().Kind, FailureKind::BadFileName);
}

TEST(ProjectTexts, SdcConstrainsEveryClockInModelOrder) {
  RecordingHost host;
  TMainBoard board = SmallBoard();
  ASSERT_TRUE(board.OrderPins());
  const std::string banner = "#**************************************************************\r\n";
  EXPECT_NE(SdcText(board).find("# Create Clock\r\n" + banner +
                                "create_clock -period \"166.66600 MHz\" [get_ports CLK_A]\r\n"
                                "create_clock -period \"50.0 MHz\" [get_ports CLK_B]\r\n"
                                "\r\n" +
                                banner + "# Create Generated Clock\r\n"),
            std::string::npos);
}

TEST(ProjectTexts, HtmlReportsEveryActivePin) {
  RecordingHost host;
  EXPECT_EQ(HtmlText(EmptyBoard()),
            "<html>\r\n<body>\r\n<h1 align=\"center\">Larkspur Configuration</h1>\r\n"
            "<br />\r\n<br />\r\n<h2 align=\"left\">Pin Assignments:</h2>\r\n<ul>\r\n"
            "</ul>\r\n<br />\r\n<br />\r\n<br />\r\n"
            "<h2 align=\"left\">Pin Assignment Table:</h2>\r\n</body>\r\n</html>\r\n");

  TMainBoard board = SmallBoard();
  ASSERT_TRUE(board.OrderPins());
  const std::string html = HtmlText(board);
  auto td = [](const std::string& t) { return "   <td align=\"left\">" + t + "</td>\r\n"; };
  // The on-board group has four columns, the header a fifth with the card's pin number.
  EXPECT_NE(
      html.find("<tr>\r\n" + td("CLK_B") + td("BF23") + td("input ") + td("1.1-V") + "</tr>\r\n"),
      std::string::npos);
  EXPECT_NE(html.find("   <th align=\"left\" bgcolor=\"Khaki\">Standard</th>\r\n"
                      "   <th align=\"left\" bgcolor=\"Khaki\">GPIO Pin Index</th>\r\n</tr>\r\n"),
            std::string::npos);
  EXPECT_NE(html.find(td("NOWHERE") + td("") + td("output") + td("3.3-V LVCMOS") + td("4")),
            std::string::npos);
  EXPECT_NE(html.find("<caption  align=\"left\">GPIO connect to GPIO Default</caption>"),
            std::string::npos);
  EXPECT_EQ(html.find("UNUSED"), std::string::npos);
}

TEST(CheckPinNames, RefusesUnbalancedBrackets) {
  const std::vector<std::pair<const char*, bool>> cases = {
      {"CLOCK1_50", true}, {"LED[3]", true}, {"X[D[0]", true}, {"A]B[", true},
      {"X[CLK", false},    {"X]", false},    {"[", false},
  };
  for (const auto& [name, passes] : cases) {
    SCOPED_TRACE(name);
    TMainBoard board = EmptyBoard();
    TConnector group("G", "", kConnectorOnBoard);
    group.AddPin(std::nullopt);
    group.AddPin(TPin(name, "A1", PinDirection::Unused, kIoLvcmos33, 0));
    board.AddGroup(group);
    EXPECT_EQ(CheckPinNames(board), passes);
  }
}

// Checks and builds the default project at the path as a front end does, showing a failure.
bool Generate(const std::string& qpfPath) {
  const Result<CheckedProject> project = CheckProject(DefaultLarkspurSettings(), qpfPath);
  const Result<GenerationReport> report =
      project ? BuildProject(*project) : Result<GenerationReport>(project.Error());
  if (!report)
    ReportFailure(report.Error());
  return report.Ok();
}

TEST(BuildProject, WritesFiveFilesNamedAfterTheChosenFile) {
  struct Case {
    const char* Chosen;
    const char* Name;
  };
  for (const Case& c : std::vector<Case>{{"top.qpf", "top"}, {"demo.txt", "demo"}}) {
    SCOPED_TRACE(c.Chosen);
    RecordingHost host;
    TempDir dir;
    WriteFile(dir.File("notes.txt"), "keep");
    WriteFile(dir.File(std::string(c.Name) + ".v"), "old contents");
    const Result<CheckedProject> project =
        CheckProject(DefaultLarkspurSettings(), dir.File(c.Chosen));
    ASSERT_TRUE(project);
    const Result<GenerationReport> report = BuildProject(*project);
    ASSERT_TRUE(report);
    const std::string name = c.Name;
    // The old .v was edited by hand: it is kept beside the new one.
    std::vector<std::string> expected = {name + ".htm", name + ".qpf", name + ".qsf",
                                         name + ".sdc", name + ".v",   name + ".v.~1~",
                                         "notes.txt"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), expected);
    const std::vector<ProjectFile> files = MakeProjectFiles(*project, kClock);
    std::vector<std::string> written;
    for (const ProjectFile& file : files) {
      written.push_back(dir.File(name + file.Suffix));
      EXPECT_EQ(ReadFile(written.back()), file.Text) << file.Suffix;
    }
    EXPECT_EQ(report->Files, written);
    EXPECT_EQ(report->Backups, std::vector<std::string>{dir.File(name + ".v.~1~")});
    EXPECT_NE(testing::FileText(files, ".v").find("module " + name + "(\r\n"), std::string::npos);
    EXPECT_NE(testing::FileText(files, ".qpf").find("PROJECT_REVISION = \"" + name + "\""),
              std::string::npos);
    EXPECT_EQ(ReadFile(dir.File("notes.txt")), "keep");
    EXPECT_EQ(ReadFile(dir.File(name + ".v.~1~")), "old contents");
    EXPECT_TRUE(host.Messages.empty());
  }
}

TEST(BuildProject, StopsAtTheFirstFileThatFails) {
  struct Case {
    const char* What;
    const char* FailingExtension;
    bool MakeFolder;  // else a short write
    std::vector<std::string> Left;
    std::vector<MessageKind> Kinds;
    const char* Last;
  };
  const std::vector<Case> cases = {
      {"qsf cannot be created",
       ".qsf",
       true,
       {"P.qpf", "P.qsf"},
       {MessageKind::Unexpected, MessageKind::Error},
       "Failed to create file P.qsf"},
      {"qpf cut short", ".qpf", false, {}, {MessageKind::Error}, "Failed to create file P.qpf"},
      {"verilog cut short",
       ".v",
       false,
       {"P.qpf", "P.qsf"},
       {MessageKind::Error},
       "Failed to create file P.v"},
      {"sdc cut short",
       ".sdc",
       false,
       {"P.qpf", "P.qsf", "P.v"},
       {MessageKind::Error},
       "Failed to create file P.sdc"},
      {"report cut short", ".htm", false, {"P.qpf", "P.qsf", "P.sdc", "P.v"}, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    RecordingHost host;
    TempDir dir;
    const std::string failing = dir.File(std::string("P") + c.FailingExtension);
    if (c.MakeFolder)
      std::filesystem::create_directory(failing);
    ScopedWriteLimit limit([&](const std::string& path) {
      return !c.MakeFolder && path == failing ? std::optional<std::size_t>(10) : std::nullopt;
    });
    EXPECT_FALSE(Generate(dir.File("P.qpf")));
    EXPECT_EQ(testing::SortedFileNames(dir.Path()), c.Left);
    if (c.MakeFolder) {
      EXPECT_TRUE(std::filesystem::is_directory(failing));
    }
    ASSERT_EQ(host.Messages.size(), c.Kinds.size());
    for (std::size_t i = 0; i < c.Kinds.size(); ++i) {
      EXPECT_EQ(host.Messages[i].Kind, c.Kinds[i]);
      EXPECT_FALSE(host.Messages[i].Text.empty());
    }
    if (!c.Kinds.empty()) {
      EXPECT_EQ(host.Messages.back().Text, c.Last);
    }
  }
}

TEST(SaveReportFile, ReplacesTheFileAndMakesItsFolder) {
  TempDir dir;
  FileGenerator file;
  file.AddLine("one\r\n");
  file.AddLine("two");

  const std::string nested = dir.File("a/b/report.htm");
  EXPECT_TRUE(SaveReportFile(nested, file.Text()));
  EXPECT_EQ(ReadFile(nested), "one\r\ntwo");

  const std::string existing = dir.File("old.htm");
  WriteFile(existing, std::string(5000, 'o'));
  EXPECT_TRUE(SaveReportFile(existing, file.Text()));
  EXPECT_EQ(ReadFile(existing), "one\r\ntwo");
}

TEST(SaveReportFile, AFailedSaveLeavesNoOldFile) {
  TempDir dir;
  const std::string path = dir.File("old.htm");
  WriteFile(path, "old report");
  FileGenerator file;
  file.AddLine("new report");
  {
    ScopedWriteLimit limit([](const std::string&) { return std::optional<std::size_t>(3); });
    EXPECT_FALSE(SaveReportFile(path, file.Text()));
  }
  EXPECT_FALSE(std::filesystem::exists(path));

  // A file where the folder should be: the folder cannot be made.
  WriteFile(dir.File("blocker"), "");
  EXPECT_FALSE(SaveReportFile(dir.File("blocker/report.htm"), file.Text()));
  // A folder where the report should be stays a folder.
  std::filesystem::create_directory(dir.File("folder.htm"));
  EXPECT_FALSE(SaveReportFile(dir.File("folder.htm"), file.Text()));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.htm")));
}

TEST(BuildProject, WritesTheProjectOrReportsTheFailure) {
  RecordingHost host;
  TempDir dir;
  const Result<CheckedSettings> checked = CheckLarkspurSettings(DefaultLarkspurSettings());
  ASSERT_TRUE(checked);
  auto generate = [&](const std::string& qpf, const GenerationOptions& options = {}) -> Status {
    const Result<GenerationReport> report = BuildProject(*CheckProject(*checked, qpf, options));
    if (!report)
      return report.Error();
    return {};
  };
  EXPECT_TRUE(generate(dir.File("P.qpf")));
  EXPECT_EQ(testing::SortedFileNames(dir.Path()),
            (std::vector<std::string>{"P.htm", "P.qpf", "P.qsf", "P.sdc", "P.v"}));
  EXPECT_TRUE(host.Messages.empty());

  // The pin list files only as asked for; a failure on the first stops the second.
  const std::pair<PinListFiles, std::vector<std::string>> asked[] = {
      {{true, false}, {"J.pins.json"}},
      {{false, true}, {"C.pins.csv"}},
      {PinListFiles::Both(), {"B.pins.csv", "B.pins.json"}},
  };
  for (const auto& [files, expected] : asked) {
    TempDir pins;
    const std::string name = expected.front().substr(0, 1);
    ASSERT_TRUE(generate(pins.File(name + ".qpf"), {.PinList = files}));
    std::vector<std::string> written = testing::SortedFileNames(pins.Path());
    std::erase_if(written,
                  [](const std::string& file) { return file.find(".pins.") == std::string::npos; });
    EXPECT_EQ(written, expected);
  }
  std::filesystem::create_directory(dir.File("R.pins.json"));
  const Status blocked = generate(dir.File("R.qpf"), {.PinList = PinListFiles::Both()});
  ASSERT_FALSE(blocked);
  EXPECT_EQ(blocked.Error().Reason, "Failed to create file R.pins.json");
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("R.htm")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("R.pins.csv")));

  std::filesystem::create_directory(dir.File("Q.v"));
  const Status failed = generate(dir.File("Q.qpf"));
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.Error().Kind, FailureKind::CannotCreate);
  EXPECT_EQ(failed.Error().File, dir.File("Q.v"));
  EXPECT_EQ(failed.Error().Reason, "Failed to create file Q.v");
  EXPECT_FALSE(failed.Error().SystemMessage.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.File("Q.sdc")));
  EXPECT_TRUE(host.Messages.empty());
}

// Generating again backs up only what was edited: a file still equal to what the project's
// own .qsf says was generated there is replaced as it is, whatever the new settings. Files
// of other outputs from the first generation are named as left in place.
TEST(BuildProject, BacksUpOnlyRealEdits) {
  TLarkspurSettings everything = DefaultLarkspurSettings();
  for (const LarkspurComponent& component : kLarkspurComponents)
    everything.*component.Flag = 1;
  everything.Gpio0.Set(13);
  everything.PrefixGpio0.Set("L_");
  everything.Gpio1.Set(55);
  const GenerationOptions all{HdlLanguage::Verilog, true, PinListFiles::Both()};
  struct Case {
    const char* What;
    TLarkspurSettings First;
    GenerationOptions FirstOptions;
    TLarkspurSettings Second;
    GenerationOptions SecondOptions;
    std::function<void(TempDir&)> Edit;
    std::vector<std::string> Backups;
    std::vector<std::string> LeftInPlace;
    bool UserCards = false;  // the test's card files installed, after the rows without them
  };
  TLarkspurSettings userCards = DefaultLarkspurSettings();
  userCards.Gpio0.Set(1001);
  userCards.PrefixGpio0.Set("A_");
  userCards.Gpio1.Set(2040);
  const std::vector<Case> cases = {
      {"other settings", DefaultLarkspurSettings(), {}, everything, {}, nullptr, {}, {}},
      {"fewer parts, no pin list",
       everything,
       all,
       DefaultLarkspurSettings(),
       {HdlLanguage::Verilog, true, {}},
       nullptr,
       {},
       {"P.pins.json", "P.pins.csv"}},
      {"another language",
       DefaultLarkspurSettings(),
       {},
       everything,
       {HdlLanguage::Vhdl},
       nullptr,
       {},
       {"P.v"}},
      {"back to the first language",
       everything,
       {HdlLanguage::Vhdl, true, {}},
       everything,
       {HdlLanguage::Verilog, true, {}},
       nullptr,
       {},
       {"P.vhd", "P_tb.vhd"}},
      {"an edited top level",
       DefaultLarkspurSettings(),
       all,
       everything,
       all,
       [](TempDir& dir) { testing::WriteFile(dir.File("P.v"), "// mine\r\n"); },
       {"P.v.~1~"},
       {}},
      {"an assignment added to the .qsf",
       DefaultLarkspurSettings(),
       {},
       everything,
       {},
       [](TempDir& dir) {
         std::string qsf = testing::ReadFile(dir.File("P.qsf"));
         testing::WriteFile(dir.File("P.qsf"), qsf + "set_location_assignment PIN_A1 -to x\r\n");
       },
       {"P.qsf.~1~"},
       {}},
      {"a .qsf that gives no settings back",
       DefaultLarkspurSettings(),
       {},
       everything,
       {},
       [](TempDir& dir) { testing::WriteFile(dir.File("P.qsf"), "# mine\r\n"); },
       {"P.qsf.~1~", "P.v.~1~", "P.sdc.~1~", "P.htm.~1~"},
       {}},
      {"user cards, then other settings", userCards, all, everything, all, nullptr, {}, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    std::optional<testing::TestCards> cards;
    if (c.UserCards)
      cards.emplace();
    RecordingHost host;
    TempDir dir;
    const std::string qpf = dir.File("P.qpf");
    ASSERT_TRUE(testing::CheckAndGenerate(c.First, qpf, c.FirstOptions));
    if (c.Edit)
      c.Edit(dir);
    host.Clock.Second += 1;
    const Result<CheckedProject> project = CheckProject(c.Second, qpf, c.SecondOptions);
    ASSERT_TRUE(project);
    const Result<GenerationReport> report = BuildProject(*project);
    ASSERT_TRUE(report);
    auto paths = [&](const std::vector<std::string>& names) {
      std::vector<std::string> full;
      for (const std::string& name : names)
        full.push_back(dir.File(name));
      return full;
    };
    EXPECT_EQ(report->Backups, paths(c.Backups));
    EXPECT_EQ(report->LeftInPlace, paths(c.LeftInPlace));
    if (!c.LeftInPlace.empty()) {
      EXPECT_NE(report->Text.find("\r\n\r\nFiles of an earlier generation were left in place:\r\n" +
                                  c.LeftInPlace.front()),
                std::string::npos)
          << report->Text;
    }
  }
}

// Every optional output of the table: asked for twice with other settings, its file was not
// edited, so no backup; not asked for the third time, it is listed as left in place.
TEST(BuildProject, EveryOptionalOutputIsKnownOnTheNextGeneration) {
  TLarkspurSettings first = DefaultLarkspurSettings();
  first.Gpio0.Set(12);
  TLarkspurSettings second = DefaultLarkspurSettings();
  second.Gpio0.Set(13);
  second.LED = 0;
  for (const OutputRow& row : OutputTable()) {
    if (!row.Want)
      continue;
    const std::string suffix = row.Suffix(HdlLanguage::Verilog);
    SCOPED_TRACE(suffix);
    GenerationOptions asked;
    row.Want(asked, true);
    RecordingHost host;
    TempDir dir;
    const std::string qpf = dir.File("P.qpf");
    ASSERT_TRUE(testing::CheckAndGenerate(first, qpf, asked));
    ASSERT_TRUE(std::filesystem::exists(dir.File("P" + suffix)));
    host.Clock.Second += 1;
    for (const auto& [settings, options] :
         {std::pair{second, asked}, std::pair{first, GenerationOptions{}}}) {
      const Result<CheckedProject> project = CheckProject(settings, qpf, options);
      ASSERT_TRUE(project);
      const Result<GenerationReport> report = BuildProject(*project);
      ASSERT_TRUE(report);
      EXPECT_EQ(report->Backups, std::vector<std::string>{});
      const bool left = std::find(report->LeftInPlace.begin(), report->LeftInPlace.end(),
                                  dir.File("P" + suffix)) != report->LeftInPlace.end();
      EXPECT_EQ(left, !row.Wanted(options));
    }
  }
}

}  // namespace
}  // namespace pinwright
