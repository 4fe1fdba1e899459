#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window/layout.h"
#include "app/main_window/window_state.h"
#include "stats/error.h"

namespace fragtally {

// The value labels' design texts, shown until a panel's first fill.
PanelLabels DesignPanelLabels();

// The text of an accuracy label: the whole percentage of hits / shots (ties
// to even) and "%", "0%" when nothing was fired. Raises overflow beyond 16 bits.
std::string AccuracyText(std::int32_t hits, std::int32_t shots);

struct PanelFill {
  std::vector<std::string> Texts;    // in fill order; fewer than 24 after a failure
  std::optional<ErrorKind> Failure;  // why the fill stopped, if it did
};

// The 24 label texts for the player at `selected_position` (0-based list
// position; the slot is one higher). Changes nothing.
PanelFill FillPlayerPanel(const PlayerTable& table, int selected_position);

enum class Panel { First, Second };

// A window's own handles of one panel's controls.
template <class Combo, class Picture, class Label>
struct PanelControls {
  Combo Selector{};
  Picture Image{};
  std::array<Label, kPanelValueCount> Values{};  // the value labels in fill order
};

Selector& SelectorOf(WindowState& state, Panel panel);
PanelLabels& LabelsOf(WindowState& state, Panel panel);

// Fill a panel from its selector's selected entry. The texts produced before
// a failure are applied; the failure is raised after them.
void Combo1_Click(WindowState& state);
void Combo2_Click(WindowState& state);

// Makes `index` the selected entry. When that changes the selection, the
// selector's click handler runs (and may raise).
void SelectEntry(WindowState& state, Panel panel, int index);

}  // namespace fragtally
