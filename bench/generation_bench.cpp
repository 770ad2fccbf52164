// The whole generation in memory: the input checks, the board model with its cards fitted,
// the pin order and all five texts.
#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

#include "build/buildproject.h"
#include "generate.h"
#include "outputs/projecttexts.h"
#include "outputs/toplevel.h"
#include "project/checkedproject.h"
#include "settings/configlarkspur.h"
#include "support/configurations.h"
#include "support/quiethost.h"

namespace pinwright::bench {

using testing::LargestLarkspurSettings;
using testing::QuietHost;

void Generate(benchmark::State& state, const TLarkspurSettings& settings) {
  QuietHost host;
  TConfigLarkspur config;
  config.Settings = settings;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const Result<CheckedSettings> checked = CheckLarkspurSettings(config.Settings);
    if (!checked) {
      state.SkipWithError(checked.Error().Reason.c_str());
      return;
    }
    const Result<CheckedProject> project = CheckProject(*checked, checked->ProjectName() + ".qpf");
    Result<std::vector<ProjectFile>> files = MakeProjectFiles(*project, host.Now());
    bytes = 0;
    for (const ProjectFile& file : *files)
      bytes += file.Text.size();
    benchmark::DoNotOptimize(files);
  }
  state.counters["project_bytes"] = static_cast<double>(bytes);
}

namespace {

void BM_GenerateLargestProject(benchmark::State& state) {
  Generate(state, LargestLarkspurSettings());
}
BENCHMARK(BM_GenerateLargestProject);

void BM_GenerateDefaultProject(benchmark::State& state) {
  Generate(state, DefaultLarkspurSettings());
}
BENCHMARK(BM_GenerateDefaultProject);

// The phases of the largest generation on their own, to show where the time goes.
void BM_LargestModel(benchmark::State& state) {
  QuietHost host;
  TConfigLarkspur config;
  config.Settings = LargestLarkspurSettings();
  for (auto _ : state)
    benchmark::DoNotOptimize(BuildLarkspurModel(config.Settings));
}
BENCHMARK(BM_LargestModel);

void BM_LargestOrderedTexts(benchmark::State& state) {
  QuietHost host;
  TConfigLarkspur config;
  config.Settings = LargestLarkspurSettings();
  const Result<CheckedProject> project = CheckProject(config.Settings, "LARKSPUR.qpf");
  for (auto _ : state)
    benchmark::DoNotOptimize(MakeProjectFiles(*project, host.Now()));
}
BENCHMARK(BM_LargestOrderedTexts);

void BM_LargestTextsEach(benchmark::State& state) {
  QuietHost host;
  TConfigLarkspur config;
  config.Settings = LargestLarkspurSettings();
  const Result<CheckedProject> project = CheckProject(config.Settings, "LARKSPUR.qpf");
  if (!project) {
    state.SkipWithError(project.Error().Reason.c_str());
    return;
  }
  const TMainBoard& model = project->Board();
  const int which = static_cast<int>(state.range(0));
  for (auto _ : state) {
    switch (which) {
      case 0:
        benchmark::DoNotOptimize(QpfText("LARKSPUR", host.Now()));
        break;
      case 1:
        benchmark::DoNotOptimize(QsfText(model, "LARKSPUR", host.Now()));
        break;
      case 2:
        benchmark::DoNotOptimize(TopLevelText(project->TopLevel()));
        break;
      case 3:
        benchmark::DoNotOptimize(SdcText(model));
        break;
      default:
        benchmark::DoNotOptimize(HtmlText(model));
        break;
    }
  }
}
BENCHMARK(BM_LargestTextsEach)->DenseRange(0, 4)->ArgName("qpf_qsf_v_sdc_htm");

void BM_LargestOrderPins(benchmark::State& state) {
  QuietHost host;
  TConfigLarkspur config;
  config.Settings = LargestLarkspurSettings();
  const std::unique_ptr<TMainBoard> model = BuildLarkspurModel(config.Settings);
  for (auto _ : state) {
    state.PauseTiming();
    TMainBoard copy = *model;
    state.ResumeTiming();
    benchmark::DoNotOptimize(copy.OrderPins());
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_LargestOrderPins);

void BM_CheckLargestSettings(benchmark::State& state) {
  const TLarkspurSettings settings = LargestLarkspurSettings();
  for (auto _ : state)
    benchmark::DoNotOptimize(CheckLarkspurSettings(settings));
}
BENCHMARK(BM_CheckLargestSettings);

}  // namespace
}  // namespace pinwright::bench
