#include "app/main_window/panels.h"

#include <cmath>
#include <optional>
#include <utility>

#include "app/main_window/layout.h"
#include "stats/numbers.h"
#include "stats/weapons.h"

namespace fragtally {

PanelLabels DesignPanelLabels() {
  PanelLabels labels;
  for (const ControlSpec& control : Form1Controls())
    if (control.Panel == 1 && control.Fill != kNone) labels[static_cast<std::size_t>(control.Fill)] = control.DesignText;
  return labels;
}

namespace {

// The accuracy label's text, or nothing when the percentage needs more than 16 bits.
std::optional<std::string> ShownAccuracy(std::int32_t hits, std::int32_t shots) {
  if (shots <= 0) return "0%";
  double percent = std::nearbyint(static_cast<double>(hits) / static_cast<double>(shots) * 100.0);
  if (percent < -32768.0 || percent > 32767.0) return std::nullopt;
  std::string text = NumberText(static_cast<long long>(percent));
  text.push_back('%');
  return text;
}

}  // namespace

std::string AccuracyText(std::int32_t hits, std::int32_t shots) {
  std::optional<std::string> text = ShownAccuracy(hits, shots);
  if (!text) Raise(ErrorKind::Overflow);
  return std::move(*text);
}

PanelFill FillPlayerPanel(const PlayerTable& t, int selected_position) {
  PanelFill fill;
  if (selected_position < 0 || selected_position > kMaxPlayers - 1) {
    fill.Failure = ErrorKind::SubscriptOutOfRange;
    return fill;
  }
  const int p = selected_position + 1;
  auto& out = fill.Texts;
  out.reserve(kPanelValueCount);
  out.push_back("Stats for " + t.PlayerName[p]);
  out.push_back(NumberText(t.Gauntlet[p]));
  for (const Weapon& weapon : kWeapons) {
    std::string text = NumberText((t.*weapon.Hits)[p]);
    text.push_back('/');
    AppendNumber(text, (t.*weapon.Shots)[p]);
    out.push_back(std::move(text));
  }
  for (const Weapon& weapon : kWeapons) {
    std::optional<std::string> text = ShownAccuracy((t.*weapon.Hits)[p], (t.*weapon.Shots)[p]);
    if (!text) {
      fill.Failure = ErrorKind::Overflow;
      return fill;
    }
    out.push_back(std::move(*text));
  }
  for (const Counter PlayerTable::*total : {&PlayerTable::DamageGiven, &PlayerTable::DamageReceived, &PlayerTable::Kills,
                                            &PlayerTable::Deaths, &PlayerTable::Suicides, &PlayerTable::Frags})
    out.push_back(NumberText((t.*total)[p]));
  return fill;
}

Selector& SelectorOf(WindowState& state, Panel panel) {
  return panel == Panel::First ? state.Combo1 : state.Combo2;
}

PanelLabels& LabelsOf(WindowState& state, Panel panel) {
  return panel == Panel::First ? state.Panel1 : state.Panel2;
}

namespace {

void FillPanelFromSelector(WindowState& state, Panel panel) {
  PanelFill fill = FillPlayerPanel(state.Table, SelectorOf(state, panel).ListIndex);
  PanelLabels& labels = LabelsOf(state, panel);
  for (std::size_t i = 0; i < fill.Texts.size(); ++i) labels[i] = std::move(fill.Texts[i]);
  if (fill.Failure) Raise(*fill.Failure);
}

}  // namespace

void Combo1_Click(WindowState& state) { FillPanelFromSelector(state, Panel::First); }

void Combo2_Click(WindowState& state) { FillPanelFromSelector(state, Panel::Second); }

void SelectEntry(WindowState& state, Panel panel, int index) {
  Selector& selector = SelectorOf(state, panel);
  if (index < -1 || index >= SelectorEntryCount(state.Table)) Raise(ErrorKind::InvalidArgument);
  if (selector.ListIndex == index) return;
  selector.ListIndex = index;
  if (index >= 0) FillPanelFromSelector(state, panel);
}

}  // namespace fragtally
