#pragma once

// The skill rating: Weng and Lin's Bayesian approximation ("A Bayesian
// Approximation Method for Online Ranking", JMLR 2011) with the Plackett-Luce
// model, every player a team of one, and the parameters and tie handling of
// the `openskill` package 5.0.1 for JavaScript with its defaults (tests/rating
// rates a generated journal with that package and compares every figure).
//
// People are numbered densely from 0 by the caller (a person id is an index);
// the engine knows no names. A match is the list of its players with their
// places: a smaller place is better, equal places are a tie (equal frags).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace fragtally {

// Default parameters.
inline constexpr double kSkillMu = 25.0;             // a newcomer's mean
inline constexpr double kSkillSigma = 25.0 / 3.0;    // a newcomer's uncertainty
inline constexpr double kSkillBeta = 25.0 / 6.0;     // the spread of one match's performance
inline constexpr double kSkillTau = 25.0 / 300.0;    // uncertainty added before every match
inline constexpr double kSkillKappa = 1e-4;          // the least share of the variance a match keeps

struct SkillRating {
  double Mu = kSkillMu;
  double Sigma = kSkillSigma;
};

// The rating shown ("Мастерство"): mu - 3 sigma; 0 for a newcomer.
inline double ShownSkill(const SkillRating& rating) { return rating.Mu - 3.0 * rating.Sigma; }

// One player's result in one match.
struct Placing {
  std::uint32_t Person = 0;
  std::uint32_t Place = 1;
  bool operator==(const Placing&) const = default;
};
using MatchPlacings = std::vector<Placing>;

// The engine's whole state after a number of matches, and so its cache: the
// rating of every person (people the matches never named keep the
// newcomer's) and how many matches of the sequence it has taken in. Rating
// the rest of the sequence from a copy gives what replaying it all gives.
struct SkillRatings {
  std::vector<SkillRating> People;  // by person id
  std::size_t MatchesApplied = 0;
};

// A person's rating after one of their matches: the match's index in the
// whole sequence (0 for the first match ever rated) and the rating then.
struct SkillPoint {
  std::size_t Match = 0;
  SkillRating Rating;
};
// Every person's ratings match by match, for a chart: one point per match
// they played, a one-player match included (it leaves the rating as it was).
struct SkillHistory {
  std::vector<std::vector<SkillPoint>> People;  // by person id
};

// The rating of a person; a newcomer's for an id beyond the known people.
SkillRating RatingOf(const SkillRatings& ratings, std::uint32_t person);

// Rates one match, the next of the sequence: every player's mu and sigma move
// by the Plackett-Luce update; a match of one player (or none) changes
// nothing. The same person twice in a match is a caller's fault: each entry
// is rated, and the last one's result kept. Counts the match in MatchesApplied.
void RateMatch(SkillRatings& ratings, std::span<const Placing> match);

// Rates matches in the order given, from where `ratings` stands, and when
// `history` is given appends a point per player per match to it.
void RateMatches(SkillRatings& ratings, std::span<const MatchPlacings> matches, SkillHistory* history = nullptr);

// The same over matches laid end to end, without a vector per match: match
// i is placings[bounds[i] .. bounds[i + 1]) (bounds holds one more than the
// matches). It makes no room in `history` beforehand: a caller rating in
// pieces reserves for them all at once.
void RateMatches(SkillRatings& ratings, std::span<const Placing> placings, std::span<const std::size_t> bounds,
                 SkillHistory* history = nullptr);

// Keeps the points of the first `matches` matches of the sequence and drops
// the rest: with a state saved after those matches, what an undo of the
// newer ones goes back to.
void TrimSkillHistory(SkillHistory& history, std::size_t matches);

// The chance the rating gives each of two players to place above the other
// in their next meeting; the two add up to 1.
struct HeadToHeadChance {
  double First = 0.5;
  double Second = 0.5;
};
HeadToHeadChance ChanceToPlaceHigher(const SkillRating& first, const SkillRating& second);

}  // namespace fragtally
