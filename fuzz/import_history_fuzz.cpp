// The input bytes choose a history: game starts that rewrite or append to the
// log, matches, chatter, imports, closes and kills at any write of a save.
// After the last import every match is counted exactly once (history.h).

#include "fuzz_targets.h"
#include "history.h"

namespace fragtally::fuzz {

void FuzzImportHistory(const std::uint8_t* data, std::size_t size) {
  std::size_t next = 0;
  const ChoiceSource choose = [&](unsigned n, bool& exhausted) -> unsigned {
    if (next >= size) {
      exhausted = true;
      return 0;
    }
    return data[next++] % n;
  };
  HistoryTally tally;
  PlayHistory(choose, 200, tally);
}

}  // namespace fragtally::fuzz

FRAGTALLY_FUZZ_ENTRY(fragtally::fuzz::FuzzImportHistory)
