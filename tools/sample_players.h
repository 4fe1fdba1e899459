#pragma once

// A made-up table and journal: the report's sample picture and the Players
// benchmarks. Block k of the journal is player (k mod players) + 1's, on one
// of the last 365 days; the table's totals are the sums of each player's
// blocks. With more than one player per match, the blocks come in matches of
// that many players (different ones while there are enough), one game
// session a day with its matches numbered from 1, on one of a few maps;
// with one, the blocks have no match, as in a journal from before matches. Among the names are ones that anyone could choose in the game:
// markup, quotes, control bytes, Windows-1251 bytes, formula starts.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/players_window/players.h"
#include "app/main_window/ratings.h"
#include "files/journal.h"
#include "stats/weapons.h"
#include "app/main_window/window_state.h"

namespace fragtally::sample {

struct SamplePlayers {
  std::unique_ptr<WindowState> State;  // the table in State->Table
  std::vector<JournalMatch> Journal;
};

inline std::string SampleName(int slot) {
  switch (slot) {
    case 2: return "<script>alert('x')</script>";
    case 3: return "\xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2";  // Windows-1251
    case 4: return "=HYPERLINK(\"http://example.invalid\")";
    case 5: return std::string("</svg></table>\x01\x1B[31m\"'&", 24);
    case 6: return "Снайпер";
    case 7: return "Пётр Первый";
    case 8: return "ОченьДлинноеИмяБезЕдиногоПробела_1999";
    default: break;
  }
  std::string name = "Player" + std::to_string(10000 + slot).substr(1);
  return name;
}

inline SamplePlayers MakeSamplePlayers(int players, int matches, int players_per_match = 1) {
  SamplePlayers sample{NewWindowState(), {}};
  PlayerTable& table = sample.State->Table;
  table.PlayerCount = static_cast<std::int16_t>(players);
  for (int slot = 1; slot <= players; ++slot) table.PlayerName[slot] = SampleName(slot);

  const DayNumber today = DaysFromCivil(2026, 12, 8);
  std::uint32_t random = 12345;
  const auto next = [&random](std::uint32_t range) {
    random = random * 1664525u + 1013904223u;
    return static_cast<std::int32_t>((random >> 8) % range);
  };
  const int per_match = std::max(players_per_match, 1);
  const int blocks = matches * per_match;
  static const char* const kMaps[] = {"krmdm6", "krmdm17", "krmtourney4", "krmctf1"};
  std::int64_t day_seen = -1, match_in_day = 0;
  sample.Journal.reserve(static_cast<std::size_t>(blocks));
  for (int k = 0; k < blocks; ++k) {
    const int slot = k % players + 1;
    JournalMatch match;
    match.Import = k / 4 + 1;
    match.Name = table.PlayerName[slot];
    // Days from a year ago up to today, in order, and a time of day.
    const int match_index = k / per_match;
    const DayNumber day = today - 364 + static_cast<DayNumber>(match_index) * 365 / std::max(matches, 1);
    const std::int64_t z = day + 719468, era = z / 146097, doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9, y = yoe + era * 400 + (m <= 2);
    char session[32];
    std::snprintf(session, sizeof session, "%04d-%02d-%02d %02d:%02d:00", static_cast<int>(y), static_cast<int>(m),
                  static_cast<int>(d), 18 + k % 5, k % 60);
    match.Session = session;
    match.Position = k % 6 + 1;
    if (per_match > 1) {
      if (k % per_match == 0) match_in_day = day == day_seen ? match_in_day + 1 : 1;
      day_seen = day;
      std::snprintf(session, sizeof session, "%04d-%02d-%02d 20:00:00", static_cast<int>(y), static_cast<int>(m),
                    static_cast<int>(d));
      match.Session = session;
      match.Position = k % per_match + 1 + (match_in_day - 1) * per_match;
      match.Match = match_in_day;
      match.Map = kMaps[match_index % 4];
    }
    auto& added = match.Added;
    const int skill = 5 + slot % 20;
    for (std::size_t w = 0; w < kWeapons.size(); ++w) {
      const std::int32_t shots = w == 0 || next(3) != 0 ? next(60) + (w == 5 ? 10 : 5) : 0;
      added[CounterIndex(kWeapons[w].Shots)] = shots;
      added[CounterIndex(kWeapons[w].Hits)] = shots == 0 ? 0 : next(static_cast<std::uint32_t>(shots)) * skill / 25;
    }
    added[CounterIndex(&PlayerTable::Kills)] = next(static_cast<std::uint32_t>(skill)) + 1;
    added[CounterIndex(&PlayerTable::Deaths)] = next(20);
    added[CounterIndex(&PlayerTable::Suicides)] = next(3);
    added[CounterIndex(&PlayerTable::Frags)] =
        added[CounterIndex(&PlayerTable::Kills)] - added[CounterIndex(&PlayerTable::Suicides)];
    added[CounterIndex(&PlayerTable::DamageGiven)] = next(3000) + skill * 40;
    added[CounterIndex(&PlayerTable::DamageReceived)] = next(3000);
    added[CounterIndex(&PlayerTable::Gauntlet)] = next(2);
    added[CounterIndex(&PlayerTable::GamesPlayed)] = 1;
    for (std::size_t i = 0; i < kCounterColumns.size(); ++i) (table.*kCounterColumns[i].Member)[slot] += added[i];
    sample.Journal.push_back(std::move(match));
  }
  return sample;
}

}  // namespace fragtally::sample
