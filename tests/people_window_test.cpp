// The Players window's people: merged names as one row with their figures
// summed, a split, hidden and shown names, the minimum of matches to be
// ranked, names that look alike, the page's names, and all of it after a
// restart and an undo of an import.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "app/matches/people.h"
#include "app/players_window/players_session.h"
#include "app/matches/match_view.h"
#include "files/journal.h"
#include "files/journal_read.h"
#include "files/paths.h"
#include "files/settings_file.h"
#include "files/store.h"
#include "test_support.h"

namespace fragtally {
namespace {

using testing::CrLf;
using testing::Lines;
using testing::MatchBlock;
using testing::WriteFile;

const std::string kSession = "--- Fs_startup : Sun Dec 06 20:00:00 2026";
const std::string kWolfUtf8 = "\xD0\x92\xD0\xBE\xD0\xBB\xD0\xBA";  // Волк
const std::string kWolf1251 = "\xC2\xEE\xEB\xEA";

class PeopleWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadSettings(*state_); }

  // Three matches: Tarn 5, Nika 3, T4rn 2; Nika 4, T4rn 1; Tarn 6, Nika 1.
  std::vector<std::string> Evening() {
    return Lines({{kSession}, MatchBlock("Tarn", 5), MatchBlock("T4rn", 2), MatchBlock("Nika", 3), {"chat"},
                  MatchBlock("T4rn", 1), MatchBlock("Nika", 4), {"chat"}, MatchBlock("Tarn", 6),
                  MatchBlock("Nika", 1)});
  }
  void Import(const std::vector<std::string>& log) {
    WriteFile(dir_.path() / "basekrm" / "LOG.txt", CrLf(log));
    testing::PressImport(*state_, sink_);
  }
  void Open() {
    session_ = PlayersSession(",");
    session_.ClickHeader(PlayersColumn::Name);  // names ascending
    session_.Open(*state_);
  }
  int RowOf(const std::string& name) const {
    for (int row = 0; row < session_.RowCount(); ++row)
      if (session_.model().Rows()[static_cast<std::size_t>(row)].Name == name) return row;
    return -1;
  }
  std::vector<std::string> Column(PlayersColumn column) const {
    std::vector<std::string> cells;
    for (int row = 0; row < session_.RowCount(); ++row) cells.push_back(session_.CellText(row, column));
    return cells;
  }
  std::string Cell(const std::string& name, PlayersColumn column) const {
    const int row = RowOf(name);
    return row >= 0 ? session_.CellText(row, column) : "(no row)";
  }

  testing::TempDir dir_;
  testing::CurrentFolder folder_{dir_.path()};
  std::unique_ptr<WindowState> state_ = testing::StateIn(dir_.path());
  testing::RecordingSink sink_;
  PlayersSession session_{","};
};

TEST_F(PeopleWindowTest, MergedNamesAreOneRowWithTheirFiguresSummedAndTheirNamesOnThePageUntilSplit) {
  Import(Evening());
  Open();
  ASSERT_EQ(Column(PlayersColumn::Name), (std::vector<std::string>{"Nika", "T4rn", "Tarn"}));
  const std::vector<std::string> kills_before = {Cell("T4rn", PlayersColumn::Kills), Cell("Tarn", PlayersColumn::Kills)};
  EXPECT_EQ(kills_before, (std::vector<std::string>{"3", "11"}));
  EXPECT_FALSE(session_.CanSplit(RowOf("Tarn")));

  const std::vector<int> chosen = {RowOf("T4rn"), RowOf("Tarn")};
  EXPECT_EQ(session_.MergeChoices(chosen), (std::vector<std::string>{"T4rn", "Tarn"}));
  ASSERT_TRUE(session_.Merge(*state_, sink_, chosen, "Tarn"));
  EXPECT_EQ(Column(PlayersColumn::Name), (std::vector<std::string>{"Nika", "Tarn"}));
  // Games and kills are the sums of both names; the first match, where both
  // played, is one match of the person, won at the better place.
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Games), "4");
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Kills), "14");
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Matches), "3");
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Wins), "2");
  EXPECT_EQ(Cell("Tarn", PlayersColumn::FragRating), "1,50");  // (14 frags - 8 deaths) / 4 games
  // Nika's places are against the person: second, first, second.
  EXPECT_EQ(Cell("Nika", PlayersColumn::Wins), "1");

  // The merged person stays chosen; the page has all four games and both names with their dates.
  ASSERT_EQ(session_.SelectedRow(), RowOf("Tarn"));
  const PlayersPageView view = session_.PageView();
  EXPECT_EQ(view.HeadingName, "Tarn");
  EXPECT_EQ(view.LastMatches.size(), 4u);
  ASSERT_EQ(view.Names.size(), 2u);
  EXPECT_EQ(view.Names[0], (std::vector<std::string>{"Tarn", "2026-12-06 20:00", "2026-12-06 20:00"}));
  EXPECT_EQ(view.Names[1][0], "T4rn");
  EXPECT_TRUE(session_.CanSplit(RowOf("Tarn")));

  // A program started afresh shows the same person.
  state_ = testing::StateIn(dir_.path());
  LoadSettings(*state_);
  OpenStore(*state_);
  Open();
  EXPECT_EQ(Column(PlayersColumn::Name), (std::vector<std::string>{"Nika", "Tarn"}));
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Games), "4");

  ASSERT_TRUE(session_.Split(*state_, sink_, RowOf("Tarn")));
  EXPECT_EQ(Column(PlayersColumn::Name), (std::vector<std::string>{"Nika", "T4rn", "Tarn"}));
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Kills), "11");
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Matches), "2");
  EXPECT_FALSE(session_.Split(*state_, sink_, RowOf("Tarn")));  // nothing left to split
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(PeopleWindowTest, AHiddenNameLeavesTheTableButStillPlacesOthersUntilShownAgain) {
  Import(Evening());
  Open();
  const std::string t4rn_wins = Cell("T4rn", PlayersColumn::Wins);
  ASSERT_TRUE(session_.Hide(*state_, sink_, {RowOf("Nika")}));
  EXPECT_EQ(Column(PlayersColumn::Name), (std::vector<std::string>{"T4rn", "Tarn"}));
  EXPECT_EQ(session_.HiddenNames(), (std::vector<std::string>{"Nika"}));
  // T4rn still lost the second match to Nika; Tarn still played three-player matches.
  EXPECT_EQ(Cell("T4rn", PlayersColumn::Wins), t4rn_wins);
  EXPECT_EQ(Cell("T4rn", PlayersColumn::Wins), "0");

  // A merged person hidden by its row takes its names along.
  ASSERT_TRUE(session_.Merge(*state_, sink_, {RowOf("T4rn"), RowOf("Tarn")}, "T4rn"));
  ASSERT_TRUE(session_.Hide(*state_, sink_, {RowOf("T4rn")}));
  EXPECT_EQ(session_.RowCount(), 0);
  EXPECT_EQ(session_.HiddenNames(), (std::vector<std::string>{"Nika", "T4rn"}));

  ASSERT_TRUE(session_.Show(*state_, sink_, "Nika"));
  ASSERT_TRUE(session_.Show(*state_, sink_, "T4rn"));
  EXPECT_EQ(Column(PlayersColumn::Name), (std::vector<std::string>{"Nika", "T4rn"}));
  EXPECT_TRUE(session_.HiddenNames().empty());
}

TEST_F(PeopleWindowTest, PeopleBelowTheMinimumComeAfterTheRankedOnesWithTheReason) {
  Import(Evening());
  Open();
  // Ten matches by default: nobody here has them, every row tells why.
  EXPECT_EQ(session_.RankMinimum(), 10);
  for (int row = 0; row < session_.RowCount(); ++row) {
    EXPECT_FALSE(session_.Ranked(row));
    EXPECT_NE(session_.RowNote(row).find("меньше 10 матчей"), std::string::npos) << session_.RowNote(row);
  }
  ASSERT_TRUE(session_.SetRankMinimum(*state_, sink_, 3));  // Nika has 3 matches, Tarn and T4rn 2 each
  session_.ClickHeader(PlayersColumn::Name);                 // names descending
  EXPECT_EQ(Column(PlayersColumn::Name), (std::vector<std::string>{"Nika", "Tarn", "T4rn"}));
  EXPECT_TRUE(session_.Ranked(0));
  EXPECT_EQ(session_.RowNote(0), "");
  EXPECT_EQ(session_.RowNote(1), "Не в рейтинге: меньше 3 матчей (матчей: 2)");
  EXPECT_EQ(BelowMinimumText(21), "меньше 21 матча");
  EXPECT_FALSE(session_.SetRankMinimum(*state_, sink_, 3));  // the same again: no line

  // The minimum is the journal's: a restart keeps it.
  state_ = testing::StateIn(dir_.path());
  LoadSettings(*state_);
  OpenStore(*state_);
  Open();
  EXPECT_EQ(session_.RankMinimum(), 3);
}

TEST_F(PeopleWindowTest, NamesThatLookAlikeAreMarkedWithTheirEncodings) {
  Import(Lines({{kSession}, MatchBlock(kWolfUtf8, 2), MatchBlock(kWolf1251, 3), MatchBlock("Tarn", 1)}));
  Open();
  std::vector<std::string> names = Column(PlayersColumn::Name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Tarn", kWolf1251 + " (Windows-1251)", kWolfUtf8 + " (UTF-8)"}));
  // Merged, they are one person with no mark.
  ASSERT_TRUE(session_.Merge(*state_, sink_, {RowOf(kWolfUtf8), RowOf(kWolf1251)}, kWolfUtf8));
  EXPECT_EQ(Cell(kWolfUtf8, PlayersColumn::Name), kWolfUtf8);
}

TEST_F(PeopleWindowTest, AnUndoneImportTakesAMergedNameOutOfThePersonAndAnotherBringsItBack) {
  const std::vector<std::string> first = Lines({{kSession}, MatchBlock("Tarn", 5), MatchBlock("Nika", 3)});
  Import(first);
  std::vector<std::string> both = first;
  for (const std::string& line : Lines({{"chat"}, MatchBlock("T4rn", 7), MatchBlock("Nika", 1)})) both.push_back(line);
  Import(both);
  Open();
  ASSERT_TRUE(session_.Merge(*state_, sink_, {RowOf("T4rn"), RowOf("Tarn")}, "Tarn"));
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Kills), "12");

  ASSERT_TRUE(CanUndoImport(*state_));
  ASSERT_TRUE(UndoImport(*state_, ReadImportToUndo(*state_)).Undone);
  session_.Refresh(*state_);
  EXPECT_EQ(Column(PlayersColumn::Name), (std::vector<std::string>{"Nika", "Tarn"}));
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Kills), "5");
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Matches), "1");
  EXPECT_EQ(session_.PageView().Names.size(), 1u);

  // The merge is kept: the name imported again joins the person at once.
  Import(both);
  session_.Refresh(*state_);
  EXPECT_EQ(Column(PlayersColumn::Name), (std::vector<std::string>{"Nika", "Tarn"}));
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Kills), "12");
  EXPECT_EQ(Cell("Tarn", PlayersColumn::Matches), "2");
}

TEST_F(PeopleWindowTest, TheListDialogsAskWhatTheyNeedAndTellWhenThereIsNothingToChoose) {
  Import(Evening());
  Open();
  std::vector<std::string> asked;
  std::optional<int> answer;  // cancelled
  const PlayersSession::NameChooser choose = [&](std::string_view title, std::string_view, std::string_view button,
                                                 const std::vector<std::string>& names) {
    asked = {std::string(title), std::string(button)};
    asked.insert(asked.end(), names.begin(), names.end());
    return answer;
  };
  EXPECT_FALSE(session_.MergeChosen(*state_, sink_, {RowOf("Nika")}, choose));
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages.back().text, kMergeTooFewText);
  EXPECT_TRUE(asked.empty());
  EXPECT_FALSE(session_.MergeChosen(*state_, sink_, {RowOf("Nika"), RowOf("Tarn")}, choose));  // cancelled
  EXPECT_EQ(asked, (std::vector<std::string>{std::string(kPeopleTexts.MergeTitle), std::string(kPeopleTexts.MergeButton),
                                             "Nika", "Tarn"}));
  EXPECT_EQ(session_.RowCount(), 3);
  answer = 1;
  ASSERT_TRUE(session_.MergeChosen(*state_, sink_, {RowOf("Nika"), RowOf("Tarn")}, choose));
  EXPECT_EQ(Column(PlayersColumn::Name), (std::vector<std::string>{"T4rn", "Tarn"}));

  EXPECT_FALSE(session_.ShowHiddenChosen(*state_, sink_, choose));
  ASSERT_EQ(sink_.messages.size(), 2u);
  EXPECT_EQ(sink_.messages.back().text, kPeopleTexts.NoHidden);
  ASSERT_TRUE(session_.Hide(*state_, sink_, {RowOf("T4rn")}));
  answer = 0;
  ASSERT_TRUE(session_.ShowHiddenChosen(*state_, sink_, choose));
  EXPECT_EQ(asked.back(), "T4rn");
  EXPECT_EQ(session_.RowCount(), 2);
}

// Each match's places and each person's rating, by shown name.
std::vector<std::string> PlacesAndRatings(const MatchSnapshot& snapshot) {
  std::vector<std::string> seen;
  for (const PlayedMatch& match : snapshot.Book.Matches) {
    std::string line;
    for (const Placing& placing : match.Placings()) {
      const std::string& name = snapshot.People.NameOf(placing.Person);
      line += name + " " + std::to_string(placing.Place) + " " +
              std::to_string(RatingOf(snapshot.Ratings, placing.Person).Mu) + "; ";
    }
    seen.push_back(line);
  }
  return seen;
}

TEST_F(PeopleWindowTest, AChangeOfPeopleTakenWithoutReadingTheJournalAgreesWithAFreshReading) {
  Import(Evening());
  Open();
  const auto fresh = [&] { return SnapshotMatches(ReadJournalHistory(JournalFilePath(*state_))); };
  const auto kept = [&] { return state_->Matches->Current(*state_); };
  const std::shared_ptr<const MatchSnapshot> before = kept();
  ASSERT_TRUE(session_.Merge(*state_, sink_, {RowOf("T4rn"), RowOf("Tarn")}, "Tarn"));
  const std::shared_ptr<const MatchSnapshot> merged = kept();
  EXPECT_EQ(merged->Blocks, before->Blocks);  // not read again
  EXPECT_EQ(PlacesAndRatings(*merged), PlacesAndRatings(*fresh()));
  ASSERT_TRUE(session_.Merge(*state_, sink_, {RowOf("Nika"), RowOf("Tarn")}, "Nika"));
  EXPECT_EQ(PlacesAndRatings(*kept()), PlacesAndRatings(*fresh()));
  ASSERT_TRUE(session_.Split(*state_, sink_, RowOf("Nika")));
  EXPECT_EQ(PlacesAndRatings(*kept()), PlacesAndRatings(*fresh()));
  EXPECT_EQ(PlacesAndRatings(*kept()), PlacesAndRatings(*before));
  ASSERT_TRUE(session_.Hide(*state_, sink_, {RowOf("Nika")}));
  EXPECT_EQ(kept()->Who.Hidden, fresh()->Who.Hidden);
  EXPECT_EQ(kept()->Blocks, before->Blocks);
}

}  // namespace
}  // namespace fragtally
