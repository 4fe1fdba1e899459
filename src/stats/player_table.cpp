#include "stats/player_table.h"

namespace fragtally {

namespace {

// Rebuilds the name index when the table was filled by other means than
// AppendPlayer (the first slot of a name wins, as in a scan from slot 1).
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

std::int16_t FindPlayer(PlayerTable& table, const std::string& name) {
  SyncNameIndex(table);
  const auto found = table.NameSlot.find(name);
  return found == table.NameSlot.end() ? std::int16_t{0} : found->second;
}

std::int16_t AppendPlayer(PlayerTable& table, const std::string& name) {
  SyncNameIndex(table);
  const std::int16_t slot = table.PlayerCount <= 0 ? std::int16_t{1} : static_cast<std::int16_t>(table.PlayerCount + 1);
  table.PlayerCount = slot;
  table.PlayerName[slot] = name;
  table.NameSlot.emplace(name, slot);
  return slot;
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
    AppendPlayer(table, name);
  }
}

}  // namespace fragtally
