#include "app/matches/match_view.h"

#include "files/journal.h"
#include "files/paths.h"

namespace fragtally {

namespace {

std::shared_ptr<const MatchSnapshot> Snapshot(std::shared_ptr<const std::vector<JournalMatch>> blocks, PeopleBook who,
                                              PersonIndex& people, SkillCache& skills) {
  auto snapshot = std::make_shared<MatchSnapshot>(std::move(blocks));
  snapshot->Who = std::move(who);
  snapshot->Book = BuildMatchBook(snapshot->Journal, people, &snapshot->Who);
  snapshot->People = people;
  skills.Update(snapshot->Book);
  snapshot->Ratings = skills.Ratings();
  snapshot->History = skills.History();
  return snapshot;
}

}  // namespace

std::shared_ptr<const MatchSnapshot> SnapshotMatches(JournalHistory history, PersonIndex& people, SkillCache& skills) {
  return Snapshot(std::make_shared<const std::vector<JournalMatch>>(std::move(history.Matches)), std::move(history.People),
                  people, skills);
}

std::shared_ptr<const MatchSnapshot> WithPeopleChange(const MatchSnapshot& before, const PeopleChange& change,
                                                      PersonIndex& people, SkillCache& skills) {
  PeopleBook who = before.Who;
  ApplyPeopleChange(who, change);
  return Snapshot(before.Blocks, std::move(who), people, skills);
}

std::shared_ptr<const MatchSnapshot> SnapshotMatches(JournalHistory history) {
  PersonIndex people;
  SkillCache skills;
  return SnapshotMatches(std::move(history), people, skills);
}

std::shared_ptr<const MatchSnapshot> SnapshotMatches(std::vector<JournalMatch> journal) {
  return SnapshotMatches(JournalHistory{std::move(journal), {}});
}

std::shared_ptr<const MatchSnapshot> MatchView::Current(const FileState& state) {
  Key key{JournalFilePath(state), state.Journal.LastNumber, state.Journal.InEffect, state.Journal.PeopleChanges};
  if (snapshot_ != nullptr && key == key_) return snapshot_;
  snapshot_ = SnapshotMatches(ReadJournalHistory(key.Path), people_, skills_);
  key_ = std::move(key);
  return snapshot_;
}

void MatchView::PeopleChanged(const FileState& state, const PeopleChange& change) {
  Key before{JournalFilePath(state), state.Journal.LastNumber, state.Journal.InEffect, state.Journal.PeopleChanges - 1};
  if (snapshot_ == nullptr || !(before == key_)) return;  // read afresh when next asked
  snapshot_ = WithPeopleChange(*snapshot_, change, people_, skills_);
  key_.PeopleChanges = state.Journal.PeopleChanges;
}

}  // namespace fragtally
