// Head-to-head on a long journal: 100,000 matches of 8 players each out of
// a club of 16 people (every pair meets in about a fifth of the matches: the
// most work two players can make), read into a snapshot once as the window
// finds it. After the Google Benchmark output it prints each operation's
// median and its budget. Every benchmark runs 7 repetitions of its own.
//
//   head_to_head_bench [--matches N] [--people N] [benchmark flags]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/main_window/ratings.h"
#include "app/matches/head_to_head_session.h"
#include "budgeted_runs.h"

using namespace fragtally;

namespace {

int g_matches = 100000;
int g_people = 16;
constexpr std::size_t kPlayersPerMatch = 8;
constexpr int kRepetitions = 7;

std::string NameOf(int person) { return "Player" + std::to_string(person); }

// The journal: evenings of 40 matches, made-up frags (ties included).
std::vector<JournalMatch> MakeJournal() {
  std::mt19937_64 random(1);
  std::vector<int> people(static_cast<std::size_t>(g_people));
  for (int i = 0; i < g_people; ++i) people[static_cast<std::size_t>(i)] = i;
  std::vector<JournalMatch> journal;
  journal.reserve(static_cast<std::size_t>(g_matches) * kPlayersPerMatch);
  for (int m = 0; m < g_matches; ++m) {
    const int day = m / 40;
    char session[32];
    std::snprintf(session, sizeof session, "%04d-%02d-%02d 20:00:00", 2000 + day / 336, 1 + day / 28 % 12, 1 + day % 28);
    for (std::size_t k = 0; k < kPlayersPerMatch; ++k) std::swap(people[k], people[k + random() % (people.size() - k)]);
    for (std::size_t k = 0; k < kPlayersPerMatch; ++k) {
      JournalMatch& block = journal.emplace_back();
      block.Import = 1 + m / 40;
      block.Session = session;
      block.Match = 1 + m % 40;
      block.Position = static_cast<std::int64_t>(block.Match * kPlayersPerMatch + k);
      block.Name = NameOf(people[k]);
      block.Map = "krmdm6";
      block.Added[CounterIndex(&PlayerTable::Frags)] = static_cast<std::int32_t>(random() % 20);
    }
  }
  return journal;
}

struct Input {
  PlayerTable table;
  std::shared_ptr<const MatchSnapshot> snapshot;
};
const Input& Club() {
  static const Input input = [] {
    Input made;
    for (int p = 0; p < g_people; ++p) made.table.PlayerName[++made.table.PlayerCount] = NameOf(p);
    made.snapshot = SnapshotMatches(MakeJournal());
    return made;
  }();
  return input;
}

using bench::Operation;

std::vector<Operation> Operations() {
  static HeadToHeadSession& session = *[] {
    auto* opened = new HeadToHeadSession(",");
    opened->Refresh(Club().table, Club().snapshot);
    opened->Choose(1, 2);
    return opened;
  }();
  return {
      {"figures of two players", 50,
       [] {
         const HeadToHead figures = BuildHeadToHead(*Club().snapshot, NameOf(0), NameOf(1));
         benchmark::DoNotOptimize(figures.Shared);
       }},
      {"window: open (players, figures, texts)", 50,
       [] {
         HeadToHeadSession opened(",");
         opened.Refresh(Club().table, Club().snapshot);
         opened.Choose(1, 2);
         benchmark::DoNotOptimize(opened.View().Figures.data());
       }},
      {"window: another second player", 50,
       [] {
         session.ChooseEntry(1, session.ChosenEntry(1) % (g_people - 1) + 1);
         benchmark::DoNotOptimize(session.View().Figures.data());
       }},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (!bench::ReadJournalOptions(argc, argv, "head_to_head_bench", kPlayersPerMatch, g_matches, g_people)) return 2;
  const std::vector<Operation> operations = Operations();
  const HeadToHead sample = BuildHeadToHead(*Club().snapshot, NameOf(0), NameOf(1));
  const bench::BudgetedResult result = bench::RunBudgeted(
      operations, kRepetitions,
      "Head-to-head: a journal of " + std::to_string(g_matches) + " matches of " + std::to_string(kPlayersPerMatch) +
          " players out of " + std::to_string(g_people) + " people; the two share " + std::to_string(sample.Shared) +
          " matches");
  return result.within ? 0 : 1;
}
