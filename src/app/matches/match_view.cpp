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
  auto snapshot = std::make_shared<MatchSnapshot>(before.Blocks);
  snapshot->Who = before.Who;
  ApplyPeopleChange(snapshot->Who, change);
  snapshot->Book = before.Book;  // its places stand: they are by frags
  if (change.Action == PeopleAction::Join || change.Action == PeopleAction::Split) {
    // Only the games of the people the change touches can go to another
    // person: theirs are looked up again, the others keep their numbers.
    std::vector<bool> touched(people.Size(), false);
    const auto touch = [&](const std::string& name) {
      std::uint32_t person = 0;
      if (people.Find(before.Who.PersonOf(name), person)) touched[person] = true;
    };
    touch(change.Name);
    if (change.Action == PeopleAction::Join) touch(change.Person);
    MatchBook& book = snapshot->Book;
    for (PlayedMatch& match : book.Matches)
      for (MatchGame& game : match.Games)
        if (touched[game.Person]) game.Person = people.PersonOf(snapshot->Who.PersonOf(game.Block->Name));
    std::vector<std::uint32_t> games_of(people.Size(), 0);
    for (const PlayedMatch& match : book.Matches)
      for (const MatchGame& game : match.Games) ++games_of[game.Person];
    book.ByPerson.assign(people.Size(), {});
    for (std::size_t person = 0; person < people.Size(); ++person) book.ByPerson[person].reserve(games_of[person]);
    for (std::uint32_t m = 0; m < book.Matches.size(); ++m)
      for (std::uint32_t g = 0; g < book.Matches[m].Games.size(); ++g)
        book.ByPerson[book.Matches[m].Games[g].Person].push_back({m, g});
    skills.Update(book);
    snapshot->Ratings = skills.Ratings();
    snapshot->History = skills.History();
  } else {  // hidden, shown, the minimum: the same matches and ratings
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
