// Head-to-head: two players' shared matches against hand-computed figures
// through the window's presenter (who placed higher, draws, frags, the last
// ten, the rating's chances adding up to 100%), the choosers across a
// refresh, and the main window's menu command with its two lists.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/main_window/form_session.h"
#include "app/main_window/ratings.h"
#include "app/matches/head_to_head.h"
#include "app/matches/head_to_head_session.h"
#include "files/journal_people.h"
#include "files/journal_read.h"
#include "recording_sink.h"
#include "journal_games.h"
#include "test_support.h"

namespace fragtally::testing {
namespace {

const std::string kMonday = "2026-03-02 21:00:00";
const std::string kSunday = "2026-03-01 20:00:00";

// "Игорь" as the game writes it: Windows-1251.
const std::string kIgor = "\xC8\xE3\xEE\xF0\xFC";

class HeadToHeadTest : public ::testing::Test {
 protected:
  HeadToHeadTest() {
    for (const std::string& name : {std::string("Ann"), std::string("Bob"), std::string("Cid"), kIgor})
      table.PlayerName[++table.PlayerCount] = name;
    // The later session first in the journal: the order played goes by the session's date.
    for (int k = 1; k <= 9; ++k) {  // Ann k frags, Bob 5: Bob higher 4 times, a draw, Ann higher 4 times
      journal.push_back(JournalGame(kMonday, k, k, "krmdm17", "Ann", k, kFragsOnly));
      journal.push_back(JournalGame(kMonday, k, k, "krmdm17", "Bob", 5, kFragsOnly));
    }
    const auto add = [&](std::int64_t match, const std::string& name, int frags) {
      journal.push_back(JournalGame(kSunday, match, match, match == 0 ? "" : "krmdm6", name, frags, kFragsOnly));
    };
    add(0, "Ann", 1), add(0, "Bob", 20);                      // older lines: no match
    add(1, "Ann", 10), add(1, "Bob", 5), add(1, "Cid", 7);    // Ann 1st, Bob 3rd
    add(2, "Ann", 3), add(2, "Bob", 3);                       // a draw
    add(3, "Bob", 8), add(3, "Cid", 2);                       // Ann not there
    add(4, "Ann", 0), add(4, "Bob", 4), add(4, "Cid", 4);     // Bob 1st (shared), Ann 3rd
    add(5, "Ann", 6), add(5, "Cid", 1);                       // Bob not there
    add(6, "Ann", 9), add(6, "Bob", 5), add(6, "Ann", 1);     // Ann twice: her better game counts
    add(7, kIgor, 3), add(7, "Cid", 3);
    session.Refresh(table, SnapshotMatches(journal));
  }

  const std::array<std::string, 3>& Row(std::size_t figure) const { return session.View().Figures.at(figure); }

  PlayerTable table;
  std::vector<JournalMatch> journal;
  HeadToHeadSession session{","};
};

TEST_F(HeadToHeadTest, FiguresOfTwoPlayersAgreeWithHandComputedOnes) {
  session.Choose(1, 2);  // Ann, Bob
  const HeadToHeadView& view = session.View();
  // Shared: Sunday's 1, 2, 4, 6 and Monday's nine.
  EXPECT_EQ(view.Heading, "Общих матчей в журнале: 13");
  EXPECT_EQ(view.FigureColumns, (std::array<std::string, 3>{"", "Ann", "Bob"}));
  ASSERT_EQ(view.Figures.size(), kHeadToHeadFigureCaptions.size());
  EXPECT_EQ(Row(0), (std::array<std::string, 3>{"Место выше соперника", "6", "5"}));
  EXPECT_EQ(Row(1), (std::array<std::string, 3>{"Ничьих (одно место)", "2", "2"}));
  // Ann 10 + 3 + 0 + 9 + 45, Bob 5 + 3 + 4 + 5 + 45; per match 67 / 13 = 5,153..., 62 / 13 = 4,769...
  EXPECT_EQ(Row(2), (std::array<std::string, 3>{"Фрагов в общих матчах", "67", "62"}));
  EXPECT_EQ(Row(3), (std::array<std::string, 3>{"Фрагов за общий матч", "5,15", "4,77"}));

  // The rating after every match of the journal, and its chance, in tenths of a per cent adding up to 100.
  const std::shared_ptr<const MatchSnapshot> snapshot = SnapshotMatches(journal);
  std::uint32_t ann = 0, bob = 0;
  ASSERT_TRUE(snapshot->People.Find("Ann", ann) && snapshot->People.Find("Bob", bob));
  const SkillRating ann_rating = RatingOf(snapshot->Ratings, ann), bob_rating = RatingOf(snapshot->Ratings, bob);
  EXPECT_EQ(Row(4)[1], FixedPointText(std::llround(ShownSkill(ann_rating) * 100), 2, ","));
  EXPECT_EQ(Row(4)[2], FixedPointText(std::llround(ShownSkill(bob_rating) * 100), 2, ","));
  const std::int64_t ann_tenths = std::llround(ChanceToPlaceHigher(ann_rating, bob_rating).First * 1000);
  EXPECT_EQ(Row(5)[0], "Шанс занять место выше в следующей встрече");
  EXPECT_EQ(Row(5)[1], FixedPointText(ann_tenths, 1, ",") + " %");
  EXPECT_EQ(Row(5)[2], FixedPointText(1000 - ann_tenths, 1, ",") + " %");
  EXPECT_NE(Row(5)[1], "50,0 %");  // they did meet: the rating tells them apart

  // The last ten, newest first: Monday's nine, then Sunday's sixth (3 games: Ann twice).
  EXPECT_EQ(view.MatchColumns, (std::array<std::string, 7>{"Сессия", "Матч", "Карта", "Место: Ann", "Фрагов: Ann",
                                                           "Место: Bob", "Фрагов: Bob"}));
  ASSERT_EQ(view.Matches.size(), 10u);
  EXPECT_EQ(view.Matches[0], (std::array<std::string, 7>{kMonday, "9", "krmdm17", "1 из 2", "9", "2 из 2", "5"}));
  EXPECT_EQ(view.Matches[4], (std::array<std::string, 7>{kMonday, "5", "krmdm17", "1 из 2", "5", "1 из 2", "5"}));
  EXPECT_EQ(view.Matches[8], (std::array<std::string, 7>{kMonday, "1", "krmdm17", "2 из 2", "1", "1 из 2", "5"}));
  EXPECT_EQ(view.Matches[9], (std::array<std::string, 7>{kSunday, "6", "krmdm6", "1 из 3", "9", "2 из 3", "5"}));

  // The other way round, everything swaps.
  session.Choose(2, 1);
  EXPECT_EQ(Row(0), (std::array<std::string, 3>{"Место выше соперника", "5", "6"}));
  EXPECT_EQ(Row(3), (std::array<std::string, 3>{"Фрагов за общий матч", "4,77", "5,15"}));
  EXPECT_EQ(Row(5)[1], FixedPointText(1000 - ann_tenths, 1, ",") + " %");
  EXPECT_EQ(session.View().Matches[9][3], "2 из 3");
}

TEST_F(HeadToHeadTest, ChancesAddUpToAHundredAsShown) {
  // Whatever the two ratings, the shown chances add up to exactly 100,0 %.
  for (int first = 1; first <= 4; ++first)
    for (int second = 1; second <= 4; ++second) {
      if (first == second) continue;
      session.Choose(first, second);
      const auto tenths = [&](std::size_t p) {
        std::string text = Row(5)[p];
        EXPECT_EQ(text.substr(text.size() - 2), " %");
        text.erase(text.size() - 2);
        const std::size_t comma = text.find(',');
        return std::stoll(text.substr(0, comma)) * 10 + std::stoll(text.substr(comma + 1));
      };
      EXPECT_EQ(tenths(1) + tenths(2), 1000) << first << " " << second;
    }
}

TEST_F(HeadToHeadTest, WithoutSharedMatchesOrTwoPlayersTheWindowSaysSo) {
  session.Choose(1, 4);  // Ann and Igor never met; Igor's name is decoded
  EXPECT_EQ(session.View().Heading, "В журнале нет матчей, которые они сыграли вместе.");
  EXPECT_EQ(session.View().FigureColumns[2], "Игорь");
  EXPECT_EQ(session.View().MatchColumns[6], "Фрагов: Игорь");
  EXPECT_EQ(session.Entries()[3], "Игорь");
  EXPECT_EQ(Row(0), (std::array<std::string, 3>{"Место выше соперника", "0", "0"}));
  EXPECT_EQ(Row(3), (std::array<std::string, 3>{"Фрагов за общий матч", "—", "—"}));
  EXPECT_TRUE(session.View().Matches.empty());

  for (const std::array<int, 2> pair : {std::array{2, 2}, std::array{0, 2}, std::array{3, 0}, std::array{1, 5}}) {
    session.Choose(pair[0], pair[1]);
    EXPECT_FALSE(session.TwoChosen());
    EXPECT_EQ(session.View().Heading, "Выберите двух разных игроков.");
    EXPECT_TRUE(session.View().Figures.empty());
    EXPECT_TRUE(session.View().Matches.empty());
  }
  EXPECT_EQ(session.ChosenEntry(0), 0);
  EXPECT_EQ(session.ChosenEntry(1), -1);  // slot 5 does not exist
}

TEST_F(HeadToHeadTest, ChoosersKeepTheirPlayersUntilTheSlotIsGone) {
  // From the Players window: the first is its player, the second stays unless it is the same.
  session.Choose(1, 2);
  session.ChooseFirst(3);
  EXPECT_EQ(session.ChosenEntry(0), 2);
  EXPECT_EQ(session.ChosenEntry(1), 1);
  session.ChooseFirst(2);
  EXPECT_EQ(session.ChosenEntry(0), 1);
  EXPECT_EQ(session.ChosenEntry(1), -1);
  session.ChooseEntry(1, 3);
  EXPECT_TRUE(session.TwoChosen());
  EXPECT_EQ(session.View().FigureColumns[2], "Игорь");

  // A refresh with the same players keeps the entries; an undo that took Igor away drops him.
  EXPECT_FALSE(session.Refresh(table, SnapshotMatches(journal)));
  EXPECT_TRUE(session.TwoChosen());
  table.PlayerName[4].clear();
  table.PlayerCount = 3;
  EXPECT_TRUE(session.Refresh(table, SnapshotMatches(journal)));
  EXPECT_EQ(session.Entries().size(), 3u);
  EXPECT_EQ(session.ChosenEntry(0), 1);
  EXPECT_EQ(session.ChosenEntry(1), -1);
  EXPECT_EQ(session.View().Heading, "Выберите двух разных игроков.");
}

TEST_F(HeadToHeadTest, AJoinedNameCountsAsItsPerson) {
  // Igor's name joined to Cid: against Ann he is Cid (Sunday's 1, 4 and 5), and Cid against Igor is one person.
  JournalHistory history{journal, {}};
  ApplyPeopleChange(history.People, {PeopleAction::Join, "2026-12-08 12:00:00", kIgor, "Cid", 0});
  session.Refresh(table, SnapshotMatches(history));
  session.Choose(1, 4);
  EXPECT_EQ(session.View().Heading, "Общих матчей в журнале: 3");
  const HeadToHeadView as_igor = session.View();
  session.Choose(1, 3);
  EXPECT_EQ(session.View().Figures, as_igor.Figures);
  session.Choose(3, 4);
  EXPECT_EQ(session.View().Heading, "Выберите двух разных игроков.");
  EXPECT_TRUE(session.View().Figures.empty());
}

TEST_F(HeadToHeadTest, ANameWithoutGamesMeetsNobodyAndRatesAsANewcomer) {
  // Dan is in the statistics file and in no match of the journal.
  table.PlayerName[++table.PlayerCount] = "Dan";
  session.Refresh(table, SnapshotMatches(journal));
  session.Choose(1, 5);
  const HeadToHeadView never_played = session.View();
  EXPECT_EQ(never_played.Heading, "В журнале нет матчей, которые они сыграли вместе.");
  EXPECT_EQ(Row(0), (std::array<std::string, 3>{"Место выше соперника", "0", "0"}));
  EXPECT_EQ(Row(3), (std::array<std::string, 3>{"Фрагов за общий матч", "—", "—"}));
  EXPECT_EQ(Row(4)[2], "0,00");
  EXPECT_TRUE(never_played.Matches.empty());

  // His games undone: the reading still numbers him (its numbers only grow), his matches are gone.
  PersonIndex people;
  SkillCache skills;
  std::vector<JournalMatch> with_dan = journal;
  with_dan.push_back(JournalGame(kSunday, 1, 1, "krmdm6", "Dan", 6, kFragsOnly));
  with_dan.push_back(JournalGame(kSunday, 2, 2, "krmdm6", "Dan", 9, kFragsOnly));
  session.Refresh(table, SnapshotMatches(JournalHistory{with_dan, {}}, people, skills));
  session.Choose(1, 5);
  EXPECT_EQ(session.View().Heading, "Общих матчей в журнале: 2");
  session.Refresh(table, SnapshotMatches(JournalHistory{journal, {}}, people, skills));
  session.Choose(1, 5);
  EXPECT_EQ(session.View().Heading, never_played.Heading);
  EXPECT_EQ(session.View().Figures, never_played.Figures);

  // A number the snapshot's book does not hold (handed out after it was
  // made) is nobody of its matches: no rating of that place is his.
  MatchSnapshot snapshot(std::make_shared<const std::vector<JournalMatch>>(journal));
  PersonIndex index;
  snapshot.Book = BuildMatchBook(snapshot.Journal, index);
  SkillCache rated;
  rated.Update(snapshot.Book);
  snapshot.Ratings = rated.Ratings();
  snapshot.People = index;
  const std::uint32_t dan = snapshot.People.PersonOf("Dan");
  ASSERT_EQ(dan, snapshot.Book.ByPerson.size());
  snapshot.Ratings.People.resize(dan + 1, SkillRating{40.0, 2.0});
  const HeadToHead figures = BuildHeadToHead(snapshot, "Ann", "Dan");
  EXPECT_EQ(figures.Shared, 0);
  EXPECT_TRUE(figures.Last.empty());
  EXPECT_EQ(figures.Ratings[1].Mu, SkillRating{}.Mu);
  EXPECT_EQ(figures.Ratings[1].Sigma, SkillRating{}.Sigma);
  EXPECT_EQ(figures.Ratings[0].Mu, BuildHeadToHead(snapshot, "Ann", "Bob").Ratings[0].Mu);
}

// The main window's menu command opens the window for its two lists' players, or says why not.
class MenuWindowSpy : public MenuWindow {
 public:
  void ShowPlayers() override {}
  void ShowHeadToHead(int first_slot, int second_slot) override { shown.push_back({first_slot, second_slot}); }
  std::optional<std::string> ChooseExportFile(const ExportOffer&) override { return std::nullopt; }
  CsvFormat UserCsvFormat() override { return {}; }
  std::vector<std::array<int, 2>> shown;
};
class QuietView : public FormView {
 public:
  void Apply(const ViewDelta&) override {}
  void SetBusy(bool) override {}
  void LoadPanelPictures(const std::string&) override {}
};

TEST(HeadToHeadMenu, OpensForTheTwoChosenPlayersOrAsksForTwo) {
  TempDir dir;
  QuietView view;
  RecordingSink sink;
  FormSession form(view, sink, dir.path().string());
  MenuWindowSpy window;
  for (const std::array<int, 2> lists : {std::array{-1, -1}, std::array{0, -1}, std::array{-1, 1}, std::array{2, 2}}) {
    form.state().Combo1.ListIndex = lists[0];
    form.state().Combo2.ListIndex = lists[1];
    form.Menu(MenuCommand::HeadToHead, window);
  }
  EXPECT_TRUE(window.shown.empty());
  ASSERT_EQ(sink.messages.size(), 4u);
  EXPECT_EQ(sink.messages[0].title, "Личные встречи");
  EXPECT_EQ(sink.messages[0].text,
            "Выберите двух разных игроков в списках главного окна: первого слева, второго справа.");
  form.state().Combo1.ListIndex = 2;
  form.state().Combo2.ListIndex = 0;
  form.Menu(MenuCommand::HeadToHead, window);
  EXPECT_EQ(window.shown, (std::vector<std::array<int, 2>>{{3, 1}}));
  EXPECT_EQ(sink.messages.size(), 4u);
}

}  // namespace
}  // namespace fragtally::testing
