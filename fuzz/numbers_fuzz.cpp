// ReadNumber on arbitrary text, FormatRatingValue on arbitrary doubles, and
// the ratings report on two players built from the input.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "reference_model.h"
#include "stats/numbers.h"
#include "stats/stats_line.h"
#include "app/text/number_format.h"
#include "app/main_window/ratings.h"

namespace fragtally::fuzz {

namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

void CheckReadNumber(std::string_view text) {
  std::optional<double> got;
  try {
    got = ReadNumber(text);
  } catch (const Error& e) {
    FRAGTALLY_CHECK(e.kind() == ErrorKind::Overflow, std::string("ReadNumber raised ") + ErrorKindName(e.kind()));
  }
  const std::optional<double> expected = ReferenceNumber(text);
  FRAGTALLY_CHECK(got.has_value() == expected.has_value(), got ? "no overflow, reference overflows" : "overflow");
  if (got) {
    char a[40], b[40];
    std::snprintf(a, sizeof a, "%.17g", *got);
    std::snprintf(b, sizeof b, "%.17g", *expected);
    FRAGTALLY_CHECK(*got == *expected, std::string("ReadNumber gives ") + a + ", reference " + b);
  }
}

// The decimal exponent of a value once rounded to 15 significant digits.
int RoundedExponent(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
  return std::atoi(std::strchr(buffer, 'e') + 1);
}

void CheckRatingValue(double value, const std::string& separator) {
  if (!std::isfinite(value)) {
    bool raised = false;
    try {
      FormatRatingValue(value, separator);
    } catch (const Error&) {
      raised = true;
    }
    FRAGTALLY_CHECK(raised, "a value that is not finite was formatted");
    return;
  }
  const std::string text = FormatRatingValue(value, separator);
  char shown[64];
  std::snprintf(shown, sizeof shown, "%.17g", value);

  // Layout: "%.15G" follows the same rules (15 significant digits, positional
  // for exponents -4..14, trailing zeros and a bare point dropped, E±dd).
  std::string layout = "0";
  if (value != 0.0) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    layout = Replace(buffer, ".", separator);
  }
  FRAGTALLY_CHECK(text == layout, std::string("FormatRatingValue(") + shown + ") = " + text + ", expected " + layout);

  // The rules, checked on the text itself.
  const std::string plain = separator == "." ? text : Replace(text, separator, ".");
  std::size_t i = 0;
  if (plain[i] == '-') ++i;
  FRAGTALLY_CHECK((i == 1) == (value < 0.0), "sign of " + text);
  FRAGTALLY_CHECK(i < plain.size() && plain[i] >= '0' && plain[i] <= '9', "no digit at the start of " + text);
  const std::size_t e_at = plain.find('E');
  const std::string mantissa = plain.substr(i, e_at == std::string::npos ? std::string::npos : e_at - i);
  int significant = 0;
  bool leading = true;
  for (char c : mantissa) {
    if (c == '.') continue;
    FRAGTALLY_CHECK(c >= '0' && c <= '9', "stray character in " + text);
    if (c != '0') leading = false;
    if (!leading) ++significant;
  }
  FRAGTALLY_CHECK(significant <= 15, "more than 15 significant digits in " + text);
  if (const std::size_t point = mantissa.find('.'); point != std::string::npos) {
    FRAGTALLY_CHECK(point + 1 < mantissa.size() && mantissa.back() != '0', "trailing zero or bare separator: " + text);
    FRAGTALLY_CHECK(point > 0, "no digit before the separator: " + text);
  }
  const int exponent = value == 0.0 ? 0 : RoundedExponent(value);
  const bool positional = exponent >= -4 && exponent <= 14;
  FRAGTALLY_CHECK(positional == (e_at == std::string::npos), "notation of " + text);
  if (!positional) {
    const std::string tail = plain.substr(e_at + 1);
    FRAGTALLY_CHECK(tail.size() >= 3 && (tail[0] == '+' || tail[0] == '-'), "exponent of " + text);
    FRAGTALLY_CHECK(mantissa.size() == 1 || mantissa[1] == '.', "mantissa of " + text);
  } else if (value != 0.0 && exponent < 0) {
    FRAGTALLY_CHECK(mantissa.rfind("0.", 0) == 0 || mantissa == "0", "leading zero of " + text);
  }

  // Read back, the text is the value rounded to 15 significant digits.
  const double back = std::strtod(plain.c_str(), nullptr);
  char rounded_text[40];
  std::snprintf(rounded_text, sizeof rounded_text, "%.14e", value);
  const double rounded = std::strtod(rounded_text, nullptr);
  FRAGTALLY_CHECK(back == rounded, "reads back as another value: " + text + " for " + shown);
  // (Near the largest double the rounded text lies beyond it and reads as infinity.)
  // Half a unit of the 15th digit, at most 5E-15 of the value, plus the
  // rounding of the read-back itself.
  FRAGTALLY_CHECK(std::isinf(back) || std::fabs(back - value) <= std::fabs(value) * 5.3e-15 + 5e-324,
                  std::string("more than 15 digits off: ") + text + " for " + shown);
}

struct ReportPlayer {
  std::int32_t frags, deaths, given, received, games;
};

std::optional<std::string> ExpectedHalf(const PlayerTable& table, const RatingsInput& input,
                                        const std::string& separator) {
  if (!input.SelectedPosition) return std::nullopt;
  const long slot = static_cast<long>(*input.SelectedPosition) + 1;
  if (slot < 1 || slot > kMaxPlayers) return std::nullopt;
  const std::int32_t games = table.GamesPlayed[slot];
  std::string ratings[2];
  const std::pair<std::int32_t, std::int32_t> pairs[2] = {{table.Frags[slot], table.Deaths[slot]},
                                                          {table.DamageGiven[slot], table.DamageReceived[slot]}};
  for (int k = 0; k < 2; ++k) {
    const long long difference = static_cast<long long>(pairs[k].first) - pairs[k].second;
    if (difference < -2147483648LL || difference > 2147483647LL || games == 0) return std::nullopt;
    ratings[k] = FormatRatingValue(static_cast<double>(difference) / games, separator);
  }
  double sum = 0;
  for (const std::string& caption : input.AccuracyCaptions) {
    std::optional<double> number = ReferenceNumber(caption);
    if (!number) return std::nullopt;
    sum += *number;
  }
  const double average = std::floor(sum / 8.0);
  if (!std::isfinite(average)) return std::nullopt;
  return input.DisplayedText + "\r\nРейтинг фрагов: " + ratings[0] + "\r\nРейтинг повреждений: " + ratings[1] +
         "\r\nРейтинг точности: " + FormatRatingValue(average, separator) +
         "\r\nКоличество игр: " + std::to_string(games);
}

void CheckReport(InputReader& input) {
  static std::unique_ptr<PlayerTable> table = std::make_unique<PlayerTable>();
  const std::string separator = input.Byte() & 1 ? "," : ".";
  for (int slot = 1; slot <= 2; ++slot) {
    table->Frags[slot] = input.Int32();
    table->Deaths[slot] = input.Int32();
    table->DamageGiven[slot] = input.Int32();
    table->DamageReceived[slot] = input.Int32();
    table->GamesPlayed[slot] = input.Int32();
  }
  RatingsInput panels[2];
  for (RatingsInput& panel : panels) {
    const std::uint8_t pick = input.Byte();
    const int positions[] = {0, 1, 2, 9998, 9999, -1, -2, 2147483647};
    if (pick % 9 < 8) panel.SelectedPosition = positions[pick % 9];
    panel.DisplayedText = input.Text(32);
    for (std::string& caption : panel.AccuracyCaptions) {
      if (input.Byte() & 1) {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "%.17g%%", input.Double());
        caption = buffer;
      } else {
        caption = input.Text(24);
      }
    }
  }
  const std::string report = BuildRatingsReport(*table, panels[0], panels[1], separator);
  const std::optional<std::string> first = ExpectedHalf(*table, panels[0], separator);
  const std::optional<std::string> second = ExpectedHalf(*table, panels[1], separator);
  std::string expected;
  if (first && second)
    expected = "Рейтинги первого игрока:\r\n\r\n" + *first +
               "\r\n\r\n================================          \r\n\r\nРейтинги второго игрока:\r\n\r\n" + *second;
  FRAGTALLY_CHECK(report == expected, "ratings report differs:\n" + report + "\nexpected:\n" + expected);
}

}  // namespace

void FuzzNumbers(const std::uint8_t* data, std::size_t size) {
  InputReader input(data, size);
  switch (input.Byte() % 3) {
    case 0:
      CheckReadNumber(input.Rest());
      break;
    case 1: {
      const double value = input.Double();
      CheckRatingValue(value, ".");
      CheckRatingValue(value, ",");
      // Quotients as the report forms them.
      const std::int32_t top = input.Int32(), bottom = input.Int32();
      if (bottom != 0) CheckRatingValue(static_cast<double>(top) / bottom, ",");
      break;
    }
    default:
      CheckReport(input);
      break;
  }
}

}  // namespace fragtally::fuzz

FRAGTALLY_FUZZ_ENTRY(fragtally::fuzz::FuzzNumbers)
