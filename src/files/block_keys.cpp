#include "files/block_keys.h"

#include <cstdint>
#include <exception>
#include <vector>

namespace fragtally {

namespace {

constexpr int kPositionBits = 40;
constexpr std::int64_t kPositionLimit = std::int64_t{1} << kPositionBits;

// Whether a block's place in its game session is one a key can hold.
bool HasPlace(std::int64_t position) { return position >= 1 && position < kPositionLimit; }

std::uint64_t PlaceOf(std::uint32_t session, std::int64_t position) {
  return (static_cast<std::uint64_t>(session) << kPositionBits) | static_cast<std::uint64_t>(position);
}

// The session's id, or nullptr when no key of it was ever held.
const std::uint32_t* SessionId(const BlockKeys& keys, std::string_view session) {
  const auto it = keys.SessionIds.find(session);
  return it == keys.SessionIds.end() ? nullptr : &it->second;
}

// The session's id, given one when it has none yet.
std::uint32_t HeldSessionId(BlockKeys& keys, std::string_view session) {
  if (const std::uint32_t* id = SessionId(keys, session)) return *id;
  const auto id = static_cast<std::uint32_t>(keys.Sessions.size());
  keys.SessionIds.emplace(std::string(session), id);
  keys.Sessions.emplace_back();
  return id;
}

void AddKey(BlockKeys& keys, std::uint32_t session, std::int64_t position, std::uint64_t digest) {
  if (!HasPlace(position)) return;  // no place a log can give
  BlockKeys::Session& counts = keys.Sessions[session];
  ++counts.Keys;
  if (position == 1) ++counts.AtStart;
  keys.Places.Add(PlaceOf(session, position), digest);
}

}  // namespace

void LoadBlockKeys(BlockKeys& keys, const std::string& journal_path, std::int64_t up_to) {
  keys = BlockKeys{};
  keys.Loaded = true;
  JournalKeys held;
  if (up_to <= 0) return;
  try {
    held = ReadJournalKeys(journal_path);
  } catch (const std::exception&) {
    return;
  }
  std::vector<std::uint32_t> ids;  // by the place of a session's name in held.Sessions
  ids.reserve(held.Sessions.size());
  for (const std::string& session : held.Sessions) ids.push_back(HeldSessionId(keys, session));
  keys.Places.Reserve(held.Keys.size());
  constexpr std::size_t kAhead = 16;  // keys whose slots are fetched while one goes in
  for (std::size_t i = 0; i < held.Keys.size(); ++i) {
    if (i + kAhead < held.Keys.size()) {
      const JournalKey& later = held.Keys[i + kAhead];
      if (HasPlace(later.Position))
        keys.Places.Prefetch(PlaceOf(ids[later.Session], later.Position));
    }
    const JournalKey& key = held.Keys[i];
    if (key.Import <= up_to) AddKey(keys, ids[key.Session], key.Position, key.Digest);
  }
}

void AddBlockKey(BlockKeys& keys, std::string_view session, std::int64_t position, std::uint64_t digest) {
  if (!HasPlace(position)) return;  // before the session is given an id for nothing
  AddKey(keys, HeldSessionId(keys, session), position, digest);
}

void RemoveBlockKey(BlockKeys& keys, std::string_view session, std::int64_t position, std::uint64_t digest) {
  const std::uint32_t* id = SessionId(keys, session);
  if (id == nullptr || !HasPlace(position)) return;
  if (!keys.Places.Remove(PlaceOf(*id, position), digest)) return;
  BlockKeys::Session& counts = keys.Sessions[*id];
  --counts.Keys;
  if (position == 1) --counts.AtStart;
}

void HoldKeysOf(BlockKeys& keys, const ImportedBlocks& read) {
  // Each game session's id is looked up once, the table takes its room at
  // once, and the slots of later blocks are fetched while one goes in.
  constexpr std::uint32_t kNone = UINT32_MAX;
  std::vector<std::uint32_t> ids(read.Sessions.size() + 1, kNone);  // [0]: blocks of no session
  const auto id_of = [&](const PendingBlock& block) -> std::uint32_t& { return ids[static_cast<std::size_t>(block.Session + 1)]; };
  keys.Places.Reserve(keys.Places.size() + read.Blocks.size());
  constexpr std::size_t kAhead = 16;
  for (std::size_t i = 0; i < read.Blocks.size(); ++i) {
    if (i + kAhead < read.Blocks.size()) {
      const PendingBlock& later = read.Blocks[i + kAhead];
      const std::uint32_t id = id_of(later);
      if (id != kNone && HasPlace(later.Position))
        keys.Places.Prefetch(PlaceOf(id, later.Position));
    }
    const PendingBlock& block = read.Blocks[i];
    if (!HasPlace(block.Position)) continue;  // no place a log can give
    std::uint32_t& id = id_of(block);
    if (id == kNone)
      id = HeldSessionId(keys, block.Session >= 0 ? std::string_view(read.Sessions[static_cast<std::size_t>(block.Session)])
                                                  : std::string_view());
    AddKey(keys, id, block.Position, block.Digest);
  }
}

void ReleaseKeysOf(BlockKeys& keys, const std::vector<JournalMatch>& matches) {
  for (const JournalMatch& match : matches)
    if (match.Digest) RemoveBlockKey(keys, match.Session, match.Position, *match.Digest);
}

const std::uint32_t* BlockKeysView::Id(std::string_view session) const {
  if (!asked_any_ || session != asked_) {
    asked_id_ = SessionId(keys_, session);
    asked_.assign(session);
    asked_any_ = true;
  }
  return asked_id_;
}

bool BlockKeysView::HoldsSession(std::string_view session) const {
  const std::uint32_t* id = Id(session);
  return id != nullptr && keys_.Sessions[*id].Keys > 0;
}

bool BlockKeysView::HoldsPlace(std::string_view session, std::int64_t position) const {
  const std::uint32_t* id = Id(session);
  if (id == nullptr || !HasPlace(position)) return false;
  // The import asks about the session's next block next.
  if (position + 1 < kPositionLimit) keys_.Places.Prefetch(PlaceOf(*id, position + 1));
  return keys_.Places.Holds(PlaceOf(*id, position));
}

CountedBlocks::Verdict BlockKeysView::Look(std::string_view session, std::int64_t position,
                                           std::uint64_t digest) const {
  const std::uint32_t* id = Id(session);
  if (id == nullptr || !HasPlace(position)) return Verdict::Unknown;
  const PlaceDigests::Found found = keys_.Places.Look(PlaceOf(*id, position), digest);
  if (found.Same) return Verdict::Counted;
  // Held from its first block on, the session's keys are all there is of it:
  // a block without one was never counted. Blocks from before keys (the
  // journal's older lines, or none) leave the first place without a key.
  return found.Other || keys_.Sessions[*id].AtStart > 0 ? Verdict::New : Verdict::Unknown;
}

}  // namespace fragtally
