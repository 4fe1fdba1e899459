// The Players window and the report on a full table: 9,999 players and a
// journal of 100,000 matches (tools/sample_players.h). After the Google
// Benchmark output it prints each operation's median and its budget.
//
//   players_bench [--players N] [--matches N] [benchmark flags]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/players_window/players.h"
#include "app/exports/report.h"
#include "sample_players.h"

using namespace fragtally;

namespace {

int g_players = kMaxPlayers;
int g_matches = 100000;

const sample::SamplePlayers& Full() {
  static const sample::SamplePlayers sample = sample::MakeSamplePlayers(g_players, g_matches);
  return sample;
}
// One player with every match of the journal: the largest page there can be.
const sample::SamplePlayers& OnePlayer() {
  static const sample::SamplePlayers sample = sample::MakeSamplePlayers(1, g_matches);
  return sample;
}
const DayNumber kToday = DaysFromCivil(2026, 12, 8);
// The full journal's matches, as the window's snapshot holds them.
const MatchSnapshot& FullMatches() {
  static const std::shared_ptr<const MatchSnapshot> snapshot = SnapshotMatches(Full().Journal);
  return *snapshot;
}
// The same number of blocks in matches of 8 players: places, wins, ratings.
constexpr int kPlayersPerMatch = 8;
const sample::SamplePlayers& InMatches() {
  static const sample::SamplePlayers sample = sample::MakeSamplePlayers(g_players, g_matches, kPlayersPerMatch);
  return sample;
}
const MatchSnapshot& InMatchesSnapshot() {
  static const std::shared_ptr<const MatchSnapshot> snapshot = SnapshotMatches(InMatches().Journal);
  return *snapshot;
}

// Opening the window: the journal grouped by player, the rows built (the
// journal's reading is the journal's own figure).
void OpenTable(PlayersWindowModel& model, PlayersPeriod period) {
  model.SetPeriod(period);
  model.Refresh(Full().State->Table, SnapshotMatches(Full().Journal), kToday);
}

struct Operation {
  const char* name;
  double budget_ms;
  std::function<void()> run;  // one run, to be timed
  std::function<void()> prepare = [] {};
};

std::vector<Operation> Operations() {
  static PlayersWindowModel model;
  return {
      {"table: open, all time", 150, [] { PlayersWindowModel m; OpenTable(m, PlayersPeriod::AllTime); }},
      {"table: open, last 30 days", 150, [] { PlayersWindowModel m; OpenTable(m, PlayersPeriod::Last30Days); }},
      {"table: open, last evening", 150, [] { PlayersWindowModel m; OpenTable(m, PlayersPeriod::LastEvening); }},
      {"table: sort by name", 50, [] { model.SortBy(PlayersColumn::Name, false); },
       [] { OpenTable(model, PlayersPeriod::AllTime); }},
      {"table: sort by frag rating", 50, [] { model.SortBy(PlayersColumn::FragRating, true); },
       [] { OpenTable(model, PlayersPeriod::AllTime); }},
      {"table: sort by last played", 50, [] { model.SortBy(PlayersColumn::LastPlayed, true); },
       [] { OpenTable(model, PlayersPeriod::AllTime); }},
      // A click on a row of the open window.
      {"page: one player of all matches", 100, [] { benchmark::DoNotOptimize(model.Page(0, ",")); },
       [] { model.Refresh(OnePlayer().State->Table, SnapshotMatches(OnePlayer().Journal), kToday); }},
      {"report: HTML", 1000,
       [] { benchmark::DoNotOptimize(BuildHtmlReport(Full().State->Table, FullMatches(), ",", "now")); }},
      {"report: HTML, this month", 1000,
       [] {
         benchmark::DoNotOptimize(
             BuildHtmlReport(Full().State->Table, FullMatches(), ",", "now", PlayersPeriod::ThisMonth, kToday));
       }},
      {"report: HTML, the journal in matches of 8", 1000,
       [] {
         benchmark::DoNotOptimize(BuildHtmlReport(InMatches().State->Table, InMatchesSnapshot(), ",", "now"));
       }},
      {"matches: CSV, the journal in matches of 8", 1000,
       [] { benchmark::DoNotOptimize(BuildMatchesCsv(InMatchesSnapshot(), {";", ","})); }},
      {"report: CSV", 1000,
       [] {
         PlayersWindowModel m;
         OpenTable(m, PlayersPeriod::AllTime);
         benchmark::DoNotOptimize(BuildPlayersCsv(m.Rows(), {";", ","}));
       }},
  };
}

double MedianMs(const Operation& operation, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    operation.prepare();
    const auto start = std::chrono::steady_clock::now();
    operation.run();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--players") == 0 && i + 1 < argc)
      g_players = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--matches") == 0 && i + 1 < argc)
      g_matches = std::atoi(argv[++i]);
    else
      rest.push_back(argv[i]);
  }
  int rest_count = static_cast<int>(rest.size());
  benchmark::Initialize(&rest_count, rest.data());
  for (const Operation& operation : Operations()) {
    benchmark::RegisterBenchmark(operation.name, [operation](benchmark::State& state) {
      for (auto _ : state) {
        state.PauseTiming();
        operation.prepare();
        state.ResumeTiming();
        operation.run();
      }
    })->Unit(benchmark::kMillisecond);
  }
  Full();
  OnePlayer();
  FullMatches();
  InMatchesSnapshot();
  benchmark::RunSpecifiedBenchmarks();

  const std::string html = BuildHtmlReport(Full().State->Table, FullMatches(), ",", "now");
  std::printf("\n== Players: %d players, a journal of %d matches (the page: one player with all of them); "
              "the report %.1f MB ==\n",
              g_players, g_matches, static_cast<double>(html.size()) / 1e6);
  bool within = true;
  for (const Operation& operation : Operations()) {
    const double ms = MedianMs(operation, 7);
    within = within && ms <= operation.budget_ms;
    std::printf("%-34s %9.2f ms   budget %6.0f ms   %s\n", operation.name, ms, operation.budget_ms,
                ms <= operation.budget_ms ? "ok" : "OVER");
  }
  benchmark::Shutdown();
  return within ? 0 : 1;
}
