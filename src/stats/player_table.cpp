#include "stats/player_table.h"

#include "stats/numbers.h"
#include "stats/reading_state.h"

namespace fragtally {

namespace {

// Rebuilds the name index when the table was filled by other means than
// FindOrAddPlayer (the first slot of a name wins, as in a scan from slot 1).
void SyncNameIndex(PlayerTable& table) {
  if (table.NameSlot.size() == static_cast<std::size_t>(table.PlayerCount)) return;
  table.NameSlot.clear();
  for (int slot = 1; slot <= table.PlayerCount; ++slot)
    table.NameSlot.emplace(table.PlayerName[slot], static_cast<std::int16_t>(slot));
}

}  // namespace

void FindOrAddPlayer(ReadingState& state) {
  PlayerTable& table = state.Table;

  if (table.PlayerCount <= 0) {
    std::int32_t games = Increment32(table.GamesPlayed[1]);
    table.PlayerCount = 1;
    state.CurrentPlayer = 1;
    table.PlayerName[1] = state.CurrentName;
    table.GamesPlayed[1] = games;
    table.NameSlot.clear();
    table.NameSlot.emplace(state.CurrentName, std::int16_t{1});
    return;
  }

  SyncNameIndex(table);
  if (auto found = table.NameSlot.find(state.CurrentName); found != table.NameSlot.end()) {
    state.ScanIndex = found->second;
    state.CurrentPlayer = found->second;
    table.GamesPlayed[state.CurrentPlayer] = Increment32(table.GamesPlayed[state.CurrentPlayer]);
    return;
  }
  // The scan ran past the last player.
  state.ScanIndex = Increment16(table.PlayerCount);

  if (table.PlayerCount >= kMaxPlayers) Raise(ErrorKind::SubscriptOutOfRange);
  std::int16_t slot = Increment16(table.PlayerCount);
  std::int32_t games = Increment32(table.GamesPlayed[slot]);
  table.PlayerCount = slot;
  state.CurrentPlayer = slot;
  table.PlayerName[slot] = state.CurrentName;
  table.GamesPlayed[slot] = games;
  table.NameSlot.emplace(state.CurrentName, slot);
}

}  // namespace fragtally
