// The Players window's model: the table's rows against hand-computed ones
// (all time and periods), sorting, a player's page, and the chart axes.

#include <gtest/gtest.h>

#include "app/players_window/chart.h"
#include "app/players_window/players.h"
#include "app/main_window/ratings.h"
#include "test_support.h"

namespace fragtally::testing {
namespace {

using Values = std::initializer_list<std::pair<Counter PlayerTable::*, int>>;

void Put(PlayerTable& table, int slot, const std::string& name, Values values) {
  table.PlayerName[slot] = name;
  table.PlayerCount = static_cast<std::int16_t>(std::max<int>(table.PlayerCount, slot));
  for (const auto& [member, value] : values) (table.*member)[slot] = value;
}

JournalMatch Match(const std::string& name, const std::string& session, std::int64_t position, Values values) {
  JournalMatch match;
  match.Import = 1;
  match.Name = name;
  match.Session = session;
  match.Position = position;
  for (const auto& [member, value] : values) match.Added[CounterIndex(member)] = value;
  match.Added[CounterIndex(&PlayerTable::GamesPlayed)] = 1;
  return match;
}

std::vector<std::string> Cells(const PlayerRow& row) {
  std::vector<std::string> cells;
  for (const PlayersColumnInfo& column : kPlayersColumns) cells.push_back(PlayerCellText(row, column.Column, ","));
  return cells;
}

std::vector<int> Slots(const std::vector<PlayerRow>& rows) {
  std::vector<int> slots;
  for (const PlayerRow& row : rows) slots.push_back(row.Slot);
  return slots;
}

const DayNumber kToday = DaysFromCivil(2026, 12, 8);

class PlayersTable : public ::testing::Test {
 protected:
  PlayersTable() : state(NewWindowState()), table(state->Table) {
    // 50% machinegun, 33% rocket, 67% railgun, nothing else fired: (50 + 33 + 67) / 8 = 18,75, rounded down.
    Put(table, 1, "Alpha",
        {{&PlayerTable::GamesPlayed, 4}, {&PlayerTable::Kills, 13}, {&PlayerTable::Deaths, 4},
         {&PlayerTable::Suicides, 1}, {&PlayerTable::Frags, 12}, {&PlayerTable::DamageGiven, 1000},
         {&PlayerTable::DamageReceived, 350}, {&PlayerTable::MachinegunHits, 50}, {&PlayerTable::MachinegunShots, 100},
         {&PlayerTable::RocketHits, 1}, {&PlayerTable::RocketShots, 3}, {&PlayerTable::RailgunHits, 2},
         {&PlayerTable::RailgunShots, 3}});
    Put(table, 2, "Zero", {{&PlayerTable::Kills, 2}});  // counted before games were
    Put(table, 3, "Bravo",
        {{&PlayerTable::GamesPlayed, 3}, {&PlayerTable::Kills, 10}, {&PlayerTable::Deaths, 17},
         {&PlayerTable::Frags, 10}, {&PlayerTable::DamageGiven, 300}, {&PlayerTable::DamageReceived, 900}});
    journal = {
        Match("Alpha", "2026-12-08 20:00:00", 1, {{&PlayerTable::Kills, 5}, {&PlayerTable::Frags, 4}}),
        Match("Alpha", "2026-12-02 19:00:00", 2, {{&PlayerTable::Kills, 3}, {&PlayerTable::Deaths, 2}}),
        Match("Alpha", "2026-12-01 23:59:59", 1, {{&PlayerTable::Kills, 7}, {&PlayerTable::Deaths, 1}}),
        Match("Alpha", "2025-12-09 10:00:00", 1, {{&PlayerTable::Kills, 11}}),
        Match("Alpha", "2025-12-08 10:00:00", 1, {{&PlayerTable::Kills, 100}}),
        Match("Alpha", "game started", 1, {{&PlayerTable::Kills, 1000}}),
        Match("Alpha", "", 1, {{&PlayerTable::Kills, 1000}}),
        Match("Alpha", "2026-12-09 08:00:00", 1, {{&PlayerTable::Kills, 1000}}),  // the clock ran ahead
        Match("Ghost", "2026-12-08 20:00:00", 1, {{&PlayerTable::Kills, 9}}),    // not in the statistics file
    };
  }

  std::vector<PlayerRow> Rows(PlayersPeriod period, DayNumber today = kToday) {
    return BuildPlayerRows(table, GroupMatchesBySlot(table, journal), period, today);
  }

  std::unique_ptr<WindowState> state;
  PlayerTable& table;
  std::vector<JournalMatch> journal;
};

TEST_F(PlayersTable, AllTimeRowsAreTheTotalsWithTheReportsRatings) {
  const std::vector<PlayerRow> rows = Rows(PlayersPeriod::AllTime);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(Cells(rows[0]), (std::vector<std::string>{"Alpha", "4", "0", "0", "", "", "13", "4", "1", "12", "2,00", "162,50", "18",
                                                       "50,00", "3,25", "2026-12-09 08:00"}));
  // No games: nothing to rate; no shots: no accuracy; no deaths: no kills per death. No dated match.
  EXPECT_EQ(Cells(rows[1]), (std::vector<std::string>{"Zero", "0", "0", "0", "", "", "2", "0", "0", "0", "", "", "", "", "", ""}));
  EXPECT_EQ(Cells(rows[2]), (std::vector<std::string>{"Bravo", "3", "0", "0", "", "", "10", "17", "0", "10", "-2,33", "-200,00", "0",
                                                       "", "0,59", ""}));

  // The ratings report says the same of the same players, in its own digits.
  RatingsInput first{0, "Alpha", AccuracyCaptions(CountersOf(table, 1))};
  RatingsInput second{2, "Bravo", AccuracyCaptions(CountersOf(table, 3))};
  const std::string report = BuildRatingsReport(table, first, second, ",");
  for (const char* line : {"Рейтинг фрагов: 2\r", "Рейтинг повреждений: 162,5\r", "Рейтинг точности: 18\r",
                           "Рейтинг фрагов: -2,33333333333333\r", "Рейтинг повреждений: -200\r"})
    EXPECT_NE(report.find(line), std::string::npos) << line;
}

TEST_F(PlayersTable, CellsRoundTheExactQuotientToTwoDecimalsHalfAwayFromZero) {
  // 241 hits of 750 shots is 32,13%, while the mean of the eight weapons'
  // shown percentages (30 five times, 36, two unused) is 23,25, shown as 23.
  Put(table, 4, "Even",
      {{&PlayerTable::GamesPlayed, 8}, {&PlayerTable::Frags, 3}, {&PlayerTable::Deaths, 2}, {&PlayerTable::Kills, 2},
       {&PlayerTable::DamageGiven, 0}, {&PlayerTable::DamageReceived, 1},
       {&PlayerTable::MachinegunHits, 30}, {&PlayerTable::MachinegunShots, 100},
       {&PlayerTable::ShotgunHits, 30}, {&PlayerTable::ShotgunShots, 100},
       {&PlayerTable::GrenadeHits, 30}, {&PlayerTable::GrenadeShots, 100},
       {&PlayerTable::RocketHits, 30}, {&PlayerTable::RocketShots, 100},
       {&PlayerTable::ShaftHits, 30}, {&PlayerTable::ShaftShots, 100},
       {&PlayerTable::RailgunHits, 91}, {&PlayerTable::RailgunShots, 250}});
  // 201 / 200 = 1,005 exactly, which a double holds as 1,00499999...
  Put(table, 5, "Odd",
      {{&PlayerTable::GamesPlayed, 200}, {&PlayerTable::Frags, 0}, {&PlayerTable::Deaths, 25},
       {&PlayerTable::DamageGiven, 201}, {&PlayerTable::Kills, 2}, {&PlayerTable::RocketHits, 2},
       {&PlayerTable::RocketShots, 3}});
  const std::vector<PlayerRow> rows = Rows(PlayersPeriod::AllTime);
  const auto cell = [&](int slot, PlayersColumn column) { return PlayerCellText(rows[slot - 1], column, ","); };
  EXPECT_EQ(cell(4, PlayersColumn::FragRating), "0,13");     // 1 / 8 = 0,125
  EXPECT_EQ(cell(4, PlayersColumn::DamageRating), "-0,13");  // -1 / 8
  EXPECT_EQ(cell(4, PlayersColumn::AccuracyRating), "23");
  EXPECT_EQ(cell(4, PlayersColumn::Accuracy), "32,13");
  EXPECT_EQ(cell(4, PlayersColumn::KillsPerDeath), "1,00");
  EXPECT_EQ(cell(5, PlayersColumn::FragRating), "-0,13");  // -25 / 200
  EXPECT_EQ(cell(5, PlayersColumn::DamageRating), "1,01");
  EXPECT_EQ(cell(5, PlayersColumn::Accuracy), "66,67");
  EXPECT_EQ(cell(5, PlayersColumn::KillsPerDeath), "0,08");  // 2 / 25
  EXPECT_EQ(PlayerCellText(rows[4], PlayersColumn::DamageRating, "."), "1.01");
  // The sort and the places use the exact values.
  EXPECT_DOUBLE_EQ(*rows[3].Number(PlayersColumn::FragRating), 0.125);
  EXPECT_DOUBLE_EQ(*rows[3].Number(PlayersColumn::Accuracy), 100.0 * 241 / 750);

  // Less than half a hundredth below zero is no "-0,00".
  Put(table, 6, "Tiny", {{&PlayerTable::GamesPlayed, 300}, {&PlayerTable::Deaths, 1}});
  EXPECT_EQ(PlayerCellText(Rows(PlayersPeriod::AllTime)[5], PlayersColumn::FragRating, ","), "0,00");
}

TEST_F(PlayersTable, PlacesFollowTheSortWithTiesSharingAPlace) {
  Put(table, 4, "alpha", {{&PlayerTable::GamesPlayed, 4}, {&PlayerTable::Frags, 12}, {&PlayerTable::Deaths, 4}});
  std::vector<PlayerRow> rows = Rows(PlayersPeriod::AllTime);
  SortPlayerRows(rows, PlayersColumn::FragRating, true);
  EXPECT_EQ(Slots(rows), (std::vector<int>{1, 4, 3, 2}));
  EXPECT_EQ(PlayerPlaces(rows, PlayersColumn::FragRating), (std::vector<int>{1, 1, 3, 0}));  // Zero has no rating
}

TEST(Days, CivilDatesBothWaysAndTheEveningOfASession) {
  for (const auto& [y, m, d] : {std::tuple{1970, 1, 1}, {2024, 2, 29}, {2026, 11, 30}, {2026, 12, 31}, {2000, 3, 1}}) {
    const CivilDate date = CivilFromDays(DaysFromCivil(y, m, d));
    EXPECT_EQ(std::tuple(date.Year, date.Month, date.Day), std::tuple(y, m, d));
  }
  EXPECT_EQ(DayText(DaysFromCivil(2026, 3, 7)), "2026-03-07");
  EXPECT_EQ(SessionEvening("2026-12-08 00:40:00"), DaysFromCivil(2026, 12, 7));
  EXPECT_EQ(SessionEvening("2026-12-08 05:59:59"), DaysFromCivil(2026, 12, 7));
  EXPECT_EQ(SessionEvening("2026-12-08 06:00:00"), DaysFromCivil(2026, 12, 8));
  EXPECT_EQ(SessionEvening("2026-12-07 23:50:00"), DaysFromCivil(2026, 12, 7));
  EXPECT_EQ(SessionEvening("game started"), std::nullopt);
}

// A club's evenings and weeks: the table of a period holds the players of
// its sessions only, and a selected player's page shows those matches alone.
class Periods : public ::testing::Test {
 protected:
  using Shown = std::pair<std::vector<std::string>, std::string>;

  Periods() : state(NewWindowState()) {
    for (const char* name : {"Ann", "Bob", "Cid", "Dan"})
      Put(state->Table, state->Table.PlayerCount + 1, name, {{&PlayerTable::GamesPlayed, 1}});
  }
  void Play(const char* name, const char* session, int frags) {
    journal.push_back(
        Match(name, session, static_cast<std::int64_t>(journal.size()) + 1, {{&PlayerTable::Frags, frags}}));
  }
  // The names in the table of `period` on `today`, in slot order, and what
  // the report and the CSV say of the period.
  Shown Table(PlayersPeriod period, DayNumber today) {
    const MatchesBySlot matches = GroupMatchesBySlot(state->Table, journal);
    const PeriodSpan span = ResolvePeriod(period, matches, today);
    std::vector<std::string> names;
    for (const PlayerRow& row : BuildPlayerRows(state->Table, matches, span)) names.push_back(row.Name);
    return {names, PeriodText(span)};
  }

  std::unique_ptr<WindowState> state;
  std::vector<JournalMatch> journal;
};

TEST_F(Periods, AnEveningFrom2350PastMidnightIsOneAndARestartAfterMidnightJoinsIt) {
  Play("Dan", "2026-12-06 20:00:00", 1);  // the evening before
  Play("Ann", "2026-12-07 23:50:00", 1);  // started at 23:50 ...
  Play("Bob", "2026-12-07 23:50:00", 2);  // ... and played on at 00:30: the session keeps its start's date
  const DayNumber dec8 = DaysFromCivil(2026, 12, 8);
  EXPECT_EQ(Table(PlayersPeriod::LastEvening, dec8), (Shown{{"Ann", "Bob"}, "За последний вечер: 2026-12-07"}));

  Play("Cid", "2026-12-08 00:40:00", 3);  // the game started again after midnight: still that evening
  EXPECT_EQ(Table(PlayersPeriod::LastEvening, dec8),
            (Shown{{"Ann", "Bob", "Cid"}, "За последний вечер: 2026-12-07"}));
  // Periods of days go by the session's date: the restart is the 8th's, the 23:50 start the 7th's.
  EXPECT_EQ(Table(PlayersPeriod::Last30Days, dec8).first, (std::vector<std::string>{"Ann", "Bob", "Cid", "Dan"}));
  EXPECT_EQ(Table(PlayersPeriod::ThisWeek, dec8),
            (Shown{{"Ann", "Bob", "Cid"}, "За эту неделю: 2026-12-07 — 2026-12-08"}));  // Monday to Tuesday

  // The next evening is the last one from its first session on; a session
  // the clock dated in the future is in no period; the last evening stays
  // the last one on the days after it.
  Play("Dan", "2026-12-08 19:00:00", 4);
  Play("Ann", "2026-12-10 19:00:00", 5);
  EXPECT_EQ(Table(PlayersPeriod::LastEvening, dec8), (Shown{{"Dan"}, "За последний вечер: 2026-12-08"}));
  EXPECT_EQ(Table(PlayersPeriod::LastEvening, DaysFromCivil(2026, 12, 9)).first, std::vector<std::string>{"Dan"});
  EXPECT_EQ(Table(PlayersPeriod::AllTime, dec8), (Shown{{"Ann", "Bob", "Cid", "Dan"}, "За всё время"}));

  // No dated session up to today: no evening, nobody.
  EXPECT_EQ(Table(PlayersPeriod::LastEvening, DaysFromCivil(2026, 12, 1)), (Shown{{}, "За последний вечер: игр нет"}));
}

TEST_F(Periods, AWeekAcrossAMonthsEndStartsOnMonday) {
  Play("Ann", "2026-11-29 23:00:00", 1);  // Sunday: the week before
  Play("Bob", "2026-11-30 20:00:00", 1);  // Monday
  Play("Cid", "2026-12-01 20:00:00", 1);
  Play("Dan", "2025-12-31 20:00:00", 1);  // last year
  const DayNumber wednesday = DaysFromCivil(2026, 12, 2);
  EXPECT_EQ(Table(PlayersPeriod::ThisWeek, wednesday),
            (Shown{{"Bob", "Cid"}, "За эту неделю: 2026-11-30 — 2026-12-02"}));
  EXPECT_EQ(Table(PlayersPeriod::ThisMonth, wednesday), (Shown{{"Cid"}, "За этот месяц: 2026-12-01 — 2026-12-02"}));
  EXPECT_EQ(Table(PlayersPeriod::ThisYear, wednesday),
            (Shown{{"Ann", "Bob", "Cid"}, "За этот год: 2026-01-01 — 2026-12-02"}));
  EXPECT_EQ(Table(PlayersPeriod::Last365Days, wednesday).first,
            (std::vector<std::string>{"Ann", "Bob", "Cid", "Dan"}));
  EXPECT_EQ(Table(PlayersPeriod::ThisWeek, DaysFromCivil(2026, 11, 30)), (Shown{{"Bob"}, "За эту неделю: 2026-11-30"}));
  // On a Sunday the week began six days before.
  EXPECT_EQ(Table(PlayersPeriod::ThisWeek, DaysFromCivil(2026, 11, 29)).second,
            "За эту неделю: 2026-11-23 — 2026-11-29");
}

TEST_F(Periods, TheSelectedPlayersPageRecordsAndChartsFollowThePeriod) {
  Play("Ann", "2026-11-20 20:00:00", 9);
  Play("Ann", "2026-12-07 21:00:00", 2);
  Play("Ann", "2026-12-07 21:00:00", 3);
  Play("Bob", "2026-11-20 20:00:00", 1);
  PlayersWindowModel model;
  model.Refresh(state->Table, SnapshotMatches(journal), DaysFromCivil(2026, 12, 8));
  const PlayerPage all = model.Page(model.RowOfSlot(1), ",");
  EXPECT_EQ(all.MatchCount, 3u);
  EXPECT_EQ(all.Records[0].Value, "9");

  model.SetPeriod(PlayersPeriod::LastEvening);
  EXPECT_EQ(model.Span().First, DaysFromCivil(2026, 12, 7));
  ASSERT_EQ(model.Rows().size(), 1u);
  EXPECT_EQ(model.CellText(0, PlayersColumn::Frags, ","), "5");
  EXPECT_EQ(model.RowOfSlot(2), -1) << "Bob played no game that evening";
  const PlayerPage evening = model.Page(0, ",");
  EXPECT_EQ(evening.MatchCount, 2u);
  EXPECT_EQ(evening.Records[0].Value, "3");
  EXPECT_EQ(evening.Frags.Series[0].Points.size(), 2u);
  EXPECT_EQ(evening.LastMatches.size(), 2u);
}

TEST_F(PlayersTable, SortsEitherWayWithTiesInSlotOrderAndEmptyCellsLast) {
  Put(table, 4, "alpha", {{&PlayerTable::GamesPlayed, 3}, {&PlayerTable::Kills, 13}, {&PlayerTable::Deaths, 4}});
  Put(table, 5, "Charlie", {{&PlayerTable::GamesPlayed, 4}});
  std::vector<PlayerRow> rows = Rows(PlayersPeriod::AllTime);
  SortPlayerRows(rows, PlayersColumn::Kills, true);
  EXPECT_EQ(Slots(rows), (std::vector<int>{1, 4, 3, 2, 5}));
  SortPlayerRows(rows, PlayersColumn::Kills, false);
  EXPECT_EQ(Slots(rows), (std::vector<int>{5, 2, 3, 1, 4}));
  SortPlayerRows(rows, PlayersColumn::KillsPerDeath, true);  // 3,25 twice, 0,59, then none twice
  EXPECT_EQ(Slots(rows), (std::vector<int>{1, 4, 3, 2, 5}));
  SortPlayerRows(rows, PlayersColumn::KillsPerDeath, false);
  EXPECT_EQ(Slots(rows), (std::vector<int>{3, 1, 4, 2, 5}));
  SortPlayerRows(rows, PlayersColumn::Name, false);  // bytes: capitals first
  EXPECT_EQ(Slots(rows), (std::vector<int>{1, 3, 5, 2, 4}));
  SortPlayerRows(rows, PlayersColumn::LastPlayed, false);
  EXPECT_EQ(Slots(rows), (std::vector<int>{1, 2, 3, 4, 5}));

  // The window: ranked by the frag rating at first; a click sorts numbers
  // from the largest, a second reverses; a refresh keeps the order and the period.
  PlayersWindowModel model;
  model.Refresh(table, SnapshotMatches(journal), kToday);
  EXPECT_EQ(model.SortColumn(), PlayersColumn::FragRating);
  EXPECT_TRUE(model.SortDescending());
  EXPECT_EQ(Slots(model.Rows()), (std::vector<int>{1, 5, 4, 3, 2}));  // 2, 0, -1,33, -2,33, none
  model.ClickHeader(PlayersColumn::Games);
  EXPECT_EQ(Slots(model.Rows()), (std::vector<int>{1, 5, 3, 4, 2}));
  model.ClickHeader(PlayersColumn::Games);
  EXPECT_EQ(Slots(model.Rows()), (std::vector<int>{2, 3, 4, 1, 5}));
  model.SetPeriod(PlayersPeriod::Last365Days);
  model.Refresh(table, SnapshotMatches(journal), kToday);
  EXPECT_EQ(Slots(model.Rows()), std::vector<int>{1}) << "nobody else has a journaled match";
  // The sums of its days' matches: not the undated ones, not the one the clock dated tomorrow.
  EXPECT_EQ(model.CellText(0, PlayersColumn::Games, ","), "4");
  EXPECT_EQ(model.CellText(0, PlayersColumn::Kills, ","), "26");
  EXPECT_EQ(model.Period(), PlayersPeriod::Last365Days);
}

TEST(PlayerPage, ChartsRecordsAndTheLastMatches) {
  std::vector<JournalMatch> journal;
  for (int i = 1; i <= 25; ++i)
    journal.push_back(Match("P", "2026-12-01 10:00:00", i,
                            {{&PlayerTable::Frags, i % 7}, {&PlayerTable::DamageGiven, 100 + i % 5},
                             {&PlayerTable::RailgunShots, i == 3 ? 19 : 20}, {&PlayerTable::RailgunHits, i == 3 ? 19 : i % 9}}));
  std::vector<const JournalMatch*> matches;
  for (const JournalMatch& match : journal) matches.push_back(&match);
  const PlayerPage page = BuildPlayerPage("P", matches, ",");

  ASSERT_EQ(page.Frags.Series.size(), 2u);
  const std::vector<ChartPoint>& frags = page.Frags.Series[0].Points;
  const std::vector<ChartPoint>& average = page.Frags.Series[1].Points;
  ASSERT_EQ(frags.size(), 25u);
  EXPECT_EQ(frags[6].X, 7);
  EXPECT_EQ(frags[6].Y, 0);
  EXPECT_DOUBLE_EQ(average[1].Y, 1.5);  // (1 + 2) / 2: fewer than ten so far
  EXPECT_DOUBLE_EQ(average[11].Y, (3 + 4 + 5 + 6 + 0 + 1 + 2 + 3 + 4 + 5) / 10.0);  // matches 3 to 12
  EXPECT_TRUE(page.Frags.Series[1].Dashed);
  ASSERT_EQ(page.Accuracy.Series.size(), 1u);  // only the railgun was fired
  EXPECT_EQ(page.Accuracy.Series[0].Name, "Railgun");
  EXPECT_DOUBLE_EQ(page.Accuracy.Series[0].Points[0].Y, 5);

  ASSERT_EQ(page.Records.size(), 10u);
  EXPECT_EQ(page.Records[0].Caption, "Больше всего фрагов за игру");
  EXPECT_EQ(page.Records[0].Value, "6");
  EXPECT_EQ(page.Records[0].Position, 6);  // the first of three
  EXPECT_EQ(page.Records[6].Caption, "Лучшая точность: Railgun");
  EXPECT_EQ(page.Records[6].Value, "40% (8/20)");  // not 19 of 19: fewer than 20 shots
  EXPECT_EQ(page.Records[6].Position, 8);
  EXPECT_EQ(page.Records[1].Value, "");  // the machinegun: no match with 20 shots
  EXPECT_EQ(page.Records[9].Value, "104");
  EXPECT_EQ(page.Records[9].Position, 4);

  ASSERT_EQ(page.LastMatches.size(), 20u);
  EXPECT_EQ(page.LastMatches.front()->Position, 25);
  EXPECT_EQ(page.LastMatches.back()->Position, 6);
  EXPECT_EQ(MatchCellText(*page.LastMatches.front(), 4), "4");
}

TEST(PlayerPage, WithoutMatchesTheChartsAreEmptyAndNoRecordIsSet) {
  const PlayerPage page = BuildPlayerPage("P", {}, ",");
  EXPECT_EQ(page.MatchCount, 0u);
  EXPECT_TRUE(page.Frags.Series[0].Points.empty());
  for (const PlayerRecord& record : page.Records) EXPECT_EQ(record.Value, "");
  EXPECT_NE(RenderChartSvg(page.Frags, 400, 200).find("</svg>"), std::string::npos);
}

std::vector<std::string> Labels(const ChartAxis& axis) {
  std::vector<std::string> labels;
  for (const ChartTick& tick : axis.Ticks) labels.push_back(tick.Label);
  return labels;
}

TEST(ChartAxis, NiceTicksCoverTheRange) {
  ChartAxis axis = NiceAxis(0, 17, 5, true, ",", "Фраги");
  EXPECT_EQ(Labels(axis), (std::vector<std::string>{"0", "5", "10", "15", "20"}));
  EXPECT_DOUBLE_EQ(axis.Fraction(5), 0.25);
  axis = NiceAxis(0.1, 0.9, 5, false, ",", "");
  EXPECT_EQ(Labels(axis), (std::vector<std::string>{"0", "0,2", "0,4", "0,6", "0,8", "1"}));
  axis = NiceAxis(-3, 7, 6, true, ".", "");
  EXPECT_EQ(Labels(axis), (std::vector<std::string>{"-4", "-2", "0", "2", "4", "6", "8"}));
  EXPECT_DOUBLE_EQ(axis.Fraction(0), 1 / 3.0);
  // Whole numbers: never a step below one; a single value gets a range around it.
  EXPECT_EQ(Labels(NiceAxis(1, 3, 6, true, ",", "")), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Labels(NiceAxis(7, 7, 5, true, ",", "")), (std::vector<std::string>{"6", "7", "8"}));
  EXPECT_EQ(Labels(NiceAxis(0, 0, 5, true, ",", "")), (std::vector<std::string>{"0", "1"}));
  axis = NiceAxis(0, 100, 6, true, ",", "%");
  EXPECT_EQ(Labels(axis), (std::vector<std::string>{"0", "20", "40", "60", "80", "100"}));
  axis = NiceAxis(1, 100000, 6, true, ",", "");
  EXPECT_EQ(axis.Ticks.back().Label, "100000");
  EXPECT_EQ(axis.Min, 0);
}

TEST(ChartSvg, ScalesPointsIntoThePlotAndEscapesTexts) {
  Chart chart;
  chart.Title = "a<b & \"c\"";
  chart.X = NiceAxis(0, 10, 3, true, ",", "x");
  chart.Y = NiceAxis(0, 10, 3, true, ",", "y");
  chart.Series.push_back({"s", 0x123456, false, {{0, 0}, {10, 10}}});
  chart.Series.push_back({"dot", 0xabcdef, true, {{5, 5}}});
  const std::string svg = RenderChartSvg(chart, 200, 100);
  // The plot spans 48..188 across and 64..50 upwards: 36 below it for the
  // axis, above it the title and one row of legend (22..32) and 18 more.
  EXPECT_NE(svg.find("points=\"48,64 188,50\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("<circle cx=\"118\" cy=\"57\" r=\"3\" fill=\"#abcdef\"/>"), std::string::npos) << svg;
  EXPECT_NE(svg.find("stroke=\"#123456\""), std::string::npos);
  EXPECT_NE(svg.find(">a&lt;b &amp; &quot;c&quot;</text>"), std::string::npos);
  EXPECT_EQ(svg.rfind("<svg", 0), 0u);
}

TEST(ChartPlace, LegendWrapsByTheRenderersMeasureAndEveryShapeStaysInside) {
  Chart chart;
  chart.Title = "T";
  chart.X = NiceAxis(1, 4, 4, true, ",", "Матч");
  chart.Y = NiceAxis(0, 10, 3, true, ",", "%");
  chart.Series.push_back({"a", 0x010203, false, {{1, 0}, {2, 5}, {4, 10}}});
  chart.Series.push_back({"b", 0x040506, true, {{1, 10}, {4, 0}}});
  chart.Series.push_back({"c", 0x070809, false, {{3, 5}}});

  // Narrow names: one legend row, and the plot 18 below it.
  const PlacedChart narrow = PlaceChart(chart, 300, 200, [](std::string_view, double, bool) { return 5.0; });
  ASSERT_EQ(narrow.Rects.size(), 3u);
  EXPECT_EQ(narrow.Rects[2].Y, narrow.Rects[0].Y);
  EXPECT_EQ(narrow.Rects[1].X, narrow.Rects[0].X + 29);  // the swatch, its gap, the name, the space after
  // Wide names: a row each, and the plot moves down under them.
  const PlacedChart wide = PlaceChart(chart, 300, 200, [](std::string_view, double, bool) { return 150.0; });
  EXPECT_EQ(wide.Rects[1].X, wide.Rects[0].X);
  EXPECT_EQ(wide.Rects[2].Y, wide.Rects[0].Y + 28);
  const double narrow_top = narrow.Polylines[1].Points[0].Y, wide_top = wide.Polylines[1].Points[0].Y;
  EXPECT_EQ(narrow_top, narrow.Rects[0].Y + 10 + 18);
  EXPECT_EQ(wide_top, wide.Rects[2].Y + 10 + 18);
  EXPECT_EQ(wide.Polylines[1].Points[1].Y, 200 - 36) << "the bottom stays";

  // The series: a line each, dashed as given, and a single point as a dot.
  ASSERT_EQ(narrow.Polylines.size(), 2u);
  EXPECT_FALSE(narrow.Polylines[0].Dashed);
  EXPECT_TRUE(narrow.Polylines[1].Dashed);
  EXPECT_EQ(narrow.Polylines[1].Color, 0x040506u);
  ASSERT_EQ(narrow.Dots.size(), 1u);
  EXPECT_EQ(narrow.Dots[0].Color, 0x070809u);

  // Tick labels: the Y ones end left of the plot, the X ones centred under their marks; the title centred.
  const auto text = [&](std::string_view what) {
    for (const ChartText& t : narrow.Texts)
      if (t.Text == what) return t;
    ADD_FAILURE() << what;
    return ChartText{};
  };
  EXPECT_EQ(text("10").Anchor, TextAnchor::End);
  EXPECT_EQ(text("10").At.X, 44);
  EXPECT_EQ(text("10").At.Y, narrow_top + 4);
  EXPECT_EQ(text("4").Anchor, TextAnchor::Middle);
  EXPECT_EQ(text("4").At.X, 300 - 12);
  EXPECT_EQ(text("T").At.X, 150);
  EXPECT_TRUE(text("T").Bold);
  EXPECT_GT(text("T").Size, text("Матч").Size);
  for (const ChartLine& line : narrow.Lines)
    for (const ChartPoint& end : {line.From, line.To}) {
      EXPECT_GE(end.X, 0);
      EXPECT_LE(end.X, 300);
      EXPECT_GE(end.Y, 0);
      EXPECT_LE(end.Y, 200);
    }
}

TEST(ChartSvg, AllTheShapesOfAPlacedChartAreDrawn) {
  PlacedChart placed;
  placed.Width = 100;
  placed.Height = 50;
  placed.Lines = {{{0, 0}, {10, 0}, 0xe0e0e0, 1}, {{0, 5}, {10, 5}, 0xe0e0e0, 1}, {{1, 1}, {1, 9}, 0x808080, 1}};
  placed.Rects = {{1, 2, 3, 4, 0x00ff00}};
  placed.Texts = {{{5, 6}, "x<y", TextAnchor::Middle, 0x112233, 13, true}};
  placed.Polylines = {{{{0, 0}, {2.25, 3}}, 0xff0000, 2, true}};
  const std::string svg = [&] {
    std::string out;
    AppendPlacedChartSvg(out, placed);
    return out;
  }();
  EXPECT_NE(svg.find("width=\"100\" height=\"50\" viewBox=\"0 0 100 50\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("stroke=\"#e0e0e0\" d=\"M0 0L10 0M0 5L10 5\""), std::string::npos) << "one path a pen: " << svg;
  EXPECT_NE(svg.find("stroke=\"#808080\" d=\"M1 1L1 9\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("<rect x=\"1\" y=\"2\" width=\"3\" height=\"4\" fill=\"#00ff00\"/>"), std::string::npos) << svg;
  EXPECT_NE(svg.find("<text x=\"5\" y=\"6\" text-anchor=\"middle\" font-size=\"13\" font-weight=\"bold\" "
                     "fill=\"#112233\">x&lt;y</text>"),
            std::string::npos)
      << svg;
  EXPECT_NE(svg.find("stroke-width=\"2\" stroke-dasharray=\"6 3\" stroke=\"#ff0000\" points=\"0,0 2.3,3\""),
            std::string::npos)
      << svg;
}

}  // namespace
}  // namespace fragtally::testing
