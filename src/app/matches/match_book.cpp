#include "app/matches/match_book.h"

#include <algorithm>
#include <tuple>

#include "app/main_window/ratings.h"
#include "files/file_digest.h"
#include "files/journal_format.h"
#include "stats/player_table.h"

namespace fragtally {

namespace {

constexpr std::size_t kFrags = CounterIndex(&PlayerTable::Frags);

struct MatchKeyHash {
  std::size_t operator()(const std::pair<std::string_view, std::int64_t>& key) const {
    return std::hash<std::string_view>()(key.first) * 31 + static_cast<std::size_t>(key.second);
  }
};

}  // namespace

std::uint32_t PersonIndex::PersonOf(std::string_view name) {
  if (const auto at = numbers_.find(name); at != numbers_.end()) return at->second;
  const auto person = static_cast<std::uint32_t>(names_.size());
  numbers_.emplace(std::string(name), person);
  names_.emplace_back(name);
  return person;
}

bool PersonIndex::Find(std::string_view name, std::uint32_t& person) const {
  const auto at = numbers_.find(name);
  if (at == numbers_.end()) return false;
  person = at->second;
  return true;
}

MatchPlacings PlayedMatch::Placings() const {
  MatchPlacings placings;
  placings.reserve(Games.size());
  for (const MatchGame& game : Games) {  // best place first: a person's first entry is their best
    const bool seen = std::any_of(placings.begin(), placings.end(),
                                  [&](const Placing& placing) { return placing.Person == game.Person; });
    if (!seen) placings.push_back({game.Person, static_cast<std::uint32_t>(game.Place)});
  }
  return placings;
}

MatchBook BuildMatchBook(const std::vector<JournalMatch>& journal, PersonIndex& people, const PeopleBook* who) {
  MatchBook book;
  // The matches in the order the journal first holds them, with the order
  // of their sessions.
  std::unordered_map<std::pair<std::string_view, std::int64_t>, std::uint32_t, MatchKeyHash> match_at;
  std::unordered_map<std::string_view, std::size_t> session_order;
  std::vector<std::size_t> order_of_session;
  // Each block's match, then each match's games in one allocation.
  std::vector<std::uint32_t> match_of(journal.size(), UINT32_MAX);
  std::vector<std::uint32_t> games_in;
  const JournalMatch* last = nullptr;  // the block before, whose match the next one is mostly of
  std::uint32_t last_match = 0;
  for (std::size_t b = 0; b < journal.size(); ++b) {
    const JournalMatch& block = journal[b];
    if (block.Match <= 0) continue;
    if (last == nullptr || block.Match != last->Match || block.Session != last->Session) {
      const auto [at, added] =
          match_at.try_emplace({block.Session, block.Match}, static_cast<std::uint32_t>(book.Matches.size()));
      if (added) {
        PlayedMatch& match = book.Matches.emplace_back();
        match.Session = &block.Session;
        match.Number = block.Match;
        match.Map = &block.Map;
        order_of_session.push_back(session_order.try_emplace(block.Session, session_order.size()).first->second);
        games_in.push_back(0);
      }
      last_match = at->second;
    }
    last = &block;
    match_of[b] = last_match;
    ++games_in[last_match];
  }
  for (std::size_t m = 0; m < book.Matches.size(); ++m) book.Matches[m].Games.reserve(games_in[m]);
  for (std::size_t b = 0; b < journal.size(); ++b)
    if (match_of[b] != UINT32_MAX)
      book.Matches[match_of[b]].Games.push_back(
          {&journal[b], people.PersonOf(who != nullptr ? who->PersonOf(journal[b].Name) : journal[b].Name), 1});
  // In the order played.
  std::vector<std::uint32_t> order(book.Matches.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  using SortKey = std::tuple<bool, std::string_view, std::size_t, std::int64_t>;
  std::vector<SortKey> keys(order.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) {
    const PlayedMatch& match = book.Matches[i];
    // A dated session sorts by its date; one without a date before the dated
    // ones, in the order the journal first holds it.
    const bool dated = IsJournalTime(*match.Session);
    keys[i] = {dated, dated ? std::string_view(*match.Session) : std::string_view(), order_of_session[i], match.Number};
  }
  if (!std::is_sorted(keys.begin(), keys.end()))
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
  std::vector<PlayedMatch> played;
  played.reserve(order.size());
  for (const std::uint32_t i : order) played.push_back(std::move(book.Matches[i]));
  book.Matches = std::move(played);

  // Places: by frags, equal frags sharing the better place. A match has a
  // handful of players: an insertion sort, stable and without a buffer.
  std::vector<std::uint32_t> games_of(people.Size(), 0);
  for (const PlayedMatch& match : book.Matches)
    for (const MatchGame& game : match.Games) ++games_of[game.Person];
  book.ByPerson.resize(people.Size());
  for (std::size_t person = 0; person < people.Size(); ++person) book.ByPerson[person].reserve(games_of[person]);
  const auto frags = [](const MatchGame& game) { return game.Block->Added[kFrags]; };
  for (std::uint32_t m = 0; m < book.Matches.size(); ++m) {
    std::vector<MatchGame>& games = book.Matches[m].Games;
    for (std::size_t g = 1; g < games.size(); ++g) {
      const MatchGame game = games[g];
      std::size_t at = g;
      for (; at > 0 && frags(games[at - 1]) < frags(game); --at) games[at] = games[at - 1];
      games[at] = game;
    }
    for (std::size_t g = 0; g < games.size(); ++g) {
      games[g].Place = g > 0 && frags(games[g]) == frags(games[g - 1]) ? games[g - 1].Place : static_cast<int>(g) + 1;
      book.ByPerson[games[g].Person].push_back({m, static_cast<std::uint32_t>(g)});
    }
  }
  return book;
}

MatchTally TallyGames(const MatchBook& book, const std::vector<PersonGame>& games) {
  MatchTally tally;
  for (std::size_t i = 0; i < games.size(); ++i) {
    const PersonGame& game = games[i];
    // A person with two names in one match played it once, at the better
    // place: the first of its games there (a match's games go best first).
    if (i > 0 && games[i - 1].Match == game.Match) continue;
    ++tally.Matches;
    if (book.GameOf(game).Place == 1) ++tally.Wins;
  }
  return tally;
}

namespace {

// What the rating learns from a match, as a digest: its session, number and
// its people with their places.
std::uint64_t MatchKey(const PlayedMatch& match) {
  ContentDigest digest;
  digest.Update(*match.Session);
  digest.Update(std::string_view("\0", 1));
  const auto put = [&](std::uint64_t value) {
    char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
    digest.Update(std::string_view(bytes, 8));
  };
  put(static_cast<std::uint64_t>(match.Number));
  for (const MatchGame& game : match.Games) put((std::uint64_t{game.Person} << 32) | static_cast<std::uint32_t>(game.Place));
  return digest.Value();
}

}  // namespace

void SkillCache::Update(const MatchBook& book) {
  std::vector<std::uint64_t> keys;
  keys.reserve(book.Matches.size());
  for (const PlayedMatch& match : book.Matches) keys.push_back(MatchKey(match));
  // The same matches at the start as last time, and the state to go on from.
  const std::size_t same =
      static_cast<std::size_t>(std::mismatch(keys_.begin(), keys_.end(), keys.begin(), keys.end()).first - keys_.begin());
  std::size_t from = same;
  if (same < keys_.size()) {  // matches taken away or changed: back to a saved state
    const std::size_t checkpoint = same / kSkillCheckpointEvery;
    checkpoints_.resize(std::min(checkpoints_.size(), checkpoint + 1));
    from = (checkpoints_.size() - 1) * kSkillCheckpointEvery;
    ratings_ = checkpoints_.back();
    TrimSkillHistory(history_, from);
  }
  if (checkpoints_.empty()) checkpoints_.push_back(ratings_);
  std::vector<MatchPlacings> placings(book.Matches.size());
  for (std::size_t m = from; m < placings.size(); ++m) placings[m] = book.Matches[m].Placings();
  // Up to each saved state's place in turn.
  for (std::size_t m = from; m < placings.size();) {
    const std::size_t end = std::min(placings.size(), (m / kSkillCheckpointEvery + 1) * kSkillCheckpointEvery);
    RateMatches(ratings_, std::span<const MatchPlacings>(placings.data() + m, end - m), &history_);
    m = end;
    if (m % kSkillCheckpointEvery == 0 && checkpoints_.size() == m / kSkillCheckpointEvery) checkpoints_.push_back(ratings_);
  }
  last_rated_ = placings.size() - from;
  keys_ = std::move(keys);
}

}  // namespace fragtally
