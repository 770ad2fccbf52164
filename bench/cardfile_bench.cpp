// User card files: loading a folder of them, and the largest generation with two user cards
// beside the same with the built-in cards they copy.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "cards/cardfile.h"
#include "cards/choicelist.h"
#include "cards/usercards.h"
#include "generate.h"
#include "settings/configlarkspur.h"
#include "support/configurations.h"
#include "support/quiethost.h"

namespace pinwright::bench {
namespace {

namespace fs = std::filesystem;

using testing::LargestLarkspurSettings;
using testing::QuietHost;

// A built-in card written as a card file under an ID and a name of its own.
std::string UserCopyText(std::int32_t builtInId, std::int32_t id, const std::string& name) {
  std::string text = CardFileText(builtInId);
  text = std::regex_replace(text, std::regex("\nid = [0-9]+\n"),
                            "\nid = " + std::to_string(id) + "\n");
  return std::regex_replace(text, std::regex("\nname = .*\n"), "\nname = \"" + name + "\"\n",
                            std::regex_constants::format_first_only);
}

// A folder of its own below the system's temporary folder, removed with the object.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name)
      : Path(fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
    fs::remove_all(Path);
    fs::create_directories(Path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(Path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  void Write(const std::string& file, const std::string& text) const {
    std::FILE* out = std::fopen((Path / file).string().c_str(), "wb");
    if (!out)
      return;
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
  }

  const fs::path Path;
};

// 100 card files, each a copy of a built-in card (every one in turn, 3 to 31 pin tables a
// file) with an ID and a name of its own; every tenth asks for a pull-up resistor and every
// seventh sets another default I/O standard, so that the optional keys are read as well.
void BM_Load100CardFiles(benchmark::State& state) {
  QuietHost host;
  ScratchFolder folder("pinwright-bench-cards");
  std::vector<std::int32_t> builtIn;
  for (const std::int32_t id : GpioBuiltInChoices()) {
    if (id != kCardNone)
      builtIn.push_back(id);
  }
  constexpr int kFiles = 100;
  for (int i = 0; i < kFiles; ++i) {
    std::string text = UserCopyText(builtIn[i % builtIn.size()], kFirstUserCardId + i,
                                    "Bench " + std::to_string(i));
    if (i % 7 == 0)
      text = std::regex_replace(text, std::regex("\nio_standard = .*\n"),
                                "\nio_standard = \"3.3-V LVTTL\"\n",
                                std::regex_constants::format_first_only);
    if (i % 10 == 0)
      text = std::regex_replace(text, std::regex("direction = \"input\"\n"),
                                "direction = \"input\"\npull = \"up\"\n",
                                std::regex_constants::format_first_only);
    folder.Write("card" + std::to_string(i) + ".toml", text);
  }
  const std::vector<CardSource> sources = {{CardSource::Kind::Folder, folder.Path.string()}};
  std::size_t loaded = 0;
  for (auto _ : state) {
    CardLoad load = LoadCards(sources);
    loaded = load.Cards.size();
    benchmark::DoNotOptimize(load);
  }
  if (loaded != kFiles)
    state.SkipWithError("not every card file loaded");
  state.counters["cards"] = static_cast<double>(loaded);
}
BENCHMARK(BM_Load100CardFiles)->Unit(benchmark::kMillisecond);

// The road of BM_GenerateLargestProject (checks, checked project, every text in memory) for
// the largest project with other cards.
void GenerateLargest(benchmark::State& state, std::int32_t gpio0, std::int32_t gpio1) {
  TLarkspurSettings settings = LargestLarkspurSettings();
  settings.Gpio0.Set(gpio0);
  settings.Gpio1.Set(gpio1);
  Generate(state, settings);
}

// The largest project with the built-in cards 13 and 68, and with their card-file copies
// loaded as user cards 1013 and 1068: the user cards take the same road.
void BM_GenerateLargestBuiltInCards(benchmark::State& state) {
  GenerateLargest(state, 13, 68);
}
BENCHMARK(BM_GenerateLargestBuiltInCards);

void BM_GenerateLargestUserCards(benchmark::State& state) {
  ScratchFolder folder("pinwright-bench-user-cards");
  folder.Write("lcd.toml", UserCopyText(13, 1013, "User LCD"));
  folder.Write("rf.toml", UserCopyText(68, 1068, "User RF"));
  const std::vector<CardSource> sources = {{CardSource::Kind::Folder, folder.Path.string()}};
  const CardLoad load = LoadCards(sources);
  if (load.Cards.size() != 2) {
    state.SkipWithError("the user cards did not load");
    return;
  }
  InstallUserCards(load);
  GenerateLargest(state, 1013, 1068);
  InstallUserCards(CardLoad{});
}
BENCHMARK(BM_GenerateLargestUserCards);

}  // namespace
}  // namespace pinwright::bench
