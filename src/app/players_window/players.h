#pragma once

// The Players window without widgets: every player of the statistics file
// in one table (any period, sorted by any column), and the selected player's
// page (charts, personal records, the last matches) from the match journal.
// The windows bind their table and chart controls to PlayersWindowModel;
// the HTML report and the CSV file are built from the same rows and pages.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/players_window/chart.h"
#include "app/main_window/ratings.h"
#include "app/matches/match_view.h"
#include "files/journal.h"
#include "stats/player_table.h"

namespace fragtally {

// A calendar day: days since 1970-01-01.
using DayNumber = std::int64_t;
DayNumber DaysFromCivil(int year, int month, int day);
struct CivilDate {
  int Year = 1970, Month = 1, Day = 1;
};
CivilDate CivilFromDays(DayNumber day);
// "YYYY-MM-DD".
std::string DayText(DayNumber day);
// The day of a session that starts with a date "YYYY-MM-DD"; none for a
// session of raw text or none.
std::optional<DayNumber> SessionDay(std::string_view session);
// A club's evening runs on past midnight: a game session that starts before
// this hour belongs to the evening of the day before.
inline constexpr int kEveningEndsAtHour = 6;
// The evening of a session "YYYY-MM-DD hh:mm:ss" (its day, or the day
// before when it started in the small hours); none for an undated session.
std::optional<DayNumber> SessionEvening(std::string_view session);

enum class PlayersPeriod { AllTime, LastEvening, ThisWeek, ThisMonth, ThisYear, Last30Days, Last365Days };
inline constexpr std::array<PlayersPeriod, 7> kPlayersPeriods{
    PlayersPeriod::AllTime,  PlayersPeriod::LastEvening, PlayersPeriod::ThisWeek,   PlayersPeriod::ThisMonth,
    PlayersPeriod::ThisYear, PlayersPeriod::Last30Days,  PlayersPeriod::Last365Days};
// "За всё время", "За последний вечер", ...
std::string_view PeriodCaption(PlayersPeriod period);

// The journal's matches of each slot (index slot - 1), oldest first. A
// match belongs to the first slot with its name; names the statistics file
// does not hold are left out.
using MatchesBySlot = std::vector<std::vector<const JournalMatch*>>;

// A period made concrete on a day: which game sessions it holds. A session
// counts by its start-up line's date, so a match played past midnight
// belongs to the day its session began.
struct PeriodSpan {
  PlayersPeriod Period = PlayersPeriod::AllTime;
  // The sessions' days First..Last. The last evening is the latest
  // evening (SessionEvening) up to today: First is its day, Last today.
  DayNumber First = 0, Last = 0;
  bool Empty = false;  // the last evening of a journal without a dated session
  bool Holds(const JournalMatch& match) const { return HoldsSession(match.Session); }
  bool HoldsSession(std::string_view session) const;
};
// Weeks start on Monday; the periods of days end with `today` (sessions the
// clock dated later are in none of them, as are undated ones).
PeriodSpan ResolvePeriod(PlayersPeriod period, const MatchesBySlot& matches, DayNumber today);
// What the report and the CSV say of their period, as "За эту неделю:
// 2026-11-30 — 2026-12-02".
std::string PeriodText(const PeriodSpan& span);
// The matches of each slot that `span` holds.
MatchesBySlot MatchesIn(const MatchesBySlot& matches, const PeriodSpan& span);

enum class PlayersColumn {
  Name,
  Games,
  Matches,   // matches with a match number (journaled since matches were told apart)
  Wins,      // first places among them
  WinShare,  // wins / matches, %
  Skill,     // the skill rating shown: mu - 3 sigma
  Kills,
  Deaths,
  Suicides,
  Frags,
  FragRating,      // frags minus deaths per game, as the ratings report computes it
  DamageRating,    // damage given minus received per game, likewise
  AccuracyRating,  // the mean of the eight weapons' shown accuracies, likewise
  Accuracy,        // all hits over all shots, %
  KillsPerDeath,   // kills / deaths
  LastPlayed,      // the latest session date of the player's matches
};
enum class CellAlign { Left, Right };
enum class SortKind { Text, Number, Date };
struct PlayersColumnInfo {
  PlayersColumn Column;
  std::string_view Caption;  // UTF-8
  CellAlign Align;
  SortKind Sort;
  std::string_view Tooltip;  // UTF-8: what the column shows, for its header
};
inline constexpr std::array<PlayersColumnInfo, 16> kPlayersColumns{{
    {PlayersColumn::Name, "Игрок", CellAlign::Left, SortKind::Text, "Имя игрока, как его пишет игра"},
    {PlayersColumn::Games, "Игр", CellAlign::Right, SortKind::Number,
     "Сыгранных игр: сколько раз игра вывела статистику игрока"},
    {PlayersColumn::Matches, "Матчей", CellAlign::Right, SortKind::Number,
     "Матчей с номером в журнале: игр, записанных до того, как программа стала различать матчи, здесь нет"},
    {PlayersColumn::Wins, "Побед", CellAlign::Right, SortKind::Number,
     "Первых мест в этих матчах (по фрагам; при равенстве фрагов первое место делится)"},
    {PlayersColumn::WinShare, "Доля побед", CellAlign::Right, SortKind::Number, "Победы / матчи, в процентах"},
    {PlayersColumn::Skill, "Мастерство", CellAlign::Right, SortKind::Number,
     "Рейтинг мастерства mu − 3·sigma (Weng-Lin, Plackett-Luce) после последнего матча игрока за период; "
     "растёт с каждым местом выше ожидаемого"},
    {PlayersColumn::Kills, "Убийств", CellAlign::Right, SortKind::Number, "Убитых соперников"},
    {PlayersColumn::Deaths, "Смертей", CellAlign::Right, SortKind::Number, "Сколько раз игрока убили"},
    {PlayersColumn::Suicides, "Самоубийств", CellAlign::Right, SortKind::Number,
     "Сколько раз игрок погиб по своей вине"},
    {PlayersColumn::Frags, "Фрагов", CellAlign::Right, SortKind::Number, "Фраги, как их считает игра"},
    {PlayersColumn::FragRating, "Рейтинг фрагов", CellAlign::Right, SortKind::Number,
     "(фраги − смерти) / игры: на сколько фрагов за игру игрок в среднем опережает свои смерти"},
    {PlayersColumn::DamageRating, "Рейтинг повреждений", CellAlign::Right, SortKind::Number,
     "(урон нанесён − урон получен) / игры: средний перевес в уроне за игру"},
    {PlayersColumn::AccuracyRating, "Рейтинг точности", CellAlign::Right, SortKind::Number,
     "Среднее восьми процентов точности по оружию, как их показывает панель; неиспользованное оружие идёт "
     "как 0%, дробная часть отбрасывается"},
    {PlayersColumn::Accuracy, "Точность", CellAlign::Right, SortKind::Number,
     "Все попадания из всех выстрелов, в процентах"},
    {PlayersColumn::KillsPerDeath, "Убийств на смерть", CellAlign::Right, SortKind::Number, "Убийства / смерти"},
    {PlayersColumn::LastPlayed, "Последняя игра", CellAlign::Left, SortKind::Date,
     "Начало игровой сессии последней игры игрока, за всё время"},
}};
// The table's order until a header is clicked, and the report's ranking:
// the frag rating, the highest first.
inline constexpr PlayersColumn kDefaultSortColumn = PlayersColumn::FragRating;

// One row of the table: a person, that is one name of the statistics file
// or several the organiser merged (journal_people.h).
struct PlayerRow {
  int Slot = 0;      // the slot of the person's shown name in the statistics file (else of its first name), from 1
  std::string Name;  // bytes: the person's shown name
  // The slots of every name of the person in the row (Slot among them), in slot order.
  std::vector<int> Slots;
  // Ranked: the person has the matches the organiser asks for (people
  // below it are listed after the ranked ones). LookAlike: "UTF-8" or
  // "Windows-1251" when another row's name shows as the same letters.
  bool Ranked = true;
  std::string LookAlike;
  // The period's counters in the order of kCounterColumns: the slot's totals
  // for all time, the sums of the period's journal matches otherwise.
  std::array<std::int64_t, kCounterColumns.size()> Counters{};
  // None when there is nothing to rate (no games in the period, no deaths
  // for kills per death) or the rating fails as it does in the report.
  // Accuracy: none without a shot. The values are exact; a cell rounds them.
  std::optional<double> FragRating, DamageRating, AccuracyRating, Accuracy, KillsPerDeath;
  std::string LastPlayed;  // "YYYY-MM-DD hh:mm:ss" of any period; empty without a dated match
  // The period's matches (journal blocks with a match number) and first
  // places among them; the share of wins (%) and the skill rating shown
  // (mu - 3 sigma) as it stood after the player's last match of the period
  // (for all time the rating now). Both none without a match.
  std::int64_t MatchCount = 0, Wins = 0;
  std::optional<double> WinShare, Skill;

  // The number a numeric column sorts by (none sorts last either way).
  std::optional<double> Number(PlayersColumn column) const;
};

MatchesBySlot GroupMatchesBySlot(const PlayerTable& table, const std::vector<JournalMatch>& journal);

// The ratings of rows' counters as last worked out, by slot (they depend on
// the counters alone): a window rebuilding its rows takes them from here
// when a slot's counters are the same.
struct RatedCounters {
  bool Known = false;
  std::array<std::int64_t, kCounterColumns.size()> Counters{};
  std::optional<double> FragRating, DamageRating, AccuracyRating, Accuracy, KillsPerDeath;
};

// The rows in slot order: for all time every slot 1..PlayerCount with its
// totals, for a period the players with a match in it (the sums of those
// matches). `matches` are all of each slot's matches.
// With `snapshot` (the journal's matches, ratings and people), a row is a
// person: the names joined to one are summed into the row of the first of
// them, hidden people are left out, and each row has its matches, wins,
// skill, rank and look-alike mark; without it each name is a row of its own
// and those stay empty.
// `last_played`, when given, is LastPlayedBySlot(matches) (a window keeps it
// between refreshes).
std::vector<PlayerRow> BuildPlayerRows(const PlayerTable& table, const MatchesBySlot& matches, const PeriodSpan& span,
                                       const MatchSnapshot* snapshot = nullptr,
                                       const std::vector<std::string>* last_played = nullptr);
// Each slot's latest dated session of `matches` (empty without one).
std::vector<std::string> LastPlayedBySlot(const MatchesBySlot& matches);
std::vector<PlayerRow> BuildPlayerRows(const PlayerTable& table, const MatchesBySlot& matches, PlayersPeriod period,
                                       DayNumber today, const MatchSnapshot* snapshot = nullptr);

// The blocks of every name of a row's person among `matches` (one slot's
// each), in the journal's order.
std::vector<const JournalMatch*> PersonBlocks(const MatchesBySlot& matches, const PlayerRow& row);

// Sorts by `column`, the ranked rows before the others; rows that tie stay
// in slot order in both directions, empty cells go last in both directions.
void SortPlayerRows(std::vector<PlayerRow>& rows, PlayersColumn column, bool descending);
// The places of rows sorted by `column`, from 1: rows with the same value
// share a place (the next is then skipped), a row without one has 0.
std::vector<int> PlayerPlaces(const std::vector<PlayerRow>& rows, PlayersColumn column);

// A cell as the table shows it: names and dates as bytes (a window decodes
// them), counts whole, the rating of accuracy whole as the report has it,
// the other ratings and fractions rounded to two decimals (half away from
// zero, of the exact quotient) with the user's decimal separator.
std::string PlayerCellText(const PlayerRow& row, PlayersColumn column, const std::string& decimal_separator);

struct Weapon;
// A weapon as the game names it in its statistics line: "Machinegun" of
// "console: Machinegun:".
std::string_view WeaponName(const Weapon& weapon);

// One personal record: what it is, its value, and the match that set it.
struct PlayerRecord {
  std::string Caption;  // UTF-8
  std::string Value;    // UTF-8; empty when no match qualifies
  std::string Session;  // bytes: the match's session
  std::int64_t Position = 0;  // the game's place in its session
  std::int64_t Match = 0;     // its match's number in the session; 0 for an older journal line
};
// The match that set a record as the window's list shows it: its number in
// the session ("3"), or for a game of an older journal line (no match) the
// game's place in the session ("игра 14").
std::string RecordMatchText(const PlayerRecord& record);

// The columns of the last matches' list.
inline constexpr std::array<std::string_view, 10> kMatchColumnCaptions{
    "Сессия", "Матч", "Карта", "Место", "Фрагов", "Убийств", "Смертей", "Самоубийств", "Урон нанесён", "Урон получен"};
// A cell of that list: the session and map as bytes, the match's number
// (empty for a block journaled before matches), the place as "2 из 8" when
// `played` (the match of the block) is given, the rest as whole numbers.
std::string MatchCellText(const JournalMatch& match, std::size_t column, const PlayedMatch* played = nullptr);

// One map of a player's page: the player's matches on it and their figures.
struct MapFigures {
  std::string Map;  // bytes; empty when the log did not name it
  std::int64_t Matches = 0, Wins = 0, Frags = 0, Hits = 0, Shots = 0;
};
inline constexpr std::array<std::string_view, 5> kMapColumnCaptions{"Карта", "Матчей", "Побед", "Фрагов в среднем",
                                                                    "Точность"};
inline constexpr std::string_view kUnnamedMap = "(не указана)";
// A cell of the maps' list: the map as bytes (kUnnamedMap for none), the
// averages and accuracy (all hits over all shots, %) to two decimals.
std::string MapCellText(const MapFigures& map, std::size_t column, const std::string& decimal_separator);

// The columns of a match's scoreboard, best place first.
inline constexpr std::array<std::string_view, 8> kScoreboardColumnCaptions{
    "Место", "Игрок", "Фрагов", "Убийств", "Смертей", "Точность", "Урон нанесён", "Урон получен"};
// The scoreboard's rows: every game of `match` (names as bytes).
std::vector<std::vector<std::string>> ScoreboardRows(const PlayedMatch& match, const std::string& decimal_separator);
// "Матч 3, 2026-03-14 20:31:07, карта krmdm6", UTF-8 (the session and map decoded).
std::string ScoreboardTitle(const PlayedMatch& match);

inline constexpr std::size_t kLastMatches = 20;
inline constexpr int kMovingAverageMatches = 10;
inline constexpr std::int32_t kRecordMinimumShots = 20;

// One name of a person: its first and last games ("YYYY-MM-DD hh:mm:ss" of
// their sessions; empty without a dated one).
struct PersonName {
  std::string Name;  // bytes
  std::string First, Last;
};

struct PlayerPage {
  std::string Name;  // bytes
  std::vector<PersonName> Names;  // the person's names, the shown one first
  std::size_t MatchCount = 0;
  // Frags per match with their moving average over the last ten matches;
  // the accuracy (%) of each weapon fired, smoothed over as many of the
  // matches it was fired in.
  Chart Frags, Accuracy;
  std::vector<WeaponShots> Weapons;  // the weapons fired, in the order of kWeapons
  // Most frags in one match, the best accuracy with at least 20 shots of
  // each weapon, most damage given in one match.
  std::vector<PlayerRecord> Records;
  std::vector<const JournalMatch*> LastMatches;  // newest first, at most 20
  // With the journal's matches: the match of each of LastMatches (null for
  // a block without one); the skill rating shown after each of the period's
  // matches; each map's figures, most matches first.
  std::vector<const PlayedMatch*> LastPlayed;
  Chart Skill;
  std::vector<MapFigures> Maps;
};

// The page of a player whose journal matches (oldest first) are `matches`;
// with `snapshot`, the places, maps and skill of the player's matches that
// `span` holds.
PlayerPage BuildPlayerPage(std::string_view name, const std::vector<const JournalMatch*>& matches,
                           const std::string& decimal_separator, const MatchSnapshot* snapshot = nullptr,
                           const PeriodSpan& span = PeriodSpan{});

// What the Players window shows, for its widgets to bind to: the table of
// the chosen period in the chosen order, and the page of a row (of the
// period's matches).
class PlayersWindowModel {
 public:
  // When the window opens and after every import and undo: the table and
  // journal are read afresh (the model keeps its own copy of the journal and
  // reads the table until the next refresh); the period and the order stay.
  void Refresh(const PlayerTable& table, std::shared_ptr<const MatchSnapshot> matches, DayNumber today);
  // The journal's matches the model shows (null before the first refresh).
  const MatchSnapshot* Matches() const { return snapshot_.get(); }

  void SetPeriod(PlayersPeriod period);
  PlayersPeriod Period() const { return period_; }
  const PeriodSpan& Span() const { return span_; }

  // A click on a column's header: sorts by it, descending first for numbers
  // and dates, ascending for names; a second click on it reverses the order.
  void ClickHeader(PlayersColumn column);
  void SortBy(PlayersColumn column, bool descending);
  // kDefaultSortColumn, highest first, until a header is clicked.
  std::optional<PlayersColumn> SortColumn() const { return sort_column_; }
  bool SortDescending() const { return descending_; }

  const std::vector<PlayerRow>& Rows() const { return rows_; }
  // The row showing `slot` (its person's), or -1 (to keep the selection across a refresh or sort).
  int RowOfSlot(int slot) const;
  std::string CellText(int row, PlayersColumn column, const std::string& decimal_separator) const;
  PlayerPage Page(int row, const std::string& decimal_separator) const;

 private:
  void Rebuild();
  void Group(const PlayerTable& table);
  const MatchesBySlot& PeriodMatches() const;

  const PlayerTable* table_ = nullptr;
  std::shared_ptr<const MatchSnapshot> snapshot_;
  // The snapshot's journal by number (its own index, else one of the model's).
  std::shared_ptr<const JournalIndex> index_;
  // What the periods ask of each of the journal's sessions.
  struct SessionFacts {
    std::optional<DayNumber> Day, Evening;
    bool OfSlot = false;  // a block of a name of the table is of it
  };
  std::vector<SessionFacts> sessions_;
  std::vector<char> held_;  // each session: in the period
  MatchesBySlot matches_, period_matches_;
  std::vector<std::string> grouped_names_;  // the table's names matches_ was grouped by
  std::vector<std::string> last_played_;    // LastPlayedBySlot(matches_)
  DayNumber today_ = 0;
  PlayersPeriod period_ = PlayersPeriod::AllTime;
  PeriodSpan span_;
  std::optional<PlayersColumn> sort_column_ = kDefaultSortColumn;
  bool descending_ = true;
  std::vector<PlayerRow> rows_;
  std::vector<RatedCounters> rated_;  // by slot - 1
};

}  // namespace fragtally
