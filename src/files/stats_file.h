#pragma once

#include <string>
#include <string_view>

#include "files/line_reader.h"
#include "files/file_state.h"

namespace fragtally {

// Adds the block whose header line is in CurrentLine, reading its lines from
// `file` up to and including the terminator "console:  " or the end of the file.
void AddStatsBlock(FileState& state, LineReader& file);

// Reads the statistics file into the table (a byte-order mark at its start
// is skipped). A file that cannot be opened raises NotFound, with why (it may
// exist and be held by another program); any error while reading stops the
// load there and passes on, keeping what was read before it; a file with
// bytes but no player raises ReadFailed at its end. Until the load has
// completed, KeepOldStatsFile is set when the file exists. A completed load,
// or a missing file, is remembered in StatsOnDisk.
void LoadStatsFile(FileState& state);

// The statistics file's text for slots 1..PlayerCount, CR LF line ends.
std::string FormatStatsFile(const FileState& state);

// Writes the whole table atomically: either the complete new file replaces
// the old one, or the old one stays as it was and WriteFailed is raised.
// After a partial load the old file is first kept under a new backup name,
// which is returned (empty when no backup was made). A file that another
// program changed (or made) since this one read or wrote it is not
// replaced: the table goes to a new file beside it (StatsKeptBeside), and
// ChangedOnDisk is raised with that file's name as the failure's path.
std::string SaveStatsFile(FileState& state);

}  // namespace fragtally
