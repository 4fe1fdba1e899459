#include "app/matches/match_book.h"

#include <algorithm>
#include <tuple>

#include "app/main_window/ratings.h"
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

bool JournalIndex::FindName(std::string_view name, std::uint32_t& number) const {
  const auto at = NameNumbers.find(name);
  if (at == NameNumbers.end()) return false;
  number = at->second;
  return true;
}

JournalIndex IndexJournal(const std::vector<JournalMatch>& journal) {
  JournalIndex index;
  index.NameOf.resize(journal.size());
  index.SessionOf.resize(journal.size());
  std::unordered_map<std::string_view, std::uint32_t> session_numbers;
  for (std::size_t b = 0; b < journal.size(); ++b) {
    const JournalMatch& block = journal[b];
    const auto [name, added] = index.NameNumbers.try_emplace(block.Name, static_cast<std::uint32_t>(index.Names.size()));
    if (added) index.Names.push_back(block.Name);
    index.NameOf[b] = name->second;
    // A session's blocks mostly follow one another: the block before is asked first.
    if (b > 0 && block.Session == index.Sessions[index.SessionOf[b - 1]]) {
      index.SessionOf[b] = index.SessionOf[b - 1];
      continue;
    }
    const auto [session, new_session] =
        session_numbers.try_emplace(block.Session, static_cast<std::uint32_t>(index.Sessions.size()));
    if (new_session) index.Sessions.push_back(block.Session);
    index.SessionOf[b] = session->second;
  }
  return index;
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

MatchBook BuildMatchBook(const std::vector<JournalMatch>& journal, PersonIndex& people, const PeopleBook* who,
                         const JournalIndex* index) {
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
  // Each block's person: by its name's number when the journal is indexed
  // (people are still met in the journal's order).
  const bool indexed = index != nullptr && index->NameOf.size() == journal.size();
  std::vector<std::uint32_t> person_of_name(indexed ? index->Names.size() : 0, UINT32_MAX);
  const auto person_of = [&](std::size_t b) {
    const std::string& name = journal[b].Name;
    if (!indexed) return people.PersonOf(who != nullptr ? who->PersonOf(name) : name);
    std::uint32_t& person = person_of_name[index->NameOf[b]];
    if (person == UINT32_MAX) person = people.PersonOf(who != nullptr ? who->PersonOf(name) : name);
    return person;
  };
  for (std::size_t b = 0; b < journal.size(); ++b)
    if (match_of[b] != UINT32_MAX) book.Matches[match_of[b]].Games.push_back({&journal[b], person_of(b), 1});
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
      book.ByPerson[games[g].Person].push_back({m, static_cast<std::uint32_t>(g), games[g].Place});
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

// A 64-bit mix of a word into a running key (the finaliser of splitmix64).
std::uint64_t Mix(std::uint64_t key, std::uint64_t word) {
  std::uint64_t z = key ^ (word + 0x9E3779B97F4A7C15ull + (key << 6) + (key >> 2));
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// What the rating learns from each match, as a key: its session, number and
// its people with their places. A session's text is hashed once for the
// matches of it that follow one another.
void MatchKeys(const MatchBook& book, std::vector<std::uint64_t>& keys) {
  keys.clear();
  keys.reserve(book.Matches.size());
  const std::string* session = nullptr;
  std::uint64_t session_key = 0;
  for (const PlayedMatch& match : book.Matches) {
    if (session == nullptr || *match.Session != *session) {
      session = match.Session;
      session_key = Mix(session->size(), std::hash<std::string_view>()(*session));
    }
    std::uint64_t key = Mix(session_key, static_cast<std::uint64_t>(match.Number));
    for (const MatchGame& game : match.Games)
      key = Mix(key, (std::uint64_t{game.Person} << 32) | static_cast<std::uint32_t>(game.Place));
    keys.push_back(Mix(key, match.Games.size()));
  }
}

}  // namespace

void SkillCache::Update(const MatchBook& book) {
  // Into the room of the keys, placings and bounds of the Update before (no new memory to touch).
  std::vector<std::uint64_t>& keys = scratch_keys_;
  MatchKeys(book, keys);
  // The same matches at the start as last time, and the state to go on from.
  const std::size_t same =
      static_cast<std::size_t>(std::mismatch(keys_.begin(), keys_.end(), keys.begin(), keys.end()).first - keys_.begin());
  std::size_t from = same;
  const bool back = same < keys_.size();  // matches taken away or changed: back to a saved state
  if (back) {
    checkpoint_count_ = std::min(checkpoint_count_, same / kSkillCheckpointEvery + 1);
    from = (checkpoint_count_ - 1) * kSkillCheckpointEvery;
    ratings_ = checkpoints_[checkpoint_count_ - 1];
  }
  const auto keep_checkpoint = [&] {
    if (checkpoints_.size() > checkpoint_count_)
      checkpoints_[checkpoint_count_] = ratings_;  // into the room of one dropped before
    else
      checkpoints_.push_back(ratings_);
    ++checkpoint_count_;
  };
  if (checkpoint_count_ == 0) keep_checkpoint();
  if (back || from < keys.size()) {
    // The history changes: in place when no snapshot shares it, else in a
    // copy (none needed when it starts again from the first match).
    if (history_.use_count() > 1)
      history_ = from == 0 ? std::make_shared<SkillHistory>() : std::make_shared<SkillHistory>(*history_);
    if (back) TrimSkillHistory(*history_, from);
  }
  // What the rating learns from each match from there: each person once,
  // at their best place (as PlayedMatch::Placings), laid end to end.
  std::vector<Placing>& placings = placings_;
  std::vector<std::size_t>& bounds = bounds_;
  placings.clear();
  bounds.clear();
  std::size_t games = 0;
  for (std::size_t m = from; m < keys.size(); ++m) games += book.Matches[m].Games.size();
  placings.reserve(games);
  bounds.reserve(keys.size() - from + 1);
  bounds.push_back(0);
  for (std::size_t m = from; m < keys.size(); ++m) {
    const std::size_t begin = placings.size();
    for (const MatchGame& game : book.Matches[m].Games) {  // best place first
      const bool seen = std::any_of(placings.begin() + static_cast<std::ptrdiff_t>(begin), placings.end(),
                                    [&](const Placing& placing) { return placing.Person == game.Person; });
      if (!seen) placings.push_back({game.Person, static_cast<std::uint32_t>(game.Place)});
    }
    bounds.push_back(placings.size());
  }
  // Room for every point at once, not chunk by chunk.
  SkillHistory& history = *history_;
  std::vector<std::size_t> points(history.People.size(), 0);
  for (const Placing& placing : placings) {
    if (placing.Person >= points.size()) points.resize(static_cast<std::size_t>(placing.Person) + 1, 0);
    ++points[placing.Person];
  }
  if (history.People.size() < points.size()) history.People.resize(points.size());
  for (std::size_t person = 0; person < points.size(); ++person)
    if (points[person] > 0) history.People[person].reserve(history.People[person].size() + points[person]);
  // Up to each saved state's place in turn.
  for (std::size_t m = from; m < keys.size();) {
    const std::size_t end = std::min(keys.size(), (m / kSkillCheckpointEvery + 1) * kSkillCheckpointEvery);
    RateMatches(ratings_, placings, std::span<const std::size_t>(bounds).subspan(m - from, end - m + 1), history_.get());
    m = end;
    if (m % kSkillCheckpointEvery == 0 && checkpoint_count_ == m / kSkillCheckpointEvery) keep_checkpoint();
  }
  last_rated_ = keys.size() - from;
  keys_.swap(keys);
}

}  // namespace fragtally
