#include "app/matches/people.h"

#include <algorithm>

#include "app/text/text_decoding.h"
#include "files/store.h"
#include "platform/utf8.h"

namespace fragtally {

namespace {

bool Commit(WindowState& state, MessageSink& messages, PeopleChange change) {
  const PeopleOutcome outcome = CommitPeopleChange(state, change);
  // The journal's blocks did not change: the matches take the change without reading them again.
  if (outcome.Saved && state.Matches != nullptr) state.Matches->PeopleChanged(state, change);
  if (!outcome.Saved)
    messages.ShowMessage(MessageIcon::Error, kPeopleFailedTitle,
                         "Изменение не записано в журнал матчей " + outcome.Failure.Path + ".\nПричина: " +
                             FailureCause(outcome.Failure) + "\nВсё осталось как было.");
  return outcome.Saved;
}

PeopleChange Change(PeopleAction action, const std::string& name, const std::string& person = {}) {
  PeopleChange change;
  change.Action = action;
  change.Name = name;
  change.Person = person;
  return change;
}

}  // namespace

bool MergeNames(WindowState& state, MessageSink& messages, const std::vector<std::string>& names,
                const std::string& shown) {
  std::vector<std::string> others;
  for (const std::string& name : names)
    if (name != shown && std::find(others.begin(), others.end(), name) == others.end()) others.push_back(name);
  if (others.empty() || std::find(names.begin(), names.end(), shown) == names.end()) {
    messages.ShowMessage(MessageIcon::Information, kPeopleFailedTitle, kMergeTooFewText);
    return false;
  }
  // Each join is a line of its own: one that fails leaves those before it.
  for (const std::string& name : others)
    if (!Commit(state, messages, Change(PeopleAction::Join, name, shown))) return false;
  return true;
}

bool SplitPerson(WindowState& state, MessageSink& messages, const std::string& person) {
  return Commit(state, messages, Change(PeopleAction::Split, person));
}

bool HideName(WindowState& state, MessageSink& messages, const std::string& name) {
  return Commit(state, messages, Change(PeopleAction::Hide, name));
}

bool ShowName(WindowState& state, MessageSink& messages, const std::string& name) {
  return Commit(state, messages, Change(PeopleAction::Show, name));
}

bool SetRankMinimum(WindowState& state, MessageSink& messages, std::int64_t minimum) {
  PeopleChange change = Change(PeopleAction::Minimum, {});
  change.Minimum = std::max<std::int64_t>(0, minimum);
  return Commit(state, messages, std::move(change));
}

std::unordered_map<std::string, std::string> LookAlikeNames(const std::vector<std::string>& names) {
  std::unordered_map<std::u16string, std::vector<const std::string*>> by_text;
  for (const std::string& name : names) by_text[DisplayText(name)].push_back(&name);
  std::unordered_map<std::string, std::string> alike;
  for (const auto& [text, same] : by_text) {
    if (same.size() < 2) continue;
    for (const std::string* name : same) alike[*name] = platform::IsValidUtf8(*name) ? "UTF-8" : "Windows-1251";
  }
  return alike;
}

}  // namespace fragtally
