#include "model/connector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace pinwright {
namespace {

// A group from names; "" stands for an empty entry.
TConnector GroupOf(const std::vector<std::string>& names) {
  TConnector group("G", "", kConnectorOnBoard);
  for (const std::string& name : names) {
    if (name.empty()) {
      group.AddPin(std::nullopt);
    } else {
      group.AddPin(TPin(name, "A1", PinDirection::Input, 7, 0));
    }
  }
  return group;
}

std::vector<std::string> NamesOf(const TConnector& group) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < group.PinEntryCount(); ++i) {
    const TPin* pin = group.PinAt(i);
    names.push_back(pin ? pin->Name() : "");
  }
  return names;
}

TEST(SortPins, PutsPinsIntoGenerationOrder) {
  struct Case {
    const char* What;
    std::vector<std::string> Before;
    std::vector<std::string> After;
  };
  const std::vector<Case> cases = {
      {"clocks already in order",
       {"CLOCK1_50", "CLOCK2_50", "CLOCK3_50"},
       {"CLOCK1_50", "CLOCK2_50", "CLOCK3_50"}},
      {"bus by index", {"KEY[1]", "KEY[0]"}, {"KEY[0]", "KEY[1]"}},
      {"index, not text order", {"LED[10]", "LED[9]", "LED[1]"}, {"LED[1]", "LED[9]", "LED[10]"}},
      {"mipi camera",
       {"CAM_I2C_SCL", "CAM_I2C_SDA", "CAM_GPIO", "CAM_CLK_p", "CAM_CLK_n", "CAM_D_p[0]",
        "CAM_D_n[0]", "CAM_D_p[1]", "CAM_D_n[1]", "CAM_RZQ1"},
       {"CAM_CLK_n", "CAM_CLK_p", "CAM_D_n[0]", "CAM_D_n[1]", "CAM_D_p[0]", "CAM_D_p[1]",
        "CAM_GPIO", "CAM_I2C_SCL", "CAM_I2C_SDA", "CAM_RZQ1"}},
      {"capitals before small letters, unsigned bytes last",
       {"b", "\xC3\xA9", "a", "B", "A"},
       {"A", "B", "a", "b", "\xC3\xA9"}},
      {"prefix sorts first", {"AB", "A"}, {"A", "AB"}},
      {"empty entries stay put",
       {"D[3]", "", "D[1]", "", "D[0]", "D[2]"},
       {"D[0]", "", "D[1]", "", "D[2]", "D[3]"}},
      {"single entry", {"X"}, {"X"}},
      {"only empty entries", {"", "", ""}, {"", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TConnector group = GroupOf(c.Before);
    ASSERT_TRUE(group.SortPins());
    EXPECT_EQ(NamesOf(group), c.After);
  }
}

TEST(SortPins, HdmiOutGroupOrder) {
  std::vector<std::string> before = {"HDMI_I2C_SCL", "HDMI_I2C_SDA", "HDMI_I2S",   "HDMI_LRCLK",
                                     "HDMI_MCLK",    "HDMI_SCLK",    "HDMI_TX_CLK"};
  for (int i = 0; i < 24; ++i)
    before.push_back("HDMI_TX_D[" + std::to_string(i) + "]");
  for (const char* name : {"HDMI_TX_DE", "HDMI_TX_HS", "HDMI_TX_INT", "HDMI_TX_VS"}) {
    before.push_back(name);
  }
  std::vector<std::string> after = {"HDMI_I2C_SCL", "HDMI_I2C_SDA", "HDMI_I2S",    "HDMI_LRCLK",
                                    "HDMI_MCLK",    "HDMI_SCLK",    "HDMI_TX_CLK", "HDMI_TX_DE"};
  for (int i = 0; i < 24; ++i)
    after.push_back("HDMI_TX_D[" + std::to_string(i) + "]");
  for (const char* name : {"HDMI_TX_HS", "HDMI_TX_INT", "HDMI_TX_VS"})
    after.push_back(name);

  TConnector group = GroupOf(before);
  ASSERT_TRUE(group.SortPins());
  EXPECT_EQ(NamesOf(group), after);
}

TEST(SortPins, BadBusIndexFailsAndLeavesTheListAlone) {
  const std::vector<std::string> names = {"Z", "A_[x]D[1]", "B", "A_[x]D[0]"};
  TConnector group = GroupOf(names);
  const Status sorted = group.SortPins();
  ASSERT_FALSE(sorted);
  EXPECT_EQ(sorted.Error().Kind, FailureKind::BadPinName);
  EXPECT_NE(sorted.Error().Reason.find("'A_[x]D["), std::string::npos) << sorted.Error().Reason;
  EXPECT_EQ(NamesOf(group), names);
}

// The exchange sort written the plain way: compare the entries now at i and j, swap records.
std::vector<std::string> ReferenceSort(std::vector<std::string> names) {
  auto greater = [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) {
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
  };
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      const std::string& a = names[i];
      const std::string& b = names[j];
      if (a.empty() || b.empty())
        continue;
      bool before;
      if (FindBrackets(a).Both() && FindBrackets(b).Both()) {
        const std::string baseA = a.substr(0, a.find('['));
        const std::string baseB = b.substr(0, b.find('['));
        before = baseA == baseB ? *BusIndex(b) < *BusIndex(a) : greater(baseA, baseB);
      } else {
        before = greater(a, b);
      }
      if (before)
        std::swap(names[i], names[j]);
    }
  }
  return names;
}

TEST(SortPins, MatchesThePlainExchangeSortOnRandomNames) {
  // Few letters and short indices, so equal bases, ties, scalars beside buses and
  // prefixes of one another all come up often.
  const char* parts[] = {"A", "B", "a", "AB", "A_", "\xC3"};
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> names;
    const int count = 1 + static_cast<int>(random() % 12);
    for (int k = 0; k < count; ++k) {
      std::string name;
      if (random() % 6 == 0) {
        names.push_back("");  // an empty entry
        continue;
      }
      name = parts[random() % 6];
      if (random() % 2)
        name += parts[random() % 6];
      if (random() % 3)
        name += "[" + std::to_string(random() % 4) + "]";
      names.push_back(name);
    }
    SCOPED_TRACE(::testing::PrintToString(names));
    TConnector group = GroupOf(names);
    ASSERT_TRUE(group.SortPins());
    EXPECT_EQ(NamesOf(group), ReferenceSort(names));
  }
}

TEST(Connector, EntriesCountsAndLookups) {
  TConnector group = GroupOf({"A", "", "B"});
  group.PinAt(2)->SetDirection(PinDirection::Unused);
  EXPECT_EQ(group.PinEntryCount(), 3u);
  EXPECT_EQ(group.ActiveCount(), 1u);
  EXPECT_EQ(group.PinAt(1), nullptr);
  EXPECT_EQ(group.PinAt(3), nullptr);
  EXPECT_EQ(group.PinAt(1000), nullptr);
  group.ClearPins();
  EXPECT_EQ(group.PinEntryCount(), 0u);
}

TEST(Connector, NewConnectorDefaults) {
  const TConnector header("GPIO_0", "GPIO connect to GPIO Default", kConnectorGpio);
  EXPECT_EQ(header.Name(), "GPIO_0");
  EXPECT_EQ(header.ConnectorType(), kConnectorGpio);
  EXPECT_EQ(header.DaughterConnectorType(), 0);
  EXPECT_EQ(header.IsHeader(), 0);
  EXPECT_EQ(header.PinEntryCount(), 0u);
}

}  // namespace
}  // namespace pinwright
