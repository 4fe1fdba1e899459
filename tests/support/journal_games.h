#pragma once

// Journal blocks made up for the tests of matches (the Players window's
// figures, head-to-head, the exports): one player's game in one match, with
// the counters each test reads.

#include <cstdint>
#include <string>

#include "files/journal_state.h"

namespace fragtally::testing {

// What a made-up game adds besides its frags.
struct GameCounters {
  // One game played, kills one more than the frags, 2 deaths, 100 damage
  // given a frag and 50 received; without it the game adds its frags alone.
  bool Usual = true;
  int Suicides = 0;
  int RailgunShots = 0, RailgunHits = 0;
  int BfgShots = 0;
};
inline constexpr GameCounters kFragsOnly{.Usual = false};

// `name`'s game of import 1, the block at `position` of game session
// `session`, in its match `match` (0: an older line, in no match) on `map`.
JournalMatch JournalGame(const std::string& session, std::int64_t position, std::int64_t match, const std::string& map,
                         const std::string& name, int frags, const GameCounters& counters = {});

}  // namespace fragtally::testing
