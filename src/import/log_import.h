#pragma once

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
// A log that cannot be opened raises NotFound; any other error ends the
// import where it happened and passes on, keeping the blocks added before it
// (the failing block counts as read).
//
// The remembered line is first looked for backwards over the last
// `tail_searched` bytes of the log (the usual place: a log the game appends
// to); beyond them it is met while reading, and what was added before it is
// taken back. Both ways give the same result.
//
// With JournalAhead::Write the blocks' lines go to the journal while the log
// is read (JournalState::AheadBlocks), numbered for the next commit, so that
// the commit has only its C line and the rest to add. It is not done when
// blocks kept from before are not in the journal. When the remembered line
// is met late, the lines written for what is taken back keep their number,
// which no C line will follow (readers skip them), and the writing begins
// again under the next number.
// The journal refusing a write only ends the writing ahead, not the import.
enum class JournalAhead { No, Write };
inline constexpr std::uint64_t kTailSearched = 16u << 20;
ImportOutcome ImportLog(FileState& state, std::uint64_t tail_searched = kTailSearched,
                        JournalAhead ahead = JournalAhead::No);

}  // namespace fragtally
