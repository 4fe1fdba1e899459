// Matches as the log and the journal give them: the grouping of blocks into
// matches, the map, places and wins, an older journal, and the skill
// ratings' cache against a full replay.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/main_window/ratings.h"
#include "app/matches/match_book.h"
#include "files/journal.h"
#include "files/paths.h"
#include "files/settings_file.h"
#include "test_support.h"

namespace fragtally {
namespace {

namespace fs = std::filesystem;
using testing::CrLf;
using testing::Lines;
using testing::MatchBlock;
using testing::ReadFile;
using testing::WriteFile;

const std::string kS1 = "--- Fs_startup : Sun Dec 06 20:00:00 2026";
const std::string kS2 = "--- Fs_startup : Mon Dec 07 21:15:03 2026";

// A match's players as "name:place", best first.
std::vector<std::string> Players(const PlayedMatch& match) {
  std::vector<std::string> players;
  for (const MatchGame& game : match.Games) players.push_back(game.Block->Name + ":" + std::to_string(game.Place));
  return players;
}

class MatchesTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadSettings(*state_); }
  fs::path LogPath() const { return dir_.path() / "basekrm" / "LOG.txt"; }
  void WriteLog(const std::vector<std::string>& lines) { WriteFile(LogPath(), CrLf(lines)); }
  void AppendLog(const std::string& bytes) { WriteFile(LogPath(), ReadFile(LogPath()) + bytes); }
  void Import() { testing::PressImport(*state_, sink_); }
  const MatchBook& Book() {
    journal_ = ReadJournalMatches(JournalFilePath(*state_));
    book_ = BuildMatchBook(journal_, people_);
    return book_;
  }

  testing::TempDir dir_;
  testing::CurrentFolder folder_{dir_.path()};
  std::unique_ptr<WindowState> state_ = testing::StateIn(dir_.path());
  testing::RecordingSink sink_;
  std::vector<JournalMatch> journal_;
  PersonIndex people_;
  MatchBook book_;
};

TEST_F(MatchesTest, BlocksWithNothingButBlankLinesBetweenThemAreOneMatch) {
  WriteLog(Lines({{"Ann entered the game", "map: before-startup"},
                  MatchBlock("Ann", 2),
                  {kS1, "map: krmdm6", "Fraglimit hit.", "console: "},
                  MatchBlock("Ann", 3),
                  {"", "console:   ", "  "},
                  MatchBlock("Bob", 5),
                  MatchBlock("Cid", 3),
                  {"Bob: gg", "console:"},
                  MatchBlock("Dan", 1),  // alone: a match of one player
                  {"console: Ann disconnected"},
                  MatchBlock("Ann", 1),
                  MatchBlock("Bob", 0),
                  {"map: krmdm17"},
                  MatchBlock("Cid", 4),
                  {kS2},
                  MatchBlock("Bob", 2)}));
  Import();
  const MatchBook& book = Book();
  ASSERT_EQ(book.Matches.size(), 6u);
  // The undated one before the first start-up line goes first.
  EXPECT_EQ(*book.Matches[0].Session, "");
  EXPECT_EQ(*book.Matches[0].Map, "before-startup");
  EXPECT_EQ(Players(book.Matches[0]), (std::vector<std::string>{"Ann:1"}));
  const std::vector<std::vector<std::string>> expected{
      {"Bob:1", "Ann:2", "Cid:2"}, {"Dan:1"}, {"Ann:1", "Bob:2"}, {"Cid:1"}};
  const std::vector<std::string> maps{"krmdm6", "krmdm6", "krmdm6", "krmdm17"};
  for (std::size_t m = 0; m < expected.size(); ++m) {
    SCOPED_TRACE(m);
    EXPECT_EQ(*book.Matches[m + 1].Session, "2026-12-06 20:00:00");
    EXPECT_EQ(book.Matches[m + 1].Number, static_cast<std::int64_t>(m + 1));
    EXPECT_EQ(*book.Matches[m + 1].Map, maps[m]);
    EXPECT_EQ(Players(book.Matches[m + 1]), expected[m]);
  }
  // A new session numbers its matches from 1 again, without the last one's map.
  EXPECT_EQ(*book.Matches[5].Session, "2026-12-07 21:15:03");
  EXPECT_EQ(book.Matches[5].Number, 1);
  EXPECT_EQ(*book.Matches[5].Map, "");

  std::uint32_t ann = 0, bob = 0;
  ASSERT_TRUE(people_.Find("Ann", ann));
  ASSERT_TRUE(people_.Find("Bob", bob));
  const MatchTally ann_tally = TallyGames(book, book.ByPerson[ann]);
  EXPECT_EQ(ann_tally.Matches, 3);
  EXPECT_EQ(ann_tally.Wins, 2);  // alone before the first start-up line, and over Bob
  const MatchTally bob_tally = TallyGames(book, book.ByPerson[bob]);
  EXPECT_EQ(bob_tally.Matches, 3);
  EXPECT_EQ(bob_tally.Wins, 2);

  // A newcomer's match alone leaves the newcomer's rating, with a point in its history.
  SkillCache skills;
  skills.Update(book);
  std::uint32_t dan = 0;
  ASSERT_TRUE(people_.Find("Dan", dan));
  EXPECT_EQ(ShownSkill(skills.RatingOf(dan)), 0.0);
  ASSERT_EQ(skills.History().People.at(dan).size(), 1u);
  EXPECT_EQ(skills.History().People[dan][0].Match, 2u);
}

TEST_F(MatchesTest, AMatchTwoImportsReadIsOneMatch) {
  // The game is still writing the second block: the import stops before it.
  WriteLog(Lines({{kS1, "map: krmdm6", "Fraglimit hit."}, MatchBlock("Ann", 4)}));
  std::vector<std::string> bob = MatchBlock("Bob", 6);
  AppendLog(bob[0] + "\r\n" + bob[1] + "\r\n");
  Import();
  ASSERT_EQ(Book().Matches.size(), 1u);
  std::string rest;
  for (std::size_t i = 2; i < bob.size(); ++i) rest += bob[i] + "\r\n";
  AppendLog(rest + CrLf(Lines({{"Ann: gg"}, MatchBlock("Ann", 1)})));
  Import();
  const MatchBook& book = Book();
  ASSERT_EQ(book.Matches.size(), 2u);
  EXPECT_EQ(Players(book.Matches[0]), (std::vector<std::string>{"Bob:1", "Ann:2"}));
  EXPECT_EQ(*book.Matches[0].Map, "krmdm6");
  EXPECT_EQ(Players(book.Matches[1]), (std::vector<std::string>{"Ann:1"}));
  EXPECT_EQ(book.Matches[1].Number, 2);
}

TEST(MatchJournal, AnOlderJournalsBlocksReadWithoutMatchAndTakeNoPart) {
  JournalMatch old;
  const std::string old_line =
      "M\t3\t2026-12-06 20:00:00\t2\tAnn\t0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\t17\t18\t19\t20\t21\t22\t1";
  ASSERT_TRUE(ParseMatch(old_line, old));
  EXPECT_EQ(old.Match, 0);
  EXPECT_FALSE(old.Digest);

  JournalMatch now = old;
  now.Match = 4;
  now.Map = "dm\t6";
  now.Digest = 0x0123456789abcdefull;
  JournalCommit commit;
  commit.Import = 3;
  commit.Time = "2026-12-06 21:00:00";
  const std::string text = JournalImportText({old, now}, commit);
  const std::size_t first_end = text.find("\r\n");
  EXPECT_EQ(text.substr(0, first_end), old_line);  // a block without a match is written as before
  const std::size_t second_end = text.find("\r\n", first_end + 2);
  JournalMatch back;
  ASSERT_TRUE(ParseMatch(std::string_view(text).substr(first_end + 2, second_end - first_end - 2), back));
  EXPECT_EQ(back.Match, 4);
  EXPECT_EQ(back.Map, "dm\t6");
  EXPECT_EQ(back.Digest, now.Digest);
  EXPECT_FALSE(ParseMatch(old_line + "\t0\tdm\t-", back));  // match numbers start at 1

  std::vector<JournalMatch> journal{old, now};
  PersonIndex people;
  const MatchBook book = BuildMatchBook(journal, people);
  ASSERT_EQ(book.Matches.size(), 1u);
  EXPECT_EQ(book.Matches[0].Number, 4);
}

// A journal of `matches` matches of 2-5 of 12 players, with ties.
std::vector<JournalMatch> Generated(int matches, int first_day = 1) {
  std::vector<JournalMatch> journal;
  std::uint32_t seed = 12345;
  const auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int m = 0; m < matches; ++m) {
    const int players = 2 + static_cast<int>(next() % 4);
    for (int p = 0; p < players; ++p) {
      JournalMatch& block = journal.emplace_back();
      block.Session = "2026-01-" + std::string(first_day + m / 100 < 10 ? "0" : "") +
                      std::to_string(first_day + m / 100) + " 20:00:00";
      block.Match = m % 100 + 1;
      block.Name = "P" + std::to_string((m + p * 5) % 12);
      block.Added[CounterIndex(&PlayerTable::Frags)] = static_cast<std::int32_t>(next() % 4);
    }
  }
  return journal;
}

TEST(SkillCache, TakesUpWhereItWasAfterImportsAndUndosAndAgreesWithAFullReplay) {
  const std::vector<JournalMatch> all = Generated(2600);
  PersonIndex people;
  SkillCache cache;
  const auto full_replay = [&](const MatchBook& book) {
    SkillRatings ratings;
    for (const PlayedMatch& match : book.Matches) RateMatch(ratings, match.Placings());
    return ratings;
  };
  const auto expect_same = [&](const std::vector<JournalMatch>& journal, std::size_t rated) {
    const MatchBook book = BuildMatchBook(journal, people);
    cache.Update(book);
    EXPECT_EQ(cache.LastRated(), rated);
    const SkillRatings expected = full_replay(book);
    ASSERT_EQ(cache.Ratings().MatchesApplied, book.Matches.size());
    for (std::uint32_t person = 0; person < people.Size(); ++person) {
      EXPECT_EQ(cache.RatingOf(person).Mu, RatingOf(expected, person).Mu);
      EXPECT_EQ(cache.RatingOf(person).Sigma, RatingOf(expected, person).Sigma);
    }
    std::size_t points = 0;
    for (const auto& history : cache.History().People) points += history.size();
    std::size_t games = 0;
    for (const PlayedMatch& match : book.Matches) games += match.Placings().size();
    EXPECT_EQ(points, games);
  };
  const auto first = [&](int matches) {
    std::vector<JournalMatch> journal;
    for (const JournalMatch& block : all)
      if ((std::stoi(block.Session.substr(8, 2)) - 1) * 100 + block.Match <= matches)
        journal.push_back(block);
    return journal;
  };
  expect_same(first(2000), 2000);
  expect_same(first(2600), 600);        // an import: only the new matches
  expect_same(first(2500), 2500 - 2048);  // an undo: from the last saved state before it
  expect_same(first(2500), 0);           // nothing changed
  // An older session put in front: everything again.
  std::vector<JournalMatch> older = Generated(1, 0);
  for (JournalMatch& block : older) block.Session = "2025-12-31 20:00:00";
  std::vector<JournalMatch> journal = first(2500);
  journal.insert(journal.end(), older.begin(), older.end());
  expect_same(journal, 2501);
}

}  // namespace
}  // namespace fragtally
