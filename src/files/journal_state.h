#pragma once

// What an import records for the match journal (basekrm/Matches.txt), and
// what the program knows of the journal while it runs. The journal's file
// is read and written in src/files/journal_*; JournalState is written by the
// store (store.h) alone.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/place_digests.h"
#include "stats/player_table.h"

namespace fragtally {

// One imported statistics block: what it added to its player's 24 counters,
// in the order of kCounterColumns (for an ordinary block these are the
// block's own numbers, and one game).
struct JournalMatch {
  std::int64_t Import = 0;  // the number of the import that added it, from 1
  // The game session the block came from: the date and time of its start-up
  // line as "YYYY-MM-DD hh:mm:ss" (the text after "--- Fs_startup :" as it
  // stands when it is not a date), empty for blocks before the log's first
  // start-up line.
  std::string Session;
  std::int64_t Position = 0;  // the block's place in its session, from 1
  std::string Name;           // the player's name, bytes as in the log
  // The match the block belongs to: its number in the game session, from 1
  // (0 for a block journaled before matches were told apart: it takes no
  // part in places, wins or ratings), and the map it was played on (bytes,
  // empty when the log did not say).
  std::int64_t Match = 0;
  std::string Map;
  // A digest of the block's lines (line ends left out), which with the
  // session and position makes the block's key; none for an older line.
  std::optional<std::uint64_t> Digest;
  // What the block changed, modulo 2^32: the counter after it minus the
  // counter before it (the games line sets a total instead of adding, and a
  // block that failed part-way keeps what it added before the failure).
  CounterValues Added{};
};

// A block's slot and that slot's counters right before the block, once its
// player is found or added (Slot 0 until then).
struct BlockStart {
  std::int16_t Slot = 0;
  CounterValues Counters;  // set with Slot
};

// A block imported and not journaled yet, kept small (an import may read
// hundreds of thousands): its player's slot, its game session (an index into
// JournalState::Sessions, -1 for none), its place in the session, its match
// and map (an index into JournalState::Maps, -1 for none), the digest of its
// lines and what it changed (as JournalMatch).
struct PendingBlock {
  std::int16_t Slot = 0;
  std::int32_t Session = -1;
  std::int64_t Position = 0;
  std::int32_t Match = 0;
  std::int32_t Map = -1;
  std::uint64_t Digest = 0;
  CounterValues Added{};
};

// What one import read, for the journal: its blocks in the order read (each
// still in the table), the game sessions they came from and the maps they
// were played on (PendingBlock's Session and Map index these).
struct ImportedBlocks {
  std::vector<PendingBlock> Blocks;
  std::vector<std::string> Sessions;
  std::vector<std::string> Maps;
  // Blocks left out because their key is counted already, though the
  // remembered start-up line alone would have counted them again.
  std::int64_t Skipped = 0;
};

// A block's key: its game session, its place in it and the digest of its
// lines. What the journal knows of keys, asked by an import before it counts
// a block; the store answers it from the keys of the imports in effect and
// of the blocks imported since the last commit.
class CountedBlocks {
 public:
  enum class Verdict {
    Counted,  // the key is held: the block is counted already
    New,      // never counted: the session is held from its first block on,
              // or another block is held at this place
    Unknown,  // no key tells (blocks from before keys): the remembered line decides
  };
  // Whether some block of the session is held.
  virtual bool HoldsSession(std::string_view session) const = 0;
  // Whether a block is held at this place: only then does the verdict depend
  // on the block's digest.
  virtual bool HoldsPlace(std::string_view session, std::int64_t position) const = 0;
  virtual Verdict Look(std::string_view session, std::int64_t position, std::uint64_t digest) const = 0;

 protected:
  ~CountedBlocks() = default;
};

// The keys held, by game session: built from the journal once a run (at the
// first import), then kept up to date by imports and undos.
struct BlockKeys {
  bool Loaded = false;
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> SessionIds;
  struct Session {
    std::int64_t Keys = 0;     // keys held of the session
    std::int64_t AtStart = 0;  // of them at its first place
  };
  std::vector<Session> Sessions;  // by id
  // The digests held at each place: (session id << 40) | position.
  PlaceDigests Places;
};

// Told by an import as it reads, so that the journal's lines can be on their
// way while the log is read.
class ImportWatcher {
 public:
  // `read.Blocks.back()` was just read (its player's name is in `table`).
  virtual void BlockRead(const ImportedBlocks& read, const PlayerTable& table) = 0;
  // The remembered start-up line was met late: every block read so far is
  // taken back out of `read` and the table.
  virtual void TakenBack() = 0;

 protected:
  ~ImportWatcher() = default;
};

// The journal as this run of the program knows it.
struct JournalState {
  // Blocks imported since the last commit, and the game sessions and maps
  // they came from; they are journaled by the next save.
  std::vector<PendingBlock> Pending;
  std::vector<std::string> Sessions;
  std::vector<std::string> Maps;
  // The first AheadBlocks of Pending are in the journal already, as M lines
  // of import AheadImport that no C line follows yet: an import writes its
  // lines while it reads the log, and its commit adds the rest.
  std::int64_t AheadImport = 0;
  std::size_t AheadBlocks = 0;
  // As the last commit left them (or the start-up found them): the marker,
  // the counted blocks and the number of players.
  std::string CommittedMarker;
  std::optional<std::int64_t> CommittedCount;
  std::int16_t CommittedPlayers = 0;
  std::int64_t LastNumber = 0;  // the highest import number the journal has used
  std::int64_t InEffect = 0;    // the newest import still in effect, 0 for none
  // The digest of the statistics file that the journal's last commit left
  // (nullopt: no file).
  std::optional<std::uint64_t> StatsDigest;
  // Set when the start-up read the journal and found the statistics file as
  // its last commit left it: only then can an import be undone.
  bool Matches = false;
  // The blocks skipped by the imports since the last commit (ImportedBlocks::Skipped).
  std::int64_t Skipped = 0;
  // The keys of the imports in effect and of Pending.
  BlockKeys Keys;
  // The journal is there but its end could not be read (held by another
  // program, not allowed): its numbers are unknown, so nothing is appended
  // until a commit reads it.
  bool Unread = false;
  // The journal was there at start-up (or an append made it): an append
  // never makes a new one where it went away.
  bool OnDisk = false;
  // The people changes (P lines) this run appended: what the window reads
  // of the journal is read again after one.
  std::int64_t PeopleChanges = 0;
};

}  // namespace fragtally
