#pragma once

#include <array>
#include <string_view>

#include "stats/player_table.h"

namespace fragtally {

// The eight weapons that count hits and shots, in the order every block,
// panel and report lists them. The statistics line parser, the statistics
// file writer, the panels and the ratings report all follow this table.
struct Weapon {
  std::string_view LinePrefix;  // how its statistics line starts
  std::string_view TraceLabel;  // its trace line's label
  Counter PlayerTable::*Hits;
  Counter PlayerTable::*Shots;
  // Without a shot the statistics file writes "0/0" for a weapon, except
  // for one that writes its two counts as they stand.
  bool WritesCountsWithoutShots;
};

inline constexpr std::array<Weapon, 8> kWeapons{{
    {"console: Machinegun:", "Machinegun=", &PlayerTable::MachinegunHits, &PlayerTable::MachinegunShots, true},
    {"console: Shotgun:", "Shotgun=", &PlayerTable::ShotgunHits, &PlayerTable::ShotgunShots, false},
    {"console: Grenade L:", "Grenade=", &PlayerTable::GrenadeHits, &PlayerTable::GrenadeShots, false},
    {"console: Rocket L:", "Rocket=", &PlayerTable::RocketHits, &PlayerTable::RocketShots, false},
    {"console: Shaft:", "Shaft=", &PlayerTable::ShaftHits, &PlayerTable::ShaftShots, false},
    {"console: Railgun:", "Railgun=", &PlayerTable::RailgunHits, &PlayerTable::RailgunShots, false},
    {"console: Plasma gun:", "Plasma=", &PlayerTable::PlasmaHits, &PlayerTable::PlasmaShots, false},
    {"console: BFG:", "BFG=", &PlayerTable::BfgHits, &PlayerTable::BfgShots, false},
}};

}  // namespace fragtally
