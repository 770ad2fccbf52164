#include "model/mainboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pinwright {
namespace {

constexpr const char* kClash01 =
    "GPIO-0 and GPIO-1 cannot have the same prefix name when both connect to the same type of "
    "daughter boards.";

TEST(CheckPrefixClash, ReportsTheFirstClashOnly) {
  struct Case {
    const char* What;
    std::vector<HeaderChoice> Headers;
    bool Passes;
    const char* Message;  // what the message holds afterwards
  };
  const std::vector<Case> cases = {
      {"same card, same prefix", {{1, "A_"}, {1, "A_"}}, false, kClash01},
      {"prefix case differs", {{1, "A_"}, {1, "a_"}}, true, "untouched"},
      {"same card, both empty", {{13, ""}, {13, ""}}, false, kClash01},
      {"different cards", {{55, ""}, {63, ""}}, true, "untouched"},
      {"one header without card", {{0, "A_"}, {1, "A_"}}, true, "untouched"},
      {"both without card", {{0, "X"}, {0, "X"}}, true, "untouched"},
      {"third header clashes with second",
       {{1, "A"}, {12, "B"}, {12, "B"}},
       false,
       "GPIO-1 and GPIO-2 cannot have the same prefix name when both connect to the same type "
       "of daughter boards."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const Status checked = TMainBoard::CheckPrefixClash(c.Headers);
    EXPECT_EQ(checked.Ok(), c.Passes);
    if (!checked) {
      EXPECT_EQ(checked.Error().Kind, FailureKind::PrefixClash);
      EXPECT_EQ(checked.Error().Reason, c.Message);
    }
  }
}

TEST(MainBoard, GroupsKeepTheirOrderAndClearing) {
  TMainBoard board;
  EXPECT_EQ(board.GroupCount(), 0u);
  EXPECT_EQ(board.BoardId(), 0);
  EXPECT_EQ(board.PinCount(), 0);
  board.AddGroup(TConnector("CLOCK", "", kConnectorOnBoard));
  board.AddGroup(TConnector("KEY", "", kConnectorOnBoard));
  ASSERT_EQ(board.GroupCount(), 2u);
  EXPECT_EQ(board.GroupAt(0).Name(), "CLOCK");
  EXPECT_EQ(board.GroupAt(1).Name(), "KEY");
  board.ClearGroups();
  EXPECT_EQ(board.GroupCount(), 0u);
}

TEST(MainBoard, BoardNameAndOrderPins) {
  TMainBoard board;
  EXPECT_EQ(board.BoardName(), "");
  board.SetBoardName("Larkspur");
  EXPECT_EQ(board.BoardName(), "Larkspur");

  TConnector keys("KEY", "", kConnectorOnBoard);
  keys.AddPin(TPin("KEY[1]", "C11", PinDirection::Input, 7, 0));
  keys.AddPin(TPin("KEY[0]", "C8", PinDirection::Input, 7, 0));
  board.AddGroup(keys);
  ASSERT_TRUE(board.OrderPins());
  EXPECT_EQ(board.GroupAt(0).PinAt(0)->Name(), "KEY[0]");
  EXPECT_EQ(board.GroupAt(0).PinAt(0)->Location(), "C8");
}

}  // namespace
}  // namespace pinwright
