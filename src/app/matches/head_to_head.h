#pragma once

// Two players against each other, from the matches they both played: how
// often each placed above the other, their draws (the same place: equal
// frags), each one's frags in those matches, the latest of them, and the
// chance the skill rating gives each to place higher in their next meeting.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/matches/match_view.h"

namespace fragtally {

inline constexpr std::size_t kHeadToHeadLastMatches = 10;

// One match both played: its index in MatchBook::Matches and each one's game
// (a name that played twice in a match counts at its better place).
struct SharedMatch {
  std::uint32_t Match = 0;
  std::array<const MatchGame*, 2> Games{};
};

struct HeadToHead {
  std::int64_t Shared = 0;                // matches both played
  std::array<std::int64_t, 2> Higher{};   // those in which each placed above the other
  std::int64_t Draws = 0;                 // those in which they shared a place
  std::array<std::int64_t, 2> Frags{};    // each one's frags in them
  std::vector<SharedMatch> Last;          // the newest first, at most kHeadToHeadLastMatches
  std::array<SkillRating, 2> Ratings;     // after every match of the journal
  HeadToHeadChance Chance;                // of placing higher next time
};

// The figures of two people of `snapshot` (numbers of its PersonIndex; a
// number it never rated is a newcomer without matches).
HeadToHead BuildHeadToHead(const MatchSnapshot& snapshot, std::uint32_t first, std::uint32_t second);
// The same by name (each counts as the person it was joined to): a name the
// journal does not hold has no matches and a newcomer's rating.
HeadToHead BuildHeadToHead(const MatchSnapshot& snapshot, std::string_view first, std::string_view second);

}  // namespace fragtally
