#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "stats/error.h"
#include "stats/player_table.h"
#include "stats/weapons.h"
#include "stats/reading_state.h"

namespace fragtally {

// ---------------------------------------------------------------- blocks

// A statistics block: a header line (this prefix, one more character, then
// the player's name), statistics lines, and the terminator line or the end of
// the file. The game's log and the statistics file share the format.
inline constexpr std::string_view kStatsHeaderPrefix = "console: Stats for:";
inline constexpr std::string_view kStatsTerminator = "console:  ";

inline bool IsStatsHeader(std::string_view line) {
  // On every line of a log: three overlapping eight-byte words compared, no
  // call (the compiler calls memcmp for 19 bytes).
  static_assert(kStatsHeaderPrefix.size() == 19);
  if (line.size() < kStatsHeaderPrefix.size()) return false;
  const auto word = [](const char* at) {
    std::uint64_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
  };
  return word(line.data()) == word(kStatsHeaderPrefix.data()) &&
         word(line.data() + 8) == word(kStatsHeaderPrefix.data() + 8) &&
         word(line.data() + 11) == word(kStatsHeaderPrefix.data() + 11);
}
inline bool IsStatsTerminator(std::string_view line) {
  return line.size() == kStatsTerminator.size() &&
         std::memcmp(line.data(), kStatsTerminator.data(), kStatsTerminator.size()) == 0;
}

// ---------------------------------------------------------------- statistics lines

// How the numbers of a line are cut: one number to the end of the line,
// hits "/" shots, the four fields of the kills line, or the games count
// (which sets the total instead of adding to it).
enum class LineRule { ToEnd, Weapon, Kills, Games };

// One of the thirteen statistics lines, as the parser reads it and the
// statistics file writes it: the prefix, then `Blanks` blanks, then the first
// number.
struct StatsLineKind {
  std::string_view Prefix;
  int Blanks;
  LineRule Rule;
  Counter PlayerTable::*Total;  // the counter of a ToEnd or Games line
  const Weapon* Arm;            // the weapon of a Weapon line
  std::string_view TraceLabel;  // Weapon lines use their weapon's label

  constexpr long FirstNumberAt() const { return static_cast<long>(Prefix.size()) + Blanks + 1; }
};

// The kills line's four fields. Each field after the first starts behind a
// separator of fixed width; only the width is used when reading.
struct KillsField {
  std::string_view Separator;
  Counter PlayerTable::*Total;
  std::string_view TraceLabel;
};
inline constexpr std::array<KillsField, 4> kKillsFields{{
    {"", &PlayerTable::Kills, "Kills="},
    {"     Deaths: ", &PlayerTable::Deaths, " Deaths="},
    {"     Suicides: ", &PlayerTable::Suicides, " Suicides="},
    {"     Frags: ", &PlayerTable::Frags, " Frags="},
}};

// The statistics lines in the order the statistics file writes them, which
// is also the order the parser tests their prefixes.
inline constexpr std::array<StatsLineKind, 13> kStatsLineKinds = [] {
  std::array<StatsLineKind, 13> kinds{};
  std::size_t k = 0;
  kinds[k++] = {"console: Gauntlet:", 3, LineRule::ToEnd, &PlayerTable::Gauntlet, nullptr, "Gaunlet="};
  for (const Weapon& weapon : kWeapons)
    kinds[k++] = {weapon.LinePrefix, 3, LineRule::Weapon, nullptr, &weapon, weapon.TraceLabel};
  kinds[k++] = {"console: Dmggiven:", 1, LineRule::ToEnd, &PlayerTable::DamageGiven, nullptr, "DmgGiv="};
  kinds[k++] = {"console: Dmgrecvd:", 1, LineRule::ToEnd, &PlayerTable::DamageReceived, nullptr, "DmgRec="};
  kinds[k++] = {"console: Kills:", 1, LineRule::Kills, nullptr, nullptr, "Kills="};
  kinds[k++] = {"console: games played:", 1, LineRule::Games, &PlayerTable::GamesPlayed, nullptr, "Games="};
  return kinds;
}();

// Character cuts on byte strings, positions counted from 1. A negative length
// (or a start below 1) raises the invalid-argument error; a start beyond the
// end gives the empty text. (Inline: every statistics line is cut.)
inline std::string_view RightCut(std::string_view text, long count) {
  if (count < 0) Raise(ErrorKind::InvalidArgument);
  std::size_t n = static_cast<std::size_t>(count);
  return n >= text.size() ? text : text.substr(text.size() - n);
}

inline std::string_view MidCut(std::string_view text, long start, long count) {
  if (start < 1 || count < 0) Raise(ErrorKind::InvalidArgument);
  std::size_t from = static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return {};
  return text.substr(from, static_cast<std::size_t>(count));
}

inline std::string_view MidCut(std::string_view text, long start) {
  if (start < 1) Raise(ErrorKind::InvalidArgument);
  std::size_t from = static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return {};
  return text.substr(from);
}

// Position (from 1) of the first `c` at or after `start` (from 1), 0 when there is none.
inline long FindChar(std::string_view text, char c, long start) {
  if (start < 1) start = 1;
  for (std::size_t at = static_cast<std::size_t>(start - 1); at < text.size(); ++at)
    if (text[at] == c) return static_cast<long>(at + 1);
  return 0;
}

// Position (from 1) of the first blank at or after `start`, 0 when there is none.
inline long FindBlank(std::string_view text, long start) { return FindChar(text, ' ', start); }

// Adds CurrentLine to slot CurrentPlayer when it is one of the thirteen
// statistics lines, and appends its trace line; any other line is ignored.
void ParseStatsLine(ReadingState& state);
// The same for a line read straight from a file's buffer.
void ParseStatsLine(ReadingState& state, std::string_view line);

}  // namespace fragtally
