#include "app/main_window/ratings.h"

#include <cmath>
#include <limits>

#include "app/text/number_format.h"
#include "app/main_window/panels.h"
#include "stats/numbers.h"

namespace fragtally {

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
