#include "app/matches/match_view.h"

#include <algorithm>

#include "files/journal.h"
#include "files/paths.h"

namespace fragtally {

namespace {

std::shared_ptr<const MatchSnapshot> Snapshot(std::shared_ptr<const std::vector<JournalMatch>> blocks, PeopleBook who,
                                              PersonIndex& people, SkillCache& skills) {
  auto snapshot = std::make_shared<MatchSnapshot>(std::move(blocks));
  snapshot->Who = std::move(who);
  snapshot->Index = std::make_shared<const JournalIndex>(IndexJournal(snapshot->Journal));
  snapshot->Book = BuildMatchBook(snapshot->Journal, people, &snapshot->Who, snapshot->Index.get());
  snapshot->People = people;
  skills.Update(snapshot->Book);
  snapshot->Ratings = skills.Ratings();
  snapshot->History = skills.SharedHistory();
  return snapshot;
}

// The games of the people a join or split touches given their new people:
// only theirs can go to another person, the others keep their numbers and
// their lists of games.
void GivePeopleAgain(const MatchSnapshot& before, const PeopleChange& change, MatchSnapshot& after, PersonIndex& people) {
  std::vector<std::uint32_t> touched;
  const auto touch = [&](const std::string& name) {
    std::uint32_t person = 0;
    if (people.Find(before.Who.PersonOf(name), person) && person < before.Book.ByPerson.size() &&
        std::find(touched.begin(), touched.end(), person) == touched.end())
      touched.push_back(person);
  };
  touch(change.Name);
  if (change.Action == PeopleAction::Join) touch(change.Person);
  MatchBook& book = after.Book;
  book.Matches = before.Book.Matches;  // its places stand: they are by frags
  book.ByPerson = before.Book.ByPerson;
  // The touched games, each given its person now.
  std::vector<std::pair<std::uint32_t, PersonGame>> moved;
  for (const std::uint32_t person : touched) {
    for (const PersonGame& game : before.Book.ByPerson[person]) {
      MatchGame& played = book.Matches[game.Match].Games[game.Game];
      played.Person = people.PersonOf(after.Who.PersonOf(played.Block->Name));
      moved.emplace_back(played.Person, game);
    }
    book.ByPerson[person].clear();
  }
  book.ByPerson.resize(people.Size());
  // Each person who gained games: their list in the order played, as a full rebuild has it.
  std::sort(moved.begin(), moved.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < moved.size();) {
    const std::uint32_t person = moved[i].first;
    std::vector<PersonGame>& games = book.ByPerson[person];
    for (; i < moved.size() && moved[i].first == person; ++i) games.push_back(moved[i].second);
    std::sort(games.begin(), games.end(), [](const PersonGame& a, const PersonGame& b) {
      return a.Match != b.Match ? a.Match < b.Match : a.Game < b.Game;
    });
  }
}

}  // namespace

std::shared_ptr<const MatchSnapshot> SnapshotMatches(JournalHistory history, PersonIndex& people, SkillCache& skills) {
  return Snapshot(std::make_shared<const std::vector<JournalMatch>>(std::move(history.Matches)), std::move(history.People),
                  people, skills);
}

std::shared_ptr<const MatchSnapshot> WithPeopleChange(const MatchSnapshot& before, const PeopleChange& change,
                                                      PersonIndex& people, SkillCache& skills) {
  auto snapshot = std::make_shared<MatchSnapshot>(before.Blocks);
  snapshot->Index = before.Index;
  snapshot->Who = before.Who;
  ApplyPeopleChange(snapshot->Who, change);
  if (change.Action == PeopleAction::Join || change.Action == PeopleAction::Split) {
    GivePeopleAgain(before, change, *snapshot, people);
    skills.Update(snapshot->Book);
    snapshot->Ratings = skills.Ratings();
    snapshot->History = skills.SharedHistory();
  } else {  // hidden, shown, the minimum: the same matches and ratings
    snapshot->Book = before.Book;
    snapshot->Ratings = before.Ratings;
    snapshot->History = before.History;
  }
  snapshot->People = people;
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

void MatchView::PeopleChanged(const FileState& state, const PeopleChange& change) {
  Key before{JournalFilePath(state), state.Journal.LastNumber, state.Journal.InEffect, state.Journal.PeopleChanges - 1};
  if (snapshot_ == nullptr || !(before == key_)) return;  // read afresh when next asked
  snapshot_ = WithPeopleChange(*snapshot_, change, people_, skills_);
  key_.PeopleChanges = state.Journal.PeopleChanges;
}

}  // namespace fragtally
