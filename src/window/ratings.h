#pragma once

#include <array>
#include <optional>
#include <string>

#include "stats/player_table.h"
#include "stats/window_state.h"

namespace fragtally {

// What the ratings report reads from one panel at the press.
struct RatingsInput {
  std::optional<int> SelectedPosition;  // 0-based; none when nothing is selected
  std::string DisplayedText;            // the selector's text, UTF-8
  std::array<std::string, 8> AccuracyCaptions;  // machinegun first, BFG last
};

// At most 15 significant digits; positional for 1E-4 <= |x| < 1E15, else
// mantissa, "E", sign and at least two exponent digits. Trailing zeros and a
// bare separator are dropped. `decimal_separator` is the user's (UTF-8).
std::string FormatRatingValue(double value, const std::string& decimal_separator);

// The report text (UTF-8, CR LF between lines, none after the last), or the
// empty text when any step fails.
std::string BuildRatingsReport(const PlayerTable& table, const RatingsInput& first, const RatingsInput& second,
                               const std::string& decimal_separator);

// Gathers a panel's input from the window state; `displayed_text` is what the
// selector shows.
RatingsInput GatherRatingsInput(const Selector& selector, const PanelLabels& labels, std::string displayed_text);

}  // namespace fragtally
