#include "window/lifecycle.h"

#include "files/settings_file.h"
#include "window/panels.h"

namespace fragtally {

StartUpResult StartUp(WindowState& state, MessageSink& messages) {
  StartUpResult result;
  LoadSettings(state);
  result.StatsLoaded = LoadStatsFile(state, messages);
  if (!result.StatsLoaded) return result;
  const int players = state.Table.PlayerCount;
  if (players > 0) {
    for (auto [panel, index] : {std::pair{Panel::First, 0}, std::pair{Panel::Second, players >= 2 ? 1 : 0}}) {
      try {
        SelectEntry(state, panel, index);
      } catch (const StatsError& error) {
        result.FillFailure = error.kind();
      }
    }
  }
  return result;
}

ShutDownResult ShutDown(WindowState& state) {
  ShutDownResult result;
  if (state.Table.PlayerCount > 0) {
    result.Stats = SaveStatsFile(state);
    result.StatsSaved = result.Stats.ok;
  }
  result.Settings = SaveSettings(state);
  return result;
}

}  // namespace fragtally
