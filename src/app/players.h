#pragma once

// The Players window without widgets: every player of the statistics file
// in one table (any period, sorted by any column), and the selected player's
// page (charts, personal records, the last matches) from the match journal.
// The windows bind their table and chart controls to PlayersWindowModel;
// the HTML report and the CSV file are built from the same rows and pages.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/chart.h"
#include "app/ratings.h"
#include "files/journal.h"
#include "stats/player_table.h"

namespace fragtally {

// A calendar day: days since 1970-01-01.
using DayNumber = std::int64_t;
DayNumber DaysFromCivil(int year, int month, int day);
// The day of a session that starts with a date "YYYY-MM-DD"; none for a
// session of raw text or none.
std::optional<DayNumber> SessionDay(std::string_view session);

enum class PlayersPeriod { AllTime, Last7Days, Last30Days, Last365Days };
inline constexpr std::array<PlayersPeriod, 4> kPlayersPeriods{PlayersPeriod::AllTime, PlayersPeriod::Last7Days,
                                                              PlayersPeriod::Last30Days, PlayersPeriod::Last365Days};
// "За всё время", "За 7 дней", ...
std::string_view PeriodCaption(PlayersPeriod period);

enum class PlayersColumn {
  Name,
  Games,
  Kills,
  Deaths,
  Suicides,
  Frags,
  FragRating,      // frags minus deaths per game, as the ratings report computes it
  DamageRating,    // damage given minus received per game, likewise
  AccuracyRating,  // the mean of the eight weapons' accuracies, likewise
  KillsPerDeath,   // kills / deaths, two decimals
  LastPlayed,      // the latest session date of the player's matches
};
enum class CellAlign { Left, Right };
enum class SortKind { Text, Number, Date };
struct PlayersColumnInfo {
  PlayersColumn Column;
  std::string_view Caption;  // UTF-8
  CellAlign Align;
  SortKind Sort;
  std::string_view Tooltip;  // UTF-8: what the column holds, shown over its header; empty: none
};
inline constexpr std::array<PlayersColumnInfo, 11> kPlayersColumns{{
    {PlayersColumn::Name, "Игрок", CellAlign::Left, SortKind::Text, ""},
    {PlayersColumn::Games, "Игр", CellAlign::Right, SortKind::Number, ""},
    {PlayersColumn::Kills, "Убийств", CellAlign::Right, SortKind::Number, ""},
    {PlayersColumn::Deaths, "Смертей", CellAlign::Right, SortKind::Number, ""},
    {PlayersColumn::Suicides, "Самоубийств", CellAlign::Right, SortKind::Number, ""},
    {PlayersColumn::Frags, "Фрагов", CellAlign::Right, SortKind::Number, ""},
    {PlayersColumn::FragRating, "Рейтинг фрагов", CellAlign::Right, SortKind::Number, ""},
    {PlayersColumn::DamageRating, "Рейтинг повреждений", CellAlign::Right, SortKind::Number, ""},
    {PlayersColumn::AccuracyRating, "Рейтинг точности", CellAlign::Right, SortKind::Number, ""},
    {PlayersColumn::KillsPerDeath, "Убийств на смерть", CellAlign::Right, SortKind::Number, ""},
    {PlayersColumn::LastPlayed, "Последняя игра", CellAlign::Left, SortKind::Date, ""},
}};

// One row of the table.
struct PlayerRow {
  int Slot = 0;      // the player's slot in the statistics file, from 1
  std::string Name;  // bytes, as the statistics file holds them
  // The period's counters in the order of kCounterColumns: the slot's totals
  // for all time, the sums of the period's journal matches otherwise.
  std::array<std::int64_t, kCounterColumns.size()> Counters{};
  // None when there is nothing to rate (no games in the period, no deaths
  // for kills per death) or the rating fails as it does in the report.
  std::optional<double> FragRating, DamageRating, AccuracyRating, KillsPerDeath;
  std::string LastPlayed;  // "YYYY-MM-DD hh:mm:ss" of any period; empty without a dated match

  // The number a numeric column sorts by (none sorts last either way).
  std::optional<double> Number(PlayersColumn column) const;
};

// The journal's matches of each slot (index slot - 1), oldest first. A
// match belongs to the first slot with its name; names the statistics file
// does not hold are left out.
using MatchesBySlot = std::vector<std::vector<const JournalMatch*>>;
MatchesBySlot GroupMatchesBySlot(const PlayerTable& table, const std::vector<JournalMatch>& journal);

// The rows of slots 1..PlayerCount in slot order. `today` is the last day
// of a period of days (the period holds it and the days before it).
std::vector<PlayerRow> BuildPlayerRows(const PlayerTable& table, const MatchesBySlot& matches, PlayersPeriod period,
                                       DayNumber today);

// Sorts by `column`; rows that tie stay in slot order in both directions,
// empty cells go last in both directions.
void SortPlayerRows(std::vector<PlayerRow>& rows, PlayersColumn column, bool descending);

// A cell as the table shows it: names and dates as bytes (a window decodes
// them), numbers with the user's decimal separator.
std::string PlayerCellText(const PlayerRow& row, PlayersColumn column, const std::string& decimal_separator);

// One personal record: what it is, its value, and the match that set it.
struct PlayerRecord {
  std::string Caption;  // UTF-8
  std::string Value;    // UTF-8; empty when no match qualifies
  std::string Session;  // bytes: the match's session
  std::int64_t Position = 0;
};

// The columns of the last matches' list.
inline constexpr std::array<std::string_view, 8> kMatchColumnCaptions{
    "Сессия", "Матч", "Фрагов", "Убийств", "Смертей", "Самоубийств", "Урон нанесён", "Урон получен"};
// A cell of that list: the session as bytes, the rest as whole numbers.
std::string MatchCellText(const JournalMatch& match, std::size_t column);

inline constexpr std::size_t kLastMatches = 20;
inline constexpr int kMovingAverageMatches = 10;
inline constexpr std::int32_t kRecordMinimumShots = 20;

struct PlayerPage {
  std::string Name;  // bytes
  std::size_t MatchCount = 0;
  // Frags per match with their moving average over the last ten matches;
  // each weapon's accuracy (%) in the matches it was fired in.
  Chart Frags, Accuracy;
  // Most frags in one match, the best accuracy with at least 20 shots of
  // each weapon, most damage given in one match.
  std::vector<PlayerRecord> Records;
  std::vector<const JournalMatch*> LastMatches;  // newest first, at most 20
};

// The page of a player whose journal matches (oldest first) are `matches`.
PlayerPage BuildPlayerPage(std::string_view name, const std::vector<const JournalMatch*>& matches,
                           const std::string& decimal_separator);

// What the Players window shows, for its widgets to bind to: the table of
// the chosen period in the chosen order, and the page of a row.
class PlayersWindowModel {
 public:
  // When the window opens and after every import and undo: the table and
  // journal are read afresh (the model keeps its own copy of the journal and
  // reads the table until the next refresh); the period and the order stay.
  void Refresh(const PlayerTable& table, std::vector<JournalMatch> journal, DayNumber today);

  void SetPeriod(PlayersPeriod period);
  PlayersPeriod Period() const { return period_; }

  // A click on a column's header: sorts by it, descending first for numbers
  // and dates, ascending for names; a second click on it reverses the order.
  void ClickHeader(PlayersColumn column);
  void SortBy(PlayersColumn column, bool descending);
  // Slot order until the first sort.
  std::optional<PlayersColumn> SortColumn() const { return sort_column_; }
  bool SortDescending() const { return descending_; }

  const std::vector<PlayerRow>& Rows() const { return rows_; }
  // The row showing `slot`, or -1 (to keep the selection across a refresh or sort).
  int RowOfSlot(int slot) const;
  std::string CellText(int row, PlayersColumn column, const std::string& decimal_separator) const;
  PlayerPage Page(int row, const std::string& decimal_separator) const;

 private:
  void Rebuild();

  const PlayerTable* table_ = nullptr;
  std::vector<JournalMatch> journal_;
  MatchesBySlot matches_;
  DayNumber today_ = 0;
  PlayersPeriod period_ = PlayersPeriod::AllTime;
  std::optional<PlayersColumn> sort_column_;
  bool descending_ = false;
  std::vector<PlayerRow> rows_;
};

}  // namespace fragtally
