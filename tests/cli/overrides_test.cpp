// How pinwright-cli builds its record: the card names, the order of the overrides, and what
// it refuses before the core sees the record.
#include "cli/overrides.h"

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
  Result<Request> result = ParseArguments(args);
  if (!result) {
    ADD_FAILURE() << result.Error().Reason;
    return {};
  }
  return std::move(result).Value();
}

std::string RecordBytes(const TLarkspurSettings& settings) {
  std::string bytes(sizeof settings, '\0');
  std::memcpy(bytes.data(), &settings, sizeof settings);
  return bytes;
}

TEST(BuildSettings, AppliesOverridesToTheDefaultsInOrder) {
  TConfigLarkspur config;
  Status status =
      BuildSettings(Parsed({"generate", "--without", "all", "--with", "led,hps", "--without", "HPS",
                            "--project", "Top", "--gpio1", "12", "--prefix1", "B_"}),
                    config);
  ASSERT_TRUE(status.Ok()) << status.Error().Reason;
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
  ASSERT_FALSE(status);
  EXPECT_EQ(ExitStatusOf(status), kExitRefused);
  EXPECT_EQ(status.Error().File, dir.File("nonul.cfg"));
  EXPECT_NE(status.Error().Reason.find("GPIO-0 prefix holds no terminating NUL"), std::string::npos)
      << status.Error().Reason;

  status = BuildSettings(
      Parsed({"config", "--config", dir.File("nonul.cfg"), "--prefix0", "", "x.cfg"}), config);
  EXPECT_TRUE(status.Ok()) << status.Error().Reason;
}

}  // namespace
}  // namespace pinwright::cli
