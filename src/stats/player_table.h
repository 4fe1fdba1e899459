#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "stats/error.h"

namespace fragtally {

inline constexpr int kMaxPlayers = 9999;

// One column of the player table: slots 1..9999, no slot 0. Any access
// outside 1..9999 raises the subscript-out-of-range error.
template <class T>
class SlotArray {
 public:
  SlotArray() : cells_(kMaxPlayers) {}

  T& operator[](long slot) { return cells_[Index(slot)]; }
  const T& operator[](long slot) const { return cells_[Index(slot)]; }

 private:
  static std::size_t Index(long slot) {
    if (slot < 1 || slot > kMaxPlayers) Raise(ErrorKind::SubscriptOutOfRange);
    return static_cast<std::size_t>(slot - 1);
  }
  std::vector<T> cells_;
};

using Counter = SlotArray<std::int32_t>;

// The running totals of every player ever seen, in the order they first appeared.
struct PlayerTable {
  Counter MachinegunShots, MachinegunHits;
  Counter ShotgunShots, ShotgunHits;
  Counter GrenadeShots, GrenadeHits;
  Counter RocketShots, RocketHits;
  Counter ShaftShots, ShaftHits;
  Counter RailgunShots, RailgunHits;
  Counter PlasmaShots, PlasmaHits;
  Counter BfgShots, BfgHits;
  Counter Gauntlet;
  Counter DamageGiven, DamageReceived;
  Counter Kills, Deaths, Suicides, Frags;
  Counter GamesPlayed;
  std::int16_t PlayerCount = 0;
  SlotArray<std::string> PlayerName;

  // Name -> slot for slots 1..PlayerCount. It only speeds up the name lookup;
  // the first exact match in slot order is what it returns, as a scan would.
  // Kept by the table's operations below (player_table.cpp) and nothing else.
  std::unordered_map<std::string, std::int16_t> NameSlot;
};

// The 24 counters of a slot, in the order the table declares them.
struct CounterColumn {
  std::string_view Name;
  Counter PlayerTable::*Member;
};
inline constexpr std::array<CounterColumn, 24> kCounterColumns{{
    {"MachinegunShots", &PlayerTable::MachinegunShots}, {"MachinegunHits", &PlayerTable::MachinegunHits},
    {"ShotgunShots", &PlayerTable::ShotgunShots},       {"ShotgunHits", &PlayerTable::ShotgunHits},
    {"GrenadeShots", &PlayerTable::GrenadeShots},       {"GrenadeHits", &PlayerTable::GrenadeHits},
    {"RocketShots", &PlayerTable::RocketShots},         {"RocketHits", &PlayerTable::RocketHits},
    {"ShaftShots", &PlayerTable::ShaftShots},           {"ShaftHits", &PlayerTable::ShaftHits},
    {"RailgunShots", &PlayerTable::RailgunShots},       {"RailgunHits", &PlayerTable::RailgunHits},
    {"PlasmaShots", &PlayerTable::PlasmaShots},         {"PlasmaHits", &PlayerTable::PlasmaHits},
    {"BfgShots", &PlayerTable::BfgShots},               {"BfgHits", &PlayerTable::BfgHits},
    {"Gauntlet", &PlayerTable::Gauntlet},               {"DamageGiven", &PlayerTable::DamageGiven},
    {"DamageReceived", &PlayerTable::DamageReceived},   {"Kills", &PlayerTable::Kills},
    {"Deaths", &PlayerTable::Deaths},                   {"Suicides", &PlayerTable::Suicides},
    {"Frags", &PlayerTable::Frags},                     {"GamesPlayed", &PlayerTable::GamesPlayed},
}};

// The 24 counters of a slot, in the order of kCounterColumns.
using CounterValues = std::array<std::int32_t, kCounterColumns.size()>;

CounterValues CountersInSlot(const PlayerTable& table, long slot);
void SetCounters(PlayerTable& table, long slot, const CounterValues& counters);
// Takes `values` off a slot's counters, modulo 2^32 (as adding them went).
void SubtractCounters(PlayerTable& table, long slot, const CounterValues& values);

// Takes the players after the first `keep` out of the table: their counters
// become 0 and their names go, in slot order, to `names` when given.
void TakeOutPlayers(PlayerTable& table, int keep, std::vector<std::string>* names = nullptr);
// Puts players taken out back after the last slot, in order (their counters
// are set apart).
void PutPlayersBack(PlayerTable& table, const std::vector<std::string>& names);

// Asks the processor to fetch a slot's 24 counters, which lie in 24 columns
// far apart, before a block's lines add to them one after the other.
inline void PrefetchSlot(const PlayerTable& table, long slot) {
  if (slot < 1 || slot > kMaxPlayers) return;
#if defined(__GNUC__) || defined(__clang__)
  for (const CounterColumn& column : kCounterColumns) __builtin_prefetch(&(table.*column.Member)[slot], 1);
#endif
}

// The slot of `name` among 1..PlayerCount (the first in slot order, as a
// scan from slot 1 finds it), 0 when none.
std::int16_t FindPlayer(PlayerTable& table, const std::string& name);

// Makes `name` the player in the slot after the last one (slot 1 in an empty
// table) and that slot the last; its counters are left as they are. Returns
// the slot. The caller has checked that the table has room.
std::int16_t AppendPlayer(PlayerTable& table, const std::string& name);

}  // namespace fragtally
