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

}  // namespace fragtally
