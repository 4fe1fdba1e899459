#pragma once

// Matches as the journal records them: a match is every block of one game
// session with the same match number (the import groups them as the game
// wrote them, and a match two imports read is still one). Blocks journaled
// before matches were told apart have no number and no match here.
//
// Each match's players are placed by frags (equal frags share the better
// place), and the skill rating (stats/skill_rating.h) learns from every match
// in the order played: game session date, then match number.
//
// People are the names the journal holds, numbered from 0 in the order the
// PersonIndex first met them; the index only grows, so that ratings cached
// under those numbers stay valid while the journal changes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/journal_people.h"
#include "files/journal_state.h"
#include "stats/skill_rating.h"

namespace fragtally {

// Names to person numbers, and back.
class PersonIndex {
 public:
  std::uint32_t PersonOf(std::string_view name);
  // The number of a known name; false when it is unknown.
  bool Find(std::string_view name, std::uint32_t& person) const;
  const std::string& NameOf(std::uint32_t person) const { return names_[person]; }
  std::size_t Size() const { return names_.size(); }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> numbers_;
  std::vector<std::string> names_;
};

// Each block's name and game session as numbers, worked out once per
// reading of the journal: the windows look up every block by them instead
// of by its texts. The views point into the journal, which must outlive
// the index.
struct JournalIndex {
  std::vector<std::uint32_t> NameOf;     // each block's name, an index into Names
  std::vector<std::uint32_t> SessionOf;  // each block's session, an index into Sessions
  std::vector<std::string_view> Names;     // each name once, in the order the journal first holds it
  std::vector<std::string_view> Sessions;  // likewise each session

  // The number of a name of the journal; false when no block has it.
  bool FindName(std::string_view name, std::uint32_t& number) const;

  std::unordered_map<std::string_view, std::uint32_t> NameNumbers;
};
JournalIndex IndexJournal(const std::vector<JournalMatch>& journal);

// One player's game in a match: its block, its person and its place.
struct MatchGame {
  const JournalMatch* Block = nullptr;
  std::uint32_t Person = 0;
  int Place = 1;  // from 1
};

struct PlayedMatch {
  const std::string* Session = nullptr;  // the journal's bytes
  std::int64_t Number = 0;               // in its session, from 1
  const std::string* Map = nullptr;      // empty when the log did not say
  std::vector<MatchGame> Games;          // best place first; equal places in the order read
  // What the skill rating learns from it: each person once, at their best place.
  MatchPlacings Placings() const;
};

// A person's game: the match (an index into MatchBook::Matches) and the
// game's index in that match.
struct PersonGame {
  std::uint32_t Match = 0;
  std::uint32_t Game = 0;
  int Place = 1;  // the game's place, as the match holds it (to count wins without going to the match)
};

struct MatchBook {
  std::vector<PlayedMatch> Matches;               // in the order played
  std::vector<std::vector<PersonGame>> ByPerson;  // each person's games, in the order played

  const MatchGame& GameOf(const PersonGame& game) const { return Matches[game.Match].Games[game.Game]; }
};

// The matches of `journal` (which must outlive the book: games point into
// it), people numbered by `people`, which learns the names it did not know.
// With `who`, each name counts as its person (numbered by the person's shown
// name); a person twice in one match is rated once, at the better place.
// With `index` (of `journal`), each name is looked up once rather than once a block.
MatchBook BuildMatchBook(const std::vector<JournalMatch>& journal, PersonIndex& people,
                         const PeopleBook* who = nullptr, const JournalIndex* index = nullptr);

// A person's figures over a set of their games, in the order played (two
// games of one match, of two of the person's names, count once at the better place).
struct MatchTally {
  std::int64_t Matches = 0;
  std::int64_t Wins = 0;  // first places (shared ones included)
};
MatchTally TallyGames(const MatchBook& book, const std::vector<PersonGame>& games);

// The skill ratings of a book, kept between refreshes so that the window
// does not replay years of matches every time: what was rated before is
// taken up again from the longest run of the same matches at the start
// (an import adds matches at the end, an undo takes the last ones away),
// from a saved state at most kSkillCheckpointEvery matches back.
inline constexpr std::size_t kSkillCheckpointEvery = 1024;
class SkillCache {
 public:
  // Brings the ratings up to `book` (numbered by the same PersonIndex as
  // every book before it).
  void Update(const MatchBook& book);

  const SkillRatings& Ratings() const { return ratings_; }
  const SkillHistory& History() const { return *history_; }
  // The history as it is now, for a snapshot to keep: the cache changes a
  // shared history only in a copy of its own.
  std::shared_ptr<const SkillHistory> SharedHistory() const { return history_; }
  SkillRating RatingOf(std::uint32_t person) const { return fragtally::RatingOf(ratings_, person); }
  // How many matches the last Update rated afresh (for tests and figures).
  std::size_t LastRated() const { return last_rated_; }

 private:
  std::vector<std::uint64_t> keys_;  // a digest of each rated match, in order
  // After 0, kSkillCheckpointEvery, 2 * kSkillCheckpointEvery, ... matches:
  // the first checkpoint_count_ of them (the others' room is used again).
  std::vector<SkillRatings> checkpoints_;
  std::size_t checkpoint_count_ = 0;
  SkillRatings ratings_;
  std::shared_ptr<SkillHistory> history_ = std::make_shared<SkillHistory>();
  std::size_t last_rated_ = 0;
  // Room kept for the next Update: the keys it works out, and the matches it
  // rates laid end to end (each person once, at their best place).
  std::vector<std::uint64_t> scratch_keys_;
  std::vector<Placing> placings_;
  std::vector<std::size_t> bounds_;
};

}  // namespace fragtally
