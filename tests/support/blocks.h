#pragma once

// Statistics blocks and files as the program and the game write them, for
// the tests and the fuzz targets.

#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fragtally::testing {

// One player's totals, and the statistics block that holds them.
struct Totals {
  std::string name;
  int gauntlet = 0;
  // hits/shots: machinegun, shotgun, grenade, rocket, shaft, railgun, plasma, BFG
  std::array<std::pair<int, int>, 8> weapons{};
  int damage_given = 0, damage_received = 0;
  int kills = 0, deaths = 0, suicides = 0, frags = 0;
  // The statistics file writes the games count; the game's log does not.
  std::optional<int> games = 1;
};

// The block's lines as the statistics file writes them (15 lines), or, for
// totals without a games count, as the game writes them at the end of a
// match (14 lines).
std::vector<std::string> StatsBlock(const Totals& t);
// Statistics files of these players, CR LF line ends.
std::string StatsFileOf(const std::vector<Totals>& players);
// A block from the game's log: a match of `name` with `kills` kills and frags.
std::vector<std::string> MatchBlock(const std::string& name, int kills = 1);

// Joins groups of lines into one list.
std::vector<std::string> Lines(std::initializer_list<std::vector<std::string>> parts);
// Joins lines with CR LF after each.
std::string CrLf(const std::vector<std::string>& lines);

}  // namespace fragtally::testing
