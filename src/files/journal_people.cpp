#include "files/journal_people.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "files/journal_format.h"

namespace fragtally {

namespace {

struct ActionName {
  PeopleAction Action;
  std::string_view Name;
};
constexpr std::array<ActionName, 5> kActions{{{PeopleAction::Join, "join"},
                                              {PeopleAction::Split, "split"},
                                              {PeopleAction::Hide, "hide"},
                                              {PeopleAction::Show, "show"},
                                              {PeopleAction::Minimum, "minimum"}}};

// The tab-separated fields of `line`.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

std::string PeopleLineText(const PeopleChange& change) {
  std::string out = "P\t";
  out.append(change.Time).push_back('\t');
  for (const ActionName& action : kActions)
    if (action.Action == change.Action) out.append(action.Name);
  out.push_back('\t');
  if (change.Action == PeopleAction::Minimum) {
    out.append(std::to_string(change.Minimum));
  } else {
    AppendEscaped(out, change.Name);
    if (change.Action == PeopleAction::Join) {
      out.push_back('\t');
      AppendEscaped(out, change.Person);
    }
  }
  out.append("\r\n");
  return out;
}

bool ParsePeopleLine(std::string_view line, PeopleChange& change) {
  if (!line.starts_with("P\t")) return false;
  const std::vector<std::string_view> f = Fields(line);
  if (f.size() < 4) return false;
  const auto action = std::find_if(kActions.begin(), kActions.end(), [&](const ActionName& a) { return a.Name == f[2]; });
  if (action == kActions.end()) return false;
  change = {};
  change.Action = action->Action;
  change.Time.assign(f[1]);
  const std::size_t wanted = change.Action == PeopleAction::Join ? 5 : 4;
  if (f.size() != wanted) return false;
  if (change.Action == PeopleAction::Minimum) {
    const auto [end, error] = std::from_chars(f[3].data(), f[3].data() + f[3].size(), change.Minimum);
    return error == std::errc() && end == f[3].data() + f[3].size() && change.Minimum >= 0;
  }
  if (!UnescapeField(f[3], change.Name) || change.Name.empty()) return false;
  return change.Action != PeopleAction::Join || (UnescapeField(f[4], change.Person) && !change.Person.empty());
}

const std::string& PeopleBook::PersonOf(const std::string& name) const {
  const auto at = PersonOfName.find(name);
  return at == PersonOfName.end() ? name : at->second;
}

std::vector<std::string> PeopleBook::OtherNames(const std::string& person) const {
  std::vector<std::string> names;
  for (const auto& [name, of] : PersonOfName)
    if (of == person && name != person) names.push_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

void ApplyPeopleChange(PeopleBook& book, const PeopleChange& change) {
  switch (change.Action) {
    case PeopleAction::Join: {
      const std::string person = book.PersonOf(change.Person);  // a name of another person: that person
      const std::string joining = book.PersonOf(change.Name);
      if (joining == person) return;
      // The joining name's whole person comes along.
      for (auto& [name, of] : book.PersonOfName)
        if (of == joining) of = person;
      if (change.Name != person) book.PersonOfName[change.Name] = person;
      if (joining != person) book.PersonOfName[joining] = person;
      book.PersonOfName.erase(person);
      break;
    }
    case PeopleAction::Split: {
      const std::string person = book.PersonOf(change.Name);
      std::erase_if(book.PersonOfName, [&](const auto& entry) { return entry.second == person; });
      break;
    }
    case PeopleAction::Hide: book.Hidden.insert(change.Name); break;
    case PeopleAction::Show: book.Hidden.erase(change.Name); break;
    case PeopleAction::Minimum: book.RankMinimum = change.Minimum; break;
  }
}

}  // namespace fragtally
