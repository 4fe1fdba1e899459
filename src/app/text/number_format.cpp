#include "app/text/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "stats/error.h"

namespace fragtally {

std::string FormatRatingValue(double value, const std::string& decimal_separator) {
  if (!std::isfinite(value)) Raise(ErrorKind::Overflow);
  if (value == 0.0) return "0";

  // 15 significant digits, rounded to nearest: d.dddddddddddddde±x. Written
  // without the C library's locale, whose decimal point may be anything (even
  // more than one byte); the user's separator is put in below.
  char buffer[40];
  const std::to_chars_result written =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
  const std::string_view mantissa_and_exponent(buffer, static_cast<std::size_t>(written.ptr - buffer));
  std::string digits;
  digits.push_back(buffer[0]);
  digits.append(buffer + 2, 14);
  const std::size_t e = mantissa_and_exponent.find('e');
  int exponent = 0;
  std::from_chars(buffer + e + 2, written.ptr, exponent);
  if (buffer[e + 1] == '-') exponent = -exponent;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string text = value < 0 ? "-" : "";
  if (exponent >= -4 && exponent <= 14) {
    if (exponent < 0) {
      text += "0" + decimal_separator + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (digits.size() <= static_cast<std::size_t>(exponent) + 1) {
      text += digits + std::string(static_cast<std::size_t>(exponent) + 1 - digits.size(), '0');
    } else {
      text += digits.substr(0, static_cast<std::size_t>(exponent) + 1) + decimal_separator +
              digits.substr(static_cast<std::size_t>(exponent) + 1);
    }
  } else {
    text += digits.substr(0, 1);
    if (digits.size() > 1) text += decimal_separator + digits.substr(1);
    text += exponent < 0 ? "E-" : "E+";
    if (std::abs(exponent) < 10) text += '0';
    text += std::to_string(std::abs(exponent));
  }
  return text;
}

std::string FixedText(double value, int decimals, const std::string& decimal_separator) {
  if (!std::isfinite(value)) Raise(ErrorKind::Overflow);
  char buffer[400];
  const std::to_chars_result written =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text(buffer, written.ptr);
  if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-') text.erase(0, 1);
  if (const std::size_t point = text.find('.'); point != std::string::npos) text.replace(point, 1, decimal_separator);
  return text;
}

}  // namespace fragtally
