#include "stats/skill_rating.h"

#include <algorithm>
#include <cmath>

namespace fragtally {

SkillRating RatingOf(const SkillRatings& ratings, std::uint32_t person) {
  return person < ratings.People.size() ? ratings.People[person] : SkillRating{};
}

namespace {

constexpr double kBetaSquared = kSkillBeta * kSkillBeta;
constexpr double kTauSquared = kSkillTau * kSkillTau;

// One player of the match being rated.
struct Contender {
  std::size_t Entry;     // index in the match as given
  std::uint32_t Place;
  std::size_t Group;     // the tie group's index
  double Mu;
  double Sigma;          // before the match, the uncertainty tau added
  double Variance;       // Sigma squared
  double Strength;       // exp(Mu / c)
};
// The players sharing one place.
struct TieGroup {
  std::size_t Begin;     // the first of them in place order
  double Share;          // 1 / how many share the place
  double InverseRest;    // 1 / the strengths of this group and every group placed below it
};
// Space for rating a match, kept between matches so that a long replay
// allocates nothing per match.
struct Scratch {
  std::vector<Contender> Players;  // in place order, ties in the order given
  std::vector<TieGroup> Groups;    // in place order
  std::vector<SkillRating> After;  // in the order given
};

void EnsurePerson(SkillRatings& ratings, std::uint32_t person) {
  if (person >= ratings.People.size()) ratings.People.resize(static_cast<std::size_t>(person) + 1);
}

void Rate(SkillRatings& ratings, std::span<const Placing> match, Scratch& scratch) {
  ++ratings.MatchesApplied;
  const std::size_t n = match.size();
  if (n < 2) return;
  std::vector<Contender>& players = scratch.Players;
  std::vector<TieGroup>& groups = scratch.Groups;
  players.resize(n);
  scratch.After.resize(n);

  // Place order, ties in the order given (an insertion sort: matches are small).
  double spread = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const SkillRating before = RatingOf(ratings, match[i].Person);
    Contender player{};
    player.Entry = i;
    player.Place = match[i].Place;
    player.Mu = before.Mu;
    player.Sigma = std::sqrt(before.Sigma * before.Sigma + kTauSquared);
    player.Variance = player.Sigma * player.Sigma;
    spread += player.Variance + kBetaSquared;
    std::size_t j = i;
    for (; j > 0 && players[j - 1].Place > player.Place; --j) players[j] = players[j - 1];
    players[j] = player;
  }
  const double c = std::sqrt(spread);

  groups.clear();
  for (std::size_t k = 0; k < n; ++k) {
    Contender& player = players[k];
    player.Strength = std::exp(player.Mu / c);
    if (k == 0 || players[k - 1].Place != player.Place) groups.push_back({k, 0.0, 0.0});
    player.Group = groups.size() - 1;
  }
  double rest = 0.0;
  for (std::size_t g = groups.size(), end = n; g-- > 0; end = groups[g].Begin) {
    for (std::size_t k = groups[g].Begin; k < end; ++k) rest += players[k].Strength;
    groups[g].Share = 1.0 / static_cast<double>(end - groups[g].Begin);
    groups[g].InverseRest = 1.0 / rest;
  }

  // Each player against every place at or above theirs: the share of the
  // strength left at that place that is the player's. Tied players count as
  // one place between them.
  for (const Contender& player : players) {
    double omega = groups[player.Group].Share;
    double delta = 0.0;
    for (std::size_t g = 0; g <= player.Group; ++g) {
      const double quotient = player.Strength * groups[g].InverseRest;
      omega -= quotient;
      delta += quotient * (1.0 - quotient);
    }
    const double gamma = player.Sigma / c;
    const double moved = omega * (player.Variance / c);
    const double shrunk = delta * (player.Variance / (c * c)) * gamma;
    scratch.After[player.Entry] = {player.Mu + moved,
                                   player.Sigma * std::sqrt(std::max(1.0 - shrunk, kSkillKappa))};
  }

  for (std::size_t i = 0; i < n; ++i) {
    EnsurePerson(ratings, match[i].Person);
    ratings.People[match[i].Person] = scratch.After[i];
  }
}


// Makes room in the history for every point the matches will add.
void ReserveHistory(SkillHistory& history, std::span<const MatchPlacings> matches) {
  std::vector<std::size_t> points(history.People.size());
  for (const MatchPlacings& match : matches)
    for (const Placing& placing : match) {
      if (placing.Person >= points.size()) points.resize(static_cast<std::size_t>(placing.Person) + 1);
      ++points[placing.Person];
    }
  if (points.size() > history.People.size()) history.People.resize(points.size());
  for (std::size_t person = 0; person < points.size(); ++person) {
    std::vector<SkillPoint>& line = history.People[person];
    const std::size_t needed = line.size() + points[person];
    if (needed > line.capacity()) line.reserve(std::max(needed, 2 * line.capacity()));
  }
}

// Rates the next match of the sequence and adds its points to `history`, if given.
void RateInto(SkillRatings& ratings, std::span<const Placing> match, Scratch& scratch, SkillHistory* history) {
  const std::size_t index = ratings.MatchesApplied;
  Rate(ratings, match, scratch);
  if (history == nullptr) return;
  for (const Placing& placing : match)
    history->People[placing.Person].push_back({index, RatingOf(ratings, placing.Person)});
}

}  // namespace

void RateMatch(SkillRatings& ratings, std::span<const Placing> match) {
  Scratch scratch;
  Rate(ratings, match, scratch);
}

void RateMatches(SkillRatings& ratings, std::span<const MatchPlacings> matches, SkillHistory* history) {
  if (history != nullptr) ReserveHistory(*history, matches);
  Scratch scratch;
  for (const MatchPlacings& match : matches) RateInto(ratings, match, scratch, history);
}

void RateMatches(SkillRatings& ratings, std::span<const Placing> placings, std::span<const std::size_t> bounds,
                 SkillHistory* history) {
  if (bounds.empty()) return;
  if (history != nullptr) {
    std::size_t people = history->People.size();
    for (const Placing& placing : placings.subspan(bounds.front(), bounds.back() - bounds.front()))
      people = std::max(people, static_cast<std::size_t>(placing.Person) + 1);
    history->People.resize(people);
  }
  Scratch scratch;
  for (std::size_t m = 0; m + 1 < bounds.size(); ++m)
    RateInto(ratings, placings.subspan(bounds[m], bounds[m + 1] - bounds[m]), scratch, history);
}

void TrimSkillHistory(SkillHistory& history, std::size_t matches) {
  // Each person's points go in the order of the matches.
  for (std::vector<SkillPoint>& points : history.People)
    points.erase(std::partition_point(points.begin(), points.end(),
                                      [&](const SkillPoint& point) { return point.Match < matches; }),
                 points.end());
}

HeadToHeadChance ChanceToPlaceHigher(const SkillRating& first, const SkillRating& second) {
  const double spread =
      std::sqrt(2.0 * kBetaSquared + first.Sigma * first.Sigma + second.Sigma * second.Sigma);
  const double p = 0.5 * (1.0 + std::erf((first.Mu - second.Mu) / spread / std::sqrt(2.0)));
  return {p, 1.0 - p};
}

}  // namespace fragtally
