#pragma once

// Fractional numbers as the player reads them: the ratings report, the
// Players table and the charts' scales, with the decimal separator of the
// user's locale.

#include <string>

namespace fragtally {

// At most 15 significant digits; positional for 1E-4 <= |x| < 1E15, else
// mantissa, "E", sign and at least two exponent digits. Trailing zeros and a
// bare separator are dropped. `decimal_separator` is the user's (UTF-8).
// Raises overflow for a value that is not finite.
std::string FormatRatingValue(double value, const std::string& decimal_separator);

// `decimals` digits after the separator, rounded to nearest ("-0,00" never:
// a value that rounds to zero has no sign). Raises overflow for a value that
// is not finite.
std::string FixedText(double value, int decimals, const std::string& decimal_separator);

}  // namespace fragtally
