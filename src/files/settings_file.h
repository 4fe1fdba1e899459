#pragma once

#include "files/file_state.h"

namespace fragtally {

inline constexpr const char* kDefaultLogPath = "basekrm\\LOG.txt";

// Line 1 into LogPath, line 2 into StartupMarker, line 3 into
// BlocksAfterMarker when it is a plain non-negative number (unknown
// otherwise). A byte-order mark before the first line is skipped, and a log
// path in double quotes is taken without them. An empty LogPath becomes the
// default. A missing file (or a folder or device in its place) is a first
// start; a file that is there but cannot be read (held by another program,
// not allowed) gives false, and `failure` says why: what was read before
// stays.
bool LoadSettings(FileState& state, platform::FileFailure* failure = nullptr);

// Writes LogPath and StartupMarker as CR LF lines, and BlocksAfterMarker as a
// third when it is known, atomically; raises WriteFailed when the disk refuses.
void SaveSettings(const FileState& state);

}  // namespace fragtally
