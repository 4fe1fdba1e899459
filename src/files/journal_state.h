#pragma once

// What an import records for the match journal (basekrm/Matches.txt), and
// what the program knows of the journal while it runs. The journal's file
// is read and written in src/files/journal_*; JournalState is written by the
// store (store.h) alone.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
  // The people changes (P lines) this run appended: what the window reads
  // of the journal is read again after one.
  std::int64_t PeopleChanges = 0;
};

}  // namespace fragtally
