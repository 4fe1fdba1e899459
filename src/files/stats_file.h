#pragma once

#include <string>

#include "files/line_reader.h"
#include "stats/window_state.h"

namespace fragtally {

// Adds the block whose header line is in CurrentLine, reading its lines from
// `file` up to and including the terminator "console:  " or the end of the file.
void AddStatsBlock(WindowState& state, LineReader& file);

// Reads the statistics file into the table. A file that cannot be opened
// raises NotFound; any error while reading stops the load there and passes
// on, keeping what was read before it. Until the load has completed,
// KeepOldStatsFile is set when the file exists.
void LoadStatsFile(WindowState& state);

// The statistics file's text for slots 1..PlayerCount, CR LF line ends.
std::string FormatStatsFile(const WindowState& state);

// Writes the whole table atomically: either the complete new file replaces
// the old one, or the old one stays as it was and WriteFailed is raised.
// After a partial load the old file is first kept under a new backup name,
// which is returned (empty when no backup was made).
std::string SaveStatsFile(WindowState& state);

}  // namespace fragtally
