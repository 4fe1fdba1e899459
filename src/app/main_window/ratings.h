#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "stats/player_table.h"
#include "stats/weapons.h"
#include "app/main_window/window_state.h"

namespace fragtally {

// What the ratings report reads from one panel at the press.
struct RatingsInput {
  std::optional<int> SelectedPosition;  // 0-based; none when nothing is selected
  std::string DisplayedText;            // what the selector shows
  std::array<std::string, kWeapons.size()> AccuracyCaptions;  // the weapons in their order
};

// A player's 24 counters, in the order of kCounterColumns: a slot's totals,
// or the sums of journal matches.
using PlayerCounters = std::array<std::int32_t, kCounterColumns.size()>;

// Where a counter stands in PlayerCounters.
constexpr std::size_t CounterIndex(Counter PlayerTable::*member) {
  for (std::size_t i = 0; i < kCounterColumns.size(); ++i)
    if (kCounterColumns[i].Member == member) return i;
  return kCounterColumns.size();
}

PlayerCounters CountersOf(const PlayerTable& table, long slot);

// The three ratings, as the report and the Players table show them. Each
// raises on a failure: no games, a difference outside 32 bits, an accuracy
// caption beyond what a double holds.
// Frags minus deaths per game.
double FragRating(std::int32_t frags, std::int32_t deaths, std::int32_t games);
// Damage given minus damage received per game.
double DamageRating(std::int32_t given, std::int32_t received, std::int32_t games);
// The mean of the eight accuracy captions' numbers, rounded down.
double AccuracyRating(const std::array<std::string, kWeapons.size()>& accuracy_captions);
// The eight accuracy captions of a player's counters, as a panel shows them.
std::array<std::string, kWeapons.size()> AccuracyCaptions(const PlayerCounters& counters);

// The report text (CR LF between lines, none after the last), or the empty
// text when any step fails.
std::string BuildRatingsReport(const PlayerTable& table, const RatingsInput& first, const RatingsInput& second,
                               const std::string& decimal_separator);

// Gathers a panel's input from the window state: the selector shows its
// selected entry, or nothing.
RatingsInput GatherRatingsInput(const PlayerTable& table, const Selector& selector, const PanelLabels& labels);

}  // namespace fragtally
