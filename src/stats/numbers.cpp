#include "stats/numbers.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "stats/error.h"

namespace fragtally {

namespace {

// Enough significant digits to round any decimal to the nearest double; the
// digits beyond only matter as "something non-zero follows".
constexpr std::size_t kKeptDigits = 780;

// Exactly representable powers of ten for the fast path.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

class FieldCursor {
 public:
  explicit FieldCursor(std::string_view field) : field_(field) {}
  // Next significant character, or 0 at the end; ignored characters are skipped.
  char Peek() {
    while (pos_ < field_.size()) {
      char c = field_[pos_];
      if (c != ' ' && c != '\t' && c != '\n') return c;
      ++pos_;
    }
    return 0;
  }
  void Advance() { ++pos_; }
  std::size_t Position() const { return pos_; }
  void Rewind(std::size_t pos) { pos_ = pos; }

 private:
  std::string_view field_;
  std::size_t pos_ = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

namespace {

bool Ignored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The common case: a whole number of at most 15 digits, blanks anywhere,
// and then no point or exponent. False when the general reading is needed.
bool ReadWholeNumber(std::string_view field, long long& value, bool& negative) {
  const char* p = field.data();
  const char* const end = p + field.size();
  while (p != end && Ignored(*p)) ++p;
  negative = false;
  if (p != end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  long long number = 0;
  int digits = 0;
  for (; p != end; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      if (++digits > 15) return false;
      number = number * 10 + (c - '0');
    } else if (!Ignored(c)) {
      break;
    }
  }
  if (digits == 0 || (p != end && (*p == '.' || *p == 'e' || *p == 'E'))) return false;
  value = negative ? -number : number;
  return true;
}

}  // namespace

double ReadNumber(std::string_view field) {
  long long whole;
  bool negative = false;
  if (ReadWholeNumber(field, whole, negative)) return negative && whole == 0 ? -0.0 : static_cast<double>(whole);
  FieldCursor cursor(field);
  negative = false;
  if (char c = cursor.Peek(); c == '+' || c == '-') {
    negative = c == '-';
    cursor.Advance();
  }

  // Mantissa: significant digits (leading zeros dropped), the decimal
  // exponent of the first of them, and whether non-zero digits were dropped.
  char digits[kKeptDigits + 2];
  std::size_t kept = 0;
  bool dropped_nonzero = false;
  bool any_digit = false;
  bool seen_point = false;
  long long digits_before_point = 0;  // significant digits before the point
  long long zeros_after_point = 0;    // zeros between the point and the first significant digit
  for (;;) {
    char c = cursor.Peek();
    if (IsDigit(c)) {
      any_digit = true;
      if (kept == 0 && c == '0') {
        if (seen_point) ++zeros_after_point;
      } else {
        if (kept < kKeptDigits) {
          digits[kept++] = c;
        } else if (c != '0') {
          dropped_nonzero = true;
        }
        if (!seen_point) ++digits_before_point;
      }
      cursor.Advance();
    } else if (c == '.' && !seen_point) {
      seen_point = true;
      cursor.Advance();
    } else {
      break;
    }
  }
  if (!any_digit) return 0.0;

  // Exponent: only when at least one digit follows the letter (and its sign).
  long long exponent = 0;
  if (char c = cursor.Peek(); c == 'e' || c == 'E') {
    std::size_t back = cursor.Position();
    cursor.Advance();
    bool exp_negative = false;
    if (char s = cursor.Peek(); s == '+' || s == '-') {
      exp_negative = s == '-';
      cursor.Advance();
    }
    bool exp_digits = false;
    for (char d = cursor.Peek(); IsDigit(d); d = cursor.Peek()) {
      exp_digits = true;
      if (exponent < 1000000000) exponent = exponent * 10 + (d - '0');
      cursor.Advance();
    }
    if (!exp_digits) {
      exponent = 0;
      cursor.Rewind(back);
    } else if (exp_negative) {
      exponent = -exponent;
    }
  }
  if (kept == 0) return 0.0;

  // Value = 0.d1d2d3... x 10^scale
  long long scale = (digits_before_point > 0 ? digits_before_point : -zeros_after_point) + exponent;
  if (scale > 400) Raise(ErrorKind::Overflow);
  if (scale < -400) return 0.0;

  double value;
  long long shift = scale - static_cast<long long>(kept);  // value = integer(d) x 10^shift
  if (kept <= 15 && !dropped_nonzero && shift >= -22 && shift <= 22) {
    long long mantissa = 0;
    for (std::size_t i = 0; i < kept; ++i) mantissa = mantissa * 10 + (digits[i] - '0');
    value = static_cast<double>(mantissa);
    value = shift >= 0 ? value * kPow10[shift] : value / kPow10[-shift];
  } else {
    // The correctly rounded double of 0.d1d2d3...e<scale>, in no locale.
    char text[kKeptDigits + 40];
    char* out = text;
    *out++ = '0';
    *out++ = '.';
    std::memcpy(out, digits, kept);
    out += kept;
    if (dropped_nonzero) *out++ = '1';
    *out++ = 'e';
    out = std::to_chars(out, text + sizeof text, scale).ptr;
    std::from_chars_result read = std::from_chars(text, out, value);
    if (read.ec == std::errc::result_out_of_range) {
      if (scale > 0) Raise(ErrorKind::Overflow);
      value = 0.0;  // below the smallest double
    }
  }
  if (std::isinf(value)) Raise(ErrorKind::Overflow);
  return negative ? -value : value;
}

std::int32_t RoundToInt32(double value) {
  if (value >= -2147483648.0 && value <= 2147483647.0) {
    const auto whole = static_cast<std::int32_t>(value);  // in range: truncation is defined
    if (static_cast<double>(whole) == value) return whole;
  }
  double rounded = std::nearbyint(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) Raise(ErrorKind::Overflow);
  return static_cast<std::int32_t>(rounded);
}

void AddToCounter(std::int32_t& counter, double number) {
  counter = RoundToInt32(static_cast<double>(counter) + number);
}

void AddNumberField(std::int32_t& counter, std::string_view field) {
  // A whole number adds exactly in 64 bits, as it does in double.
  long long whole;
  bool negative;
  if (ReadWholeNumber(field, whole, negative)) {
    const long long total = counter + whole;
    if (total < std::numeric_limits<std::int32_t>::min() || total > std::numeric_limits<std::int32_t>::max())
      Raise(ErrorKind::Overflow);
    counter = static_cast<std::int32_t>(total);
    return;
  }
  AddToCounter(counter, ReadNumber(field));
}

std::int16_t Increment16(std::int16_t value) {
  if (value == std::numeric_limits<std::int16_t>::max()) Raise(ErrorKind::Overflow);
  return static_cast<std::int16_t>(value + 1);
}

std::int32_t Increment32(std::int32_t value) {
  if (value == std::numeric_limits<std::int32_t>::max()) Raise(ErrorKind::Overflow);
  return value + 1;
}

std::string NumberText(long long value) {
  std::string text;
  AppendNumber(text, value);
  return text;
}

}  // namespace fragtally
