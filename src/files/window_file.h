#pragma once

// The windows' own places between runs: basekrm/window.ini beside the other
// settings, "name=number" lines (names of letters, digits, '.' and '_';
// whole numbers, negative too: a window may stand left of the main screen).
// It holds nothing a count depends on, so any trouble with it is absorbed:
// a file that cannot be read gives no values, a garbled line is skipped.

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "files/file_state.h"

namespace fragtally {

using WindowValues = std::map<std::string, std::int64_t, std::less<>>;

// Every well-formed line of the file (the last of a name twice); none when
// the file is missing or cannot be read.
WindowValues LoadWindowValues(const FileState& state);

// Writes `values` as CR LF lines in the order of their names, atomically;
// raises WriteFailed when the disk refuses.
void SaveWindowValues(const FileState& state, const WindowValues& values);

}  // namespace fragtally
