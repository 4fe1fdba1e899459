// Finding or adding players by name, the 9999-player limit, and the selector lists.
#include <gtest/gtest.h>

#include "app/main_window/ratings.h"
#include "stats/stats_line.h"
#include "test_support.h"

namespace fragtally {
namespace {

void Header(WindowState& state, const std::string& name) {
  state.CurrentName = name;
  FindOrAddPlayer(state);
}

TEST(PlayerTable, SlotsOutsideOneTo9999AreOutOfRange) {
  auto state = NewWindowState();
  for (long slot : {0L, -1L, 10000L, 40000L}) {
    try {
      (void)state->Table.Kills[slot];
      ADD_FAILURE() << slot;
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), ErrorKind::SubscriptOutOfRange);
    }
  }
  EXPECT_EQ(state->Table.Kills[9999], 0);
  EXPECT_EQ(state->Table.PlayerName[1], "");
}

TEST(FindOrAddPlayer, AppendsNewNamesInOrderAndCountsGames) {
  auto state = NewWindowState();
  Header(*state, "A");
  EXPECT_EQ(state->CurrentPlayer, 1);
  EXPECT_EQ(state->Table.GamesPlayed[1], 1);
  Header(*state, "B");
  Header(*state, "A");
  EXPECT_EQ(state->CurrentPlayer, 1);
  EXPECT_EQ(state->Table.PlayerCount, 2);
  EXPECT_EQ(state->Table.GamesPlayed[1], 2);
  EXPECT_EQ(state->Table.GamesPlayed[2], 1);
  EXPECT_EQ(testing::PlayerNames(state->Table), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(state->Combo1.ListIndex, -1) << "adding names selects nothing";
}

TEST(FindOrAddPlayer, NamesAreComparedExactly) {
  auto state = NewWindowState();
  for (const char* name : {"Bob", "bob", "Bob ", " Bob", "", "B\xF0\xE8", "B\xD0\xB1"}) Header(*state, name);
  Header(*state, "");
  Header(*state, "Bob ");
  EXPECT_EQ(state->Table.PlayerCount, 7);
  EXPECT_EQ(state->Table.GamesPlayed[5], 2) << "the empty name is a name like any other";
  EXPECT_EQ(state->Table.GamesPlayed[3], 2);
  EXPECT_EQ(state->CurrentPlayer, 3);
}

TEST(FindOrAddPlayer, GamesCountNeverWraps) {
  auto state = NewWindowState();
  Header(*state, "A");
  state->Table.GamesPlayed[1] = 2147483647;
  try {
    Header(*state, "A");
    FAIL();
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), ErrorKind::Overflow);
  }
  EXPECT_EQ(state->Table.GamesPlayed[1], 2147483647);
}

TEST(FindOrAddPlayer, TheTableHoldsAtMost9999Players) {
  auto state = NewWindowState();
  for (int i = 1; i <= kMaxPlayers; ++i) Header(*state, "p" + std::to_string(i));
  EXPECT_EQ(state->Table.PlayerCount, 9999);
  try {
    Header(*state, "one too many");
    FAIL();
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), ErrorKind::SubscriptOutOfRange);
  }
  EXPECT_EQ(state->Table.PlayerCount, 9999);
  Header(*state, "p9999");
  EXPECT_EQ(state->CurrentPlayer, 9999);
  EXPECT_EQ(state->Table.GamesPlayed[9999], 2);
  Header(*state, "p1");
  EXPECT_EQ(state->CurrentPlayer, 1);
}

TEST(FindOrAddPlayer, FindsNamesOfATableFilledDirectly) {
  auto state = NewWindowState();
  state->Table.PlayerCount = 2;
  state->Table.PlayerName[1] = "X";
  state->Table.PlayerName[2] = "Y";
  Header(*state, "Y");
  EXPECT_EQ(state->CurrentPlayer, 2);
  Header(*state, "Z");
  EXPECT_EQ(state->CurrentPlayer, 3);
}

// Taking the last players out and putting them back, as an undo does and
// takes back: the name index follows, so the names are found where they are.
TEST(PlayerTable, PlayersTakenOutAndPutBackAreFoundInTheirSlotsAgain) {
  auto state = NewWindowState();
  for (const char* name : {"A", "B", "C", "B"}) Header(*state, name);
  state->Table.Kills[3] = 7;
  std::vector<std::string> names;
  TakeOutPlayers(state->Table, 1, &names);
  EXPECT_EQ(names, (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(state->Table.PlayerCount, 1);
  EXPECT_EQ(state->Table.Kills[3], 0);
  EXPECT_EQ(state->Table.PlayerName[2], "");
  EXPECT_EQ(FindPlayer(state->Table, "C"), 0);

  PutPlayersBack(state->Table, names);
  EXPECT_EQ(FindPlayer(state->Table, "B"), 2);
  EXPECT_EQ(FindPlayer(state->Table, "C"), 3);
  Header(*state, "C");
  EXPECT_EQ(state->CurrentPlayer, 3);
  EXPECT_EQ(state->Table.PlayerCount, 3);

  // Out for good: a name taken out comes back as a new player after the rest.
  TakeOutPlayers(state->Table, 1);
  Header(*state, "C");
  EXPECT_EQ(state->CurrentPlayer, 2);
  TakeOutPlayers(state->Table, 0);
  EXPECT_EQ(state->Table.PlayerCount, 0);
  EXPECT_EQ(FindPlayer(state->Table, "A"), 0);
}

TEST(PlayerTable, CountersAreTakenOffModulo2To32) {
  auto state = NewWindowState();
  PlayerTable& table = state->Table;
  table.Kills[4] = 5;
  table.Frags[4] = -2147483647 - 1;
  CounterValues off{};
  off[CounterIndex(&PlayerTable::Kills)] = 7;
  off[CounterIndex(&PlayerTable::Frags)] = 1;
  SubtractCounters(table, 4, off);
  EXPECT_EQ(table.Kills[4], -2);
  EXPECT_EQ(table.Frags[4], 2147483647);
  SetCounters(table, 4, CountersInSlot(table, 4));
  EXPECT_EQ(table.Frags[4], 2147483647);
}

}  // namespace
}  // namespace fragtally
