#pragma once

#include <optional>

#include "files/messages.h"
#include "files/stats_file.h"
#include "stats/window_state.h"

namespace fragtally {

struct StartUpResult {
  bool StatsLoaded = false;
  std::optional<ErrorKind> FillFailure;  // a panel could not be filled completely
};

// Settings, statistics file, then the first and second player selected (each
// selection fills its panel). The statistics message goes through `messages`.
StartUpResult StartUp(WindowState& state, MessageSink& messages);

struct ShutDownResult {
  bool StatsSaved = true;  // also when there was nothing to save
  SaveResult Stats;
  SaveResult Settings;
};

// Writes the statistics file when there are players, then the settings file.
ShutDownResult ShutDown(WindowState& state);

}  // namespace fragtally
