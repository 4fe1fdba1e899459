#pragma once

#include "files/file_state.h"

namespace fragtally {

inline constexpr const char* kDefaultLogPath = "basekrm\\LOG.txt";

// Line 1 into LogPath, line 2 into StartupMarker, line 3 into
// BlocksAfterMarker when it is a plain non-negative number (unknown
// otherwise); every failure is absorbed. A byte-order mark before the first
// line is skipped, and a log path in double quotes is taken without them. An
// empty LogPath becomes the default.
void LoadSettings(FileState& state);

// Writes LogPath and StartupMarker as CR LF lines, and BlocksAfterMarker as a
// third when it is known, atomically; raises WriteFailed when the disk refuses.
void SaveSettings(const FileState& state);

}  // namespace fragtally
