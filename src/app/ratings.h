#pragma once

#include <array>
#include <optional>
#include <string>

#include "stats/player_table.h"
#include "stats/weapons.h"
#include "app/window_state.h"

namespace fragtally {

// What the ratings report reads from one panel at the press.
struct RatingsInput {
  std::optional<int> SelectedPosition;  // 0-based; none when nothing is selected
  std::string DisplayedText;            // what the selector shows
  std::array<std::string, kWeapons.size()> AccuracyCaptions;  // the weapons in their order
};

// At most 15 significant digits; positional for 1E-4 <= |x| < 1E15, else
// mantissa, "E", sign and at least two exponent digits. Trailing zeros and a
// bare separator are dropped. `decimal_separator` is the user's (UTF-8).
std::string FormatRatingValue(double value, const std::string& decimal_separator);

// The report text (CR LF between lines, none after the last), or the empty
// text when any step fails.
std::string BuildRatingsReport(const PlayerTable& table, const RatingsInput& first, const RatingsInput& second,
                               const std::string& decimal_separator);

// Gathers a panel's input from the window state: the selector shows its
// selected entry, or nothing.
RatingsInput GatherRatingsInput(const PlayerTable& table, const Selector& selector, const PanelLabels& labels);

}  // namespace fragtally
