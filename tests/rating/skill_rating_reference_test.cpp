// The skill rating against the openskill package 5.0.1 (Node.js): a generated
// journal of club evenings is rated by the package (rate_reference.mjs) and by
// the engine, and every mu and sigma after every match and the head-to-head
// chance before it must agree to 1e-6.
//
// FRAGTALLY_RATING_REFERENCE names the folder install_reference.sh prepared
// (CTest sets it). Without it, without node or without the package the test
// fails: it never passes on nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "stats/skill_rating.h"

namespace fragtally {
namespace {

namespace fs = std::filesystem;

constexpr double kAgreement = 1e-6;

// Club evenings: a few of 60 people meet for a run of matches of 1 to 10
// players; places come from frags (equal frags share the better place), often
// from few frags so that ties are common, and now and then a whole match level.
// Each line lists its players in no order of places.
std::vector<MatchPlacings> MakeJournal(std::uint64_t seed, std::size_t at_least) {
  std::mt19937_64 random(seed);
  const auto below = [&random](std::uint64_t n) { return static_cast<std::uint32_t>(random() % n); };
  std::vector<std::uint32_t> everyone(60);
  for (std::uint32_t i = 0; i < everyone.size(); ++i) everyone[i] = i;

  std::vector<MatchPlacings> matches;
  while (matches.size() < at_least) {
    std::shuffle(everyone.begin(), everyone.end(), random);
    std::vector<std::uint32_t> club(everyone.begin(), everyone.begin() + 4 + below(11));
    for (std::uint32_t evening = 5 + below(12); evening > 0; --evening) {
      std::shuffle(club.begin(), club.end(), random);
      const std::size_t players =
          below(100) < 5 ? 1 : 2 + below(static_cast<std::uint32_t>(std::min<std::size_t>(9, club.size() - 1)));
      const std::uint32_t frag_range = below(100) < 3 ? 1 : below(3) == 0 ? 3 : 25;
      std::vector<std::uint32_t> frags(players);
      for (std::uint32_t& f : frags) f = below(frag_range);
      MatchPlacings match;
      for (std::size_t i = 0; i < players; ++i) {
        const auto above = std::count_if(frags.begin(), frags.end(), [&](std::uint32_t f) { return f > frags[i]; });
        match.push_back({club[i], static_cast<std::uint32_t>(1 + above)});
      }
      matches.push_back(std::move(match));
    }
  }
  return matches;
}

bool HasTie(const MatchPlacings& match) {
  for (std::size_t i = 0; i < match.size(); ++i)
    for (std::size_t j = i + 1; j < match.size(); ++j)
      if (match[i].Place == match[j].Place) return true;
  return false;
}

void WriteJournal(const fs::path& path, const std::vector<MatchPlacings>& matches) {
  std::ofstream out(path, std::ios::binary);
  for (const MatchPlacings& match : matches) {
    for (std::size_t i = 0; i < match.size(); ++i)
      out << (i ? " " : "") << match[i].Person << ':' << match[i].Place;
    out << '\n';
  }
  ASSERT_TRUE(out.good()) << path;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// The largest difference seen and where, and how many figures went past the limit.
struct Agreement {
  double Largest = 0;
  std::string Where;
  std::size_t Compared = 0;
  std::size_t Beyond = 0;

  void Compare(double engine, double package, const std::string& what) {
    ++Compared;
    const double difference = std::fabs(engine - package);
    if (!(difference <= kAgreement)) {  // a NaN counts as beyond
      if (++Beyond <= 10) ADD_FAILURE() << what << ": engine " << engine << ", package " << package;
    }
    if (difference > Largest || std::isnan(difference)) {
      Largest = difference;
      Where = what;
    }
  }
};

TEST(SkillRatingReference, EveryFigureAgreesWithThePackage) {
  const char* folder_text = std::getenv("FRAGTALLY_RATING_REFERENCE");
  ASSERT_NE(folder_text, nullptr) << "FRAGTALLY_RATING_REFERENCE is not set (run through CTest)";
  const fs::path folder = folder_text;
  ASSERT_TRUE(fs::exists(folder / "node_modules" / "openskill" / "package.json"))
      << "openskill is not installed in " << folder << ": bash tests/rating/install_reference.sh " << folder;

  const std::vector<MatchPlacings> matches = MakeJournal(20261208, 1200);
  const auto ties = std::count_if(matches.begin(), matches.end(), HasTie);
  const auto alone = std::count_if(matches.begin(), matches.end(), [](const MatchPlacings& m) { return m.size() == 1; });
  const auto full = std::count_if(matches.begin(), matches.end(), [](const MatchPlacings& m) { return m.size() == 10; });
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> meetings;
  for (const MatchPlacings& match : matches)
    for (const Placing& a : match)
      for (const Placing& b : match)
        if (a.Person < b.Person) ++meetings[{a.Person, b.Person}];
  int most_meetings = 0;
  for (const auto& [pair, count] : meetings) most_meetings = std::max(most_meetings, count);
  // The journal is what the comparison needs: enough matches, ties, matches of one and of ten, people meeting again.
  EXPECT_GE(matches.size(), 1000u);
  EXPECT_GE(ties, static_cast<long>(matches.size() / 4));
  EXPECT_GE(alone, 20);
  EXPECT_GE(full, 20);
  EXPECT_GE(most_meetings, 20);

  const fs::path journal = folder / "journal.txt";
  const fs::path rated = folder / "rated.txt";
  fs::remove(rated);
  WriteJournal(journal, matches);
  const std::string command = "node " + Quoted(folder / "rate_reference.mjs") + " " + Quoted(journal) + " " + Quoted(rated);
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  std::ifstream in(rated, std::ios::binary);
  ASSERT_TRUE(in) << rated;
  SkillRatings ratings;
  Agreement agreement;
  std::string line;
  for (std::size_t m = 0; m < matches.size(); ++m) {
    ASSERT_TRUE(std::getline(in, line)) << "the package rated " << m << " matches of " << matches.size();
    std::istringstream fields(line);
    std::vector<double> package;
    for (std::string field; fields >> field;) package.push_back(std::strtod(field.c_str(), nullptr));
    const MatchPlacings& match = matches[m];
    const std::size_t chances = match.size() >= 2 ? 2 : 0;
    ASSERT_EQ(package.size(), chances + 2 * match.size()) << "line " << m + 1 << ": " << line;
    const std::string where = "match " + std::to_string(m + 1);
    if (chances) {
      const HeadToHeadChance chance =
          ChanceToPlaceHigher(RatingOf(ratings, match[0].Person), RatingOf(ratings, match[1].Person));
      agreement.Compare(chance.First, package[0], where + ", chance of the first");
      agreement.Compare(chance.Second, package[1], where + ", chance of the second");
    }
    RateMatch(ratings, match);
    for (std::size_t i = 0; i < match.size(); ++i) {
      const SkillRating after = RatingOf(ratings, match[i].Person);
      const std::string who = where + ", person " + std::to_string(match[i].Person);
      agreement.Compare(after.Mu, package[chances + 2 * i], who + " mu");
      agreement.Compare(after.Sigma, package[chances + 2 * i + 1], who + " sigma");
    }
  }
  EXPECT_FALSE(std::getline(in, line) && !line.empty()) << "the package rated more matches than the journal holds";
  EXPECT_EQ(agreement.Beyond, 0u);
  std::printf("%zu matches (%ld with a tie, %ld of one player, %ld of ten; two people met up to %d times): "
              "%zu figures compared, the largest difference %.3g (%s)\n",
              matches.size(), static_cast<long>(ties), static_cast<long>(alone), static_cast<long>(full),
              most_meetings, agreement.Compared, agreement.Largest, agreement.Where.c_str());
}

}  // namespace
}  // namespace fragtally
