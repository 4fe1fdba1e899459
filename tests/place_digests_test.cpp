// The table of the journal's block keys against a standard multimap, through
// long runs of adds and removals with many digests at one place and places
// whose homes collide.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <unordered_map>
#include <vector>

#include "files/place_digests.h"

namespace fragtally {
namespace {

TEST(PlaceDigests, AgreesWithAMultimapThroughAddsAndRemovals) {
  std::mt19937_64 random(11);
  for (const std::uint64_t places : {3ull, 40ull, 5000ull}) {
    PlaceDigests table;
    std::unordered_multimap<std::uint64_t, std::uint64_t> reference;
    for (int step = 0; step < 15000; ++step) {
      // Places apart by multiples of a power of two, as session ids shifted
      // over positions are.
      const std::uint64_t place = 1 + (random() % places) * (std::uint64_t{1} << (random() % 2 ? 40 : 0));
      const std::uint64_t digest = random() % 4;
      if (random() % 3 != 0) {
        table.Add(place, digest);
        reference.emplace(place, digest);
      } else {
        auto [first, last] = reference.equal_range(place);
        const auto it = std::find_if(first, last, [&](const auto& entry) { return entry.second == digest; });
        const bool held = it != last;
        if (held) reference.erase(it);
        ASSERT_EQ(table.Remove(place, digest), held) << "step " << step;
      }
      ASSERT_EQ(table.size(), reference.size());
      const std::uint64_t asked = 1 + (random() % places) * (std::uint64_t{1} << (random() % 2 ? 40 : 0));
      const std::uint64_t asked_digest = random() % 4;
      auto [first, last] = reference.equal_range(asked);
      const bool same = std::any_of(first, last, [&](const auto& entry) { return entry.second == asked_digest; });
      const bool other = std::any_of(first, last, [&](const auto& entry) { return entry.second != asked_digest; });
      ASSERT_EQ(table.Holds(asked), first != last) << "step " << step;
      const PlaceDigests::Found found = table.Look(asked, asked_digest);
      ASSERT_EQ(found.Same, same) << "step " << step;
      if (!same) {
        ASSERT_EQ(found.Other, other) << "step " << step;
      }
    }
  }
}

}  // namespace
}  // namespace fragtally
