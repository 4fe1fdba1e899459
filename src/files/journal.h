#pragma once

// The match journal, basekrm/Matches.txt beside the statistics file: every
// imported block, one commit line per import and one line per undo, appended
// and never rewritten. The statistics file keeps the totals; the journal adds
// the history behind them (matches imported before it existed have none).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stats/player_table.h"

namespace fragtally {

// One imported statistics block: what it added to its player's 24 counters,
// in the order of kCounterColumns (for an ordinary block these are the
// block's own numbers, and one game).
struct JournalMatch {
  std::int64_t Import = 0;  // the number of the import that added it, from 1
  // The game session the block came from: the date and time of its start-up
  // line as "YYYY-MM-DD hh:mm:ss" (the text after "--- Fs_startup :" as it
  // stands when it is not a date), empty for blocks before the log's first
  // start-up line.
  std::string Session;
  std::int64_t Position = 0;  // the block's place in its session, from 1
  std::string Name;           // the player's name, bytes as in the log
  std::array<std::int32_t, kCounterColumns.size()> Added{};
};

// The matches of every import that is still in effect (neither undone nor
// left undone by a crash), oldest first. No journal is no matches; a line
// that cannot be read is skipped.
std::vector<JournalMatch> ReadJournalMatches(const std::string& path);

}  // namespace fragtally
