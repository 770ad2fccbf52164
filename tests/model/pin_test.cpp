#include "model/pin.h"

#include <gtest/gtest.h>

#include <string>

#include "model/portmodel.h"
#include "support/recordinghost.h"

namespace pinwright {
namespace {

TEST(BusNames, SplitsNamesAsTheSortAndPortListNeedThem) {
  struct Case {
    const char* Name;
    bool Brackets;
    const char* Base;
    int Index;
  };
  const Case cases[] = {
      {"LED[3]", true, "LED", 3},   {"HDMI_TX_D[12]", true, "HDMI_TX_D", 12},
      {"CLOCK1_50", false, "", -1}, {"LED", false, "", -1},
      {"X[-2]", true, "X", -2},     {"X[+7]", true, "X", 7},
      {"[3]", true, "", 3},         {"X[CLK", false, "X", -1},
      {"CLK]", false, "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(FindBrackets(c.Name).Both(), c.Brackets);
    EXPECT_EQ(SplitPortName(c.Name).Base, c.Brackets ? c.Base : c.Name);
    const Result<std::int32_t> index = BusIndex(c.Name);
    ASSERT_TRUE(index);
    EXPECT_EQ(*index, c.Index);
  }
}

TEST(BusNames, IndexThatIsNotANumberFailsNamingThePin) {
  for (const char* name : {"A]B[", "X[D[0]", "X[]", "X[1a]", "X[ 1]", "X[99999999999]", "X[+]"}) {
    SCOPED_TRACE(name);
    const Result<std::int32_t> index = BusIndex(name);
    ASSERT_FALSE(index);
    EXPECT_EQ(index.Error().Kind, FailureKind::BadPinName);
    EXPECT_EQ(index.Error().Reason,
              "'" + std::string(name) + "' has no valid bus index between its brackets");
  }
  EXPECT_TRUE(FindBrackets("A]B[").Both());
  EXPECT_FALSE(FindBrackets("A]B[").OpenFirst());
}

TEST(IoStandards, NamesAreFixedAndUnknownCodesBeep) {
  testing::RecordingHost host;
  EXPECT_EQ(IoStandardName(0), "1.5 V");
  EXPECT_EQ(IoStandardName(7), "3.3-V LVCMOS");
  EXPECT_EQ(IoStandardName(28), "SSTL-15");
  EXPECT_EQ(IoStandardName(51), "SSTL-15");
  EXPECT_EQ(IoStandardName(61), "DPHY");
  EXPECT_EQ(IoStandardName(65), "1.1-V");
  EXPECT_EQ(IoStandardName(68), "1.1V TRUE DIFFERENTIAL SIGNALING");
  EXPECT_EQ(IoStandardName(69), "1.8-V");
  EXPECT_EQ(host.AlertSounds, 0);
  for (int code : {-1, 70, 71, 1000}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(IoStandardName(code), "");
  }
  EXPECT_EQ(host.AlertSounds, 4);
}

TEST(Pin, ConstructorsSetClockAndConnectorFields) {
  const TPin plain("LED[0]", "DF35", PinDirection::Output, 65, 0);
  EXPECT_EQ(plain.IsClock(), 0);
  EXPECT_EQ(plain.FrequencyText(), "");
  EXPECT_EQ(plain.PinNumber(), -1);

  EXPECT_EQ(TPin("C", "A1", PinDirection::Input, 7, 25).FrequencyText(), "25.00000 MHz");
  const TPin refclk("LPDDR4A_REFCLK_p", "B55", PinDirection::Input, 68, 166.666);
  EXPECT_EQ(refclk.IsClock(), 1);
  EXPECT_EQ(refclk.FrequencyText(), "166.66600 MHz");

  const TPin card("GPIO_D[0]", PinDirection::Inout, 7, 1);
  EXPECT_EQ(card.Location(), "");
  EXPECT_EQ(card.PinNumber(), 1);
  EXPECT_EQ(card.IsClock(), 0);
}

TEST(Pin, DerivedWords) {
  const struct {
    PinDirection Direction;
    const char* Word;
    bool Active;
  } cases[] = {{PinDirection::Unused, "", false},
               {PinDirection::Inout, "inout ", true},
               {PinDirection::Input, "input ", true},
               {PinDirection::Output, "output", true},
               {PinDirection::FromCard, "", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Word);
    TPin pin("P", "A1", c.Direction, 7, 0);
    EXPECT_EQ(pin.DirectionWord(), c.Word);
    EXPECT_EQ(pin.IsActive(), c.Active);
  }
}

TEST(Pin, LongTextIsCutAt128Characters) {
  const std::string longName(300, 'N');
  TPin pin(longName, longName, PinDirection::Input, 7, 0);
  EXPECT_EQ(pin.Name().size(), kPinTextCapacity);
  EXPECT_EQ(pin.Location().size(), kPinTextCapacity);
  pin.SetName("A_" + longName);
  EXPECT_EQ(pin.Name(), "A_" + longName.substr(0, kPinTextCapacity - 2));
  TPin copy = pin;
  EXPECT_EQ(copy.Name(), pin.Name());
}

}  // namespace
}  // namespace pinwright
