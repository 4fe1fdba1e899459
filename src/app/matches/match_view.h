#pragma once

// The journal's matches as the windows and the exports see them: read once
// after each import or undo (not every time a window opens), grouped, with
// the skill ratings brought up to date by the cache.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/matches/match_book.h"
#include "files/file_state.h"
#include "files/journal_read.h"

namespace fragtally {

// The journal as one reading found it. The book points into Journal; both
// live as long as anyone holds the snapshot. Snapshots that differ only in
// people share the journal's blocks.
struct MatchSnapshot {
  // An empty journal's.
  MatchSnapshot() : MatchSnapshot(std::make_shared<const std::vector<JournalMatch>>()) {}
  explicit MatchSnapshot(std::shared_ptr<const std::vector<JournalMatch>> blocks)
      : Blocks(std::move(blocks)), Journal(*Blocks) {}
  MatchSnapshot(const MatchSnapshot&) = delete;
  MatchSnapshot& operator=(const MatchSnapshot&) = delete;

  std::shared_ptr<const std::vector<JournalMatch>> Blocks;
  const std::vector<JournalMatch>& Journal;  // *Blocks
  PeopleBook Who;      // whose names are one person's, and which are hidden
  // Each block's name and session by number (shared like the blocks); null
  // for a snapshot made by hand, whose users index the journal themselves.
  std::shared_ptr<const JournalIndex> Index;
  PersonIndex People;  // every person of the journal (and of earlier snapshots) by shown name
  MatchBook Book;
  SkillRatings Ratings;  // after every match of the book
  // Each person's rating after each of their matches (indices into Book.Matches);
  // shared with the skill cache until it rates again.
  std::shared_ptr<const SkillHistory> History = std::make_shared<const SkillHistory>();
};

// A snapshot of `journal`: people numbered by `people`, ratings by `skills`
// (which carry over from one snapshot to the next).
std::shared_ptr<const MatchSnapshot> SnapshotMatches(JournalHistory history, PersonIndex& people, SkillCache& skills);
// The same from nothing before it (for a journal read once).
std::shared_ptr<const MatchSnapshot> SnapshotMatches(JournalHistory history);
std::shared_ptr<const MatchSnapshot> SnapshotMatches(std::vector<JournalMatch> journal);
// The snapshot `before` (the last one `people` and `skills` made) with one
// more change of people: its blocks shared, its book's places kept, the games
// of the people a join or split touches given their new people and rated
// again (the cache takes up what did not change).
std::shared_ptr<const MatchSnapshot> WithPeopleChange(const MatchSnapshot& before, const PeopleChange& change,
                                                      PersonIndex& people, SkillCache& skills);

// The person a name of the statistics file or the journal counts as (its
// own, or the one the organiser joined it to); false when the snapshot's
// matches do not know it.
bool PersonOfName(const MatchSnapshot& snapshot, const std::string& name, std::uint32_t& person);

class MatchView {
 public:
  // The journal of `state` as it is now: the last snapshot while no import
  // or undo changed the journal since, else read afresh (the ratings rate
  // only what changed).
  std::shared_ptr<const MatchSnapshot> Current(const FileState& state);
  // `change` was just written to the journal of `state` (its PeopleChanges
  // counted it): the last snapshot, when it was of the journal just before,
  // takes it without reading the journal again.
  void PeopleChanged(const FileState& state, const PeopleChange& change);

  // People are numbered for every snapshot alike; their ratings' history
  // follows the newest snapshot.
  const PersonIndex& People() const { return people_; }
  const SkillCache& Skills() const { return skills_; }

 private:
  struct Key {
    std::string Path;
    std::int64_t LastNumber = -1, InEffect = -1, PeopleChanges = -1;
    bool operator==(const Key&) const = default;
  };
  Key key_;
  std::shared_ptr<const MatchSnapshot> snapshot_;
  PersonIndex people_;
  SkillCache skills_;
};

}  // namespace fragtally
