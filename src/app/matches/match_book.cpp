#include "app/matches/match_book.h"

#include <algorithm>
#include <tuple>

#include "app/main_window/ratings.h"
#include "files/file_digest.h"
#include "stats/player_table.h"

namespace fragtally {

namespace {

constexpr std::size_t kFrags = CounterIndex(&PlayerTable::Frags);

// A session named by its start-up line's date "YYYY-MM-DD hh:mm:ss" sorts by
// it; one without a date sorts before the dated ones, in the order the
// journal first holds it.
bool IsDated(const std::string& session) {
  static constexpr std::string_view kForm = "0000-00-00 00:00:00";
  if (session.size() != kForm.size()) return false;
  for (std::size_t i = 0; i < kForm.size(); ++i)
    if (kForm[i] == '0' ? session[i] < '0' || session[i] > '9' : session[i] != kForm[i]) return false;
  return true;
}

struct MatchKeyHash {
  std::size_t operator()(const std::pair<std::string_view, std::int64_t>& key) const {
    return std::hash<std::string_view>()(key.first) * 31 + static_cast<std::size_t>(key.second);
  }
};

}  // namespace

std::uint32_t PersonIndex::PersonOf(const std::string& name) {
  const auto [at, added] = numbers_.try_emplace(name, static_cast<std::uint32_t>(names_.size()));
  if (added) names_.push_back(name);
  return at->second;
}

bool PersonIndex::Find(std::string_view name, std::uint32_t& person) const {
  const auto at = numbers_.find(std::string(name));
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

MatchBook BuildMatchBook(const std::vector<JournalMatch>& journal, PersonIndex& people) {
  MatchBook book;
  // The matches in the order the journal first holds them, with the order
  // of their sessions.
  std::unordered_map<std::pair<std::string_view, std::int64_t>, std::uint32_t, MatchKeyHash> match_at;
  std::unordered_map<std::string_view, std::size_t> session_order;
  std::vector<std::size_t> order_of_session;
  for (const JournalMatch& block : journal) {
    if (block.Match <= 0) continue;
    const auto [at, added] =
        match_at.try_emplace({block.Session, block.Match}, static_cast<std::uint32_t>(book.Matches.size()));
    if (added) {
      PlayedMatch& match = book.Matches.emplace_back();
      match.Session = &block.Session;
      match.Number = block.Match;
      match.Map = &block.Map;
      order_of_session.push_back(session_order.try_emplace(block.Session, session_order.size()).first->second);
    }
    book.Matches[at->second].Games.push_back({&block, people.PersonOf(block.Name), 1});
  }
  // In the order played.
  std::vector<std::uint32_t> order(book.Matches.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto key = [&](std::uint32_t i) {
    const PlayedMatch& match = book.Matches[i];
    const bool dated = IsDated(*match.Session);
    return std::make_tuple(dated, dated ? std::string_view(*match.Session) : std::string_view(),
                           order_of_session[i], match.Number);
  };
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
  std::vector<PlayedMatch> played;
  played.reserve(order.size());
  for (const std::uint32_t i : order) played.push_back(std::move(book.Matches[i]));
  book.Matches = std::move(played);

  // Places: by frags, equal frags sharing the better place.
  book.ByPerson.assign(people.Size(), {});
  for (std::uint32_t m = 0; m < book.Matches.size(); ++m) {
    std::vector<MatchGame>& games = book.Matches[m].Games;
    const auto frags = [](const MatchGame& game) { return game.Block->Added[kFrags]; };
    std::stable_sort(games.begin(), games.end(),
                     [&](const MatchGame& a, const MatchGame& b) { return frags(a) > frags(b); });
    for (std::size_t g = 0; g < games.size(); ++g) {
      games[g].Place = g > 0 && frags(games[g]) == frags(games[g - 1]) ? games[g - 1].Place : static_cast<int>(g) + 1;
      book.ByPerson[games[g].Person].push_back({m, static_cast<std::uint32_t>(g)});
    }
  }
  return book;
}

MatchTally TallyGames(const MatchBook& book, const std::vector<PersonGame>& games) {
  MatchTally tally;
  for (const PersonGame& game : games) {
    ++tally.Matches;
    if (book.GameOf(game).Place == 1) ++tally.Wins;
  }
  return tally;
}

namespace {

// What the rating learns from a match, as a digest: its session, number and
// its people with their places.
std::uint64_t MatchKey(const PlayedMatch& match, const MatchPlacings& placings) {
  ContentDigest digest;
  digest.Update(*match.Session);
  digest.Update(std::string_view("\0", 1));
  const auto put = [&](std::uint64_t value) {
    char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
    digest.Update(std::string_view(bytes, 8));
  };
  put(static_cast<std::uint64_t>(match.Number));
  for (const Placing& placing : placings) put((std::uint64_t{placing.Person} << 32) | placing.Place);
  return digest.Value();
}

}  // namespace

void SkillCache::Update(const MatchBook& book) {
  std::vector<MatchPlacings> placings;
  placings.reserve(book.Matches.size());
  std::vector<std::uint64_t> keys;
  keys.reserve(book.Matches.size());
  for (const PlayedMatch& match : book.Matches) {
    placings.push_back(match.Placings());
    keys.push_back(MatchKey(match, placings.back()));
  }
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
