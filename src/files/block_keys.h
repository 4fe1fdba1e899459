#pragma once

// The keys of counted blocks (journal_state.h: BlockKeys), kept in memory for
// the program's run: read from the journal once, then added to by imports
// and taken from by undos, so that an import asks about a block without
// reading the journal.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/journal_read.h"
#include "files/journal_state.h"

namespace fragtally {

// The keys of the journal's imports in effect up to number `up_to` (those
// that the next commit keeps in effect); a journal that cannot be read gives
// none (the remembered start-up line decides then, as before keys).
void LoadBlockKeys(BlockKeys& keys, const std::string& journal_path, std::int64_t up_to);
void AddBlockKey(BlockKeys& keys, std::string_view session, std::int64_t position, std::uint64_t digest);
void RemoveBlockKey(BlockKeys& keys, std::string_view session, std::int64_t position, std::uint64_t digest);

// The keys of what an import read (held until an undo), and those of an
// import undone (no longer held).
void HoldKeysOf(BlockKeys& keys, const ImportedBlocks& read);
void ReleaseKeysOf(BlockKeys& keys, const std::vector<JournalMatch>& matches);

// What an import asks, answered from `keys`.
class BlockKeysView final : public CountedBlocks {
 public:
  explicit BlockKeysView(const BlockKeys& keys) : keys_(keys) {}
  bool HoldsSession(std::string_view session) const override;
  bool HoldsPlace(std::string_view session, std::int64_t position) const override;
  Verdict Look(std::string_view session, std::int64_t position, std::uint64_t digest) const override;

 private:
  // The id of the session asked about last: an import asks about each of a
  // session's blocks in turn.
  const std::uint32_t* Id(std::string_view session) const;
  const BlockKeys& keys_;
  mutable std::string asked_;
  mutable const std::uint32_t* asked_id_ = nullptr;
  mutable bool asked_any_ = false;
};

}  // namespace fragtally
