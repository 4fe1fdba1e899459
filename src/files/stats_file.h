#pragma once

#include <string>
#include <string_view>

#include "files/line_reader.h"
#include "files/messages.h"
#include "stats/window_state.h"

namespace fragtally {

// Where the files live below the program folder.
std::string StatsFilePath(const WindowState& state);
std::string SettingsFilePath(const WindowState& state);

// Whether a line starts a statistics block ("console: Stats for:").
bool IsStatsHeader(std::string_view line);

// Adds the block whose header line is in CurrentLine, reading its lines from
// `file` up to and including the terminator "console:  " or the end of the file.
void AddStatsBlock(WindowState& state, LineReader& file);

// Reads the statistics file into the table. On failure the message has been
// shown and false is returned; what was read before the failure stays.
bool LoadStatsFile(WindowState& state, MessageSink& messages);

struct SaveResult {
  bool ok = false;
  std::string error;       // why the save failed, for the user
  std::string backupPath;  // where the old file was kept, when it was
};

// The statistics file's text for slots 1..PlayerCount, CR LF line ends.
std::string FormatStatsFile(const WindowState& state);

// Writes the whole table atomically: either the complete new file replaces
// the old one, or the old one stays as it was and the failure is returned.
// After a partial load the old file is first kept under a new backup name.
SaveResult SaveStatsFile(WindowState& state);

// Writes `contents` to `path` atomically (temporary file beside it, flushed,
// renamed over it). Creates the folder when it is missing.
SaveResult WriteFileAtomically(const std::string& path, const std::string& contents);

}  // namespace fragtally
