#include "model/portmodel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/mainboard.h"
#include "outputs/toplevel.h"
#include "support/recordinghost.h"

namespace pinwright {
namespace {

using testing::RecordedMessage;
using testing::RecordingHost;

struct PinSpec {
  const char* Name;
  PinDirection Direction;
};

// A group of on-board pins; a null name stands for an empty entry.
TConnector Group(const std::string& name, const std::vector<PinSpec>& pins,
                 const std::string& description = "") {
  TConnector group(name, description, description.empty() ? kConnectorOnBoard : kConnectorGpio);
  for (const PinSpec& pin : pins) {
    if (pin.Name) {
      group.AddPin(TPin(pin.Name, "A1", pin.Direction, kIoLvcmos33, 0));
    } else {
      group.AddPin(std::nullopt);
    }
  }
  return group;
}

std::vector<std::string> Lines(const TPinParsing& parsing) {
  std::vector<std::string> lines;
  for (const PortEntry& entry : TPinParsing(parsing).TakeEntries())
    AppendVerilogPortLine(lines.emplace_back(), entry);
  return lines;
}

constexpr PinDirection kIn = PinDirection::Input;
constexpr PinDirection kOut = PinDirection::Output;
constexpr PinDirection kIo = PinDirection::Inout;

TEST(TPinParsing, BuildsOneEntryPerScalarAndPerBus) {
  struct Case {
    const char* What;
    std::vector<PinSpec> Pins;
    std::vector<std::string> Lines;
  };
  const std::vector<Case> cases = {
      {"scalar", {{"CLOCK1_50", kIn}}, {"input \t\t          \t\tCLOCK1_50"}},
      {"bus of two", {{"KEY[0]", kIn}, {"KEY[1]", kIn}}, {"input \t\t     [1:0]\t\tKEY"}},
      {"members apart, first seen first",
       {{"CAM_D_p[0]", kIn}, {"CAM_D_n[0]", kIn}, {"CAM_D_p[1]", kIn}, {"CAM_D_n[1]", kIn}},
       {"input \t\t     [1:0]\t\tCAM_D_p", "input \t\t     [1:0]\t\tCAM_D_n"}},
      {"gaps are not seen", {{"D[0]", kOut}, {"D[2]", kOut}}, {"output\t\t     [2:0]\t\tD"}},
      {"single member", {{"LED[5]", kOut}}, {"output\t\t     [5:5]\t\tLED"}},
      {"downward order",
       {{"Z[7]", kIo}, {"Z[3]", kIo}, {"Z[12]", kIo}},
       {"inout \t\t    [12:3]\t\tZ"}},
      {"inactive and empty entries skipped",
       {{"A", PinDirection::Unused}, {nullptr, PinDirection::Unused}, {"B", kOut}},
       {"output\t\t          \t\tB"}},
      {"name starting with a bracket", {{"[3]", kIn}}, {"input \t\t     [3:3]\t\t"}},
      {"close before open is a scalar", {{"X]Y[", kIn}}, {"input \t\t          \t\tX]Y["}},
      {"unfilled header template", {{"", PinDirection::FromCard}}, {"\t\t          \t\t"}},
      {"range wider than ten characters",
       {{"W[-1000000]", kIn}, {"W[1000000]", kIn}},
       {"input \t\t[1000000:-1000000]\t\tW"}},
      {"all inactive", {{"A", PinDirection::Unused}}, {}},
      {"empty group", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    RecordingHost host;
    TPinParsing parsing;
    ASSERT_TRUE(parsing.Build(Group("G", c.Pins)));
    EXPECT_EQ(Lines(parsing), c.Lines);
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(host.AlertSounds, 0);
  }
}

TEST(TPinParsing, ReportsNameAndDirectionProblemsAndGoesOn) {
  struct Case {
    const char* What;
    std::vector<PinSpec> Pins;
    std::vector<std::string> Lines;
    std::vector<std::string> Messages;
  };
  const std::vector<Case> cases = {
      {"scalar twice, case ignored",
       {{"AB", kIn}, {"ab", kIn}},
       {"input \t\t          \t\tAB"},
       {"TPinParsing::Build fail\r\n,i=1,name=ab"}},
      {"scalar after a bus widens it to -1",
       {{"LED[7]", kOut}, {"LED[0]", kOut}, {"LED", kOut}},
       {"output\t\t    [7:-1]\t\tLED"},
       {"TPinParsing::Build fail\r\n,i=2,name=LED"}},
      {"member with another direction",
       {{"nothing", PinDirection::Unused}, {"D[0]", kOut}, {"D[1]", kIn}},
       {"output\t\t     [1:0]\t\tD"},
       {"Connector D[1]:2 has an unmathced pin direction"}},
      {"scalar twice with another direction",
       {{"S", kOut}, {"S", kIo}},
       {"output\t\t          \t\tS"},
       {"TPinParsing::Build fail\r\n,i=1,name=S", "Connector S:1 has an unmathced pin direction"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    RecordingHost host;
    TPinParsing parsing;
    ASSERT_TRUE(parsing.Build(Group("G", c.Pins)));
    EXPECT_EQ(Lines(parsing), c.Lines);
    std::vector<RecordedMessage> expected;
    for (const std::string& text : c.Messages)
      expected.push_back({MessageKind::Error, text});
    EXPECT_EQ(host.Messages, expected);
    EXPECT_EQ(host.AlertSounds, static_cast<int>(c.Messages.size()));
  }
}

TEST(TPinParsing, BuildReplacesTheEntriesAndRejectsBadIndices) {
  RecordingHost host;
  TPinParsing parsing;
  ASSERT_TRUE(parsing.Build(Group("G", {{"A", kIn}, {"B", kIn}})));
  ASSERT_TRUE(parsing.Build(Group("H", {{"C", kIn}})));
  EXPECT_EQ(Lines(parsing), std::vector<std::string>{"input \t\t          \t\tC"});
  for (const char* bad : {"X[D[0]", "X[]"}) {
    const Status built = parsing.Build(Group("G", {{"A", kIn}, {bad, kIn}}));
    ASSERT_FALSE(built);
    EXPECT_EQ(built.Error().Kind, FailureKind::BadPinName);
    EXPECT_NE(built.Error().Reason.find(bad), std::string::npos);
  }
  TMainBoard board;
  board.AddGroup(Group("G", {{"X[]", kIn}}));
  EXPECT_FALSE(TopLevelPorts(board));
}

TEST(VerilogPortList, SeparatesEveryEntryButTheLastOfTheList) {
  struct Case {
    const char* What;
    std::vector<TConnector> Groups;
    std::string Text;
  };
  const std::vector<Case> cases = {
      {"no groups", {}, ""},
      {"one group, one pin",
       {Group("CLOCK", {{"CLOCK1_50", kIn}})},
       "\r\n\t//////////// CLOCK //////////\r\n"
       "\tinput \t\t          \t\tCLOCK1_50\r\n"},
      {"header section line carries the description",
       {Group("KEY", {{"KEY[1]", kIn}, {"KEY[0]", kIn}}),
        Group("GPIO_0", {{"GPIO_0[0]", kIo}}, "GPIO connect to GPIO Default")},
       "\r\n\t//////////// KEY //////////\r\n"
       "\tinput \t\t     [1:0]\t\tKEY,\r\n"
       "\r\n\t//////////// GPIO_0, GPIO connect to GPIO Default //////////\r\n"
       "\tinout \t\t     [0:0]\t\tGPIO_0\r\n"},
      {"last group without entries",
       {Group("A", {{"X", kIn}, {"Y", kOut}}), Group("B", {{"Z", PinDirection::Unused}}),
        Group("C", {})},
       "\r\n\t//////////// A //////////\r\n"
       "\tinput \t\t          \t\tX,\r\n"
       "\toutput\t\t          \t\tY\r\n"
       "\r\n\t//////////// B //////////\r\n"
       "\r\n\t//////////// C //////////\r\n"},
      {"no group yields an entry",
       {Group("A", {}), Group("B", {{nullptr, PinDirection::Unused}})},
       "\r\n\t//////////// A //////////\r\n"
       "\r\n\t//////////// B //////////\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    RecordingHost host;
    TMainBoard board;
    for (const TConnector& group : c.Groups)
      board.AddGroup(group);
    EXPECT_EQ(VerilogPortList(*TopLevelPorts(board)), c.Text);
  }
}

TEST(VerilogPortList, ProblemsDoNotStopTheList) {
  RecordingHost host;
  TMainBoard board;
  board.AddGroup(Group("A", {{"S", kIn}, {"s", kIn}}));
  board.AddGroup(Group("B", {{"T", kOut}}));
  EXPECT_EQ(VerilogPortList(*TopLevelPorts(board)),
            "\r\n\t//////////// A //////////\r\n"
            "\tinput \t\t          \t\tS,\r\n"
            "\r\n\t//////////// B //////////\r\n"
            "\toutput\t\t          \t\tT\r\n");
  EXPECT_EQ(host.Messages.size(), 1u);
  EXPECT_EQ(host.AlertSounds, 1);
}

}  // namespace
}  // namespace pinwright
