#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "stats/error.h"

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
// The same for the number a field holds: AddToCounter(counter, ReadNumber(field)).
void AddNumberField(std::int32_t& counter, std::string_view field);
// As AddNumberField. Most fields the game writes are one to nine digits
// alone: those are added here, without a call.
inline void AddField(std::int32_t& counter, std::string_view field) {
  if (field.size() - 1 < 9) {
    std::int64_t number = 0;
    for (const char c : field) {
      const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(c)) - unsigned{'0'};
      if (digit > 9) return AddNumberField(counter, field);
      number = number * 10 + digit;
    }
    const std::int64_t total = std::int64_t{counter} + number;
    if (total > INT32_MAX) Raise(ErrorKind::Overflow);
    counter = static_cast<std::int32_t>(total);
    return;
  }
  AddNumberField(counter, field);
}

// Checked increments: overflow is raised instead of wrapping.
std::int16_t Increment16(std::int16_t value);
std::int32_t Increment32(std::int32_t value);

// Whole numbers as the program shows and writes them: decimal, a leading '-'
// when negative, no leading blank, no grouping. WriteNumber writes at most
// kNumberTextMax characters at `out` and returns where they end.
inline constexpr std::size_t kNumberTextMax = 20;  // "-9223372036854775808"
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";
inline char* WriteNumber(char* out, long long value) {
  unsigned long long rest = static_cast<unsigned long long>(value);
  if (value < 0) {
    *out++ = '-';
    rest = 0 - rest;
  }
  int digits = 1;
  for (unsigned long long bound = 10; digits < 20 && rest >= bound; bound *= 10) ++digits;
  char* end = out + digits;
  char* at = end;
  while (rest >= 100) {
    const unsigned pair = static_cast<unsigned>(rest % 100) * 2;
    rest /= 100;
    *--at = kDigitPairs[pair + 1];
    *--at = kDigitPairs[pair];
  }
  if (rest >= 10) {
    *--at = kDigitPairs[rest * 2 + 1];
    *--at = kDigitPairs[rest * 2];
  } else {
    *--at = static_cast<char>('0' + rest);
  }
  return end;
}

// WriteNumber for a counter, in 32 bits: every statistics line read writes
// its totals to the trace.
inline char* WriteCounter(char* out, std::int32_t value) {
  std::uint32_t rest = static_cast<std::uint32_t>(value);
  if (value < 0) {
    *out++ = '-';
    rest = 0 - rest;
  }
  const int digits = rest < 100       ? (rest < 10 ? 1 : 2)
                     : rest < 10000   ? (rest < 1000 ? 3 : 4)
                     : rest < 1000000 ? (rest < 100000 ? 5 : 6)
                     : rest < 100000000 ? (rest < 10000000 ? 7 : 8)
                                        : (rest < 1000000000 ? 9 : 10);
  char* const end = out + digits;
  char* at = end;
  if (rest >= 10000) {  // the last four digits apart: two short chains of divisions, not one long
    const std::uint32_t low = rest % 10000;
    rest /= 10000;
    std::memcpy(at - 2, kDigitPairs + (low % 100) * 2, 2);
    std::memcpy(at - 4, kDigitPairs + (low / 100) * 2, 2);
    at -= 4;
  }
  while (rest >= 100) {
    const std::uint32_t pair = (rest % 100) * 2;
    rest /= 100;
    at -= 2;
    std::memcpy(at, kDigitPairs + pair, 2);
  }
  if (rest >= 10) {
    std::memcpy(at - 2, kDigitPairs + rest * 2, 2);
  } else {
    at[-1] = static_cast<char>('0' + rest);
  }
  return end;
}

template <class Text>
void AppendNumber(Text& out, long long value) {
  char buffer[kNumberTextMax];
  out.append(std::string_view(buffer, static_cast<std::size_t>(WriteNumber(buffer, value) - buffer)));
}
std::string NumberText(long long value);

}  // namespace fragtally
