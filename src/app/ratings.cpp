#include "app/ratings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "app/panels.h"
#include "stats/numbers.h"

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

namespace {

struct PlayerRatings {
  std::string Frag, Damage, Accuracy, Games;
};

double Quotient(std::int32_t plus, std::int32_t minus, std::int32_t games) {
  long long difference = static_cast<long long>(plus) - minus;
  if (difference < std::numeric_limits<std::int32_t>::min() || difference > std::numeric_limits<std::int32_t>::max())
    Raise(ErrorKind::Overflow);
  if (games == 0) Raise(ErrorKind::InvalidArgument);  // division by zero
  double quotient = static_cast<double>(difference) / static_cast<double>(games);
  if (!std::isfinite(quotient)) Raise(ErrorKind::Overflow);
  return quotient;
}

PlayerRatings Rate(const PlayerTable& t, const RatingsInput& input, const std::string& separator) {
  if (!input.SelectedPosition) Raise(ErrorKind::SubscriptOutOfRange);
  const long slot = static_cast<long>(*input.SelectedPosition) + 1;
  PlayerRatings r;
  r.Frag = FormatRatingValue(FragRating(t.Frags[slot], t.Deaths[slot], t.GamesPlayed[slot]), separator);
  r.Damage = FormatRatingValue(DamageRating(t.DamageGiven[slot], t.DamageReceived[slot], t.GamesPlayed[slot]), separator);
  r.Accuracy = FormatRatingValue(AccuracyRating(input.AccuracyCaptions), separator);
  AppendNumber(r.Games, t.GamesPlayed[slot]);
  return r;
}

void AppendHalf(std::string& text, const std::string& name, const PlayerRatings& r) {
  text += name + "\r\n";
  text += "Рейтинг фрагов: " + r.Frag + "\r\n";
  text += "Рейтинг повреждений: " + r.Damage + "\r\n";
  text += "Рейтинг точности: " + r.Accuracy + "\r\n";
  text += "Количество игр: " + r.Games;
}

}  // namespace

double FragRating(std::int32_t frags, std::int32_t deaths, std::int32_t games) { return Quotient(frags, deaths, games); }

double DamageRating(std::int32_t given, std::int32_t received, std::int32_t games) {
  return Quotient(given, received, games);
}

double AccuracyRating(const std::array<std::string, kWeapons.size()>& accuracy_captions) {
  double sum = 0.0;
  for (const std::string& caption : accuracy_captions) sum += ReadNumber(caption);
  const double average = std::floor(sum / 8.0);
  if (!std::isfinite(average)) Raise(ErrorKind::Overflow);
  return average;
}

PlayerCounters CountersOf(const PlayerTable& table, long slot) {
  PlayerCounters counters{};
  for (std::size_t i = 0; i < kCounterColumns.size(); ++i) counters[i] = (table.*kCounterColumns[i].Member)[slot];
  return counters;
}

std::array<std::string, kWeapons.size()> AccuracyCaptions(const PlayerCounters& counters) {
  std::array<std::string, kWeapons.size()> captions;
  for (std::size_t i = 0; i < kWeapons.size(); ++i)
    captions[i] = AccuracyText(counters[CounterIndex(kWeapons[i].Hits)], counters[CounterIndex(kWeapons[i].Shots)]);
  return captions;
}

std::string BuildRatingsReport(const PlayerTable& table, const RatingsInput& first, const RatingsInput& second,
                               const std::string& decimal_separator) {
  try {
    PlayerRatings a = Rate(table, first, decimal_separator);
    PlayerRatings b = Rate(table, second, decimal_separator);
    std::string text = "Рейтинги первого игрока:\r\n\r\n";
    AppendHalf(text, first.DisplayedText, a);
    text += "\r\n\r\n================================          \r\n\r\nРейтинги второго игрока:\r\n\r\n";
    AppendHalf(text, second.DisplayedText, b);
    return text;
  } catch (const std::exception&) {
    return {};
  }
}

RatingsInput GatherRatingsInput(const PlayerTable& table, const Selector& selector, const PanelLabels& labels) {
  RatingsInput input;
  if (selector.ListIndex >= 0) {
    input.SelectedPosition = selector.ListIndex;
    if (selector.ListIndex < SelectorEntryCount(table)) input.DisplayedText = SelectorEntry(table, selector.ListIndex);
  }
  for (std::size_t i = 0; i < input.AccuracyCaptions.size(); ++i)
    input.AccuracyCaptions[i] = labels[PanelValue::FirstAccuracy + i];
  return input;
}

}  // namespace fragtally
