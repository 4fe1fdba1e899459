#include "stats/reading_state.h"

#include "stats/numbers.h"

namespace fragtally {

void AppendTrace(ReadingState& state, std::string_view line) {
  state.Trace.append(line);
  state.Trace.append("\r\n");
}

void FindOrAddPlayer(ReadingState& state) {
  PlayerTable& table = state.Table;
  std::int16_t slot = 1;
  if (table.PlayerCount > 0) {
    if (const std::int16_t found = FindPlayer(table, state.CurrentName); found != 0) {
      state.ScanIndex = found;
      state.CurrentPlayer = found;
      table.GamesPlayed[found] = Increment32(table.GamesPlayed[found]);
      return;
    }
    state.ScanIndex = Increment16(table.PlayerCount);  // the scan ran past the last player
    if (table.PlayerCount >= kMaxPlayers) Raise(ErrorKind::SubscriptOutOfRange);
    slot = Increment16(table.PlayerCount);
  }
  // Nothing changes unless the new slot's count of games can grow.
  const std::int32_t games = Increment32(table.GamesPlayed[slot]);
  AppendPlayer(table, state.CurrentName);
  table.GamesPlayed[slot] = games;
  state.CurrentPlayer = slot;
}

}  // namespace fragtally
