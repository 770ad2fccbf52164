// How pinwright-cli builds its record: the card names, the order of the overrides, and what
// it refuses before the core sees the record.
#include "cli/settings.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "cards/catalogue.h"
#include "support/tempdir.h"

namespace pinwright::cli {
namespace {

using pinwright::testing::TempDir;
using pinwright::testing::WriteFile;

Request Parsed(std::vector<std::string> args) {
  ParseResult result = ParseArguments(args);
  EXPECT_TRUE(result.Ok()) << result.Error;
  return result.Parsed;
}

std::string RecordBytes(const TLarkspurSettings& settings) {
  std::string bytes(sizeof settings, '\0');
  std::memcpy(bytes.data(), &settings, sizeof settings);
  return bytes;
}

TEST(ResolveCard, TakesIdsNamesAndNone) {
  TConfigLarkspur config;
  config.FillChoiceList();
  struct Case {
    std::string Text;
    std::optional<std::int32_t> Card;
  };
  const std::vector<Case> cases = {
      {"none", 0},
      {"NONE", 0},
      {"0", 0},
      {"1", 1},
      {"gpio default", 1},
      {"12", 12},
      {"CORVEL - 5M PIXEL CAMERA", 12},
      {"sandrel - 4.3\" lcd and touch", 13},
      {"76", 76},
      {"Halcyra-GPIO", 76},
      {"2", std::nullopt},  // in the catalogue, not offered on a GPIO header
      {"99", std::nullopt},
      {"-1", std::nullopt},
      {"12abc", std::nullopt},
      {"Corvel", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.Text + "'");
    EXPECT_EQ(ResolveCard(config, c.Text), c.Card);
  }
}

TEST(BuildSettings, AppliesOverridesToTheDefaultsInOrder) {
  TConfigLarkspur config;
  Status status =
      BuildSettings(Parsed({"generate", "--without", "all", "--with", "led,hps", "--without", "HPS",
                            "--project", "Top", "--gpio1", "12", "--prefix1", "B_"}),
                    config);
  ASSERT_TRUE(status.Ok()) << status.Message;
  TLarkspurSettings expected = DefaultLarkspurSettings();
  for (std::uint8_t* flag : {&expected.OSC, &expected.Button, &expected.Switch, &expected.ADC,
                             &expected.HdmiTx, &expected.UART, &expected.SDRAM}) {
    *flag = 0;
  }
  expected.LED = 1;
  expected.ProjectName.Set("Top");
  expected.Gpio1.Set(12);
  expected.PrefixGpio1.Set("B_");
  EXPECT_EQ(RecordBytes(config.Settings), RecordBytes(expected));
  EXPECT_EQ(config.ChoiceCount, 12);
}

TEST(BuildSettings, RefusesALoadedTextFieldWithoutNulUnlessOverridden) {
  TempDir dir;
  TLarkspurSettings record = DefaultLarkspurSettings();
  std::string bytes = RecordBytes(record);
  std::memset(bytes.data() + offsetof(TLarkspurSettings, PrefixGpio0), 'A', TextField::kSize);
  WriteFile(dir.File("nonul.cfg"), bytes);

  TConfigLarkspur config;
  Status status =
      BuildSettings(Parsed({"config", "--config", dir.File("nonul.cfg"), "x.cfg"}), config);
  EXPECT_EQ(status.Exit, kExitRefused);
  EXPECT_NE(status.Message.find("GPIO-0 prefix holds no terminating NUL"), std::string::npos)
      << status.Message;

  status = BuildSettings(
      Parsed({"config", "--config", dir.File("nonul.cfg"), "--prefix0", "", "x.cfg"}), config);
  EXPECT_TRUE(status.Ok()) << status.Message;
}

}  // namespace
}  // namespace pinwright::cli
