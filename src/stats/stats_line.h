#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "stats/window_state.h"

namespace fragtally {

// Character cuts on byte strings, positions counted from 1. A negative length
// (or a start below 1) raises the invalid-argument error; a start beyond the
// end gives the empty text.
std::string_view RightCut(std::string_view text, long count);
std::string_view MidCut(std::string_view text, long start, long count);
std::string_view MidCut(std::string_view text, long start);

// Position (from 1) of the first blank at or after `start`, 0 when there is none.
long FindBlank(std::string_view text, long start);

// Reads the number at the start of a field: blanks, tabs and line feeds are
// ignored wherever they stand; then an optional sign, digits with at most one
// decimal point, and an optional exponent. Anything that does not begin with
// a number reads as 0. A value too large for a double raises overflow.
double ReadNumber(std::string_view field);

// Rounds to the nearest integer, ties to even, and checks the int32 range.
std::int32_t RoundToInt32(double value);

// Adds a number to a counter: the total is formed in double and rounded
// (ties to even); outside int32 the counter keeps its value and overflow is raised.
void AddToCounter(std::int32_t& counter, double number);

// Maps CurrentName to a slot (appending a new player and its selector
// entries), counts one game for it and leaves the slot in CurrentPlayer.
void FindOrAddPlayer(WindowState& state);

// Adds CurrentLine to slot CurrentPlayer when it is one of the thirteen
// statistics lines, and appends its trace line; any other line is ignored.
void ParseStatsLine(WindowState& state);

}  // namespace fragtally
