// Who is who: people's names merged and split, hidden and shown, kept in the
// journal across restarts and undos, and what the matches make of them.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/main_window/ratings.h"
#include "app/matches/match_view.h"
#include "app/matches/people.h"
#include "files/journal.h"
#include "files/paths.h"
#include "files/settings_file.h"
#include "files/store.h"
#include "test_support.h"

namespace fragtally {
namespace {

namespace fs = std::filesystem;
using testing::CrLf;
using testing::Lines;
using testing::MatchBlock;
using testing::WriteFile;

PeopleChange Join(const std::string& name, const std::string& person) {
  return {PeopleAction::Join, "2026-12-08 12:00:00", name, person, 0};
}
PeopleChange Of(PeopleAction action, const std::string& name) { return {action, "2026-12-08 12:00:00", name, "", 0}; }

TEST(PeopleBook, JoinsTakeWholePeopleAlongAndASplitGivesEveryNameBack) {
  PeopleBook book;
  for (const PeopleChange& change : {Join("T4rn", "Tarn"), Join("[cl]Tarn", "T4rn"), Join("Грач_pro", "Грач"),
                                     Join("Грач", "Tarn")})
    ApplyPeopleChange(book, change);
  // A name of a person stands for the person; a shown name that joins brings its names.
  for (const char* name : {"Tarn", "T4rn", "[cl]Tarn", "Грач", "Грач_pro"}) EXPECT_EQ(book.PersonOf(name), "Tarn") << name;
  EXPECT_EQ(book.OtherNames("Tarn"), (std::vector<std::string>{"T4rn", "[cl]Tarn", "Грач", "Грач_pro"}));
  EXPECT_EQ(book.PersonOf("Nika"), "Nika");

  ApplyPeopleChange(book, Of(PeopleAction::Split, "T4rn"));  // any name of the person splits it
  for (const char* name : {"Tarn", "T4rn", "[cl]Tarn", "Грач", "Грач_pro"}) EXPECT_EQ(book.PersonOf(name), name);

  ApplyPeopleChange(book, Of(PeopleAction::Hide, "bot1"));
  ApplyPeopleChange(book, Of(PeopleAction::Hide, "bot2"));
  ApplyPeopleChange(book, Of(PeopleAction::Show, "bot1"));
  EXPECT_EQ(book.Hidden, (std::unordered_set<std::string>{"bot2"}));
  EXPECT_EQ(book.RankMinimum, kDefaultRankMinimum);
  ApplyPeopleChange(book, {PeopleAction::Minimum, "2026-12-08 12:00:00", "", "", 3});
  EXPECT_EQ(book.RankMinimum, 3);
}

TEST(PeopleBook, LinesReadBackAndOddOnesAreSkipped) {
  for (const PeopleChange& change : {Join("a\tb\\c", "Tarn"), Of(PeopleAction::Split, "Tarn"),
                                     Of(PeopleAction::Hide, "bot\n"), Of(PeopleAction::Show, "bot"),
                                     PeopleChange{PeopleAction::Minimum, "2026-12-08 12:00:00", "", "", 25}}) {
    std::string text = PeopleLineText(change);
    ASSERT_TRUE(text.ends_with("\r\n"));
    text.resize(text.size() - 2);
    PeopleChange back;
    ASSERT_TRUE(ParsePeopleLine(text, back)) << text;
    EXPECT_EQ(back.Action, change.Action);
    EXPECT_EQ(back.Name, change.Name);
    EXPECT_EQ(back.Person, change.Person);
    EXPECT_EQ(back.Minimum, change.Minimum);
  }
  PeopleChange back;
  for (const char* odd : {"P\t2026-12-08 12:00:00\trename\tA\tB", "P\t2026-12-08 12:00:00\tjoin\tA",
                          "P\t2026-12-08 12:00:00\tjoin\t\tB", "P\t2026-12-08 12:00:00\tminimum\t-1",
                          "P\t2026-12-08 12:00:00\thide\tA\t!"})
    EXPECT_FALSE(ParsePeopleLine(odd, back)) << odd;
}

class PeopleStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadSettings(*state_); }
  void WriteLog(const std::vector<std::string>& lines) {
    WriteFile(dir_.path() / "basekrm" / "LOG.txt", CrLf(lines));
  }
  std::shared_ptr<const MatchSnapshot> Snapshot() { return state_->Matches->Current(*state_); }

  testing::TempDir dir_;
  testing::CurrentFolder folder_{dir_.path()};
  std::unique_ptr<WindowState> state_ = testing::StateIn(dir_.path());
  testing::RecordingSink sink_;
};

TEST_F(PeopleStoreTest, MergesSurviveARestartAndAnUndoAndTwoNamesInOneMatchCountOnceAtTheBetterPlace) {
  const std::string s1 = "--- Fs_startup : Sun Dec 06 20:00:00 2026";
  WriteLog(Lines({{s1}, MatchBlock("Tarn", 5), MatchBlock("T4rn", 2), MatchBlock("Nika", 3), {"chat"},
                  MatchBlock("T4rn", 1), MatchBlock("Nika", 4)}));
  testing::PressImport(*state_, sink_);
  ASSERT_TRUE(CommitPeopleChange(*state_, Join("T4rn", "Tarn")).Saved);
  ASSERT_TRUE(CommitPeopleChange(*state_, Of(PeopleAction::Hide, "Nika")).Saved);

  // Read again by a program started afresh, whose undo still finds the import.
  std::unique_ptr<WindowState> restarted = testing::StateIn(dir_.path());
  OpenStore(*restarted);
  EXPECT_TRUE(CanUndoImport(*restarted));
  const std::shared_ptr<const MatchSnapshot> snapshot = restarted->Matches->Current(*restarted);
  EXPECT_EQ(snapshot->Who.PersonOf("T4rn"), "Tarn");
  EXPECT_TRUE(snapshot->Who.Hidden.contains("Nika"));
  const MatchBook& book = snapshot->Book;
  ASSERT_EQ(book.Matches.size(), 2u);
  std::uint32_t tarn = 0, nika = 0;
  ASSERT_TRUE(snapshot->People.Find("Tarn", tarn));
  ASSERT_TRUE(snapshot->People.Find("Nika", nika));
  std::uint32_t none = 0;
  EXPECT_FALSE(snapshot->People.Find("T4rn", none));  // a name of a person is no person by itself
  // The first match: Tarn 5, Nika 3, T4rn 2: the person is first, once.
  EXPECT_EQ(book.Matches[0].Placings(), (MatchPlacings{{tarn, 1}, {nika, 2}}));
  EXPECT_EQ(book.Matches[1].Placings(), (MatchPlacings{{nika, 1}, {tarn, 2}}));
  EXPECT_EQ(TallyGames(book, book.ByPerson[tarn]).Wins, 1);
  // The person's games are both names' games.
  EXPECT_EQ(book.ByPerson[tarn].size(), 3u);

  // The ratings are those of the journal with the names replaced by the person's.
  std::vector<JournalMatch> renamed = snapshot->Journal;
  for (JournalMatch& block : renamed)
    if (block.Name == "T4rn") block.Name = "Tarn";
  const std::shared_ptr<const MatchSnapshot> plain = SnapshotMatches(renamed);
  std::uint32_t plain_tarn = 0;
  ASSERT_TRUE(plain->People.Find("Tarn", plain_tarn));
  EXPECT_EQ(RatingOf(snapshot->Ratings, tarn).Mu, RatingOf(plain->Ratings, plain_tarn).Mu);
  EXPECT_EQ(RatingOf(snapshot->Ratings, tarn).Sigma, RatingOf(plain->Ratings, plain_tarn).Sigma);

  // An undo of the import leaves the people as they were, with no match.
  const ImportToUndo undo = ReadImportToUndo(*restarted);
  ASSERT_EQ(undo.Refused, ImportToUndo::Problem::None);
  ASSERT_TRUE(UndoImport(*restarted, undo).Undone);
  const std::shared_ptr<const MatchSnapshot> after = restarted->Matches->Current(*restarted);
  EXPECT_TRUE(after->Book.Matches.empty());
  EXPECT_EQ(after->Who.PersonOf("T4rn"), "Tarn");
}

TEST_F(PeopleStoreTest, AChangeIsSeenAtOnceAndARefusedOneChangesNothing) {
  WriteLog(Lines({{"--- Fs_startup : Sun Dec 06 20:00:00 2026"}, MatchBlock("A", 1), MatchBlock("B", 2)}));
  testing::PressImport(*state_, sink_);
  EXPECT_EQ(Snapshot()->Book.Matches[0].Placings().size(), 2u);
  ASSERT_TRUE(CommitPeopleChange(*state_, Join("A", "B")).Saved);
  EXPECT_EQ(Snapshot()->Book.Matches[0].Placings().size(), 1u);  // read again after the change

  // A journal that cannot be written: nothing changes, and the failure names it.
  const fs::path journal = dir_.path() / "basekrm" / "Matches.txt";
  fs::remove(journal);
  fs::create_directory(journal);
  const PeopleOutcome refused = CommitPeopleChange(*state_, Of(PeopleAction::Split, "B"));
  EXPECT_FALSE(refused.Saved);
  EXPECT_NE(refused.Failure.Path.find("Matches.txt"), std::string::npos);
}

TEST_F(PeopleStoreTest, TheOrganisersCommandsMergeSplitHideAndTellWhatFailed) {
  WriteLog(Lines({{"--- Fs_startup : Sun Dec 06 20:00:00 2026"}, MatchBlock("A", 1), MatchBlock("B", 2),
                  MatchBlock("C", 3)}));
  testing::PressImport(*state_, sink_);
  EXPECT_FALSE(MergeNames(*state_, sink_, {"A"}, "A"));
  EXPECT_EQ(sink_.messages.back().text, kMergeTooFewText);
  EXPECT_FALSE(MergeNames(*state_, sink_, {"A", "B"}, "C"));  // the shown name must be one of them
  ASSERT_TRUE(MergeNames(*state_, sink_, {"A", "B", "C"}, "B"));
  EXPECT_EQ(Snapshot()->Book.Matches[0].Placings().size(), 1u);
  EXPECT_EQ(Snapshot()->Who.OtherNames("B"), (std::vector<std::string>{"A", "C"}));
  ASSERT_TRUE(SplitPerson(*state_, sink_, "B"));
  EXPECT_EQ(Snapshot()->Book.Matches[0].Placings().size(), 3u);
  ASSERT_TRUE(HideName(*state_, sink_, "C"));
  EXPECT_TRUE(Snapshot()->Who.Hidden.contains("C"));
  ASSERT_TRUE(ShowName(*state_, sink_, "C"));
  ASSERT_TRUE(SetRankMinimum(*state_, sink_, 3));
  EXPECT_TRUE(Snapshot()->Who.Hidden.empty());
  EXPECT_EQ(Snapshot()->Who.RankMinimum, 3);

  const fs::path journal = dir_.path() / "basekrm" / "Matches.txt";
  fs::rename(journal, dir_.path() / "kept");
  fs::create_directory(journal);
  const std::size_t before = sink_.messages.size();
  EXPECT_FALSE(HideName(*state_, sink_, "A"));
  ASSERT_EQ(sink_.messages.size(), before + 1);
  EXPECT_EQ(sink_.messages.back().icon, MessageIcon::Error);
  EXPECT_NE(sink_.messages.back().text.find("Matches.txt"), std::string::npos);
  EXPECT_NE(sink_.messages.back().text.find("Всё осталось как было."), std::string::npos);
}

TEST(LookAlikeNames, TheSameLettersInTwoEncodingsAreMarkedWithTheirs) {
  const std::string wolf_utf8 = "\xD0\x92\xD0\xBE\xD0\xBB\xD0\xBA";  // Волк
  const std::string wolf_1251 = "\xC2\xEE\xEB\xEA";
  const auto alike = LookAlikeNames({wolf_utf8, "Tarn", wolf_1251, "T4rn", "Nika"});
  ASSERT_EQ(alike.size(), 2u);
  EXPECT_EQ(alike.at(wolf_utf8), "UTF-8");
  EXPECT_EQ(alike.at(wolf_1251), "Windows-1251");
}

}  // namespace
}  // namespace fragtally
