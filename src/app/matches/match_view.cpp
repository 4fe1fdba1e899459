#include "app/matches/match_view.h"

#include "files/journal.h"
#include "files/paths.h"

namespace fragtally {

std::shared_ptr<const MatchSnapshot> SnapshotMatches(JournalHistory history, PersonIndex& people, SkillCache& skills) {
  auto snapshot = std::make_shared<MatchSnapshot>();
  snapshot->Journal = std::move(history.Matches);
  snapshot->Who = std::move(history.People);
  snapshot->Book = BuildMatchBook(snapshot->Journal, people, &snapshot->Who);
  snapshot->People = people;
  skills.Update(snapshot->Book);
  snapshot->Ratings = skills.Ratings();
  snapshot->History = skills.History();
  return snapshot;
}

std::shared_ptr<const MatchSnapshot> SnapshotMatches(JournalHistory history) {
  PersonIndex people;
  SkillCache skills;
  return SnapshotMatches(std::move(history), people, skills);
}

std::shared_ptr<const MatchSnapshot> SnapshotMatches(std::vector<JournalMatch> journal) {
  return SnapshotMatches(JournalHistory{std::move(journal), {}});
}

bool PersonOfName(const MatchSnapshot& snapshot, const std::string& name, std::uint32_t& person) {
  return snapshot.People.Find(snapshot.Who.PersonOf(name), person) && person < snapshot.Book.ByPerson.size();
}

std::shared_ptr<const MatchSnapshot> MatchView::Current(const FileState& state) {
  Key key{JournalFilePath(state), state.Journal.LastNumber, state.Journal.InEffect, state.Journal.PeopleChanges};
  if (snapshot_ != nullptr && key == key_) return snapshot_;
  snapshot_ = SnapshotMatches(ReadJournalHistory(key.Path), people_, skills_);
  key_ = std::move(key);
  return snapshot_;
}

}  // namespace fragtally
