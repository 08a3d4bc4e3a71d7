#include "support/ratio_report.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace benchsupport {

namespace {

// Shows the runs as usual and keeps each one's CPU time per iteration
// (steadier than wall time on a busy machine).
class KeepingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        times[run.benchmark_name()] = run.GetAdjustedCPUTime();
  }
  std::map<std::string, double> times;
};

}  // namespace

int Main(int argc, char** argv, const std::vector<Comparison>& comparisons) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  KeepingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  int missing = 0;
  for (const Comparison& c : comparisons) {
    auto base = reporter.times.find(c.baseline), ours = reporter.times.find(c.ours);
    if (base == reporter.times.end() || ours == reporter.times.end() || ours->second <= 0) {
      std::printf("# %s: not measured (%s, %s)\n", c.name.c_str(), c.baseline.c_str(), c.ours.c_str());
      ++missing;
      continue;
    }
    const double speedup = base->second / ours->second;
    std::printf("# %s: %.3f times the speed of %s (target %.2f)\n", c.name.c_str(), speedup,
                c.baseline.c_str(), c.target);
    std::printf("RATIO %s %.3f\n", c.name.c_str(), speedup / c.target);
  }
  std::fflush(stdout);
  return missing == 0 ? 0 : 1;
}

}  // namespace benchsupport
