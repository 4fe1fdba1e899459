#include "journal_games.h"

#include "app/main_window/ratings.h"

namespace fragtally::testing {

JournalMatch JournalGame(const std::string& session, std::int64_t position, std::int64_t match, const std::string& map,
                         const std::string& name, int frags, const GameCounters& counters) {
  JournalMatch game;
  game.Import = 1;
  game.Session = session;
  game.Position = position;
  game.Match = match;
  game.Map = map;
  game.Name = name;
  const auto add = [&](Counter PlayerTable::*counter, std::int32_t value) { game.Added[CounterIndex(counter)] = value; };
  add(&PlayerTable::Frags, frags);
  if (counters.Usual) {
    add(&PlayerTable::GamesPlayed, 1);
    add(&PlayerTable::Kills, frags + 1);
    add(&PlayerTable::Deaths, 2);
    add(&PlayerTable::DamageGiven, 100 * frags);
    add(&PlayerTable::DamageReceived, 50);
  }
  add(&PlayerTable::Suicides, counters.Suicides);
  add(&PlayerTable::RailgunShots, counters.RailgunShots);
  add(&PlayerTable::RailgunHits, counters.RailgunHits);
  add(&PlayerTable::BfgShots, counters.BfgShots);
  return game;
}

}  // namespace fragtally::testing
