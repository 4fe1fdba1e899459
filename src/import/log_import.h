#pragma once

#include "stats/window_state.h"

namespace fragtally {

// How an import that did not fail ended.
enum class ImportOutcome {
  Completed,     // the end of the log was reached
  LogUnchanged,  // a line equal to the remembered start-up marker stopped it
};

// Reads the game's log (LogPath, relative to the current folder) from its
// first line and adds every statistics block to the table; a start-up line
// becomes the new StartupMarker. A log that cannot be opened raises NotFound;
// any other error ends the import where it happened and passes on, keeping
// the blocks added before it.
ImportOutcome ImportLog(WindowState& state);

}  // namespace fragtally
