// The whole generation in memory, shared by the benchmarks that time it for other settings.
#pragma once

#include <benchmark/benchmark.h>

#include "settings/configlarkspur.h"

namespace pinwright::bench {

// Times the road for these settings: the input checks, the checked project and every text of
// the project in memory; the project's size in bytes is the counter project_bytes.
void Generate(benchmark::State& state, const TLarkspurSettings& settings);

}  // namespace pinwright::bench
