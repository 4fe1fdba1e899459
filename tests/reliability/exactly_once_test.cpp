// Every match counted exactly once, over random histories of a game that
// starts (rewriting its log or appending to it) and plays matches, writing
// them while the player imports, and of a player who imports at random
// moments and closes the program or has it killed at random points, saves
// included, then starts it again, while other programs hold the files now
// and then, and who undoes the last import now and then, puts an earlier copy
// of the log back, and uses the program from two game folders in turn. The
// history and its checks are the import_history fuzz target's
// (fuzz/history.h).

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
  std::printf("%ld histories, %ld matches, %ld imports, %ld closes, %ld undos asked for, %ld kills; %ld of the kills "
              "fell between the two renames of a save, %ld cut the journal's append part-way, and %ld times a held "
              "settings file failed after the statistics were saved\n",
              tally.histories, tally.matches, tally.imports, tally.closes, tally.undos, tally.kills,
              tally.kills_between_renames, tally.torn_appends, tally.settings_held_after_statistics);
  std::printf("%ld imports were pressed while the game was still writing a match; %ld imports and closes met a file "
              "held by another program\n",
              tally.imports_while_writing, tally.files_held);
  std::printf("%ld times an earlier copy of the log was put back; %ld times the program was started from the other "
              "game folder\n",
              tally.logs_put_back, tally.folder_switches);
  EXPECT_GT(tally.kills, 500);
  EXPECT_GT(tally.imports_while_writing, 500);
  EXPECT_GT(tally.files_held, 500);
  EXPECT_GT(tally.kills_between_renames, 20) << "the histories reach the moment between the renames";
  EXPECT_GT(tally.settings_held_after_statistics, 20);
  EXPECT_GT(tally.torn_appends, 20);
  EXPECT_GT(tally.undos, 100);
  EXPECT_GT(tally.logs_put_back, 100);
  EXPECT_GT(tally.folder_switches, 500);
}

}  // namespace
}  // namespace fragtally
