#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "stats/player_table.h"
#include "stats/trace_text.h"

namespace fragtally {

// What reading statistics blocks works on: the player table, the variables
// that reading a block moves along, and the trace of what was read. All text
// is bytes as read from the files.
struct ReadingState {
  // The line last read outside a block; while a block is read its header,
  // and after it its terminator.
  std::string CurrentLine;
  std::string CurrentName;
  PlayerTable Table;
  std::int16_t ScanIndex = 0;
  std::int16_t KillsFieldPos = 0;
  std::int16_t CurrentPlayer = 0;

  // Text2: the trace of every block and statistics line read.
  TraceText Trace;
};

// Appends one trace line (the text, then CR LF) to Text2.
void AppendTrace(ReadingState& state, std::string_view line);

// Maps CurrentName to a slot (appending a new player), counts one game for
// it and leaves the slot in CurrentPlayer.
void FindOrAddPlayer(ReadingState& state);

}  // namespace fragtally
