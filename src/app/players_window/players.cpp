#include "app/players_window/players.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <utility>

#include "app/matches/people.h"
#include "app/text/number_format.h"
#include "app/text/text_decoding.h"
#include "app/main_window/panels.h"
#include "stats/numbers.h"
#include "stats/weapons.h"

namespace fragtally {

DayNumber DaysFromCivil(int year, int month, int day) {
  // Days of the proleptic Gregorian calendar, counted in 400-year eras.
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t year_of_era = y - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

CivilDate CivilFromDays(DayNumber day) {
  // The inverse of DaysFromCivil, with years starting on March 1st.
  const std::int64_t z = day + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t day_of_era = z - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t month_from_march = (5 * day_of_year + 2) / 153;
  CivilDate date;
  date.Day = static_cast<int>(day_of_year - (153 * month_from_march + 2) / 5 + 1);
  date.Month = static_cast<int>(month_from_march < 10 ? month_from_march + 3 : month_from_march - 9);
  date.Year = static_cast<int>(year_of_era + era * 400 + (date.Month <= 2 ? 1 : 0));
  return date;
}

std::string DayText(DayNumber day) {
  const CivilDate date = CivilFromDays(day);
  std::string text = std::to_string(date.Year);
  for (int part : {date.Month, date.Day}) {
    text += part < 10 ? "-0" : "-";
    text += std::to_string(part);
  }
  return text;
}

std::optional<DayNumber> SessionDay(std::string_view session) {
  if (session.size() < 10 || session[4] != '-' || session[7] != '-') return std::nullopt;
  int parts[3] = {0, 0, 0};
  const std::size_t starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
  for (int i = 0; i < 3; ++i) {
    for (std::size_t k = starts[i]; k < starts[i] + lengths[i]; ++k) {
      if (session[k] < '0' || session[k] > '9') return std::nullopt;
      parts[i] = parts[i] * 10 + (session[k] - '0');
    }
  }
  if (parts[1] < 1 || parts[1] > 12 || parts[2] < 1 || parts[2] > 31) return std::nullopt;
  return DaysFromCivil(parts[0], parts[1], parts[2]);
}

std::optional<DayNumber> SessionEvening(std::string_view session) {
  std::optional<DayNumber> day = SessionDay(session);
  if (!day || session.size() < 13 || session[10] != ' ') return day;
  const char tens = session[11], units = session[12];
  if (tens < '0' || tens > '9' || units < '0' || units > '9') return day;
  if ((tens - '0') * 10 + (units - '0') < kEveningEndsAtHour) --*day;
  return day;
}

std::string_view PeriodCaption(PlayersPeriod period) {
  switch (period) {
    case PlayersPeriod::LastEvening: return "За последний вечер";
    case PlayersPeriod::ThisWeek: return "За эту неделю";
    case PlayersPeriod::ThisMonth: return "За этот месяц";
    case PlayersPeriod::ThisYear: return "За этот год";
    case PlayersPeriod::Last30Days: return "За 30 дней";
    case PlayersPeriod::Last365Days: return "За 365 дней";
    case PlayersPeriod::AllTime: break;
  }
  return "За всё время";
}

bool PeriodSpan::HoldsSession(std::string_view session) const {
  if (Period == PlayersPeriod::AllTime) return true;
  if (Empty) return false;
  const std::optional<DayNumber> day = SessionDay(session);
  if (!day || *day > Last) return false;
  if (Period == PlayersPeriod::LastEvening) return SessionEvening(session) == First;
  return *day >= First;
}

namespace {

// `period` on `today`; `latest_evening` is asked only for the last evening.
template <class Latest>
PeriodSpan SpanOn(PlayersPeriod period, DayNumber today, Latest latest_evening) {
  PeriodSpan span{period, today, today, false};
  const CivilDate date = CivilFromDays(today);
  switch (period) {
    case PlayersPeriod::AllTime: break;
    case PlayersPeriod::LastEvening: {
      const std::optional<DayNumber> latest = latest_evening();
      span.Empty = !latest;
      if (latest) span.First = *latest;
      break;
    }
    case PlayersPeriod::ThisWeek: span.First = today - ((today + 3) % 7 + 7) % 7; break;  // 1970-01-01 was a Thursday
    case PlayersPeriod::ThisMonth: span.First = DaysFromCivil(date.Year, date.Month, 1); break;
    case PlayersPeriod::ThisYear: span.First = DaysFromCivil(date.Year, 1, 1); break;
    case PlayersPeriod::Last30Days: span.First = today - 29; break;
    case PlayersPeriod::Last365Days: span.First = today - 364; break;
  }
  return span;
}

}  // namespace

PeriodSpan ResolvePeriod(PlayersPeriod period, const MatchesBySlot& matches, DayNumber today) {
  return SpanOn(period, today, [&] {
    std::optional<DayNumber> latest;
    for (const std::vector<const JournalMatch*>& slot : matches) {
      for (const JournalMatch* match : slot) {
        const std::optional<DayNumber> day = SessionDay(match->Session);
        if (!day || *day > today) continue;
        const DayNumber evening = *SessionEvening(match->Session);
        if (!latest || evening > *latest) latest = evening;
      }
    }
    return latest;
  });
}

std::string PeriodText(const PeriodSpan& span) {
  std::string text(PeriodCaption(span.Period));
  if (span.Period == PlayersPeriod::AllTime) return text;
  if (span.Empty) return text + ": игр нет";
  text += ": " + DayText(span.First);
  if (span.Period != PlayersPeriod::LastEvening && span.Last != span.First) text += " — " + DayText(span.Last);
  return text;
}

MatchesBySlot MatchesIn(const MatchesBySlot& matches, const PeriodSpan& span) {
  MatchesBySlot held(matches.size());
  for (std::size_t slot = 0; slot < matches.size(); ++slot)
    for (const JournalMatch* match : matches[slot])
      if (span.Holds(*match)) held[slot].push_back(match);
  return held;
}

namespace {

constexpr std::size_t kGames = CounterIndex(&PlayerTable::GamesPlayed);
constexpr std::size_t kKills = CounterIndex(&PlayerTable::Kills);
constexpr std::size_t kDeaths = CounterIndex(&PlayerTable::Deaths);
constexpr std::size_t kSuicides = CounterIndex(&PlayerTable::Suicides);
constexpr std::size_t kFrags = CounterIndex(&PlayerTable::Frags);
constexpr std::size_t kDamageGiven = CounterIndex(&PlayerTable::DamageGiven);
constexpr std::size_t kDamageReceived = CounterIndex(&PlayerTable::DamageReceived);

// All hits and all shots of the eight weapons, of a row's or a block's counters.
template <class Counters>
std::pair<std::int64_t, std::int64_t> HitsAndShotsOf(const Counters& counters) {
  std::int64_t hits = 0, shots = 0;
  for (const Weapon& weapon : kWeapons) {
    hits += counters[CounterIndex(weapon.Hits)];
    shots += counters[CounterIndex(weapon.Shots)];
  }
  return {hits, shots};
}
std::pair<std::int64_t, std::int64_t> AllHitsAndShots(const PlayerRow& row) { return HitsAndShotsOf(row.Counters); }

// The ratings of a row's counters, by the report's own functions. A row
// without games has none; a failure (sums beyond 32 bits, an accuracy too
// large) leaves the failing rating out, as the report shows nothing then.
void Rate(PlayerRow& row) {
  if (row.Counters[kGames] <= 0) return;
  PlayerCounters counters{};
  for (std::size_t i = 0; i < counters.size(); ++i) {
    if (row.Counters[i] < std::numeric_limits<std::int32_t>::min() ||
        row.Counters[i] > std::numeric_limits<std::int32_t>::max())
      return;
    counters[i] = static_cast<std::int32_t>(row.Counters[i]);
  }
  const auto attempt = [](std::optional<double>& rating, auto compute) {
    try {
      rating = compute();
    } catch (const Error&) {
    }
  };
  attempt(row.FragRating, [&] { return FragRating(counters[kFrags], counters[kDeaths], counters[kGames]); });
  attempt(row.DamageRating,
          [&] { return DamageRating(counters[kDamageGiven], counters[kDamageReceived], counters[kGames]); });
  attempt(row.AccuracyRating, [&] { return AccuracyRating(AccuracyCaptions(counters)); });
  const auto [hits, shots] = AllHitsAndShots(row);
  if (shots > 0) row.Accuracy = 100.0 * static_cast<double>(hits) / static_cast<double>(shots);
  if (row.Counters[kDeaths] != 0)
    row.KillsPerDeath = static_cast<double>(row.Counters[kKills]) / static_cast<double>(row.Counters[kDeaths]);
}

// numerator / denominator in hundredths, rounded half away from zero:
// exact in integers (a double quotient such as 201 / 200 = 1.00499999...
// would round the wrong way), in floating point only beyond what they hold.
std::string HundredthsText(std::int64_t numerator, std::int64_t denominator, const std::string& separator) {
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  const bool negative = numerator < 0;
  const std::uint64_t n = negative ? 0 - static_cast<std::uint64_t>(numerator) : static_cast<std::uint64_t>(numerator);
  const std::uint64_t d = static_cast<std::uint64_t>(denominator);
  constexpr std::uint64_t kExact = std::numeric_limits<std::uint64_t>::max() / 200;
  const std::uint64_t hundredths =
      n <= kExact && d <= kExact
          ? (n * 200 + d) / (2 * d)
          : static_cast<std::uint64_t>(std::floor(static_cast<long double>(n) * 100 / static_cast<long double>(d) + 0.5L));
  std::string text = negative && hundredths != 0 ? "-" : "";
  AppendNumber(text, static_cast<long long>(hundredths / 100));
  text += separator;
  text += static_cast<char>('0' + hundredths % 100 / 10);
  text += static_cast<char>('0' + hundredths % 10);
  return text;
}

std::size_t ColumnIndex(PlayersColumn column) { return static_cast<std::size_t>(column); }

// A fractional value to two decimals, half away from zero ("-0,00" shows as "0,00").
std::string TwoDecimals(double value, const std::string& separator) {
  const double hundredths = std::round(value * 100);
  if (!std::isfinite(hundredths) || std::fabs(hundredths) >= 9e15) return {};
  return HundredthsText(static_cast<std::int64_t>(hundredths), 100, separator);
}

std::pair<std::int64_t, std::int64_t> HitsAndShots(const JournalMatch& block) { return HitsAndShotsOf(block.Added); }

}  // namespace

std::optional<double> PlayerRow::Number(PlayersColumn column) const {
  switch (column) {
    case PlayersColumn::Games: return static_cast<double>(Counters[kGames]);
    case PlayersColumn::Matches: return static_cast<double>(MatchCount);
    case PlayersColumn::Wins: return static_cast<double>(Wins);
    case PlayersColumn::WinShare: return WinShare;
    case PlayersColumn::Skill: return Skill;
    case PlayersColumn::Kills: return static_cast<double>(Counters[kKills]);
    case PlayersColumn::Deaths: return static_cast<double>(Counters[kDeaths]);
    case PlayersColumn::Suicides: return static_cast<double>(Counters[kSuicides]);
    case PlayersColumn::Frags: return static_cast<double>(Counters[kFrags]);
    case PlayersColumn::FragRating: return FragRating;
    case PlayersColumn::DamageRating: return DamageRating;
    case PlayersColumn::AccuracyRating: return AccuracyRating;
    case PlayersColumn::Accuracy: return Accuracy;
    case PlayersColumn::KillsPerDeath: return KillsPerDeath;
    case PlayersColumn::Name:
    case PlayersColumn::LastPlayed: break;
  }
  return std::nullopt;
}

MatchesBySlot GroupMatchesBySlot(const PlayerTable& table, const std::vector<JournalMatch>& journal) {
  const int players = std::max<int>(table.PlayerCount, 0);
  std::unordered_map<std::string_view, int> slot_of_name;
  slot_of_name.reserve(static_cast<std::size_t>(players));
  for (int slot = 1; slot <= players; ++slot) slot_of_name.emplace(table.PlayerName[slot], slot);
  MatchesBySlot matches(static_cast<std::size_t>(players));
  for (const JournalMatch& match : journal) {
    const auto found = slot_of_name.find(match.Name);
    if (found != slot_of_name.end()) matches[static_cast<std::size_t>(found->second - 1)].push_back(&match);
  }
  return matches;
}

namespace {

// The row's matches, wins and skill from the journal's matches (the person's,
// of every name joined to it); `held(block)` tells a block of the period.
template <class Held>
void AddMatchFigures(PlayerRow& row, const MatchSnapshot& snapshot, const PeriodSpan& span, Held held) {
  std::uint32_t person = 0;
  if (!PersonOfName(snapshot, row.Name, person)) return;
  const MatchBook& book = snapshot.Book;
  const bool all_time = span.Period == PlayersPeriod::AllTime;
  std::uint32_t last = 0;  // the period's last match of the player, in the order played
  const std::vector<PersonGame>& games = book.ByPerson[person];
  for (std::size_t i = 0; i < games.size(); ++i) {
    const PersonGame& game = games[i];
    // A person with two names in one match played it once, at the better
    // place: the first of its games there (as TallyGames counts).
    if (i > 0 && games[i - 1].Match == game.Match) continue;
    if (!all_time && !held(*book.GameOf(game).Block)) continue;
    ++row.MatchCount;
    if (game.Place == 1) ++row.Wins;
    last = game.Match;
  }
  if (row.MatchCount == 0) return;
  row.WinShare = 100.0 * static_cast<double>(row.Wins) / static_cast<double>(row.MatchCount);
  if (all_time) {
    row.Skill = ShownSkill(RatingOf(snapshot.Ratings, person));
    return;
  }
  if (person >= snapshot.History->People.size()) return;
  const std::vector<SkillPoint>& points = snapshot.History->People[person];
  const auto after = std::find_if(points.rbegin(), points.rend(), [&](const SkillPoint& point) { return point.Match == last; });
  if (after != points.rend()) row.Skill = ShownSkill(after->Rating);
}

// The name rows gathered into people: each person's names summed into the
// row of the first of them, shown under the person's name; hidden people left out.
std::vector<PlayerRow> GatherPeople(std::vector<PlayerRow> names, const PeopleBook& who) {
  std::vector<PlayerRow> people;
  people.reserve(names.size());
  std::unordered_map<std::string, std::size_t> row_of_person;
  row_of_person.reserve(names.size());
  for (PlayerRow& name : names) {
    const std::string& person = who.PersonOf(name.Name);
    if (who.Hidden.contains(person)) continue;
    const auto [at, added] = row_of_person.try_emplace(person, people.size());
    if (added) {
      people.push_back(std::move(name));
      continue;
    }
    PlayerRow& row = people[at->second];
    for (std::size_t i = 0; i < row.Counters.size(); ++i) row.Counters[i] += name.Counters[i];
    row.LastPlayed = std::max(row.LastPlayed, name.LastPlayed);
    row.Slots.push_back(name.Slot);
    if (name.Name == person) row.Slot = name.Slot;
  }
  for (PlayerRow& row : people) {
    if (row.Slots.size() == 1 && row.Name == who.PersonOf(row.Name)) continue;
    row.Name = who.PersonOf(row.Name);
    row.FragRating = row.DamageRating = row.AccuracyRating = row.Accuracy = row.KillsPerDeath = std::nullopt;
    Rate(row);
  }
  return people;
}

}  // namespace

std::vector<std::string> LastPlayedBySlot(const MatchesBySlot& matches) {
  std::vector<std::string> last(matches.size());
  for (std::size_t slot = 0; slot < matches.size(); ++slot)
    for (const JournalMatch* match : matches[slot])
      if (match->Session > last[slot] && SessionDay(match->Session)) last[slot] = match->Session;
  return last;
}

namespace {

// BuildPlayerRows with `held(block)` telling the blocks of the period.
template <class Held>
std::vector<PlayerRow> BuildRows(const PlayerTable& table, const MatchesBySlot& matches, const PeriodSpan& span,
                                 const MatchSnapshot* snapshot, const std::vector<std::string>* last_played, Held held,
                                 std::vector<RatedCounters>* rated = nullptr) {
  const int players = std::max<int>(table.PlayerCount, 0);
  const bool all_time = span.Period == PlayersPeriod::AllTime;
  std::vector<PlayerRow> rows;
  rows.reserve(static_cast<std::size_t>(players));
  const std::vector<const JournalMatch*> none;
  for (int slot = 1; slot <= players; ++slot) {
    PlayerRow row;
    row.Slot = slot;
    if (all_time) {
      const PlayerCounters totals = CountersOf(table, slot);
      std::copy(totals.begin(), totals.end(), row.Counters.begin());
    }
    bool played = all_time;
    const bool known = last_played != nullptr && static_cast<std::size_t>(slot) <= last_played->size();
    if (known) row.LastPlayed = (*last_played)[static_cast<std::size_t>(slot - 1)];
    for (const JournalMatch* match : static_cast<std::size_t>(slot) <= matches.size() ? matches[slot - 1] : none) {
      if (all_time && known) break;  // nothing more to learn from the blocks
      if (!known && match->Session > row.LastPlayed && SessionDay(match->Session)) row.LastPlayed = match->Session;
      if (all_time || !held(*match)) continue;
      played = true;
      for (std::size_t i = 0; i < row.Counters.size(); ++i) row.Counters[i] += match->Added[i];
    }
    if (!played) continue;
    row.Name = table.PlayerName[slot];
    row.Slots = {slot};
    if (rated == nullptr) {
      Rate(row);
    } else {
      if (rated->size() < static_cast<std::size_t>(slot)) rated->resize(static_cast<std::size_t>(slot));
      RatedCounters& memo = (*rated)[static_cast<std::size_t>(slot - 1)];
      if (!memo.Known || memo.Counters != row.Counters) {
        Rate(row);
        memo = {true, row.Counters, row.FragRating, row.DamageRating, row.AccuracyRating, row.Accuracy, row.KillsPerDeath};
      } else {
        row.FragRating = memo.FragRating;
        row.DamageRating = memo.DamageRating;
        row.AccuracyRating = memo.AccuracyRating;
        row.Accuracy = memo.Accuracy;
        row.KillsPerDeath = memo.KillsPerDeath;
      }
    }
    rows.push_back(std::move(row));
  }
  if (snapshot == nullptr) return rows;
  rows = GatherPeople(std::move(rows), snapshot->Who);
  std::vector<std::string> shown;
  shown.reserve(rows.size());
  for (PlayerRow& row : rows) {
    AddMatchFigures(row, *snapshot, span, held);
    row.Ranked = row.MatchCount >= snapshot->Who.RankMinimum;
    shown.push_back(row.Name);
  }
  const std::unordered_map<std::string, std::string> alike = LookAlikeNames(shown);
  if (!alike.empty())
    for (PlayerRow& row : rows)
      if (const auto found = alike.find(row.Name); found != alike.end()) row.LookAlike = found->second;
  return rows;
}

}  // namespace

std::vector<PlayerRow> BuildPlayerRows(const PlayerTable& table, const MatchesBySlot& matches, const PeriodSpan& span,
                                       const MatchSnapshot* snapshot, const std::vector<std::string>* last_played) {
  return BuildRows(table, matches, span, snapshot, last_played, [&](const JournalMatch& block) { return span.Holds(block); });
}

std::vector<PlayerRow> BuildPlayerRows(const PlayerTable& table, const MatchesBySlot& matches, PlayersPeriod period,
                                       DayNumber today, const MatchSnapshot* snapshot) {
  return BuildPlayerRows(table, matches, ResolvePeriod(period, matches, today), snapshot);
}

std::vector<const JournalMatch*> PersonBlocks(const MatchesBySlot& matches, const PlayerRow& row) {
  std::vector<const JournalMatch*> blocks = matches.at(static_cast<std::size_t>(row.Slot - 1));
  if (row.Slots.size() <= 1) return blocks;
  for (int slot : row.Slots)
    if (slot != row.Slot)
      blocks.insert(blocks.end(), matches[static_cast<std::size_t>(slot - 1)].begin(),
                    matches[static_cast<std::size_t>(slot - 1)].end());
  // They all point into one journal: their addresses are its order.
  std::sort(blocks.begin(), blocks.end(), std::less<const JournalMatch*>());
  return blocks;
}

void SortPlayerRows(std::vector<PlayerRow>& rows, PlayersColumn column, bool descending) {
  const SortKind kind = kPlayersColumns[ColumnIndex(column)].Sort;
  // -1, 0 or 1 in ascending order; empty cells are told apart by the caller.
  const auto compare = [&](const PlayerRow& a, const PlayerRow& b) -> int {
    if (kind == SortKind::Number) {
      const double x = *a.Number(column), y = *b.Number(column);
      return x < y ? -1 : x > y ? 1 : 0;
    }
    const std::string& x = kind == SortKind::Text ? a.Name : a.LastPlayed;
    const std::string& y = kind == SortKind::Text ? b.Name : b.LastPlayed;
    return x.compare(y) < 0 ? -1 : x.compare(y) > 0 ? 1 : 0;
  };
  const auto empty = [&](const PlayerRow& row) {
    return kind == SortKind::Number ? !row.Number(column).has_value() : kind == SortKind::Date && row.LastPlayed.empty();
  };
  std::sort(rows.begin(), rows.end(), [&](const PlayerRow& a, const PlayerRow& b) {
    if (a.Ranked != b.Ranked) return a.Ranked;
    const bool a_empty = empty(a), b_empty = empty(b);
    if (a_empty != b_empty) return b_empty;
    const int order = a_empty ? 0 : compare(a, b);
    if (order != 0) return descending ? order > 0 : order < 0;
    return a.Slot < b.Slot;
  });
}

std::vector<int> PlayerPlaces(const std::vector<PlayerRow>& rows, PlayersColumn column) {
  std::vector<int> places(rows.size(), 0);
  const SortKind kind = kPlayersColumns[ColumnIndex(column)].Sort;
  const auto same = [&](const PlayerRow& a, const PlayerRow& b) {
    if (kind == SortKind::Number) return a.Number(column) == b.Number(column);
    return kind == SortKind::Text ? a.Name == b.Name : a.LastPlayed == b.LastPlayed;
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (kind == SortKind::Number ? !rows[i].Number(column) : kind == SortKind::Date && rows[i].LastPlayed.empty())
      continue;
    places[i] = i > 0 && places[i - 1] > 0 && same(rows[i], rows[i - 1]) ? places[i - 1] : static_cast<int>(i) + 1;
  }
  return places;
}

std::string PlayerCellText(const PlayerRow& row, PlayersColumn column, const std::string& decimal_separator) {
  const auto& c = row.Counters;
  switch (column) {
    case PlayersColumn::Name: return row.LookAlike.empty() ? row.Name : row.Name + " (" + row.LookAlike + ")";
    case PlayersColumn::LastPlayed: return row.LastPlayed.substr(0, 16);  // to the minute
    case PlayersColumn::FragRating:
      return row.FragRating ? HundredthsText(c[kFrags] - c[kDeaths], c[kGames], decimal_separator) : std::string();
    case PlayersColumn::DamageRating:
      return row.DamageRating ? HundredthsText(c[kDamageGiven] - c[kDamageReceived], c[kGames], decimal_separator)
                              : std::string();
    case PlayersColumn::Accuracy: {
      if (!row.Accuracy) return {};
      const auto [hits, shots] = AllHitsAndShots(row);
      return HundredthsText(hits * 100, shots, decimal_separator);
    }
    case PlayersColumn::KillsPerDeath:
      return row.KillsPerDeath ? HundredthsText(c[kKills], c[kDeaths], decimal_separator) : std::string();
    case PlayersColumn::WinShare:
      return row.WinShare ? HundredthsText(row.Wins * 100, row.MatchCount, decimal_separator) : std::string();
    case PlayersColumn::Skill: return row.Skill ? TwoDecimals(*row.Skill, decimal_separator) : std::string();
    default: break;
  }
  const std::optional<double> number = row.Number(column);  // whole numbers
  return number ? NumberText(static_cast<long long>(*number)) : std::string();
}

std::string RecordMatchText(const PlayerRecord& record) {
  return record.Match > 0 ? NumberText(record.Match) : "игра " + NumberText(record.Position);
}

std::string MatchCellText(const JournalMatch& match, std::size_t column, const PlayedMatch* played) {
  static constexpr std::size_t kCounters[] = {kFrags, kKills, kDeaths, kSuicides, kDamageGiven, kDamageReceived};
  switch (column) {
    case 0: return match.Session;
    case 1: return match.Match > 0 ? NumberText(match.Match) : std::string();
    case 2: return match.Map;
    case 3: {
      if (played == nullptr) return {};
      const auto game = std::find_if(played->Games.begin(), played->Games.end(),
                                     [&](const MatchGame& g) { return g.Block == &match; });
      if (game == played->Games.end()) return {};
      return NumberText(game->Place) + " из " + NumberText(static_cast<long long>(played->Games.size()));
    }
    default: break;
  }
  if (column - 4 < std::size(kCounters)) return NumberText(match.Added[kCounters[column - 4]]);
  return {};
}

std::string MapCellText(const MapFigures& map, std::size_t column, const std::string& decimal_separator) {
  switch (column) {
    case 0: return map.Map.empty() ? std::string(kUnnamedMap) : map.Map;
    case 1: return NumberText(map.Matches);
    case 2: return NumberText(map.Wins);
    case 3: return map.Matches > 0 ? HundredthsText(map.Frags, map.Matches, decimal_separator) : std::string();
    case 4: return map.Shots > 0 ? HundredthsText(map.Hits * 100, map.Shots, decimal_separator) : std::string();
    default: return {};
  }
}

std::vector<std::vector<std::string>> ScoreboardRows(const PlayedMatch& match, const std::string& decimal_separator) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(match.Games.size());
  for (const MatchGame& game : match.Games) {
    const JournalMatch& block = *game.Block;
    const auto [hits, shots] = HitsAndShots(block);
    rows.push_back({NumberText(game.Place), block.Name, NumberText(block.Added[kFrags]), NumberText(block.Added[kKills]),
                    NumberText(block.Added[kDeaths]),
                    shots > 0 ? HundredthsText(hits * 100, shots, decimal_separator) : std::string(),
                    NumberText(block.Added[kDamageGiven]), NumberText(block.Added[kDamageReceived])});
  }
  return rows;
}

std::string ScoreboardTitle(const PlayedMatch& match) {
  // The session and map decoded here: the title is one text, all UTF-8.
  std::string title = "Матч " + NumberText(match.Number) + ", " + ToUtf8(DisplayText(*match.Session));
  if (!match.Map->empty()) title += ", карта " + ToUtf8(DisplayText(*match.Map));
  return title;
}

std::string_view WeaponName(const Weapon& weapon) {
  std::string_view name = weapon.LinePrefix;
  name.remove_prefix(name.find(' ') + 1);
  name.remove_suffix(1);
  return name;
}

namespace {

Chart FragsChart(const std::vector<const JournalMatch*>& matches, const std::string& separator) {
  Chart chart;
  chart.Title = "Фраги за игру";
  ChartSeries frags{"Фраги", SeriesColor(0), false, {}};
  ChartSeries average{"Среднее за " + std::to_string(kMovingAverageMatches) + " игр", SeriesColor(1), true, {}};
  frags.Points.reserve(matches.size());
  average.Points.reserve(matches.size());
  double low = 0, high = 0, window_sum = 0;
  for (std::size_t i = 0; i < matches.size(); ++i) {
    const double value = matches[i]->Added[kFrags];
    window_sum += value;
    if (i >= static_cast<std::size_t>(kMovingAverageMatches)) window_sum -= matches[i - kMovingAverageMatches]->Added[kFrags];
    const double x = static_cast<double>(i + 1);
    frags.Points.push_back({x, value});
    average.Points.push_back({x, window_sum / static_cast<double>(std::min<std::size_t>(i + 1, kMovingAverageMatches))});
    low = std::min(low, value);
    high = std::max(high, value);
  }
  chart.X = NiceAxis(1, static_cast<double>(std::max<std::size_t>(matches.size(), 1)), 6, true, separator, "Игра");
  chart.Y = NiceAxis(low, high, 5, true, separator, "Фраги");
  chart.Series.push_back(std::move(frags));
  chart.Series.push_back(std::move(average));
  return chart;
}

// The weapons fired in `matches`, each with the games it was fired in.
std::vector<WeaponShots> UsedWeapons(const std::vector<const JournalMatch*>& matches) {
  std::vector<WeaponShots> used;
  for (std::size_t w = 0; w < kWeapons.size(); ++w) {
    const std::size_t hits = CounterIndex(kWeapons[w].Hits), shots = CounterIndex(kWeapons[w].Shots);
    WeaponShots weapon{std::string(WeaponName(kWeapons[w])), SeriesColor(w + 2), {}};
    for (std::size_t i = 0; i < matches.size(); ++i)
      if (matches[i]->Added[shots] > 0)
        weapon.Games.push_back({static_cast<double>(i + 1), matches[i]->Added[hits], matches[i]->Added[shots]});
    if (!weapon.Games.empty()) used.push_back(std::move(weapon));
  }
  return used;
}

// The match with the largest `value`, the earliest of equals; none without matches.
template <class Better>
const JournalMatch* Best(const std::vector<const JournalMatch*>& matches, Better better) {
  const JournalMatch* best = nullptr;
  for (const JournalMatch* match : matches)
    if (better(*match, best)) best = match;
  return best;
}

PlayerRecord Record(std::string caption, const JournalMatch* match, std::string value) {
  PlayerRecord record{std::move(caption), {}, {}, 0, 0};
  if (match != nullptr) {
    record.Value = std::move(value);
    record.Session = match->Session;
    record.Position = match->Position;
    record.Match = match->Match;
  }
  return record;
}

PlayerRecord MostOf(const std::vector<const JournalMatch*>& matches, std::size_t counter, std::string caption) {
  const JournalMatch* best = Best(matches, [&](const JournalMatch& match, const JournalMatch* so_far) {
    return so_far == nullptr || match.Added[counter] > so_far->Added[counter];
  });
  return Record(std::move(caption), best, best != nullptr ? NumberText(best->Added[counter]) : std::string());
}

}  // namespace

namespace {

// The skill rating shown after each of the person's matches that `span` holds.
Chart SkillChart(const MatchSnapshot& snapshot, std::uint32_t person, const PeriodSpan& span,
                 const std::string& separator) {
  Chart chart;
  chart.Title = "Мастерство после каждого матча";
  ChartSeries skill{"Мастерство (mu - 3 sigma)", SeriesColor(0), false, {}};
  double low = 0, high = 0;
  if (person < snapshot.History->People.size()) {
    for (const SkillPoint& point : snapshot.History->People[person]) {
      const PlayedMatch& match = snapshot.Book.Matches[point.Match];
      if (match.Games.empty() || !span.Holds(*match.Games.front().Block)) continue;
      const double value = ShownSkill(point.Rating);
      skill.Points.push_back({static_cast<double>(skill.Points.size() + 1), value});
      low = std::min(low, value);
      high = std::max(high, value);
    }
  }
  chart.X = NiceAxis(1, static_cast<double>(std::max<std::size_t>(skill.Points.size(), 1)), 6, true, separator, "Матч");
  chart.Y = NiceAxis(low, high, 5, false, separator, "Мастерство");
  if (!skill.Points.empty()) chart.Series.push_back(std::move(skill));
  return chart;
}

// Each map of the person's matches that `span` holds, most matches first.
std::vector<MapFigures> MapsOf(const MatchSnapshot& snapshot, std::uint32_t person, const PeriodSpan& span) {
  std::vector<MapFigures> maps;
  std::unordered_map<std::string_view, std::size_t> map_at;
  std::uint32_t last = UINT32_MAX;
  for (const PersonGame& game : snapshot.Book.ByPerson[person]) {
    if (game.Match == last) continue;  // a second name of the person in the match: its better game counts
    last = game.Match;
    const MatchGame& played = snapshot.Book.GameOf(game);
    if (!span.Holds(*played.Block)) continue;
    const std::string& name = *snapshot.Book.Matches[game.Match].Map;
    const auto [at, added] = map_at.try_emplace(name, maps.size());
    if (added) maps.push_back({name, 0, 0, 0, 0, 0});
    MapFigures& map = maps[at->second];
    ++map.Matches;
    if (played.Place == 1) ++map.Wins;
    map.Frags += played.Block->Added[kFrags];
    const auto [hits, shots] = HitsAndShots(*played.Block);
    map.Hits += hits;
    map.Shots += shots;
  }
  std::stable_sort(maps.begin(), maps.end(), [](const MapFigures& a, const MapFigures& b) {
    return a.Matches != b.Matches ? a.Matches > b.Matches : a.Map < b.Map;
  });
  return maps;
}

// The match a block of the person belongs to: looked for from the newest game back.
const PlayedMatch* MatchOfBlock(const MatchSnapshot& snapshot, std::uint32_t person, const JournalMatch* block) {
  if (block->Match <= 0) return nullptr;
  const std::vector<PersonGame>& games = snapshot.Book.ByPerson[person];
  for (auto game = games.rbegin(); game != games.rend(); ++game)
    if (snapshot.Book.GameOf(*game).Block == block) return &snapshot.Book.Matches[game->Match];
  return nullptr;
}

}  // namespace

PlayerPage BuildPlayerPage(std::string_view name, const std::vector<const JournalMatch*>& matches,
                           const std::string& decimal_separator, const MatchSnapshot* snapshot,
                           const PeriodSpan& span) {
  PlayerPage page;
  page.Name = std::string(name);
  page.MatchCount = matches.size();
  page.Frags = FragsChart(matches, decimal_separator);
  page.Weapons = UsedWeapons(matches);
  page.Accuracy = AccuracyChart(page.Weapons, kAllWeapons, matches.size(), kMovingAverageMatches, decimal_separator);

  page.Records.push_back(MostOf(matches, kFrags, "Больше всего фрагов за игру"));
  for (const Weapon& weapon : kWeapons) {
    const std::size_t hits = CounterIndex(weapon.Hits), shots = CounterIndex(weapon.Shots);
    // hits / shots compared as fractions: exact, and no division.
    const JournalMatch* best = Best(matches, [&](const JournalMatch& match, const JournalMatch* so_far) {
      if (match.Added[shots] < kRecordMinimumShots) return false;
      return so_far == nullptr || static_cast<std::int64_t>(match.Added[hits]) * so_far->Added[shots] >
                                      static_cast<std::int64_t>(so_far->Added[hits]) * match.Added[shots];
    });
    std::string value;
    if (best != nullptr) {
      value = AccuracyText(best->Added[hits], best->Added[shots]) + " (" + NumberText(best->Added[hits]) + "/" +
              NumberText(best->Added[shots]) + ")";
    }
    page.Records.push_back(Record("Лучшая точность: " + std::string(WeaponName(weapon)), best, std::move(value)));
  }
  page.Records.push_back(MostOf(matches, kDamageGiven, "Больше всего урона за игру"));

  const std::size_t last = std::min(matches.size(), kLastMatches);
  for (std::size_t i = 0; i < last; ++i) page.LastMatches.push_back(matches[matches.size() - 1 - i]);

  std::uint32_t person = 0;
  const bool known = snapshot != nullptr && PersonOfName(*snapshot, std::string(name), person);
  for (const JournalMatch* block : page.LastMatches)
    page.LastPlayed.push_back(known ? MatchOfBlock(*snapshot, person, block) : nullptr);
  if (known) {
    page.Skill = SkillChart(*snapshot, person, span, decimal_separator);
    page.Maps = MapsOf(*snapshot, person, span);
  } else {
    page.Skill.Title = "Мастерство после каждого матча";
  }
  return page;
}

const MatchesBySlot& PlayersWindowModel::PeriodMatches() const {
  return period_ == PlayersPeriod::AllTime ? matches_ : period_matches_;
}

void PlayersWindowModel::Refresh(const PlayerTable& table, std::shared_ptr<const MatchSnapshot> matches,
                                 DayNumber today) {
  // The same blocks and names as last time (a change of people, the window
  // opened again): each slot's blocks stay as they were grouped.
  const int players = std::max<int>(table.PlayerCount, 0);
  bool same = snapshot_ != nullptr && matches != nullptr && snapshot_->Blocks == matches->Blocks && table_ == &table &&
              grouped_names_.size() == static_cast<std::size_t>(players);
  for (int slot = 1; same && slot <= players; ++slot) same = grouped_names_[static_cast<std::size_t>(slot - 1)] == table.PlayerName[slot];
  table_ = &table;
  snapshot_ = std::move(matches);
  if (!same) {
    Group(table);
    grouped_names_.clear();
    for (int slot = 1; slot <= players; ++slot) grouped_names_.push_back(table.PlayerName[slot]);
  }
  today_ = today;
  Rebuild();
}

// What GroupMatchesBySlot and LastPlayedBySlot give, by the journal's
// index: each name and session looked up once, not once a block.
void PlayersWindowModel::Group(const PlayerTable& table) {
  const std::vector<JournalMatch>& journal = snapshot_->Journal;
  if (snapshot_->Index != nullptr && snapshot_->Index->NameOf.size() == journal.size())
    index_ = snapshot_->Index;
  else
    index_ = std::make_shared<const JournalIndex>(IndexJournal(journal));
  const JournalIndex& index = *index_;
  const int players = std::max<int>(table.PlayerCount, 0);
  // A name's blocks go to the first slot with that name.
  std::vector<int> slot_of_name(index.Names.size(), 0);
  for (int slot = 1; slot <= players; ++slot) {
    std::uint32_t name = 0;
    if (index.FindName(table.PlayerName[slot], name) && slot_of_name[name] == 0) slot_of_name[name] = slot;
  }
  // The dated sessions in the order of their texts: a slot's last played is its latest of them.
  sessions_.assign(index.Sessions.size(), {});
  std::vector<std::uint32_t> dated;
  for (std::uint32_t s = 0; s < index.Sessions.size(); ++s) {
    SessionFacts& facts = sessions_[s];
    facts.Day = SessionDay(index.Sessions[s]);
    facts.Evening = SessionEvening(index.Sessions[s]);
    if (facts.Day) dated.push_back(s);
  }
  std::sort(dated.begin(), dated.end(), [&](std::uint32_t a, std::uint32_t b) { return index.Sessions[a] < index.Sessions[b]; });
  std::vector<std::int32_t> order(index.Sessions.size(), -1);
  for (std::size_t i = 0; i < dated.size(); ++i) order[dated[i]] = static_cast<std::int32_t>(i);

  std::vector<std::size_t> count(static_cast<std::size_t>(players), 0);
  for (std::size_t b = 0; b < journal.size(); ++b)
    if (const int slot = slot_of_name[index.NameOf[b]]; slot > 0) ++count[static_cast<std::size_t>(slot - 1)];
  matches_.assign(static_cast<std::size_t>(players), {});
  for (std::size_t slot = 0; slot < count.size(); ++slot) matches_[slot].reserve(count[slot]);
  std::vector<std::int32_t> latest(static_cast<std::size_t>(players), -1);
  for (std::size_t b = 0; b < journal.size(); ++b) {
    const int slot = slot_of_name[index.NameOf[b]];
    if (slot == 0) continue;
    const std::uint32_t session = index.SessionOf[b];
    matches_[static_cast<std::size_t>(slot - 1)].push_back(&journal[b]);
    sessions_[session].OfSlot = true;
    latest[static_cast<std::size_t>(slot - 1)] = std::max(latest[static_cast<std::size_t>(slot - 1)], order[session]);
  }
  last_played_.assign(static_cast<std::size_t>(players), std::string());
  for (std::size_t slot = 0; slot < latest.size(); ++slot)
    if (latest[slot] >= 0) last_played_[slot] = index.Sessions[dated[static_cast<std::size_t>(latest[slot])]];
}

void PlayersWindowModel::SetPeriod(PlayersPeriod period) {
  period_ = period;
  Rebuild();
}

void PlayersWindowModel::ClickHeader(PlayersColumn column) {
  if (sort_column_ == column)
    SortBy(column, !descending_);
  else
    SortBy(column, kPlayersColumns[ColumnIndex(column)].Sort != SortKind::Text);
}

void PlayersWindowModel::SortBy(PlayersColumn column, bool descending) {
  sort_column_ = column;
  descending_ = descending;
  SortPlayerRows(rows_, column, descending);
}

int PlayersWindowModel::RowOfSlot(int slot) const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].Slot == slot) return static_cast<int>(i);
  for (std::size_t i = 0; i < rows_.size(); ++i)  // a name joined to another person since
    if (std::find(rows_[i].Slots.begin(), rows_[i].Slots.end(), slot) != rows_[i].Slots.end()) return static_cast<int>(i);
  return -1;
}

std::string PlayersWindowModel::CellText(int row, PlayersColumn column, const std::string& decimal_separator) const {
  return PlayerCellText(rows_.at(static_cast<std::size_t>(row)), column, decimal_separator);
}

PlayerPage PlayersWindowModel::Page(int row, const std::string& decimal_separator) const {
  const PlayerRow& shown = rows_.at(static_cast<std::size_t>(row));
  PlayerPage page = BuildPlayerPage(shown.Name, PersonBlocks(PeriodMatches(), shown), decimal_separator, snapshot_.get(), span_);
  // Each name with its first and last dated games, of all time; the shown name first.
  std::vector<int> slots = shown.Slots;
  std::stable_partition(slots.begin(), slots.end(), [&](int slot) { return slot == shown.Slot; });
  for (int slot : slots) {
    PersonName& name = page.Names.emplace_back();
    name.Name = table_->PlayerName[slot];
    for (const JournalMatch* block : matches_[static_cast<std::size_t>(slot - 1)]) {
      if (!SessionDay(block->Session)) continue;
      if (name.First.empty() || block->Session < name.First) name.First = block->Session;
      name.Last = std::max(name.Last, block->Session);
    }
  }
  return page;
}

void PlayersWindowModel::Rebuild() {
  if (table_ == nullptr) return;
  // The period by the sessions' facts (what ResolvePeriod and MatchesIn
  // find block by block).
  span_ = SpanOn(period_, today_, [&] {
    std::optional<DayNumber> latest;
    for (const SessionFacts& session : sessions_)
      if (session.OfSlot && session.Day && *session.Day <= today_ && (!latest || *session.Evening > *latest))
        latest = session.Evening;
    return latest;
  });
  held_.assign(sessions_.size(), 1);
  if (period_ != PlayersPeriod::AllTime)
    for (std::size_t s = 0; s < sessions_.size(); ++s) held_[s] = span_.HoldsSession(index_->Sessions[s]);
  const JournalMatch* const first = snapshot_->Journal.data();
  const auto held = [&](const JournalMatch& block) { return held_[index_->SessionOf[&block - first]] != 0; };
  period_matches_.clear();
  if (period_ != PlayersPeriod::AllTime) {
    period_matches_.resize(matches_.size());
    for (std::size_t slot = 0; slot < matches_.size(); ++slot)
      for (const JournalMatch* block : matches_[slot])
        if (held(*block)) period_matches_[slot].push_back(block);
  }
  // Each slot's blocks of the period are all held.
  rows_ = BuildRows(*table_, PeriodMatches(), span_, snapshot_.get(), &last_played_,
                    [&](const JournalMatch& block) { return period_ == PlayersPeriod::AllTime || held(block); }, &rated_);
  if (sort_column_) SortPlayerRows(rows_, *sort_column_, descending_);
}

}  // namespace fragtally
