#pragma once

#include <cstddef>
#include <cstdint>

#include "files/file_state.h"

namespace fragtally {

// How an import that did not fail ended.
enum class ImportOutcome {
  Completed,     // the end of the log was reached and something was new
  LogUnchanged,  // the remembered start-up line was found and nothing new after it
};

// Reads the game's log (LogPath, relative to the current folder) and adds
// every statistics block not counted yet, so that each match counts once
// however often the log is imported:
// - The last line read outside a block that equals StartupMarker anchors the
//   import: the blocks before it were counted by earlier imports, and of its
//   own game session (up to the next start-up line) the first
//   BlocksAfterMarker blocks were, or all of them when that is unknown.
//   Without such a line the whole log is read.
// - Every other block is added; a start-up line becomes the new
//   StartupMarker, and BlocksAfterMarker counts the blocks after it.
// - `counted`, when given, knows blocks by their keys (game session, place
//   in it, digest of its lines): a block whose key it holds is never added,
//   wherever it stands, and one it knows as new is added even where the
//   remembered line would skip it; the remembered line decides only where
//   no key tells. A log whose blocks are all counted already is unchanged
//   (and the settings stay as they were); the blocks left out that the
//   remembered line would have counted go to `read.Skipped`. A remembered
//   line without a date, whose session the journal holds, may stand for
//   several sessions: the blocks before it are read for their keys too.
// A log that cannot be opened raises NotFound; any other error ends the
// import where it happened and passes on, keeping the blocks added before it
// (the failing block counts as read).
//
// The remembered line is first looked for backwards over the last
// `tail_searched` bytes of the log (the usual place: a log the game appends
// to); beyond them it is met while reading, and what was added before it is
// taken back. Both ways give the same result.
//
// What it read goes to `read` (empty at first) as it reads, and stays when
// it raises: every block added, with its slot, game session and what it
// changed, for the journal. `watcher`, when given, is told of each block as
// it is read, and of a remembered line met late, which takes back what was
// read before it.
inline constexpr std::uint64_t kTailSearched = 16u << 20;
ImportOutcome ImportLog(FileState& state, ImportedBlocks& read, std::uint64_t tail_searched = kTailSearched,
                        ImportWatcher* watcher = nullptr, const CountedBlocks* counted = nullptr);
// The same for a caller that keeps no journal.
ImportOutcome ImportLog(FileState& state, std::uint64_t tail_searched = kTailSearched);

// A helper thread reads a large log ahead while its lines are used, in
// chunks of this many bytes, from logs of four chunks on; 0: none. Tests set
// it small, so that small logs are read that way too.
inline constexpr std::size_t kLogReadAhead = std::size_t{1} << 20;
void SetLogReadAhead(std::size_t chunk);

}  // namespace fragtally
