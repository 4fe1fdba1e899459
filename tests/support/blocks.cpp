#include "blocks.h"

#include <cmath>

namespace fragtally::testing {

std::vector<std::string> StatsBlock(const Totals& t) {
  static const char* const kWeapons[] = {"Machinegun", "Shotgun", "Grenade L", "Rocket L",
                                         "Shaft",      "Railgun", "Plasma gun", "BFG"};
  std::vector<std::string> lines;
  lines.push_back("console: Stats for: " + t.name);
  lines.push_back("console: Gauntlet:   " + std::to_string(t.gauntlet));
  for (int i = 0; i < 8; ++i) {
    auto [hits, shots] = t.weapons[i];
    // Without shots only the machinegun keeps its counts; the others write 0/0.
    std::string field = shots >= 1 ? std::to_string(hits) + "/" + std::to_string(shots) + "     " +
                                         std::to_string(std::llrint(static_cast<double>(hits) / shots * 100.0)) + "%"
                        : i == 0   ? std::to_string(hits) + "/" + std::to_string(shots) + "     0%"
                                   : "0/0     0%";
    lines.push_back(std::string("console: ") + kWeapons[i] + ":   " + field);
  }
  lines.push_back("console: Dmggiven: " + std::to_string(t.damage_given));
  lines.push_back("console: Dmgrecvd: " + std::to_string(t.damage_received));
  lines.push_back("console: Kills: " + std::to_string(t.kills) + "     Deaths: " + std::to_string(t.deaths) +
                  "     Suicides: " + std::to_string(t.suicides) + "     Frags: " + std::to_string(t.frags));
  if (t.games) lines.push_back("console: games played: " + std::to_string(*t.games));
  lines.push_back("console:  ");
  return lines;
}

std::string StatsFileOf(const std::vector<Totals>& players) {
  std::string text;
  for (const Totals& t : players) text += CrLf(StatsBlock(t));
  return text;
}

std::vector<std::string> MatchBlock(const std::string& name, int kills) {
  Totals match{.name = name, .weapons = {{{12, 30}}}, .damage_given = 1500, .kills = kills, .deaths = 2,
               .frags = kills, .games = std::nullopt};
  return StatsBlock(match);
}

std::vector<std::string> Lines(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace fragtally::testing
