// Every match counted exactly once, over random histories of a game that
// starts (rewriting its log or appending to it) and plays matches, and of a
// player who imports at random moments and closes the program or has it
// killed at random points, saves included, then starts it again. The history
// and its checks are the import_history fuzz target's (fuzz/history.h).

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "history.h"
#include "reliability_support.h"

namespace fragtally {
namespace {

TEST(ExactlyOnce, RandomHistoriesOfGamesImportsClosesAndKills) {
  testing::UseThrowingChecks();
  fuzz::HistoryTally tally;
  for (unsigned seed = 1; seed <= 500; ++seed) {
    std::mt19937 random(seed);
    try {
      fuzz::PlayHistory([&](unsigned n, bool&) { return static_cast<unsigned>(random() % n); }, 40, tally);
    } catch (const testing::CheckFailed& failed) {
      FAIL() << "history " << seed << ": " << failed.message;
    }
  }
  std::printf("%ld histories, %ld matches, %ld imports, %ld closes, %ld kills; %ld of the kills fell between the "
              "two renames of a save, and %ld matches were counted more than once after them\n",
              tally.histories, tally.matches, tally.imports, tally.closes, tally.kills, tally.kills_between_renames,
              tally.counted_more_than_once);
  EXPECT_GT(tally.kills, 500);
  EXPECT_GT(tally.kills_between_renames, 0) << "the histories reach the moment between the renames";
}

}  // namespace
}  // namespace fragtally
