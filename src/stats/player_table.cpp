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

CounterValues CountersInSlot(const PlayerTable& table, long slot) {
  CounterValues counters;
  for (std::size_t i = 0; i < kCounterColumns.size(); ++i) counters[i] = (table.*kCounterColumns[i].Member)[slot];
  return counters;
}

void SetCounters(PlayerTable& table, long slot, const CounterValues& counters) {
  for (std::size_t i = 0; i < kCounterColumns.size(); ++i) (table.*kCounterColumns[i].Member)[slot] = counters[i];
}

void SubtractCounters(PlayerTable& table, long slot, const CounterValues& values) {
  for (std::size_t i = 0; i < kCounterColumns.size(); ++i) {
    std::int32_t& counter = (table.*kCounterColumns[i].Member)[slot];
    counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) - static_cast<std::uint32_t>(values[i]));
  }
}

int FindPlayer(const PlayerTable& table, std::string_view name) {
  // The index may lag behind a table filled by other means: a slot it gives
  // is checked, and a name it lacks is looked for slot by slot.
  if (auto found = table.NameSlot.find(std::string(name));
      found != table.NameSlot.end() && found->second <= table.PlayerCount && table.PlayerName[found->second] == name)
    return found->second;
  for (int slot = 1; slot <= table.PlayerCount; ++slot)
    if (table.PlayerName[slot] == name) return slot;
  return 0;
}

void TakeOutPlayers(PlayerTable& table, int keep, std::vector<std::string>* names) {
  if (keep < 0) keep = 0;
  for (int slot = keep + 1; slot <= table.PlayerCount; ++slot) {
    for (const CounterColumn& column : kCounterColumns) (table.*column.Member)[slot] = 0;
    table.NameSlot.erase(table.PlayerName[slot]);
    if (names != nullptr) names->push_back(std::move(table.PlayerName[slot]));
    table.PlayerName[slot].clear();
  }
  if (keep == 0) table.NameSlot.clear();
  if (keep < table.PlayerCount) table.PlayerCount = static_cast<std::int16_t>(keep);
}

void PutPlayersBack(PlayerTable& table, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const std::int16_t slot = Increment16(table.PlayerCount);
    table.PlayerName[slot] = name;
    table.NameSlot.emplace(name, slot);
    table.PlayerCount = slot;
  }
}

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
