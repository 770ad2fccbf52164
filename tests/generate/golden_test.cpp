// The five files of whole Larkspur projects and their pin lists, compared byte for byte with
// reviewed copies under golden/. PINWRIGHT_GOLDEN_RUN=1 rewrites the copies from the current
// output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "generate/larkspurproject.h"
#include "support/configurations.h"
#include "support/recordinghost.h"
#include "support/tempdir.h"

namespace pinwright {
namespace {

using testing::ReadFile;
using testing::RecordingHost;
using testing::TempDir;
using testing::WriteFile;

struct GoldenCase {
  const char* Folder;
  const char* Project;
  std::function<void(TLarkspurSettings&)> Change;  // applied to the defaults
};

const std::vector<GoldenCase>& GoldenCases() {
  static const std::vector<GoldenCase> cases = {
      {"defaults", "LARKSPUR", [](TLarkspurSettings&) {}},
      {"everything", "FULL_BOARD",
       [](TLarkspurSettings& s) {
         for (std::uint8_t* flag :
              {&s.OSC, &s.LED, &s.Button, &s.Switch, &s.ADC, &s.HdmiTx, &s.MIPI, &s.LPDDR4A,
               &s.LPDDR4B, &s.UART, &s.FAN, &s.SDRAM, &s.HPS}) {
           *flag = 1;
         }
         s.Gpio0.Set(13);
         s.PrefixGpio0.Set("LCD_");
         s.Gpio1.Set(67);
         s.PrefixGpio1.Set("RF_");
       }},
      {"gpio_default_pair", "GPIO_PAIR",
       [](TLarkspurSettings& s) {
         s.Gpio0.Set(1);
         s.Gpio1.Set(1);
       }},
      {"no_groups", "EMPTY",
       [](TLarkspurSettings& s) {
         for (std::uint8_t* flag :
              {&s.OSC, &s.LED, &s.Button, &s.Switch, &s.ADC, &s.HdmiTx, &s.UART, &s.SDRAM}) {
           *flag = 0;
         }
       }},
  };
  return cases;
}

bool GoldenRun() {
  const char* value = std::getenv("PINWRIGHT_GOLDEN_RUN");
  return value && std::string(value) == "1";
}

TEST(GoldenProjects, MatchTheReviewedFiles) {
  for (const GoldenCase& c : GoldenCases()) {
    SCOPED_TRACE(c.Folder);
    RecordingHost host;
    TempDir dir;
    TLarkspurSettings settings = DefaultLarkspurSettings();
    c.Change(settings);
    const std::string project = c.Project;
    ASSERT_TRUE(
        testing::CheckAndGenerate(settings, dir.File(project + ".qpf"), {PinListFiles::Both()}));
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(host.AlertSounds, 0);

    const std::filesystem::path golden =
        std::filesystem::path(PINWRIGHT_TEST_DATA_DIR) / "generate" / "golden" / c.Folder;
    for (const char* extension :
         {".qpf", ".qsf", ".v", ".sdc", ".htm", ".pins.json", ".pins.csv"}) {
      SCOPED_TRACE(extension);
      const std::string name = project + extension;
      const std::string written = ReadFile(dir.File(name));
      if (GoldenRun()) {
        std::filesystem::create_directories(golden);
        WriteFile((golden / name).string(), written);
        continue;
      }
      ASSERT_TRUE(std::filesystem::exists(golden / name)) << "run with PINWRIGHT_GOLDEN_RUN=1";
      EXPECT_EQ(written, ReadFile((golden / name).string()));
    }
  }
}

}  // namespace
}  // namespace pinwright
