#pragma once

// Histories of a game and a player: the game starts (rewriting its log or
// appending to it) and plays matches, writing a match's text in one go or in
// two; the player imports at random moments, also while the game is still
// writing a block, and closes the program or has it killed at random points,
// saves included (also right before either rename, and part-way through the
// journal's append), then starts it again; other programs hold the files
// (the journal too) at imports, undos and closing; the player undoes the last
// import now and then, or answers No; keeps copies of the log and puts an
// earlier one back; and starts the program from a second game folder, whose
// game has a log of its own, and back. After the last import from each
// folder every match ever played must be in the totals exactly once.
//
// Choices come from a source: random numbers in the property test, the input
// bytes in the fuzz target. Failed checks go to the fuzz failure handler.

#include <cstdint>
#include <functional>
#include <string>

namespace fragtally::fuzz {

struct HistoryTally {
  long histories = 0, matches = 0, imports = 0, closes = 0;
  long imports_while_writing = 0;  // pressed while the game was still writing a match
  long files_held = 0;             // imports and closes while another program held a file
  long kills = 0;                  // every kill, idle ones included
  long kills_between_renames = 0;  // the statistics file new, the settings file old
  long settings_held_after_statistics = 0;  // the same window, left by a held settings file
  long torn_appends = 0;                    // kills part-way through the journal's append
  long undos = 0;                           // undos asked for (answered Yes or No)
  long logs_put_back = 0;                   // an earlier copy of the log put back
  long folder_switches = 0;                 // the program started from the other game folder
};

// Returns a choice in [0, n); `exhausted` becomes true when the source has
// nothing more to give (the history then ends).
using ChoiceSource = std::function<unsigned(unsigned n, bool& exhausted)>;

// Plays up to `steps` steps, then the last import, a close and a fresh start,
// and checks the totals. Uses the fuzz targets' files in memory.
void PlayHistory(const ChoiceSource& choose, int steps, HistoryTally& tally);

}  // namespace fragtally::fuzz
