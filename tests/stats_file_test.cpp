// The statistics file: loading blocks, the written format, and keeping the
// old file safe when a load stopped part-way.
#include <gtest/gtest.h>

#include <filesystem>

#include "files/paths.h"
#include "files/stats_file.h"
#include "stats/stats_line.h"
#include "test_support.h"

namespace fragtally {
namespace {

namespace fs = std::filesystem;
using testing::CrLf;
using testing::Lines;
using testing::RaisedKind;
using testing::ReadFile;
using testing::StatsBlock;
using testing::Totals;
using testing::StateIn;
using testing::TempDir;
using testing::WriteFile;
using testing::WriteStatsFile;

// The example block of the statistics file's description.
const Totals kZed{.name = "Zed", .gauntlet = 4,
                  .weapons = {{{120, 480}, {1, 8}, {0, 0}, {3, 8}, {0, 0}, {9, 40}, {0, 0}, {0, 0}}},
                  .damage_given = 1530, .damage_received = 1720, .kills = 7, .deaths = 9, .suicides = 1, .frags = 6,
                  .games = 2};

std::vector<std::string> Block(const std::string& name, int games, int kills = 1) {
  Totals t = kZed;
  t.name = name;
  t.games = games;
  t.kills = kills;
  return StatsBlock(t);
}

class StatsFileTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::unique_ptr<WindowState> state_ = StateIn(dir_.path());
  WindowState& state() { return *state_; }
  fs::path StatsPath() const { return StatsFilePath(*state_); }
  // Whether the load completed; a failure's kind is kept in `failure_`.
  bool Load(const std::string& contents) {
    WriteStatsFile(*state_, contents);
    return LoadExisting(*state_);
  }
  bool LoadExisting(WindowState& state) {
    try {
      LoadStatsFile(state);
      return true;
    } catch (const Error& error) {
      failure_ = error.kind();
      return false;
    }
  }
  std::optional<ErrorKind> failure_;
};

TEST_F(StatsFileTest, ExampleBlockLoadsAndSavesBackByteForByte) {
  const std::string file = CrLf(StatsBlock(kZed));
  ASSERT_TRUE(Load(file));
  const PlayerTable& t = state().Table;
  EXPECT_EQ(t.PlayerCount, 1);
  EXPECT_EQ(t.PlayerName[1], "Zed");
  EXPECT_EQ(t.GamesPlayed[1], 2);
  EXPECT_EQ(t.MachinegunHits[1], 120);
  EXPECT_EQ(t.Frags[1], 6);
  EXPECT_EQ(testing::PlayerNames(state().Table), std::vector<std::string>{"Zed"});
  EXPECT_EQ(state().Trace.substr(0, 10), "Name=Zed\r\n");
  EXPECT_EQ(SaveStatsFile(state()), "") << "no backup";
  EXPECT_EQ(ReadFile(StatsPath()), file);
  EXPECT_EQ(std::distance(fs::directory_iterator(StatsPath().parent_path()), fs::directory_iterator{}), 1)
      << "no temporary or backup file is left behind";
}

TEST_F(StatsFileTest, WeaponFormsAndPercentages) {
  state().CurrentName = "P";
  FindOrAddPlayer(state());
  PlayerTable& t = state().Table;
  t.MachinegunHits[1] = 3;                                  // machinegun keeps its counts when shots are 0
  t.ShotgunHits[1] = 2;                                     // the others write 0/0
  t.GrenadeHits[1] = 5, t.GrenadeShots[1] = -4;             // and so do negative shots
  t.RocketHits[1] = 1, t.RocketShots[1] = 40;               // 2.5 -> 2
  t.ShaftHits[1] = 7, t.ShaftShots[1] = 40;                 // 17.5 -> 18
  t.RailgunHits[1] = 400, t.RailgunShots[1] = 1;            // beyond 16 bits: written as it is
  t.PlasmaHits[1] = -2147483647 - 1, t.PlasmaShots[1] = 1;  // far beyond, negative
  t.BfgHits[1] = 2, t.BfgShots[1] = 3;
  t.Kills[1] = -5;
  const std::string saved = FormatStatsFile(state());
  EXPECT_EQ(saved, CrLf({
                       "console: Stats for: P",
                       "console: Gauntlet:   0",
                       "console: Machinegun:   3/0     0%",
                       "console: Shotgun:   0/0     0%",
                       "console: Grenade L:   0/0     0%",
                       "console: Rocket L:   1/40     2%",
                       "console: Shaft:   7/40     18%",
                       "console: Railgun:   400/1     40000%",
                       "console: Plasma gun:   -2147483648/1     -214748364800%",
                       "console: BFG:   2/3     67%",
                       "console: Dmggiven: 0",
                       "console: Dmgrecvd: 0",
                       "console: Kills: -5     Deaths: 0     Suicides: 0     Frags: 0",
                       "console: games played: 1",
                       "console:  ",
                   }));

  // Read back: the machinegun keeps 3/0, the 0/0 forms come back as zero.
  WriteStatsFile(state(), saved);
  auto again = StateIn(state().ProgramFolder);
  ASSERT_TRUE(LoadExisting(*again));
  EXPECT_EQ(again->Table.MachinegunHits[1], 3);
  EXPECT_EQ(again->Table.ShotgunHits[1], 0);
  EXPECT_EQ(again->Table.GrenadeShots[1], 0);
  EXPECT_EQ(again->Table.PlasmaHits[1], -2147483647 - 1);
  EXPECT_EQ(again->Table.Kills[1], -5);
}

TEST_F(StatsFileTest, PercentagesRoundHalfToEven) {
  state().CurrentName = "P";
  FindOrAddPlayer(state());
  const std::pair<int, int> cases[] = {{1, 8}, {3, 8}, {9, 40}, {1, 3}, {5, 5}};
  const char* expected[] = {"1/8     12%", "3/8     38%", "9/40     22%", "1/3     33%", "5/5     100%"};
  for (int i = 0; i < 5; ++i) {
    state().Table.BfgHits[1] = cases[i].first;
    state().Table.BfgShots[1] = cases[i].second;
    EXPECT_NE(FormatStatsFile(state()).find(std::string("console: BFG:   ") + expected[i] + "\r\n"), std::string::npos)
        << expected[i];
  }
}

TEST_F(StatsFileTest, TwoBlocksOfOneNameAddUpAndKeepTheLaterGamesCount) {
  ASSERT_TRUE(Load(CrLf(Lines({Block("A", 5, 3), Block("B", 1), Block("A", 2, 4)}))));
  EXPECT_EQ(state().Table.PlayerCount, 2);
  EXPECT_EQ(state().Table.Kills[1], 7);
  EXPECT_EQ(state().Table.MachinegunShots[1], 960);
  EXPECT_EQ(state().Table.GamesPlayed[1], 2);
  EXPECT_EQ(testing::PlayerNames(state().Table), (std::vector<std::string>{"A", "B"}));
}

TEST_F(StatsFileTest, LinesOutsideBlocksAreSkipped) {
  ASSERT_TRUE(Load(CrLf(Lines({{"hello", "console: Stats for", "console: Dmggiven: 99"}, Block("A", 1),
                              {"between", "console: Gauntlet:   9"}, Block("B", 1)}))));
  EXPECT_EQ(state().Table.PlayerCount, 2);
  EXPECT_EQ(state().Table.DamageGiven[1], 1530);
  EXPECT_EQ(state().Table.Gauntlet[1], 4);
}

TEST_F(StatsFileTest, EmptyFileLoadsWithNoPlayers) {
  EXPECT_TRUE(Load(""));
  EXPECT_EQ(state().Table.PlayerCount, 0);
}

TEST_F(StatsFileTest, MissingFileIsNotFound) {
  EXPECT_FALSE(LoadExisting(state()));
  EXPECT_EQ(failure_, ErrorKind::NotFound);
  EXPECT_FALSE(state().KeepOldStatsFile) << "nothing on disk to keep";
}

TEST_F(StatsFileTest, HeaderEdgeCases) {
  // One character after the colon: an empty name.
  ASSERT_TRUE(Load(CrLf({"console: Stats for:x", "console: games played: 3", "console:  "})));
  EXPECT_EQ(state().Table.PlayerCount, 1);
  EXPECT_EQ(state().Table.PlayerName[1], "");
  EXPECT_EQ(state().Table.GamesPlayed[1], 3);
}

TEST_F(StatsFileTest, HeaderWithoutRoomForANameFails) {
  EXPECT_FALSE(Load(CrLf(Lines({Block("A", 1), {"console: Stats for:"}, Block("B", 1)}))));
  EXPECT_EQ(failure_, ErrorKind::InvalidArgument);
  EXPECT_EQ(state().Table.PlayerCount, 1);
  EXPECT_EQ(state().Trace.find("Name=\r\n"), std::string::npos) << "no trace line for a header without a name";
}

TEST_F(StatsFileTest, LastBlockWithoutTerminatorAndWithoutLineEnd) {
  std::string file = CrLf(Block("A", 1));
  file += "console: Stats for: B\r\nconsole: games played: 4";
  ASSERT_TRUE(Load(file));
  EXPECT_EQ(state().Table.PlayerCount, 2);
  EXPECT_EQ(state().Table.GamesPlayed[2], 4);
}

TEST_F(StatsFileTest, HeaderInsideABlockBelongsToTheSamePlayer) {
  ASSERT_TRUE(Load(CrLf({"console: Stats for: A", "console: Gauntlet:   1", "console: Stats for: B",
                         "console: Gauntlet:   2", "console:  "})));
  EXPECT_EQ(state().Table.PlayerCount, 1);
  EXPECT_EQ(state().Table.Gauntlet[1], 3);
}

TEST_F(StatsFileTest, LineEndsAndBytes) {
  // Bare LF ends lines too; a CR elsewhere stays in the line; names are bytes.
  std::string cp1251 = "\xC8\xE3\xF0\xEE\xEA";  // a name written by a Windows-1251 game
  std::string utf8 = "\xD0\x98\xD0\xB3\xD1\x80";
  std::string file = "console: Stats for: " + cp1251 + "\nconsole: Gauntlet:   2\nconsole:  \n" +
                     "console: Stats for: a\rb\r\r\nconsole: Gauntlet:   3\r\nconsole:  \r\n" +
                     "console: Stats for: " + utf8 + "\r\n";
  ASSERT_TRUE(Load(file));
  ASSERT_EQ(state().Table.PlayerCount, 3);
  EXPECT_EQ(state().Table.PlayerName[1], cp1251);
  EXPECT_EQ(state().Table.PlayerName[2], "a\rb\r");
  EXPECT_EQ(state().Table.PlayerName[3], utf8);
  EXPECT_EQ(state().Table.Gauntlet[2], 3);
  SaveStatsFile(state());
  const std::string saved = ReadFile(StatsPath());
  EXPECT_EQ(saved.substr(0, 27), "console: Stats for: " + cp1251 + "\r\n");
  EXPECT_NE(saved.find("console: Stats for: a\rb\r\r\n"), std::string::npos);
  EXPECT_NE(saved.find("console: Stats for: " + utf8 + "\r\n"), std::string::npos);
}

TEST_F(StatsFileTest, MalformedLineStopsTheLoadKeepingEarlierBlocks) {
  const std::string original =
      CrLf(Lines({Block("A", 3), Block("B", 1), {"console: Stats for: C", "console: Machinegun:   oops"}, Block("D", 9)}));
  EXPECT_FALSE(Load(original));
  EXPECT_EQ(failure_, ErrorKind::InvalidArgument);
  EXPECT_EQ(state().Table.PlayerCount, 3) << "C was added before its bad line";
  EXPECT_EQ(testing::PlayerNames(state().Table), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_TRUE(state().KeepOldStatsFile);

  // Closing keeps the whole old file under a new name, then writes the table.
  const std::string backup = SaveStatsFile(state());
  ASSERT_FALSE(backup.empty());
  EXPECT_EQ(fs::path(backup).parent_path(), StatsPath().parent_path());
  EXPECT_EQ(ReadFile(backup), original);
  EXPECT_EQ(ReadFile(StatsPath()), FormatStatsFile(state()));
  EXPECT_FALSE(state().KeepOldStatsFile);

  // A later save has nothing more to keep.
  EXPECT_EQ(SaveStatsFile(state()), "");
}

TEST_F(StatsFileTest, BackupsNeverOverwriteEachOther) {
  const std::string first = CrLf(Lines({Block("A", 1), {"console: Stats for:"}}));
  EXPECT_FALSE(Load(first));
  const std::string one = SaveStatsFile(state());

  // The next run stops part-way again (on a file of other bytes) within the same second.
  const std::string second = CrLf(Lines({Block("A", 2), {"console: Stats for:"}}));
  auto next = StateIn(dir_.path());
  WriteStatsFile(*next, second);
  EXPECT_FALSE(LoadExisting(*next));
  const std::string two = SaveStatsFile(*next);
  EXPECT_NE(one, two);
  EXPECT_EQ(ReadFile(one), first);
  EXPECT_EQ(ReadFile(two), second);
}

TEST_F(StatsFileTest, FullTableStopsTheLoad) {
  std::string file;
  for (int i = 1; i <= kMaxPlayers + 1; ++i) file += "console: Stats for: p" + std::to_string(i) + "\r\nconsole:  \r\n";
  EXPECT_FALSE(Load(file));
  EXPECT_EQ(failure_, ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(state().Table.PlayerCount, 9999);
}

TEST_F(StatsFileTest, AFolderInPlaceOfTheFileIsKeptAndNotOverwritten) {
  fs::create_directories(StatsPath());
  EXPECT_FALSE(LoadExisting(state()));
  EXPECT_EQ(failure_, ErrorKind::NotFound);
  EXPECT_TRUE(state().KeepOldStatsFile);
  state().CurrentName = "A";
  FindOrAddPlayer(state());
  EXPECT_EQ(RaisedKind([&] { SaveStatsFile(state()); }), ErrorKind::WriteFailed);
  EXPECT_TRUE(fs::is_directory(StatsPath()));
}

TEST_F(StatsFileTest, SaveCreatesTheBasekrmFolder) {
  fs::remove_all(dir_.path() / "basekrm");
  state().CurrentName = "A";
  FindOrAddPlayer(state());
  SaveStatsFile(state());
  EXPECT_EQ(ReadFile(StatsPath()).substr(0, 23), "console: Stats for: A\r\n");
}

}  // namespace
}  // namespace fragtally
