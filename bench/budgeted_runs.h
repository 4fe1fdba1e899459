#pragma once

// What the benchmarks on a made-up journal share: their two options, the
// operations each times against a budget, and after the Google Benchmark
// output a summary of each operation's median with its budget.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fragtally::bench {

struct Operation {
  const char* name;
  double budget_ms;
  std::function<void()> run;  // one run, to be timed
};

// Takes "--matches N" and "--people N" out of the command line and hands the
// rest to Google Benchmark. False, after saying why, for fewer than 100
// matches or `least_people` people.
inline bool ReadJournalOptions(int argc, char** argv, const char* program, std::size_t least_people, int& matches,
                               int& people) {
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    const bool has_value = i + 1 < argc;
    if (has_value && std::strcmp(argv[i], "--matches") == 0) matches = std::atoi(argv[++i]);
    else if (has_value && std::strcmp(argv[i], "--people") == 0) people = std::atoi(argv[++i]);
    else rest.push_back(argv[i]);
  }
  if (matches < 100 || people < static_cast<int>(least_people)) {
    std::fprintf(stderr, "%s: at least 100 matches and %zu people\n", program, least_people);
    return false;
  }
  int rest_count = static_cast<int>(rest.size());
  benchmark::Initialize(&rest_count, rest.data());
  return true;
}

// The console output as usual, and each benchmark's median kept for the summary.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  MedianReporter() : ConsoleReporter(OO_None) {}  // no colours: scripts/bench.sh keeps the output in a file
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        medians_ms[run.run_name.function_name] = run.GetAdjustedRealTime();  // the unit is ms
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians_ms;
};

// Runs `operations` (each `repetitions` times, as the command line filters
// them) and prints `title` and each one's median against its budget. The
// medians by name, and whether every one was within its budget.
struct BudgetedResult {
  std::map<std::string, double> medians_ms;
  bool within = true;
  int name_width = 0;  // the names' column in the summary
};
inline BudgetedResult RunBudgeted(const std::vector<Operation>& operations, int repetitions, const std::string& title) {
  for (const Operation& operation : operations)
    benchmark::RegisterBenchmark(operation.name, [&operation](benchmark::State& state) {
      for (auto _ : state) operation.run();
    })->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\n== %s (wall time, median of %d repetitions) ==\n", title.c_str(), repetitions);
  BudgetedResult result{reporter.medians_ms, true, 0};
  for (const Operation& operation : operations)
    result.name_width = std::max(result.name_width, static_cast<int>(std::strlen(operation.name)));
  for (const Operation& operation : operations) {
    const auto found = reporter.medians_ms.find(operation.name);
    if (found == reporter.medians_ms.end()) continue;  // filtered out
    const double ms = found->second;
    result.within = result.within && ms <= operation.budget_ms;
    std::printf("%-*s %9.3f ms   budget %6.0f ms   %s\n", result.name_width, operation.name, ms, operation.budget_ms,
                ms <= operation.budget_ms ? "ok" : "OVER");
  }
  benchmark::Shutdown();
  return result;
}

}  // namespace fragtally::bench
