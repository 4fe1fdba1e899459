// The Players window's matches against hand-computed figures: each player's
// matches, wins, share of wins and skill in the table (all time and a
// period), the last games' places and maps, a match's scoreboard, the maps
// of a page, the skill chart, and an undo that takes rated matches back.

#include <gtest/gtest.h>

#include <cmath>

#include "app/players_window/players.h"
#include "app/players_window/players_session.h"
#include "journal_games.h"
#include "test_support.h"

namespace fragtally::testing {
namespace {

const std::string kFirst = "2026-12-01 20:00:00", kSecond = "2026-12-08 20:00:00";

// Alpha, Bravo and Charlie in the statistics file; Ghost is not. Hand-placed:
//   2026-12-01 match 1 on dm6:  Alpha 10 (1st), Bravo 5, Charlie 5 (both 2nd), Ghost 0 (4th)
//   2026-12-01 match 2 on dm17: Bravo 8 (1st), Alpha 3 (2nd)
//   2026-12-08 match 1 on dm6:  Alpha 7, Charlie 7 (both 1st), Bravo 1 (3rd)
// and an older block of Alpha's, journaled before matches were told apart.
class PlayersMatches : public ::testing::Test {
 protected:
  PlayersMatches() : state_(NewWindowState()), table_(state_->Table) {
    const char* names[] = {"Alpha", "Bravo", "Charlie"};
    for (int slot = 1; slot <= 3; ++slot) {
      table_.PlayerName[slot] = names[slot - 1];
      table_.GamesPlayed[slot] = 10 * slot;  // the games counter stays the table's own
    }
    table_.PlayerCount = 3;
    JournalMatch old = JournalGame("2026-11-01 20:00:00", 0, 0, "", "Alpha", 50);
    journal_ = {old,
                JournalGame(kFirst, 0, 1, "dm6", "Alpha", 10, {.RailgunShots = 10, .RailgunHits = 5}),
                JournalGame(kFirst, 0, 1, "dm6", "Bravo", 5),
                JournalGame(kFirst, 0, 1, "dm6", "Charlie", 5),
                JournalGame(kFirst, 0, 1, "dm6", "Ghost", 0),
                JournalGame(kFirst, 0, 2, "dm17", "Bravo", 8),
                JournalGame(kFirst, 0, 2, "dm17", "Alpha", 3, {.RailgunShots = 4, .RailgunHits = 1}),
                JournalGame(kSecond, 0, 1, "dm6", "Alpha", 7, {.RailgunShots = 6, .RailgunHits = 3}),
                JournalGame(kSecond, 0, 1, "dm6", "Charlie", 7),
                JournalGame(kSecond, 0, 1, "dm6", "Bravo", 1)};
  }

  // The journal as an import or undo leaves it: a snapshot rated by the same cache.
  std::shared_ptr<const MatchSnapshot> Snapshot(std::size_t blocks) {
    return SnapshotMatches(
        JournalHistory{std::vector<JournalMatch>(journal_.begin(), journal_.begin() + static_cast<std::ptrdiff_t>(blocks)), {}},
        people_, skills_);
  }

  // The skill shown after replaying `matches` (placings by person: Alpha 0, Bravo 1, Charlie 2, Ghost 3).
  static std::string SkillAfter(const std::vector<MatchPlacings>& matches, std::uint32_t person) {
    SkillRatings ratings;
    RateMatches(ratings, matches);
    const double hundredths = std::round(ShownSkill(RatingOf(ratings, person)) * 100);
    std::string text = std::to_string(static_cast<long long>(std::fabs(hundredths)) / 100) + ",";
    const long long rest = static_cast<long long>(std::fabs(hundredths)) % 100;
    return (hundredths < 0 ? "-" : "") + text + (rest < 10 ? "0" : "") + std::to_string(rest);
  }
  const MatchPlacings kMatch1{{0, 1}, {1, 2}, {2, 2}, {3, 4}}, kMatch2{{1, 1}, {0, 2}}, kMatch3{{0, 1}, {2, 1}, {1, 3}};

  std::vector<std::string> Figures(const PlayersWindowModel& model, int row) {
    std::vector<std::string> cells;
    for (PlayersColumn column : {PlayersColumn::Name, PlayersColumn::Games, PlayersColumn::Matches, PlayersColumn::Wins,
                                 PlayersColumn::WinShare, PlayersColumn::Skill})
      cells.push_back(model.CellText(row, column, ","));
    return cells;
  }

  std::unique_ptr<WindowState> state_;
  PlayerTable& table_;
  std::vector<JournalMatch> journal_;
  PersonIndex people_;
  SkillCache skills_;
};

TEST_F(PlayersMatches, TheTableCountsMatchesWinsTheShareAndTheSkillForAllTimeAndAPeriod) {
  PlayersWindowModel model;
  model.SortBy(PlayersColumn::Name, false);
  model.Refresh(table_, Snapshot(journal_.size()), DaysFromCivil(2026, 12, 8));
  const std::vector<MatchPlacings> all{kMatch1, kMatch2, kMatch3};
  EXPECT_EQ(Figures(model, 0), (std::vector<std::string>{"Alpha", "10", "3", "2", "66,67", SkillAfter(all, 0)}));
  EXPECT_EQ(Figures(model, 1), (std::vector<std::string>{"Bravo", "20", "3", "1", "33,33", SkillAfter(all, 1)}));
  EXPECT_EQ(Figures(model, 2), (std::vector<std::string>{"Charlie", "30", "2", "1", "50,00", SkillAfter(all, 2)}));

  // The evening of December 1st (the 8th is after "today"): the rating as it stood after each one's last match then.
  model.Refresh(table_, Snapshot(journal_.size()), DaysFromCivil(2026, 12, 1));
  model.SetPeriod(PlayersPeriod::LastEvening);
  ASSERT_EQ(model.Rows().size(), 3u);
  EXPECT_EQ(Figures(model, 0), (std::vector<std::string>{"Alpha", "2", "2", "1", "50,00", SkillAfter({kMatch1, kMatch2}, 0)}));
  EXPECT_EQ(Figures(model, 1), (std::vector<std::string>{"Bravo", "2", "2", "1", "50,00", SkillAfter({kMatch1, kMatch2}, 1)}));
  EXPECT_EQ(Figures(model, 2), (std::vector<std::string>{"Charlie", "1", "1", "0", "0,00", SkillAfter({kMatch1}, 2)}));
  EXPECT_NE(SkillAfter({kMatch1, kMatch2}, 0), SkillAfter(all, 0));  // the period's rating is not today's

  // Sorted by skill, highest first; a player without a match has no skill and comes last.
  table_.PlayerName[4] = "Delta";
  table_.PlayerCount = 4;
  model.SetPeriod(PlayersPeriod::AllTime);
  model.ClickHeader(PlayersColumn::Skill);
  EXPECT_TRUE(model.SortDescending());
  ASSERT_EQ(model.Rows().size(), 4u);
  EXPECT_EQ(model.Rows()[3].Name, "Delta");
  EXPECT_EQ(model.CellText(3, PlayersColumn::Skill, ","), "");
  EXPECT_EQ(model.CellText(3, PlayersColumn::WinShare, ","), "");
  for (int row = 0; row + 1 < 3; ++row) EXPECT_GE(*model.Rows()[row].Skill, *model.Rows()[row + 1].Skill);
}

TEST_F(PlayersMatches, ThePageShowsPlacesMapsTheSkillChartAndTheChosenMatchsScoreboard) {
  PlayersSession session(",");
  session.ClickHeader(PlayersColumn::Name);
  session.Show(table_, Snapshot(journal_.size()), DaysFromCivil(2026, 12, 8));
  const PlayersWindowModel& model = session.model();
  session.SelectRow(0);  // Alpha
  PlayersPageView view = session.PageView();

  ASSERT_EQ(view.LastMatches.size(), 4u);  // newest first, in the journal's order
  const auto columns = [&](const std::vector<std::string>& cells) {
    return std::vector<std::string>(cells.begin(), cells.begin() + 5);
  };
  EXPECT_EQ(columns(view.LastMatches[0]), (std::vector<std::string>{kSecond, "1", "dm6", "1 из 3", "7"}));
  EXPECT_EQ(columns(view.LastMatches[1]), (std::vector<std::string>{kFirst, "2", "dm17", "2 из 2", "3"}));
  EXPECT_EQ(columns(view.LastMatches[2]), (std::vector<std::string>{kFirst, "1", "dm6", "1 из 4", "10"}));
  EXPECT_EQ(columns(view.LastMatches[3]), (std::vector<std::string>{"2026-11-01 20:00:00", "", "", "", "50"}));

  // The newest game's match is chosen at first: every player of it, best first, a tie in the order read.
  EXPECT_EQ(view.ChosenMatch, 0);
  EXPECT_EQ(view.ScoreboardTitle, "Матч 1, " + kSecond + ", карта dm6");
  ASSERT_EQ(view.Scoreboard.size(), 3u);
  EXPECT_EQ(view.Scoreboard[0], (std::vector<std::string>{"1", "Alpha", "7", "8", "2", "50,00", "700", "50"}));
  EXPECT_EQ(view.Scoreboard[1], (std::vector<std::string>{"1", "Charlie", "7", "8", "2", "", "700", "50"}));
  EXPECT_EQ(view.Scoreboard[2], (std::vector<std::string>{"3", "Bravo", "1", "2", "2", "", "100", "50"}));

  session.SelectMatch(2);
  view = session.PageView();
  EXPECT_EQ(view.ScoreboardTitle, "Матч 1, " + kFirst + ", карта dm6");
  ASSERT_EQ(view.Scoreboard.size(), 4u);
  EXPECT_EQ(view.Scoreboard[3][0], "4");
  EXPECT_EQ(view.Scoreboard[3][1], "Ghost");  // not in the statistics file, yet in the match
  session.SelectMatch(3);  // the older block: no match to show
  view = session.PageView();
  EXPECT_EQ(view.ScoreboardTitle, kPlayersWindowTexts.NoMatch);
  EXPECT_TRUE(view.Scoreboard.empty());
  session.SelectMatch(-1);
  EXPECT_EQ(session.PageView().ScoreboardTitle, kPlayersWindowTexts.NoScoreboard);

  // Maps: dm6 twice, both won, (10 + 7) / 2 frags, (5 + 3) / (10 + 6) hits; dm17 once.
  ASSERT_EQ(view.Maps.size(), 2u);
  EXPECT_EQ(view.Maps[0], (std::vector<std::string>{"dm6", "2", "2", "8,50", "50,00"}));
  EXPECT_EQ(view.Maps[1], (std::vector<std::string>{"dm17", "1", "0", "3,00", "25,00"}));

  // The skill after each of the three matches, ending where the table's cell does.
  ASSERT_NE(view.Skill, nullptr);
  const std::vector<ChartPoint>& points = view.Skill->Series.at(0).Points;
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[2].X, 3);
  EXPECT_DOUBLE_EQ(points[2].Y, *model.Rows()[0].Skill);

  // A player whose games all have no match: no skill chart, no maps, no scoreboard.
  session.Show(table_, Snapshot(1), DaysFromCivil(2026, 12, 8));
  session.SelectRow(0);
  view = session.PageView();
  EXPECT_EQ(view.Skill, nullptr);
  EXPECT_TRUE(view.Maps.empty());
  EXPECT_EQ(view.ChosenMatch, -1);
}

TEST_F(PlayersMatches, AnUndoTakesItsRatedMatchesBackOutOfTheTableAndAnImportPutsThemBack) {
  PlayersWindowModel model;
  model.SortBy(PlayersColumn::Name, false);
  const DayNumber today = DaysFromCivil(2026, 12, 8);
  model.Refresh(table_, Snapshot(journal_.size()), today);
  const std::vector<std::string> before = Figures(model, 0);

  // The undo of the import that added December 8th's match.
  model.Refresh(table_, Snapshot(7), today);
  EXPECT_EQ(Figures(model, 0), (std::vector<std::string>{"Alpha", "10", "2", "1", "50,00", SkillAfter({kMatch1, kMatch2}, 0)}));
  EXPECT_EQ(Figures(model, 2), (std::vector<std::string>{"Charlie", "30", "1", "0", "0,00", SkillAfter({kMatch1}, 2)}));
  EXPECT_EQ(model.Page(0, ",").Skill.Series.at(0).Points.size(), 2u);
  EXPECT_EQ(skills_.LastRated(), 2u);  // back to the saved state at the start, the two matches rated again

  model.Refresh(table_, Snapshot(journal_.size()), today);
  EXPECT_EQ(Figures(model, 0), before);
}

}  // namespace
}  // namespace fragtally::testing
