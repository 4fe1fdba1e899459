// The skill rating on matches small enough to check by hand. The figures are
// the update worked out on paper for two newcomers (tau added: sigma^2 =
// (25/3)^2 + (1/12)^2, c^2 = 2 (sigma^2 + beta^2), so sigma^2 / c^2 = 0.4; the
// winner moves by sigma^2 / 2c, both keep sqrt(1 - 0.1 sqrt 0.4) of sigma);
// tests/rating compares long journals with the reference package.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "stats/skill_rating.h"

namespace fragtally {
namespace {

constexpr double kClose = 1e-12;
constexpr double kWinnerMu = 27.635389493140497;
constexpr double kLoserMu = 22.364610506859503;
constexpr double kAfterOneMatchSigma = 8.06590141354368;

SkillRatings Rated(const std::vector<MatchPlacings>& matches) {
  SkillRatings ratings;
  RateMatches(ratings, matches);
  return ratings;
}

TEST(SkillRating, TwoNewcomersMoveApartByTheSameAmount) {
  const SkillRatings ratings = Rated({{{0, 1}, {1, 2}}});
  EXPECT_NEAR(ratings.People[0].Mu, kWinnerMu, kClose);
  EXPECT_NEAR(ratings.People[1].Mu, kLoserMu, kClose);
  EXPECT_NEAR(ratings.People[0].Sigma, kAfterOneMatchSigma, kClose);
  EXPECT_NEAR(ratings.People[1].Sigma, kAfterOneMatchSigma, kClose);
  EXPECT_EQ(ratings.MatchesApplied, 1u);

  // The entries' order in the match does not count, only their places.
  const SkillRatings reversed = Rated({{{1, 2}, {0, 1}}});
  EXPECT_EQ(reversed.People[0].Mu, ratings.People[0].Mu);
  EXPECT_EQ(reversed.People[1].Sigma, ratings.People[1].Sigma);
  EXPECT_NEAR(ShownSkill(ratings.People[0]), kWinnerMu - 3 * kAfterOneMatchSigma, kClose);
  EXPECT_EQ(ShownSkill(SkillRating{}), 0.0) << "a newcomer shows 0";
}

TEST(SkillRating, TiesShareTheirPlace) {
  // Two newcomers level: no one moves, both are as sure as after a decided match.
  const SkillRatings level = Rated({{{0, 1}, {1, 1}}});
  EXPECT_NEAR(level.People[0].Mu, 25.0, kClose);
  EXPECT_NEAR(level.People[1].Mu, 25.0, kClose);
  EXPECT_NEAR(level.People[0].Sigma, kAfterOneMatchSigma, kClose);

  // Second place shared by two of three: the two come out alike, below the
  // winner, and the three means still add up to what they were.
  const SkillRatings shared = Rated({{{7, 2}, {3, 1}, {5, 2}}});
  EXPECT_NEAR(shared.People[3].Mu, 27.869048680749426, kClose);
  EXPECT_NEAR(shared.People[3].Sigma, 8.205243377397993, kClose);
  EXPECT_NEAR(shared.People[5].Mu, 23.565475659625285, kClose);
  EXPECT_NEAR(shared.People[7].Sigma, 8.058224222802378, kClose);
  EXPECT_EQ(shared.People[5].Mu, shared.People[7].Mu);
  EXPECT_NEAR(shared.People[3].Mu + shared.People[5].Mu + shared.People[7].Mu, 75.0, 1e-9);
  EXPECT_EQ(RatingOf(shared, 4).Mu, kSkillMu) << "a person between the ids who did not play";
  EXPECT_EQ(RatingOf(shared, 1000).Sigma, kSkillSigma) << "an id beyond every known one";
}

TEST(SkillRating, AOnePlayerMatchChangesNothingButIsCounted) {
  SkillRatings ratings;
  SkillHistory history;
  const std::vector<MatchPlacings> matches{{{0, 1}, {1, 2}}, {{1, 1}}, {}, {{0, 1}, {1, 2}}};
  RateMatches(ratings, std::span(matches).first(2), &history);
  EXPECT_EQ(ratings.MatchesApplied, 2u);
  ASSERT_EQ(history.People[1].size(), 2u);
  EXPECT_EQ(history.People[1][1].Match, 1u);
  EXPECT_EQ(history.People[1][1].Rating.Mu, kLoserMu);
  EXPECT_EQ(history.People[1][1].Rating.Sigma, kAfterOneMatchSigma) << "no uncertainty added either";

  // The match of one and the empty one leave the next match as it would be without them.
  RateMatches(ratings, std::span(matches).subspan(2), &history);
  const SkillRatings without = Rated({matches[0], matches[3]});
  EXPECT_EQ(ratings.People[0].Mu, without.People[0].Mu);
  EXPECT_EQ(ratings.People[1].Sigma, without.People[1].Sigma);
  EXPECT_EQ(ratings.MatchesApplied, 4u);
  ASSERT_EQ(history.People[0].size(), 2u);
  EXPECT_EQ(history.People[0][1].Match, 3u);
}

TEST(SkillRating, TheOrderOfMatchesCounts) {
  // A wins, then B: B's win is the newer news and leaves B ahead.
  const SkillRatings a_first = Rated({{{0, 1}, {1, 2}}, {{1, 1}, {0, 2}}});
  EXPECT_NEAR(a_first.People[0].Mu, 24.588690807367627, kClose);
  EXPECT_NEAR(a_first.People[1].Mu, 25.411309192632373, kClose);
  EXPECT_NEAR(a_first.People[1].Sigma, 7.82288719288111, kClose);
  const SkillRatings b_first = Rated({{{1, 1}, {0, 2}}, {{0, 1}, {1, 2}}});
  EXPECT_NEAR(b_first.People[0].Mu, a_first.People[1].Mu, kClose);
  EXPECT_NEAR(b_first.People[1].Mu, a_first.People[0].Mu, kClose);
}

TEST(SkillRating, ChanceToPlaceHigher) {
  const HeadToHeadChance even = ChanceToPlaceHigher(SkillRating{}, SkillRating{});
  EXPECT_EQ(even.First, 0.5);
  EXPECT_EQ(even.Second, 0.5);

  const SkillRating strong{30, 5};
  const SkillRating steady{25, 3};
  const HeadToHeadChance chance = ChanceToPlaceHigher(strong, steady);
  EXPECT_NEAR(chance.First, 0.7267937336923026, kClose);  // Phi(5 / sqrt(2 beta^2 + 25 + 9))
  EXPECT_NEAR(chance.First + chance.Second, 1.0, kClose);
  const HeadToHeadChance swapped = ChanceToPlaceHigher(steady, strong);
  EXPECT_NEAR(swapped.First, chance.Second, kClose);
}

// A cache of the state after some matches, continued, gives every figure a
// replay from the start gives: ratings, the count and the chart's points; and
// the whole history cut back to those matches is the cache's history.
TEST(SkillRating, ContinuingFromASavedStateEqualsReplayingEverything) {
  std::mt19937_64 random(28);
  std::vector<MatchPlacings> matches(500);
  for (MatchPlacings& match : matches) {
    const std::size_t players = 1 + random() % 8;
    std::vector<std::uint32_t> people(30);
    for (std::uint32_t i = 0; i < people.size(); ++i) people[i] = i;
    std::shuffle(people.begin(), people.end(), random);
    for (std::size_t k = 0; k < players; ++k)
      match.push_back({people[k], static_cast<std::uint32_t>(1 + random() % 4)});
  }
  SkillRatings replayed;
  SkillHistory replayed_history;
  RateMatches(replayed, matches, &replayed_history);

  for (std::size_t cut : {0u, 1u, 137u, 499u, 500u}) {
    SkillRatings head;
    SkillHistory head_history;
    RateMatches(head, std::span(matches).first(cut), &head_history);
    SkillHistory trimmed = replayed_history;
    TrimSkillHistory(trimmed, cut);
    ASSERT_EQ(trimmed.People.size(), replayed_history.People.size());
    for (std::size_t person = 0; person < trimmed.People.size(); ++person) {
      const std::size_t kept = person < head_history.People.size() ? head_history.People[person].size() : 0;
      ASSERT_EQ(trimmed.People[person].size(), kept) << cut << " " << person;
      if (kept) {
        EXPECT_EQ(trimmed.People[person].back().Rating.Sigma, head_history.People[person].back().Rating.Sigma);
      }
    }

    SkillRatings cached = head;  // what a cache would keep
    SkillHistory cached_history = head_history;
    RateMatches(cached, std::span(matches).subspan(cached.MatchesApplied), &cached_history);
    EXPECT_EQ(cached.MatchesApplied, replayed.MatchesApplied);
    ASSERT_EQ(cached.People.size(), replayed.People.size()) << cut;
    for (std::size_t person = 0; person < replayed.People.size(); ++person) {
      EXPECT_EQ(cached.People[person].Mu, replayed.People[person].Mu) << cut << " " << person;
      EXPECT_EQ(cached.People[person].Sigma, replayed.People[person].Sigma) << cut << " " << person;
      ASSERT_EQ(cached_history.People[person].size(), replayed_history.People[person].size());
      for (std::size_t k = 0; k < replayed_history.People[person].size(); ++k) {
        EXPECT_EQ(cached_history.People[person][k].Match, replayed_history.People[person][k].Match);
        EXPECT_EQ(cached_history.People[person][k].Rating.Mu, replayed_history.People[person][k].Rating.Mu);
      }
    }
  }
}

}  // namespace
}  // namespace fragtally
