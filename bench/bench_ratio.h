#pragma once
// A console reporter that ends the run with each figure as a multiple of its
// baseline, both measured in the same run, by CPU time of the measuring thread
// (the machine may be busy with other work; its wall time says little).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace velgram::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Pairs of (benchmark name, name of its baseline), as Google Benchmark names
  // them ("BM_RecordSet/1000").
  explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs) : pairs_(std::move(pairs)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    // With --benchmark_repetitions the median of the repetitions is taken.
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Iteration && r.iterations > 0 && !median_.count(r.run_name.str()))
        cpuPerIteration_[r.run_name.str()] = r.cpu_accumulated_time / static_cast<double>(r.iterations);
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
        median_.insert(r.run_name.str());
        cpuPerIteration_[r.run_name.str()] = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [figure, baseline] : pairs_) {
      double a = cpuPerIteration_[figure];
      double b = cpuPerIteration_[baseline];
      if (a > 0 && b > 0) std::printf("ratio %s / %s (CPU time): %.2f\n", figure.c_str(), baseline.c_str(), a / b);
    }
  }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
  std::map<std::string, double> cpuPerIteration_;
  std::set<std::string> median_;
};

// Runs the benchmarks of the program with the reporter above.
inline int RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter(std::move(pairs));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace velgram::bench
