#pragma once
// A console reporter that also keeps each benchmark's time per iteration, in
// the benchmark's unit, so that a program can print its targets at the end.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace kvr::bench {

class RunTimes : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                times_[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
    }

    // The last time of the benchmark so named ("BM_Export/10000"); 0 when it
    // did not run.
    double Time(const std::string& name) const {
        auto it = times_.find(name);
        return it == times_.end() ? 0.0 : it->second;
    }

  private:
    std::map<std::string, double> times_;
};

}  // namespace kvr::bench
