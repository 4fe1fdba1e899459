#pragma once

// Who is who: the organiser's changes to people, kept in the match journal
// (journal_format.h) as P lines among the imports, so that they survive
// restarts and an undo of an import leaves them alone:
//
//   P  time  join     name  person   the name counts as the person shown as
//                                    `person` (itself a name); a name that
//                                    was a person's shown name takes that
//                                    person's other names with it
//   P  time  split    person         every name of the person is its own again
//   P  time  hide     name           out of the tables and the report (still
//   P  time  show     name           an opponent in others' places), and back
//   P  time  minimum  N              the matches a person needs to be ranked
//
// Fields are escaped as in the other lines. A line of an action this program
// does not know is skipped, as any line that cannot be read.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace fragtally {

enum class PeopleAction { Join, Split, Hide, Show, Minimum };

struct PeopleChange {
  PeopleAction Action = PeopleAction::Join;
  std::string Time;    // "YYYY-MM-DD hh:mm:ss", local
  std::string Name;    // bytes: the name joined, hidden or shown; the person split
  std::string Person;  // bytes: the person a name joins
  std::int64_t Minimum = 0;
};

std::string PeopleLineText(const PeopleChange& change);
bool ParsePeopleLine(std::string_view line, PeopleChange& change);

inline constexpr std::int64_t kDefaultRankMinimum = 10;

// The people as the changes so far leave them.
struct PeopleBook {
  // A name's person, by the person's shown name; a name not here is a
  // person by itself.
  std::unordered_map<std::string, std::string> PersonOfName;
  std::unordered_set<std::string> Hidden;
  std::int64_t RankMinimum = kDefaultRankMinimum;

  // The shown name of the person `name` belongs to.
  const std::string& PersonOf(const std::string& name) const;
  // The names of the person shown as `person` other than `person` itself.
  std::vector<std::string> OtherNames(const std::string& person) const;
};

void ApplyPeopleChange(PeopleBook& book, const PeopleChange& change);

}  // namespace fragtally
