// A console reporter that also prints, after the table, each benchmark's rate as a fraction of
// a reference benchmark of the same run, so that figures from a shared machine compare; with
// --benchmark_repetitions, the ratio of the medians.
#pragma once

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace orvbench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Each pair names a benchmark and the reference it is measured against (names as the table
  // shows them, without the min_time or iterations suffix).
  explicit RatioReporter(std::vector<std::pair<std::string, std::string>> ratios) : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular), ratios_(std::move(ratios)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto it = run.counters.find("bytes_per_second");
      if (it == run.counters.end() || run.error_occurred) continue;
      // With repetitions the median stands for the benchmark (it follows the repetitions); the
      // other aggregates (mean, spread) are not rates of it.
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      std::string name = run.benchmark_name();
      for (const char* suffix : {"/min_time", "/iterations"}) {
        if (const std::size_t cut = name.find(suffix); cut != std::string::npos) name.erase(cut);
      }
      rates_[name] = it->second.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [name, reference] : ratios_) {
      const auto a = rates_.find(name);
      const auto b = rates_.find(reference);
      if (a == rates_.end() || b == rates_.end() || b->second <= 0) continue;
      std::printf("%-32s %6.3f of %s\n", name.c_str(), a->second / b->second, reference.c_str());
    }
    std::fflush(stdout);
  }

 private:
  std::vector<std::pair<std::string, std::string>> ratios_;
  std::map<std::string, double> rates_;
};

// BENCHMARK_MAIN with the ratios printed at the end.
inline int RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> ratios) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(std::move(ratios));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace orvbench
