// The skill rating on a long journal: 100,000 matches of 8 players each out
// of 200 people, places from made-up frags (ties included). After the Google
// Benchmark output it prints each operation's median and its budget.
// Every benchmark runs 7 repetitions of its own (a --benchmark_repetitions
// flag does not change that).
//
//   rating_bench [--matches N] [--people N] [benchmark flags]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/main_window/ratings.h"
#include "app/matches/match_book.h"
#include "budgeted_runs.h"
#include "stats/skill_rating.h"

using namespace fragtally;

namespace {

int g_matches = 100000;
int g_people = 200;
constexpr std::size_t kPlayersPerMatch = 8;
constexpr int kChancesPerRun = 100000;
constexpr int kRepetitions = 7;  // the head-to-head figure is per call: one call is too short to time

const std::vector<MatchPlacings>& Journal() {
  static const std::vector<MatchPlacings> matches = [] {
    std::mt19937_64 random(1);
    std::vector<std::uint32_t> people(static_cast<std::size_t>(g_people));
    for (std::uint32_t i = 0; i < people.size(); ++i) people[i] = i;
    std::vector<MatchPlacings> journal(static_cast<std::size_t>(g_matches));
    for (MatchPlacings& match : journal) {
      // The first 8 of a partial shuffle: 8 different people.
      for (std::size_t k = 0; k < kPlayersPerMatch; ++k)
        std::swap(people[k], people[k + random() % (people.size() - k)]);
      std::uint32_t frags[kPlayersPerMatch];
      for (std::uint32_t& f : frags) f = static_cast<std::uint32_t>(random() % 20);
      for (std::size_t k = 0; k < kPlayersPerMatch; ++k) {
        const auto above = std::count_if(std::begin(frags), std::end(frags), [&](std::uint32_t f) { return f > frags[k]; });
        match.push_back({people[k], static_cast<std::uint32_t>(1 + above)});
      }
    }
    return journal;
  }();
  return matches;
}

// The state after all but the newest 1% of the journal, as a cache keeps it.
const SkillRatings& Cached() {
  static const SkillRatings cached = [] {
    SkillRatings ratings;
    RateMatches(ratings, std::span(Journal()).first(Journal().size() - Journal().size() / 100));
    return ratings;
  }();
  return cached;
}

// The same matches as journal blocks (100 matches a game session, frags
// giving the places), as the Players window and the exports group them.
const std::vector<JournalMatch>& JournalBlocks() {
  static const std::vector<JournalMatch> blocks = [] {
    std::vector<JournalMatch> journal;
    journal.reserve(Journal().size() * kPlayersPerMatch);
    for (std::size_t m = 0; m < Journal().size(); ++m) {
      const std::size_t day = m / 100;
      char session[32];
      std::snprintf(session, sizeof session, "%04zu-%02zu-%02zu 20:00:00", 2000 + day / 336, day / 28 % 12 + 1,
                    day % 28 + 1);
      for (const Placing& placing : Journal()[m]) {
        JournalMatch& block = journal.emplace_back();
        block.Session = session;
        block.Match = static_cast<std::int64_t>(m % 100 + 1);
        block.Name = "Player " + std::to_string(placing.Person);
        block.Added[CounterIndex(&PlayerTable::Frags)] = static_cast<std::int32_t>(20 - placing.Place);
      }
    }
    return journal;
  }();
  return blocks;
}

// Everything but the newest 1% of those matches, and a cache that rated them.
const std::vector<JournalMatch>& OlderBlocks() {
  static const std::vector<JournalMatch> blocks(
      JournalBlocks().begin(),
      JournalBlocks().begin() + static_cast<std::ptrdiff_t>((Journal().size() - Journal().size() / 100) * kPlayersPerMatch));
  return blocks;
}
struct CachedBook {
  PersonIndex people;
  SkillCache skills;
  MatchBook book;  // of OlderBlocks
};
CachedBook& Book() {
  static CachedBook book = [] {
    CachedBook made;
    made.book = BuildMatchBook(OlderBlocks(), made.people);
    made.skills.Update(made.book);
    return made;
  }();
  return book;
}

using bench::Operation;

std::vector<Operation> Operations() {
  return {
      {"ratings: every match, with history", 300,
       [] {
         SkillRatings ratings;
         SkillHistory history;
         RateMatches(ratings, Journal(), &history);
         benchmark::DoNotOptimize(history.People.data());
       }},
      {"ratings: every match, current only", 300,
       [] {
         SkillRatings ratings;
         RateMatches(ratings, Journal());
         benchmark::DoNotOptimize(ratings.People.data());
       }},
      {"ratings: cached state + newest 1%", 30,
       [] {
         SkillRatings ratings = Cached();
         RateMatches(ratings, std::span(Journal()).subspan(ratings.MatchesApplied));
         benchmark::DoNotOptimize(ratings.People.data());
       }},
      {"journal: group, place and rate it all", 300,
       [] {
         PersonIndex people;
         SkillCache skills;
         skills.Update(BuildMatchBook(JournalBlocks(), people));
         benchmark::DoNotOptimize(skills.Ratings().People.data());
       }},
      {"journal: group only", 300,
       [] {
         PersonIndex people;
         const MatchBook book = BuildMatchBook(JournalBlocks(), people);
         benchmark::DoNotOptimize(book.Matches.data());
       }},
      {"journal cache: 1% imported (copy, group, rate)", 300,
       [] {
         PersonIndex people = Book().people;
         SkillCache skills = Book().skills;
         skills.Update(BuildMatchBook(JournalBlocks(), people));
         benchmark::DoNotOptimize(skills.Ratings().People.data());
       }},
      {"journal cache: read again, unchanged", 30,
       [] {
         Book().skills.Update(Book().book);
         benchmark::DoNotOptimize(Book().skills.Ratings().People.data());
       }},
      {"head-to-head chance, 100,000 pairs", 50,
       [] {
         const std::vector<SkillRating>& people = Cached().People;
         double sum = 0;
         for (int i = 0; i < kChancesPerRun; ++i)
           sum += ChanceToPlaceHigher(people[i % people.size()], people[(i * 7 + 3) % people.size()]).First;
         benchmark::DoNotOptimize(sum);
       }},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (!bench::ReadJournalOptions(argc, argv, "rating_bench", kPlayersPerMatch, g_matches, g_people)) return 2;
  const std::vector<Operation> operations = Operations();
  Journal();
  Cached();
  Book();
  const bench::BudgetedResult result = bench::RunBudgeted(
      operations, kRepetitions,
      "Skill rating: a journal of " + std::to_string(g_matches) + " matches of " + std::to_string(kPlayersPerMatch) +
          " players out of " + std::to_string(g_people) + " people");
  const auto pairs = result.medians_ms.find(operations.back().name);
  if (pairs != result.medians_ms.end())
    std::printf("%-*s %9.3f us\n", result.name_width, "head-to-head chance, one pair",
                pairs->second * 1000.0 / kChancesPerRun);
  return result.within ? 0 : 1;
}
