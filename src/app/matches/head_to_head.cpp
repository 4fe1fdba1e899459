#include "app/matches/head_to_head.h"

#include <algorithm>
#include <limits>

#include "app/main_window/ratings.h"

namespace fragtally {

namespace {

constexpr std::size_t kFrags = CounterIndex(&PlayerTable::Frags);
constexpr std::uint32_t kNobody = std::numeric_limits<std::uint32_t>::max();

const std::vector<PersonGame>& GamesOf(const MatchBook& book, std::uint32_t person) {
  static const std::vector<PersonGame> kNone;
  return person < book.ByPerson.size() ? book.ByPerson[person] : kNone;
}

}  // namespace

HeadToHead BuildHeadToHead(const MatchSnapshot& snapshot, std::uint32_t first, std::uint32_t second) {
  HeadToHead result;
  const MatchBook& book = snapshot.Book;
  result.Ratings = {RatingOf(snapshot.Ratings, first), RatingOf(snapshot.Ratings, second)};
  result.Chance = ChanceToPlaceHigher(result.Ratings[0], result.Ratings[1]);
  if (first == second || first == kNobody || second == kNobody) return result;

  // Both lists are in the order played (a match's games of one name next to
  // each other, the better first): one walk through both finds the shared matches.
  const std::vector<PersonGame>& a = GamesOf(book, first);
  const std::vector<PersonGame>& b = GamesOf(book, second);
  std::vector<SharedMatch> shared;
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i].Match < b[j].Match) {
      ++i;
    } else if (b[j].Match < a[i].Match) {
      ++j;
    } else {
      const std::uint32_t match = a[i].Match;
      shared.push_back({match, {&book.GameOf(a[i]), &book.GameOf(b[j])}});
      while (i < a.size() && a[i].Match == match) ++i;
      while (j < b.size() && b[j].Match == match) ++j;
    }
  }

  result.Shared = static_cast<std::int64_t>(shared.size());
  for (const SharedMatch& match : shared) {
    const MatchGame& x = *match.Games[0];
    const MatchGame& y = *match.Games[1];
    if (x.Place < y.Place) ++result.Higher[0];
    else if (y.Place < x.Place) ++result.Higher[1];
    else ++result.Draws;
    result.Frags[0] += x.Block->Added[kFrags];
    result.Frags[1] += y.Block->Added[kFrags];
  }
  const std::size_t last = std::min(shared.size(), kHeadToHeadLastMatches);
  result.Last.assign(shared.rbegin(), shared.rbegin() + static_cast<std::ptrdiff_t>(last));
  return result;
}

HeadToHead BuildHeadToHead(const MatchSnapshot& snapshot, std::string_view first, std::string_view second) {
  // A name counts as the person it was joined to; a name whose person the
  // snapshot's matches do not number is nobody (a newcomer without matches).
  std::uint32_t a = kNobody, b = kNobody;
  if (!PersonOfName(snapshot, std::string(first), a)) a = kNobody;
  if (!PersonOfName(snapshot, std::string(second), b)) b = kNobody;
  return BuildHeadToHead(snapshot, a, b);
}

}  // namespace fragtally
