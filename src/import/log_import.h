#pragma once

#include <string>

#include "files/messages.h"
#include "stats/window_state.h"

namespace fragtally {

// How an import ended.
enum class ImportOutcome {
  Completed,     // end of the log reached, panels refreshed, settings saved
  LogUnchanged,  // a line equal to the remembered start-up marker stopped it
  Failed,        // the log could not be opened, or an error ended the import
};

// The file name to open for LogPath. On POSIX systems a backslash is taken as
// the path separator; LogPath itself stays as it is.
std::string LogFileName(const std::string& log_path);

// Reads the game's log from its first line, adds every statistics block to
// the table, refuses a log already imported, then refreshes both panels and
// saves the settings. Tells the user through `messages`.
ImportOutcome ImportLog(WindowState& state, MessageSink& messages);

}  // namespace fragtally
