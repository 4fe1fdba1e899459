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

// One player of the match being rated, in the order of places.
struct Contender {
  std::size_t Entry;   // index in the match as given
  double Mu;
  double Sigma;        // before the match, the uncertainty tau added
  double Variance;     // Sigma squared
  double Strength;     // exp(Mu / c)
  double Rest;         // the strengths of this player's tie group and every group below it
  std::size_t GroupBegin, GroupEnd;  // the tie group: [GroupBegin, GroupEnd) in place order
};

void EnsurePerson(SkillRatings& ratings, std::uint32_t person) {
  if (person >= ratings.People.size()) ratings.People.resize(static_cast<std::size_t>(person) + 1);
}

// Rates one match with the given scratch space (kept between matches so that
// a long replay allocates nothing per match).
void Rate(SkillRatings& ratings, std::span<const Placing> match, std::vector<Contender>& players,
          std::vector<SkillRating>& after) {
  ++ratings.MatchesApplied;
  const std::size_t n = match.size();
  if (n < 2) return;

  players.resize(n);
  after.resize(n);

  // Place order, ties in the order given (an insertion sort: matches are small).
  for (std::size_t i = 0; i < n; ++i) {
    const SkillRating before = RatingOf(ratings, match[i].Person);
    Contender& player = players[i];
    player.Entry = i;
    player.Mu = before.Mu;
    player.Sigma = std::sqrt(before.Sigma * before.Sigma + kTauSquared);
    player.Variance = player.Sigma * player.Sigma;
    for (std::size_t j = i; j > 0 && match[players[j - 1].Entry].Place > match[i].Place; --j)
      std::swap(players[j], players[j - 1]);
  }

  double spread = 0.0;
  for (const Contender& player : players) spread += player.Variance + kBetaSquared;
  const double c = std::sqrt(spread);
  for (Contender& player : players) player.Strength = std::exp(player.Mu / c);

  for (std::size_t begin = 0; begin < n;) {
    std::size_t end = begin + 1;
    while (end < n && match[players[end].Entry].Place == match[players[begin].Entry].Place) ++end;
    double rest = 0.0;
    for (std::size_t k = begin; k < n; ++k) rest += players[k].Strength;
    for (std::size_t k = begin; k < end; ++k) {
      players[k].Rest = rest;
      players[k].GroupBegin = begin;
      players[k].GroupEnd = end;
    }
    begin = end;
  }

  // Every player is compared with each player placed at or above them: the
  // share of the strength left at that player's place that is theirs.
  for (std::size_t i = 0; i < n; ++i) {
    const Contender& player = players[i];
    double omega = 0.0;
    double delta = 0.0;
    for (std::size_t q = 0; q < player.GroupEnd; ++q) {
      const double tied = static_cast<double>(players[q].GroupEnd - players[q].GroupBegin);
      const double quotient = player.Strength / players[q].Rest;
      omega += (i == q ? 1.0 - quotient : -quotient) / tied;
      delta += quotient * (1.0 - quotient) / tied;
    }
    const double gamma = std::sqrt(player.Variance) / c;
    const double moved = omega * (player.Variance / c);
    const double shrunk = delta * (player.Variance / (c * c)) * gamma;
    after[player.Entry] = {player.Mu + moved, player.Sigma * std::sqrt(std::max(1.0 - shrunk, kSkillKappa))};
  }

  for (std::size_t i = 0; i < n; ++i) {
    EnsurePerson(ratings, match[i].Person);
    ratings.People[match[i].Person] = after[i];
  }
}

}  // namespace

void RateMatch(SkillRatings& ratings, std::span<const Placing> match) {
  std::vector<Contender> players;
  std::vector<SkillRating> after;
  Rate(ratings, match, players, after);
}

void RateMatches(SkillRatings& ratings, std::span<const MatchPlacings> matches, SkillHistory* history) {
  std::vector<Contender> players;
  std::vector<SkillRating> after;
  for (const MatchPlacings& match : matches) {
    const std::size_t index = ratings.MatchesApplied;
    Rate(ratings, match, players, after);
    if (history == nullptr) continue;
    for (const Placing& placing : match) {
      if (placing.Person >= history->People.size()) history->People.resize(static_cast<std::size_t>(placing.Person) + 1);
      history->People[placing.Person].push_back({index, RatingOf(ratings, placing.Person)});
    }
  }
}

HeadToHeadChance ChanceToPlaceHigher(const SkillRating& first, const SkillRating& second) {
  const double spread =
      std::sqrt(2.0 * kBetaSquared + first.Sigma * first.Sigma + second.Sigma * second.Sigma);
  const double p = 0.5 * (1.0 + std::erf((first.Mu - second.Mu) / spread / std::sqrt(2.0)));
  return {p, 1.0 - p};
}

}  // namespace fragtally
