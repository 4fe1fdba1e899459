// The Players window's layout kept between runs (the window file, the
// placement on the screen, the splitter), and its accuracy chart (the
// weapons fired, smoothed, one or all).

#include <gtest/gtest.h>

#include <filesystem>

#include "app/matches/match_view.h"
#include "app/players_window/chart.h"
#include "app/players_window/placement.h"
#include "app/players_window/players_session.h"
#include "files/paths.h"
#include "files/window_file.h"
#include "test_support.h"

namespace fragtally::testing {
namespace {

class WindowFileTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::unique_ptr<WindowState> state_ = StateIn(dir_.path());
  std::string Path() const { return WindowFilePath(*state_); }
};

TEST_F(WindowFileTest, PlacementGoesRoundTripBesideTheOtherValuesAndLeavesTheSettingsAlone) {
  EXPECT_EQ(LoadPlayersPlacement(*state_), PlayersPlacement{}) << "no file: the defaults";
  WriteFile(SettingsFilePath(*state_), "log.txt\r\nmarker\r\n");
  WriteFile(Path(), "Other.Value=7\r\n");

  const PlayersPlacement placement{ScreenRect{-1200, 40, 1100, 820}, 230};
  ASSERT_TRUE(SavePlayersPlacement(*state_, placement));
  EXPECT_EQ(LoadPlayersPlacement(*state_), placement);
  EXPECT_EQ(ReadFile(Path()),
            "Other.Value=7\r\nPlayers.Height=820\r\nPlayers.TableHeight=230\r\nPlayers.Width=1100\r\n"
            "Players.X=-1200\r\nPlayers.Y=40\r\n");
  EXPECT_EQ(ReadFile(SettingsFilePath(*state_)), "log.txt\r\nmarker\r\n") << "mSetup.ini keeps its format";

  ASSERT_TRUE(SavePlayersPlacement(*state_, PlayersPlacement{std::nullopt, 180}));
  EXPECT_EQ(LoadPlayersPlacement(*state_), (PlayersPlacement{std::nullopt, 180}));
  EXPECT_EQ(ReadFile(Path()), "Other.Value=7\r\nPlayers.TableHeight=180\r\n");
}

TEST_F(WindowFileTest, GarbledOrUnreadableFilesGiveTheDefaults) {
  // Notepad's mark, stray text, numbers too long, a size of 0: each line by itself.
  WriteFile(Path(), "\xEF\xBB\xBFPlayers.X=10\r\nPlayers.Y=2O\r\nPlayers.Width=1100\nPlayers.Height=800\r\n"
                    "Players.TableHeight=99999999999\r\n=5\r\nnot a line\r\n\x01\xFF=3\r\n");
  WindowValues values = LoadWindowValues(*state_);
  EXPECT_EQ(values, (WindowValues{{"Players.X", 10}, {"Players.Width", 1100}, {"Players.Height", 800}}));
  EXPECT_EQ(LoadPlayersPlacement(*state_), PlayersPlacement{}) << "a rectangle needs all four numbers";

  WriteFile(Path(), "Players.X=0\r\nPlayers.Y=0\r\nPlayers.Width=0\r\nPlayers.Height=600\r\nPlayers.TableHeight=-5\r\n");
  EXPECT_EQ(LoadPlayersPlacement(*state_), PlayersPlacement{});

  WriteFile(Path(), std::string(100000, '\0'));
  EXPECT_EQ(LoadPlayersPlacement(*state_), PlayersPlacement{});

  // A folder where the file should be: nothing read, nothing written, no exception.
  std::filesystem::remove(Path());
  std::filesystem::create_directory(Path());
  EXPECT_EQ(LoadPlayersPlacement(*state_), PlayersPlacement{});
  EXPECT_FALSE(SavePlayersPlacement(*state_, PlayersPlacement{ScreenRect{0, 0, 800, 600}, 200}));
  EXPECT_TRUE(std::filesystem::is_directory(Path()));
}

TEST(PlayersPlacementRules, AWindowComesBackOnAScreenItFits) {
  const ScreenRect work{0, 0, 1920, 1040};
  EXPECT_EQ(FitOnWorkArea({100, 50, 1100, 820}, work), (ScreenRect{100, 50, 1100, 820})) << "it fits: as it was";
  EXPECT_EQ(FitOnWorkArea({2500, 900, 1100, 820}, work), (ScreenRect{820, 220, 1100, 820}))
      << "left on a screen that is gone: moved onto this one";
  EXPECT_EQ(FitOnWorkArea({-400, -30, 1100, 820}, work), (ScreenRect{0, 0, 1100, 820}));
  EXPECT_EQ(FitOnWorkArea({10, 10, 2400, 1400}, {0, 0, 1366, 728}), (ScreenRect{0, 0, 1366, 728}))
      << "larger than a smaller screen: made its size";
  EXPECT_EQ(FitOnWorkArea({-1500, 100, 1100, 820}, {-1920, 0, 1920, 1080}), (ScreenRect{-1500, 100, 1100, 820}))
      << "a screen left of the main one";
}

TEST(PlayersPlacementRules, TheSplitterLeavesBothPartsRoom) {
  EXPECT_EQ(SplitTableHeight(std::nullopt, 700, 0.3, 80, 300), 210) << "the default share";
  EXPECT_EQ(SplitTableHeight(250, 700, 0.3, 80, 300), 250) << "where it was left";
  EXPECT_EQ(SplitTableHeight(600, 700, 0.3, 80, 300), 400) << "the page keeps its least height";
  EXPECT_EQ(SplitTableHeight(20, 700, 0.3, 80, 300), 80) << "the table keeps its least height";
  EXPECT_EQ(SplitTableHeight(250, 300, 0.3, 80, 300), 80) << "too small for both: the table keeps its least";
}

std::vector<GameShots> Games(std::initializer_list<std::pair<int, int>> hits_shots) {
  std::vector<GameShots> games;
  double game = 1;
  for (const auto& [hits, shots] : hits_shots) games.push_back({game++, hits, shots});
  return games;
}

TEST(AccuracyChartTest, EachWeaponIsSmoothedOverItsLastGamesByTheirShots) {
  const std::vector<ChartPoint> points = SmoothedAccuracy(Games({{1, 1}, {0, 9}, {5, 10}, {10, 10}}), 2);
  ASSERT_EQ(points.size(), 4u);
  EXPECT_DOUBLE_EQ(points[0].Y, 100);
  EXPECT_DOUBLE_EQ(points[1].Y, 10) << "1 of 10: the one-shot game does not count as 100%";
  EXPECT_DOUBLE_EQ(points[2].Y, 5.0 / 19 * 100) << "the first game out of the window";
  EXPECT_DOUBLE_EQ(points[3].Y, 75);
  EXPECT_EQ(points[3].X, 4);
}

TEST(AccuracyChartTest, AllWeaponsOrOne) {
  const std::vector<WeaponShots> used{{"Shotgun", 0x111111, Games({{1, 4}, {3, 4}})},
                                      {"Railgun", 0x222222, {{2, 5, 10}}}};
  const Chart all = AccuracyChart(used, kAllWeapons, 3, 10, ",");
  ASSERT_EQ(all.Series.size(), 2u) << "one line per weapon fired";
  EXPECT_EQ(all.Series[0].Name, "Shotgun");
  EXPECT_EQ(all.Series[0].Color, 0x111111u);
  EXPECT_DOUBLE_EQ(all.Series[0].Points[1].Y, 50) << "smoothed: 4 of 8";
  EXPECT_FALSE(all.Series[0].Dashed);
  EXPECT_EQ(all.Series[1].Points.size(), 1u);
  EXPECT_EQ(all.X.Min, 1);
  EXPECT_EQ(all.Y.Min, 0);
  EXPECT_LT(all.Y.Max, 100) << "the scale fits the lines, not 0-100";
  EXPECT_GE(all.Y.Max, 50);

  const Chart shotgun = AccuracyChart(used, 0, 3, 10, ",");
  EXPECT_EQ(shotgun.Title, "Точность: Shotgun, %");
  ASSERT_EQ(shotgun.Series.size(), 2u);
  EXPECT_DOUBLE_EQ(shotgun.Series[0].Points[1].Y, 75) << "each game as it was";
  EXPECT_DOUBLE_EQ(shotgun.Series[1].Points[1].Y, 50) << "and its average";
  EXPECT_TRUE(shotgun.Series[1].Dashed);
  EXPECT_EQ(shotgun.Series[1].Color, 0x111111u);
  EXPECT_GE(shotgun.Y.Max, 75);
}

JournalMatch Game(const std::string& name, std::int64_t position, int rail_hits, int rail_shots, int shotgun_shots) {
  JournalMatch match;
  match.Import = 1;
  match.Name = name;
  match.Session = "2026-12-07 21:00:00";
  match.Position = position;
  match.Match = position;
  match.Added[CounterIndex(&PlayerTable::GamesPlayed)] = 1;
  match.Added[CounterIndex(&PlayerTable::RailgunHits)] = rail_hits;
  match.Added[CounterIndex(&PlayerTable::RailgunShots)] = rail_shots;
  match.Added[CounterIndex(&PlayerTable::ShotgunShots)] = shotgun_shots;
  return match;
}

TEST(AccuracyChartTest, TheWindowOffersTheWeaponsFiredAndKeepsTheChoiceForTheNextPlayerWhoFiredIt) {
  PlayerTable table;
  for (int slot : {1, 2, 3}) {
    table.PlayerName[slot] = std::string(1, static_cast<char>('A' + slot - 1));
    table.GamesPlayed[slot] = 2;
  }
  table.PlayerCount = 3;
  // A fires the railgun and the shotgun, B only the shotgun, C only the railgun.
  const auto snapshot = SnapshotMatches(std::vector<JournalMatch>{
      Game("A", 1, 3, 10, 5), Game("B", 2, 0, 0, 8), Game("C", 3, 6, 10, 0), Game("A", 4, 7, 10, 0)});
  PlayersSession players(",");
  players.Show(table, snapshot, DaysFromCivil(2026, 12, 8));
  players.ClickHeader(PlayersColumn::Name);
  players.SelectRow(0);

  PlayersPageView view = players.PageView();
  EXPECT_EQ(view.WeaponChoices, (std::vector<std::string>{"Всё оружие", "Shotgun", "Railgun"}));
  EXPECT_EQ(view.WeaponChoice, 0);
  ASSERT_NE(view.Accuracy, nullptr);
  EXPECT_EQ(view.Accuracy->Series.size(), 2u);

  players.ChooseWeapon(2);
  view = players.PageView();
  EXPECT_EQ(view.WeaponChoice, 2);
  ASSERT_NE(view.Accuracy, nullptr);
  EXPECT_EQ(view.Accuracy->Title, "Точность: Railgun, %");
  ASSERT_EQ(view.Accuracy->Series.size(), 2u);
  EXPECT_DOUBLE_EQ(view.Accuracy->Series[1].Points.back().Y, 50) << "10 of 20 over A's two games";

  players.SelectRow(1);  // B never fired the railgun
  view = players.PageView();
  EXPECT_EQ(view.WeaponChoices, (std::vector<std::string>{"Всё оружие", "Shotgun"}));
  EXPECT_EQ(view.WeaponChoice, 0);
  EXPECT_EQ(view.Accuracy, &players.Page()->Accuracy);
  players.SelectRow(2);  // C did
  view = players.PageView();
  EXPECT_EQ(view.WeaponChoice, 1);
  EXPECT_EQ(view.Accuracy->Title, "Точность: Railgun, %");

  players.ChooseWeapon(0);
  players.SelectRow(0);
  EXPECT_EQ(players.PageView().WeaponChoice, 0);
  EXPECT_EQ(players.PageView().HeadingText, " — игр в журнале: 2");
  players.SetPeriod(PlayersPeriod::ThisWeek);
  EXPECT_EQ(players.PageView().HeadingText, " — игр в журнале за период «За эту неделю: 2026-12-07 — 2026-12-08»: 2")
      << "the page's figures are the period's";
}

}  // namespace
}  // namespace fragtally::testing
