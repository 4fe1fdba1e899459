#pragma once

#include "stats/window_state.h"

namespace fragtally {

inline constexpr const char* kDefaultLogPath = "basekrm\\LOG.txt";

// Line 1 into LogPath, line 2 into StartupMarker; every failure is absorbed.
// An empty LogPath becomes the default.
void LoadSettings(WindowState& state);

// Writes LogPath and StartupMarker as two CR LF lines, atomically; raises
// WriteFailed when the disk refuses.
void SaveSettings(const WindowState& state);

}  // namespace fragtally
