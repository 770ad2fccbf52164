// A .cfg file saved and loaded again.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "settings/configlarkspur.h"
#include "support/quiethost.h"

namespace pinwright::bench {
namespace {

using testing::QuietHost;

void BM_CfgSaveLoadRoundTrip(benchmark::State& state) {
  QuietHost host;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "pinwright-bench-cfg";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "round.cfg").string();
  TConfigLarkspur saved;
  saved.Settings = DefaultLarkspurSettings();
  TConfigLarkspur loaded;
  for (auto _ : state) {
    if (!saved.SaveFile(path) || !loaded.LoadFile(path)) {
      state.SkipWithError("the round trip failed");
      break;
    }
    benchmark::DoNotOptimize(loaded.Settings);
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CfgSaveLoadRoundTrip);

}  // namespace
}  // namespace pinwright::bench
