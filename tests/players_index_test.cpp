// What the Players window keeps between refreshes (the journal's index, the
// sessions' days, the ratings of each slot's counters) and what a change of
// people carries over from the snapshot before it (the book, the lists of
// games, the skill cache's history and saved states), against the plain
// computation from nothing: a journal read afresh with its own people and
// cache, and the rows and pages built block by block, after imports,
// merges, splits, hides, an undo and a table changed under the same names.

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "app/main_window/window_state.h"
#include "app/players_window/players.h"
#include "test_support.h"

namespace fragtally::testing {
namespace {

const std::string kWolfUtf8 = "\xD0\x92\xD0\xBE\xD0\xBB\xD0\xBA";  // Волк
const std::string kWolf1251 = "\xC2\xEE\xEB\xEA";
// Ghost and Bot play but are not in the statistics file; Tarn has two slots.
const std::vector<std::string> kNames{"Tarn", "T4rn", "Nika", "Grach", "Grach_pro", kWolfUtf8, kWolf1251,
                                      "Vesna", "Oleg",  "Ghost", "Bot"};
const std::vector<std::string> kSlots{"Tarn", "T4rn", "Nika", "Grach", "Grach_pro", kWolfUtf8, kWolf1251,
                                      "Vesna", "Oleg",  "Tarn"};
const DayNumber kToday = DaysFromCivil(2026, 12, 8);

// About 400 matches over the 60 days up to a week after kToday: two
// sessions most days (one in the small hours, of the evening before), an
// undated session, blocks of an older journal (no match), and matches of
// 1 to 6 players with equal frags now and then.
std::vector<JournalMatch> MakeJournal() {
  std::mt19937 random(29);
  std::vector<JournalMatch> journal;
  const auto add_session = [&](const std::string& session, int matches) {
    std::int64_t position = 0;
    for (int match = 1; match <= matches; ++match) {
      std::vector<std::string> names = kNames;
      std::shuffle(names.begin(), names.end(), random);
      names.resize(1 + random() % 6);
      for (const std::string& name : names) {
        JournalMatch block;
        block.Import = 1;
        block.Session = session;
        block.Position = ++position;
        block.Name = name;
        block.Match = random() % 17 == 0 ? 0 : match;
        block.Map = random() % 5 == 0 ? "" : "dm" + std::to_string(random() % 4);
        for (std::size_t i = 0; i < block.Added.size(); ++i) block.Added[i] = static_cast<std::int32_t>(random() % 40);
        block.Added[CounterIndex(&PlayerTable::Frags)] = static_cast<std::int32_t>(random() % 6);
        block.Added[CounterIndex(&PlayerTable::GamesPlayed)] = 1;
        journal.push_back(std::move(block));
      }
    }
  };
  add_session("not a date", 4);
  for (DayNumber day = kToday - 52; day <= kToday + 7; day += 2) {
    add_session(DayText(day) + " 20:00:00", 5);
    add_session(DayText(day + 1) + " 02:30:00", 2);
  }
  return journal;
}

JournalHistory History(const std::vector<JournalMatch>& journal, std::size_t blocks, const PeopleBook& who) {
  return JournalHistory{std::vector<JournalMatch>(journal.begin(), journal.begin() + static_cast<std::ptrdiff_t>(blocks)),
                        who};
}

// A snapshot against one read afresh from the same journal and people:
// matches, people, lists of games, ratings and history, by names.
void ExpectSameAsFresh(const MatchSnapshot& kept, const MatchSnapshot& fresh) {
  ASSERT_EQ(kept.Book.Matches.size(), fresh.Book.Matches.size());
  for (std::size_t m = 0; m < fresh.Book.Matches.size(); ++m) {
    const PlayedMatch &a = kept.Book.Matches[m], &b = fresh.Book.Matches[m];
    ASSERT_EQ(*a.Session + "/" + std::to_string(a.Number), *b.Session + "/" + std::to_string(b.Number));
    ASSERT_EQ(a.Games.size(), b.Games.size());
    for (std::size_t g = 0; g < b.Games.size(); ++g) {
      EXPECT_EQ(a.Games[g].Block - kept.Journal.data(), b.Games[g].Block - fresh.Journal.data()) << m << " " << g;
      EXPECT_EQ(a.Games[g].Place, b.Games[g].Place);
      EXPECT_EQ(kept.People.NameOf(a.Games[g].Person), fresh.People.NameOf(b.Games[g].Person));
    }
  }
  for (std::uint32_t person = 0; person < fresh.People.Size(); ++person) {
    const std::string& name = fresh.People.NameOf(person);
    std::uint32_t same = 0;
    ASSERT_TRUE(kept.People.Find(name, same)) << name;
    const auto games = [](const MatchSnapshot& snapshot, std::uint32_t p) {
      std::vector<std::tuple<std::uint32_t, std::uint32_t, int>> list;
      if (p < snapshot.Book.ByPerson.size())
        for (const PersonGame& game : snapshot.Book.ByPerson[p]) list.emplace_back(game.Match, game.Game, game.Place);
      return list;
    };
    EXPECT_EQ(games(kept, same), games(fresh, person)) << name;
    const SkillRating x = RatingOf(kept.Ratings, same), y = RatingOf(fresh.Ratings, person);
    EXPECT_EQ(x.Mu, y.Mu) << name;  // exactly: the same operations in the same order
    EXPECT_EQ(x.Sigma, y.Sigma) << name;
    const auto points = [](const MatchSnapshot& snapshot, std::uint32_t p) {
      std::vector<std::tuple<std::size_t, double, double>> list;
      if (p < snapshot.History->People.size())
        for (const SkillPoint& point : snapshot.History->People[p])
          list.emplace_back(point.Match, point.Rating.Mu, point.Rating.Sigma);
      return list;
    };
    EXPECT_EQ(points(kept, same), points(fresh, person)) << name;
  }
}

// The window's rows and pages of every period against the rows and pages
// built block by block from the snapshot.
void ExpectModelAsPlain(PlayersWindowModel& model, const PlayerTable& table, const MatchSnapshot& snapshot,
                        DayNumber today) {
  const MatchesBySlot grouped = GroupMatchesBySlot(table, snapshot.Journal);
  for (PlayersPeriod period : kPlayersPeriods) {
    SCOPED_TRACE(std::string(PeriodCaption(period)) + " " + DayText(today));
    model.SetPeriod(period);
    const PeriodSpan span = ResolvePeriod(period, grouped, today);
    ASSERT_EQ(PeriodText(model.Span()), PeriodText(span));
    std::vector<PlayerRow> rows = BuildPlayerRows(table, grouped, span, &snapshot);
    SortPlayerRows(rows, *model.SortColumn(), model.SortDescending());
    ASSERT_EQ(model.Rows().size(), rows.size());
    const MatchesBySlot held = span.Period == PlayersPeriod::AllTime ? grouped : MatchesIn(grouped, span);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const PlayerRow& shown = model.Rows()[r];
      ASSERT_EQ(shown.Slot, rows[r].Slot) << r;
      EXPECT_EQ(shown.Slots, rows[r].Slots);
      EXPECT_EQ(shown.Ranked, rows[r].Ranked);
      EXPECT_EQ(shown.LastPlayed, rows[r].LastPlayed);
      for (const PlayersColumnInfo& column : kPlayersColumns)
        EXPECT_EQ(model.CellText(static_cast<int>(r), column.Column, ","), PlayerCellText(rows[r], column.Column, ","))
            << shown.Name << " " << column.Caption;
      const PlayerPage page = model.Page(static_cast<int>(r), ",");
      const PlayerPage plain = BuildPlayerPage(rows[r].Name, PersonBlocks(held, rows[r]), ",", &snapshot, span);
      EXPECT_EQ(page.MatchCount, plain.MatchCount);
      EXPECT_EQ(page.LastMatches, plain.LastMatches);
      EXPECT_EQ(page.LastPlayed, plain.LastPlayed);
      ASSERT_EQ(page.Skill.Series.size(), plain.Skill.Series.size());
      for (std::size_t s = 0; s < plain.Skill.Series.size(); ++s)
        for (std::size_t p = 0; p < plain.Skill.Series[s].Points.size(); ++p)
          EXPECT_EQ(page.Skill.Series[s].Points.at(p).Y, plain.Skill.Series[s].Points[p].Y);
      ASSERT_EQ(page.Maps.size(), plain.Maps.size());
      for (std::size_t m = 0; m < plain.Maps.size(); ++m)
        for (std::size_t c = 0; c < kMapColumnCaptions.size(); ++c)
          EXPECT_EQ(MapCellText(page.Maps[m], c, ","), MapCellText(plain.Maps[m], c, ","));
    }
  }
}

TEST(PlayersIndex, KeptStateAgreesWithThePlainComputationThroughImportsMergesSplitsHidesAndAnUndo) {
  const std::vector<JournalMatch> journal = MakeJournal();
  std::unique_ptr<WindowState> state = NewWindowState();
  PlayerTable& table = state->Table;
  for (std::size_t slot = 1; slot <= kSlots.size(); ++slot) {
    table.PlayerName[static_cast<long>(slot)] = kSlots[slot - 1];
    table.GamesPlayed[static_cast<long>(slot)] = static_cast<std::int32_t>(3 * slot);
    table.Frags[static_cast<long>(slot)] = static_cast<std::int32_t>(7 * slot);
    table.Deaths[static_cast<long>(slot)] = static_cast<std::int32_t>(11 - slot);
    table.RailgunShots[static_cast<long>(slot)] = static_cast<std::int32_t>(40 + slot);
    table.RailgunHits[static_cast<long>(slot)] = static_cast<std::int32_t>(20 + slot);
  }
  table.PlayerCount = static_cast<std::int16_t>(kSlots.size());

  // As the window's journal view keeps them: one numbering of people and one cache for every snapshot.
  PersonIndex people;
  SkillCache skills;
  PlayersWindowModel model;
  PeopleBook who;
  std::shared_ptr<const MatchSnapshot> snapshot;
  std::size_t blocks = journal.size() * 3 / 5;
  const auto check = [&](const std::string& step) {
    SCOPED_TRACE(step);
    const std::shared_ptr<const MatchSnapshot> fresh = SnapshotMatches(History(journal, blocks, who));
    ExpectSameAsFresh(*snapshot, *fresh);
    for (DayNumber today : {kToday, kToday + 7}) {
      model.Refresh(table, snapshot, today);
      ExpectModelAsPlain(model, table, *snapshot, today);
    }
  };
  const auto read = [&] { snapshot = SnapshotMatches(History(journal, blocks, who), people, skills); };
  const auto change = [&](PeopleChange change) {
    ApplyPeopleChange(who, change);
    snapshot = WithPeopleChange(*snapshot, change, people, skills);
  };

  read();
  check("the first import");
  change({PeopleAction::Join, "2026-12-08 21:00:00", "T4rn", "Tarn", 0});
  check("T4rn joined to Tarn");
  change({PeopleAction::Join, "2026-12-08 21:01:00", "Ghost", "T4rn", 0});  // a name of a person: that person
  check("Ghost joined to them");
  change({PeopleAction::Join, "2026-12-08 21:02:00", "Grach_pro", "Grach", 0});
  change({PeopleAction::Hide, "2026-12-08 21:03:00", "Bot", "", 0});
  change({PeopleAction::Hide, "2026-12-08 21:04:00", "Vesna", "", 0});
  change({PeopleAction::Minimum, "2026-12-08 21:05:00", "", "", 4});
  check("Grach's names merged, Bot and Vesna hidden, a minimum of 4");
  blocks = journal.size();
  read();
  check("the second import");
  change({PeopleAction::Split, "2026-12-08 21:06:00", "Tarn", "", 0});
  check("Tarn split");
  change({PeopleAction::Show, "2026-12-08 21:07:00", "Vesna", "", 0});
  change({PeopleAction::Join, "2026-12-08 21:08:00", kWolf1251, kWolfUtf8, 0});
  check("Vesna shown, the two Wolves merged");
  blocks = journal.size() * 3 / 5;
  read();
  check("the second import undone");
  // The statistics file's counters changed under the same names and journal.
  table.Frags[1] += 100;
  table.RailgunHits[3] -= 10;
  check("the table's counters changed");
  change({PeopleAction::Join, "2026-12-08 21:09:00", "Nika", "Oleg", 0});
  check("Nika joined to Oleg");
}

}  // namespace
}  // namespace fragtally::testing
