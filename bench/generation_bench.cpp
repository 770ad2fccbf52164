// The whole generation in memory: the input checks, the board model with its cards fitted,
// the pin order and all five texts.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

#include "benchhost.h"
#include "generate/larkspurproject.h"
#include "generate/systembuild.h"
#include "settings/configlarkspur.h"

namespace pinwright::bench {
namespace {

// Every component and two 36-pin cards whose signal names differ, each with a prefix.
TLarkspurSettings LargestSettings() {
  TLarkspurSettings settings = DefaultLarkspurSettings();
  for (std::uint8_t* flag = &settings.OSC; flag <= &settings.HPS; ++flag)
    *flag = 1;
  settings.Gpio0.Set(13);
  settings.Gpio1.Set(68);
  settings.PrefixGpio0.Set("LCD_");
  settings.PrefixGpio1.Set("RF_");
  return settings;
}

void Generate(benchmark::State& state, const TLarkspurSettings& settings) {
  QuietHost host;
  TConfigLarkspur config;
  config.Settings = settings;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const CheckResult check = CheckLarkspurSettings(config.Settings);
    if (!check.Passed()) {
      state.SkipWithError(check.Message.c_str());
      return;
    }
    std::unique_ptr<TMainBoard> model = BuildLarkspurModel(config);
    std::optional<ProjectTexts> texts = MakeProjectTexts(*model, "LARKSPUR", host.Now());
    bytes = texts->Qpf.size() + texts->Qsf.size() + texts->Verilog.size() + texts->Sdc.size() +
            texts->Html.size();
    benchmark::DoNotOptimize(texts);
  }
  state.counters["project_bytes"] = static_cast<double>(bytes);
}

void BM_GenerateLargestProject(benchmark::State& state) {
  Generate(state, LargestSettings());
}
BENCHMARK(BM_GenerateLargestProject);

void BM_GenerateDefaultProject(benchmark::State& state) {
  Generate(state, DefaultLarkspurSettings());
}
BENCHMARK(BM_GenerateDefaultProject);

void BM_CheckLargestSettings(benchmark::State& state) {
  const TLarkspurSettings settings = LargestSettings();
  for (auto _ : state)
    benchmark::DoNotOptimize(CheckLarkspurSettings(settings));
}
BENCHMARK(BM_CheckLargestSettings);

}  // namespace
}  // namespace pinwright::bench
