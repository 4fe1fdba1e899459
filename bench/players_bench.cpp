// The Players window and the report on a full table: 9,999 players and a
// journal of 100,000 blocks (tools/sample_players.h), and the window, the
// report and the matches' CSV again with a journal of 100,000 matches of 8
// players each (800,000 blocks), its matches read and rated beforehand as
// after an import. After the Google
// Benchmark output it prints each operation's median and its budget.
//
//   players_bench [--players N] [--matches N] [--only TEXT] [benchmark flags]
//
// --only times only the operations whose name holds TEXT.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/players_window/players.h"
#include "app/players_window/players_session.h"
#include "app/exports/report.h"
#include "sample_players.h"

using namespace fragtally;

namespace {

int g_players = kMaxPlayers;
int g_matches = 100000;
std::string g_only;

const sample::SamplePlayers& Full() {
  static const sample::SamplePlayers sample = sample::MakeSamplePlayers(g_players, g_matches);
  return sample;
}
// One player with every match of the journal: the largest page there can be.
const sample::SamplePlayers& OnePlayer() {
  static const sample::SamplePlayers sample = sample::MakeSamplePlayers(1, g_matches);
  return sample;
}
// 100,000 matches of 8 players each, read and rated once (what an import leaves for the window).
constexpr int kPlayersPerMatch = 8;
const sample::SamplePlayers& InMatches() {
  static const sample::SamplePlayers sample = sample::MakeSamplePlayers(g_players, g_matches, kPlayersPerMatch);
  return sample;
}
const std::shared_ptr<const MatchSnapshot>& InMatchesSnapshot() {
  static const std::shared_ptr<const MatchSnapshot> snapshot = SnapshotMatches(InMatches().Journal);
  return snapshot;
}
const DayNumber kToday = DaysFromCivil(2026, 12, 8);
// The full journal's matches (none: its blocks are of no match), as the window's snapshot holds them.
const MatchSnapshot& FullMatches() {
  static const std::shared_ptr<const MatchSnapshot> snapshot = SnapshotMatches(Full().Journal);
  return *snapshot;
}

// A merge of two names in the open window: what follows the journal's new
// line (MatchView::PeopleChanged): the two names' games given to one person
// and rated again (the names play from the journal's first day: every match
// from there), then the rows and the chosen row's page rebuilt.
struct MergeRun {
  PersonIndex people;
  SkillCache skills;
  std::shared_ptr<const MatchSnapshot> before;
  std::unique_ptr<PlayersSession> session;
};
MergeRun& Merging() {
  static MergeRun run;
  return run;
}
void PrepareMerge() {
  static PersonIndex people;
  static SkillCache skills;
  static std::shared_ptr<const MatchSnapshot> before;
  if (before == nullptr) before = SnapshotMatches(JournalHistory{InMatches().Journal, {}}, people, skills);
  MergeRun& run = Merging();
  run.people = people;
  run.skills = skills;
  run.before = before;
  run.session = std::make_unique<PlayersSession>(",");
  run.session->Show(InMatches().State->Table, before, kToday);
  run.session->SelectRow(0);
}
void MergeTwoNames() {
  MergeRun& run = Merging();
  const PeopleChange join{PeopleAction::Join, "2026-12-08 20:00:00", sample::SampleName(10), sample::SampleName(9), 0};
  run.session->Show(InMatches().State->Table, WithPeopleChange(*run.before, join, run.people, run.skills), kToday);
  benchmark::DoNotOptimize(run.session->PageView());
}

// Opening the window as PlayersSession::Open does: the rows of the period
// (matches, wins and skill included) and the first row's page.
void OpenWindow(PlayersPeriod period) {
  PlayersSession session(",");
  session.SetPeriod(period);
  session.Show(InMatches().State->Table, InMatchesSnapshot(), kToday);
  session.SelectRow(0);
  benchmark::DoNotOptimize(session.PageView());
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
      {"window: open, 100,000 matches of 8", 150, [] { OpenWindow(PlayersPeriod::AllTime); }},
      {"window: open, 8 x 100,000, 30 days", 150, [] { OpenWindow(PlayersPeriod::Last30Days); }},
      {"window: merge two names, 8 x 100,000", 100, MergeTwoNames, PrepareMerge},
      {"window: sort 8 x 100,000 by skill", 50, [] { model.SortBy(PlayersColumn::Skill, true); },
       [] { model.Refresh(InMatches().State->Table, InMatchesSnapshot(), kToday); }},
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
      // Eight times the blocks of the report above: twice its budget.
      {"report: HTML, 8 x 100,000", 2000,
       [] { benchmark::DoNotOptimize(BuildHtmlReport(InMatches().State->Table, *InMatchesSnapshot(), ",", "now")); }},
      {"matches: CSV, 8 x 100,000", 2000,
       [] { benchmark::DoNotOptimize(BuildMatchesCsv(*InMatchesSnapshot(), {";", ","})); }},
      {"report: CSV", 1000,
       [] {
         PlayersWindowModel m;
         OpenTable(m, PlayersPeriod::AllTime);
         benchmark::DoNotOptimize(BuildPlayersCsv(m.Rows(), {";", ","}));
       }},
  };
}

// The medians of wall time and of the process's CPU time (the program runs
// one thread: on a loaded machine the CPU time is what the operation costs).
struct Medians {
  double wall_ms = 0, cpu_ms = 0;
};
Medians MedianMs(const Operation& operation, int runs) {
  std::vector<double> times, cpu;
  for (int i = 0; i < runs; ++i) {
    operation.prepare();
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu_start = std::clock();
    operation.run();
    cpu.push_back(1000.0 * static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  std::sort(cpu.begin(), cpu.end());
  return {times[times.size() / 2], cpu[cpu.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--players") == 0 && i + 1 < argc)
      g_players = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--matches") == 0 && i + 1 < argc)
      g_matches = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
      g_only = argv[++i];
    else
      rest.push_back(argv[i]);
  }
  int rest_count = static_cast<int>(rest.size());
  benchmark::Initialize(&rest_count, rest.data());
  for (const Operation& operation : Operations()) {
    if (std::string(operation.name).find(g_only) == std::string::npos) continue;
    benchmark::RegisterBenchmark(operation.name, [operation](benchmark::State& state) {
      for (auto _ : state) {
        state.PauseTiming();
        operation.prepare();
        state.ResumeTiming();
        operation.run();
      }
    })->Unit(benchmark::kMillisecond);
  }
  if (g_only.empty() || g_only.find("window") == std::string::npos) {
    Full();
    OnePlayer();
    FullMatches();
  }
  InMatchesSnapshot();
  benchmark::RunSpecifiedBenchmarks();

  const std::string html = g_only.empty() ? BuildHtmlReport(Full().State->Table, FullMatches(), ",", "now") : std::string();
  std::printf("\n== Players: %d players, a journal of %d blocks (the page: one player with all of them); "
              "the report %.1f MB; \"window\", \"8 x\": %d matches of %d players each (%zu blocks) ==\n",
              g_players, g_matches, static_cast<double>(html.size()) / 1e6, g_matches, kPlayersPerMatch,
              InMatches().Journal.size());
  bool within = true;
  for (const Operation& operation : Operations()) {
    if (std::string(operation.name).find(g_only) == std::string::npos) continue;
    const Medians ms = MedianMs(operation, 7);
    within = within && ms.wall_ms <= operation.budget_ms;
    std::printf("%-36s %9.2f ms (CPU %8.2f ms)   budget %6.0f ms   %s\n", operation.name, ms.wall_ms, ms.cpu_ms,
                operation.budget_ms, ms.wall_ms <= operation.budget_ms ? "ok" : ms.cpu_ms <= operation.budget_ms ? "CPU ok" : "OVER");
  }
  benchmark::Shutdown();
  return within ? 0 : 1;
}
