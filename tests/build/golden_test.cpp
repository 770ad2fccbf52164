// The five files of whole Larkspur projects and their pin lists, compared byte for byte with
// reviewed copies under golden/. PINWRIGHT_GOLDEN_RUN=1 rewrites the copies from the current
// output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "project/checkedproject.h"
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
  GenerationOptions Options = {};
};

void TickEverything(TLarkspurSettings& s) {
  for (std::uint8_t* flag : {&s.OSC, &s.LED, &s.Button, &s.Switch, &s.ADC, &s.HdmiTx, &s.MIPI,
                             &s.LPDDR4A, &s.LPDDR4B, &s.UART, &s.FAN, &s.SDRAM, &s.HPS}) {
    *flag = 1;
  }
  s.Gpio0.Set(13);
  s.PrefixGpio0.Set("LCD_");
  s.Gpio1.Set(67);
  s.PrefixGpio1.Set("RF_");
}

void ClearEverything(TLarkspurSettings& s) {
  for (std::uint8_t* flag :
       {&s.OSC, &s.LED, &s.Button, &s.Switch, &s.ADC, &s.HdmiTx, &s.UART, &s.SDRAM}) {
    *flag = 0;
  }
}

const std::vector<GoldenCase>& GoldenCases() {
  static const std::vector<GoldenCase> cases = {
      {"defaults", "LARKSPUR", [](TLarkspurSettings&) {}},
      {"everything", "FULL_BOARD", TickEverything},
      {"gpio_default_pair", "GPIO_PAIR",
       [](TLarkspurSettings& s) {
         s.Gpio0.Set(1);
         s.Gpio1.Set(1);
       }},
      {"no_groups", "EMPTY", ClearEverything},
      // The other top-level languages, each with its testbench (Options.Testbench is set).
      {"defaults_systemverilog",
       "LARKSPUR",
       [](TLarkspurSettings&) {},
       {HdlLanguage::SystemVerilog, true}},
      {"everything_vhdl", "FULL_BOARD", TickEverything, {HdlLanguage::Vhdl, true}},
      {"no_groups_vhdl", "EMPTY", ClearEverything, {HdlLanguage::Vhdl, true}},
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
    GenerationOptions options = c.Options;
    options.PinList = PinListFiles::Both();
    ASSERT_TRUE(testing::CheckAndGenerate(settings, dir.File(project + ".qpf"), options));
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(host.AlertSounds, 0);

    const std::filesystem::path golden =
        std::filesystem::path(PINWRIGHT_TEST_DATA_DIR) / "build" / "golden" / c.Folder;
    const std::string design(HdlFileExtension(c.Options.TopLevel));
    std::vector<std::string> extensions = {".qpf", ".qsf",       design,     ".sdc",
                                           ".htm", ".pins.json", ".pins.csv"};
    if (c.Options.Testbench)
      extensions.push_back("_tb" + design);
    EXPECT_EQ(testing::SortedFileNames(dir.Path()).size(), extensions.size());
    if (c.Options.TopLevel != HdlLanguage::Verilog) {
      // The .qpf, .sdc and .htm are the Verilog project's; only these depend on the language.
      extensions = {".qsf", design, "_tb" + design};
    }
    for (const std::string& extension : extensions) {
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
