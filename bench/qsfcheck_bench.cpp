// Reading and checking a settings file in memory: the largest generated .qsf read as Tcl
// words and checked against the board, with and without its top level, and imported back.
#include <benchmark/benchmark.h>

#include <string>

#include "build/buildproject.h"
#include "project/checkedproject.h"
#include "readers/hdlports.h"
#include "readers/qsfcheck.h"
#include "readers/qsfimport.h"
#include "support/configurations.h"
#include "support/quiethost.h"

namespace pinwright::bench {
namespace {

// The .qsf and the Verilog top level of the largest project.
struct LargestTexts {
  std::string Qsf;
  std::string TopLevel;

  LargestTexts() {
    testing::QuietHost host;
    const std::vector<ProjectFile> files =
        testing::CheckedFiles(testing::LargestLarkspurSettings(), "LARKSPUR.qpf", host.Now())
            .Value();
    Qsf = *FileText(files, ".qsf");
    TopLevel = *FileText(files, ".v");
  }
};

void BM_CheckLargestQsf(benchmark::State& state) {
  const std::string qsf = LargestTexts().Qsf;
  LarkspurBalls();  // the board's tables are read once per program
  std::size_t findings = 0;
  for (auto _ : state) {
    const std::vector<QsfFinding> found = CheckQsf(QsfAssignments(ReadTclWords(qsf)));
    findings = found.size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["qsf_bytes"] = static_cast<double>(qsf.size());
}
BENCHMARK(BM_CheckLargestQsf)->Unit(benchmark::kMicrosecond);

void BM_CheckLargestQsfWithTopLevel(benchmark::State& state) {
  const LargestTexts texts;
  LarkspurBalls();
  for (auto _ : state) {
    const DeclaredPorts ports = ReadDeclaredPorts(texts.TopLevel, HdlLanguage::Verilog);
    benchmark::DoNotOptimize(CheckQsf(QsfAssignments(ReadTclWords(texts.Qsf)), &ports));
  }
}
BENCHMARK(BM_CheckLargestQsfWithTopLevel)->Unit(benchmark::kMicrosecond);

void BM_ImportLargestQsf(benchmark::State& state) {
  const std::string qsf = LargestTexts().Qsf;
  ImportQsf(ReadTclWords(qsf));  // the part and card tables are read once per program
  for (auto _ : state)
    benchmark::DoNotOptimize(ImportQsf(ReadTclWords(qsf)));
}
BENCHMARK(BM_ImportLargestQsf)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pinwright::bench
