#include "window/panels.h"

#include <cmath>

#include "stats/stats_error.h"

namespace fragtally {

namespace {

std::string NumberText(long long value) {
  std::string text;
  AppendNumber(text, value);
  return text;
}

std::string HitsShots(std::int32_t hits, std::int32_t shots) {
  std::string text = NumberText(hits);
  text.push_back('/');
  AppendNumber(text, shots);
  return text;
}

}  // namespace

std::string AccuracyText(std::int32_t hits, std::int32_t shots) {
  if (shots <= 0) return "0%";
  double percent = std::nearbyint(static_cast<double>(hits) / static_cast<double>(shots) * 100.0);
  if (percent < -32768.0 || percent > 32767.0) Raise(ErrorKind::Overflow);
  std::string text = NumberText(static_cast<long long>(percent));
  text.push_back('%');
  return text;
}

PanelFill FillPlayerPanel(const PlayerTable& t, int selected_position) {
  PanelFill fill;
  if (selected_position < 0 || selected_position > kMaxPlayers - 1) {
    fill.Failure = ErrorKind::SubscriptOutOfRange;
    return fill;
  }
  const int p = selected_position + 1;
  auto& out = fill.Texts;
  out.reserve(kPanelLabelCount);
  out.push_back("Stats for " + t.PlayerName[p]);
  out.push_back(NumberText(t.Gauntlet[p]));
  const std::pair<const Counter*, const Counter*> weapons[] = {
      {&t.MachinegunHits, &t.MachinegunShots}, {&t.ShotgunHits, &t.ShotgunShots},
      {&t.GrenadeHits, &t.GrenadeShots},       {&t.RocketHits, &t.RocketShots},
      {&t.ShaftHits, &t.ShaftShots},           {&t.RailgunHits, &t.RailgunShots},
      {&t.PlasmaHits, &t.PlasmaShots},         {&t.BfgHits, &t.BfgShots},
  };
  for (auto [hits, shots] : weapons) out.push_back(HitsShots((*hits)[p], (*shots)[p]));
  try {
    for (auto [hits, shots] : weapons) out.push_back(AccuracyText((*hits)[p], (*shots)[p]));
  } catch (const StatsError& error) {
    fill.Failure = error.kind();
    return fill;
  }
  out.push_back(NumberText(t.DamageGiven[p]));
  out.push_back(NumberText(t.DamageReceived[p]));
  out.push_back(NumberText(t.Kills[p]));
  out.push_back(NumberText(t.Deaths[p]));
  out.push_back(NumberText(t.Suicides[p]));
  out.push_back(NumberText(t.Frags[p]));
  return fill;
}

Selector& SelectorOf(WindowState& state, Panel panel) {
  return panel == Panel::First ? state.Combo1 : state.Combo2;
}

PanelLabels& LabelsOf(WindowState& state, Panel panel) {
  return panel == Panel::First ? state.Panel1 : state.Panel2;
}

void FillPanelFromSelector(WindowState& state, Panel panel) {
  PanelFill fill = FillPlayerPanel(state.Table, SelectorOf(state, panel).ListIndex);
  PanelLabels& labels = LabelsOf(state, panel);
  for (std::size_t i = 0; i < fill.Texts.size(); ++i) labels[i] = std::move(fill.Texts[i]);
  if (fill.Failure) Raise(*fill.Failure);
}

void Combo1_Click(WindowState& state) { FillPanelFromSelector(state, Panel::First); }

void Combo2_Click(WindowState& state) { FillPanelFromSelector(state, Panel::Second); }

void SelectEntry(WindowState& state, Panel panel, int index) {
  Selector& selector = SelectorOf(state, panel);
  if (index < -1 || index >= static_cast<int>(selector.List.size())) Raise(ErrorKind::InvalidArgument);
  if (selector.ListIndex == index) return;
  selector.ListIndex = index;
  if (index >= 0) FillPanelFromSelector(state, panel);
}

}  // namespace fragtally
