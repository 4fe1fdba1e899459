#include "files/block_keys.h"

#include <exception>

namespace fragtally {

namespace {

constexpr int kPositionBits = 40;
constexpr std::int64_t kPositionLimit = std::int64_t{1} << kPositionBits;

std::uint64_t PlaceOf(std::uint32_t session, std::int64_t position) {
  return (static_cast<std::uint64_t>(session) << kPositionBits) | static_cast<std::uint64_t>(position);
}

// The session's id, or nullptr when no key of it was ever held.
const std::uint32_t* SessionId(const BlockKeys& keys, std::string_view session) {
  const auto it = keys.SessionIds.find(session);
  return it == keys.SessionIds.end() ? nullptr : &it->second;
}

}  // namespace

void LoadBlockKeys(BlockKeys& keys, const std::string& journal_path, std::int64_t up_to) {
  keys = BlockKeys{};
  keys.Loaded = true;
  std::vector<JournalKey> held;
  if (up_to <= 0) return;
  try {
    held = ReadJournalKeys(journal_path);
  } catch (const std::exception&) {
    return;
  }
  keys.Places.reserve(held.size());
  for (const JournalKey& key : held)
    if (key.Import <= up_to) AddBlockKey(keys, key.Session, key.Position, key.Digest);
}

void AddBlockKey(BlockKeys& keys, std::string_view session, std::int64_t position, std::uint64_t digest) {
  if (position < 1 || position >= kPositionLimit) return;  // no place a log can give
  auto [it, added] = keys.SessionIds.try_emplace(std::string(session), static_cast<std::uint32_t>(keys.Sessions.size()));
  if (added) keys.Sessions.emplace_back();
  BlockKeys::Session& counts = keys.Sessions[it->second];
  ++counts.Keys;
  if (position == 1) ++counts.AtStart;
  keys.Places.emplace(PlaceOf(it->second, position), digest);
}

void RemoveBlockKey(BlockKeys& keys, std::string_view session, std::int64_t position, std::uint64_t digest) {
  const std::uint32_t* id = SessionId(keys, session);
  if (id == nullptr || position < 1 || position >= kPositionLimit) return;
  auto [first, last] = keys.Places.equal_range(PlaceOf(*id, position));
  for (auto it = first; it != last; ++it) {
    if (it->second != digest) continue;
    keys.Places.erase(it);
    BlockKeys::Session& counts = keys.Sessions[*id];
    --counts.Keys;
    if (position == 1) --counts.AtStart;
    return;
  }
}

void HoldKeysOf(BlockKeys& keys, const ImportedBlocks& read) {
  for (const PendingBlock& block : read.Blocks) {
    const std::string_view session =
        block.Session >= 0 ? std::string_view(read.Sessions[static_cast<std::size_t>(block.Session)]) : std::string_view();
    AddBlockKey(keys, session, block.Position, block.Digest);
  }
}

void ReleaseKeysOf(BlockKeys& keys, const std::vector<JournalMatch>& matches) {
  for (const JournalMatch& match : matches)
    if (match.Digest) RemoveBlockKey(keys, match.Session, match.Position, *match.Digest);
}

bool BlockKeysView::HoldsSession(std::string_view session) const {
  const std::uint32_t* id = SessionId(keys_, session);
  return id != nullptr && keys_.Sessions[*id].Keys > 0;
}

bool BlockKeysView::HoldsPlace(std::string_view session, std::int64_t position) const {
  const std::uint32_t* id = SessionId(keys_, session);
  return id != nullptr && position >= 1 && position < kPositionLimit &&
         keys_.Places.count(PlaceOf(*id, position)) > 0;
}

CountedBlocks::Verdict BlockKeysView::Look(std::string_view session, std::int64_t position,
                                           std::uint64_t digest) const {
  const std::uint32_t* id = SessionId(keys_, session);
  if (id == nullptr || position < 1 || position >= kPositionLimit) return Verdict::Unknown;
  bool other = false;
  auto [first, last] = keys_.Places.equal_range(PlaceOf(*id, position));
  for (auto it = first; it != last; ++it) {
    if (it->second == digest) return Verdict::Counted;
    other = true;
  }
  // Held from its first block on, the session's keys are all there is of it:
  // a block without one was never counted. Blocks from before keys (the
  // journal's older lines, or none) leave the first place without a key.
  return other || keys_.Sessions[*id].AtStart > 0 ? Verdict::New : Verdict::Unknown;
}

}  // namespace fragtally
