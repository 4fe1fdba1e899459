#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fragtally {

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

// Checked increments: overflow is raised instead of wrapping.
std::int16_t Increment16(std::int16_t value);
std::int32_t Increment32(std::int32_t value);

// Whole numbers as the program shows and writes them: decimal, a leading '-'
// when negative, no leading blank, no grouping.
void AppendNumber(std::string& out, long long value);
std::string NumberText(long long value);

}  // namespace fragtally
