#include "import/log_import.h"

#include <string_view>

#include "files/line_reader.h"
#include "files/stats_file.h"
#include "import/marker_search.h"
#include "platform/platform.h"
#include "stats/stats_line.h"

namespace fragtally {

namespace {

constexpr std::string_view kStartupPrefix = "--- Fs_startup :";

bool IsStartupLine(std::string_view line) { return line.substr(0, kStartupPrefix.size()) == kStartupPrefix; }

// Reads past a block that was counted before: its lines up to and including
// the terminator, or to the end of the log.
void SkipStatsBlock(LineReader& log) {
  std::string_view line;
  while (log.NextLine(line))
    if (line == kStatsTerminator) return;
}

}  // namespace

ImportOutcome ImportLog(WindowState& state) {
  LineReader log;
  if (!log.Open(platform::NativePath(state.LogPath))) Raise(ErrorKind::NotFound);

  // The marker's game session: the blocks counted before are skipped.
  const std::optional<std::uint64_t> after_marker = FindMarkerLine(log.File(), state.StartupMarker);
  bool in_marker_session = false;
  bool skip_whole_session = false;
  std::int64_t to_skip = 0;
  if (after_marker) {
    log.StartAt(*after_marker);
    in_marker_session = true;
    if (state.BlocksAfterMarker) {
      to_skip = *state.BlocksAfterMarker;
    } else {
      skip_whole_session = true;
      state.BlocksAfterMarker = 0;
    }
  }
  // Blocks are counted from the marker's line on; before it (no marker line
  // in this log, and no start-up line yet) there is nothing to count from.
  bool counting = in_marker_session;
  bool anything_new = false;

  std::string_view line;
  while (log.NextLine(line)) {
    if (IsStartupLine(line)) {
      state.StartupMarker.assign(line);
      state.BlocksAfterMarker = 0;
      in_marker_session = false;
      counting = true;
      anything_new = true;
    }
    if (!IsStatsHeader(line)) continue;
    if (in_marker_session && (skip_whole_session || to_skip > 0)) {
      SkipStatsBlock(log);
      if (skip_whole_session)
        ++*state.BlocksAfterMarker;
      else
        --to_skip;
      continue;
    }
    anything_new = true;
    // Counted before it is read: a block that fails part-way was read.
    if (counting) ++*state.BlocksAfterMarker;
    state.CurrentLine.assign(line);
    AddStatsBlock(state, log);
  }
  return after_marker && !anything_new ? ImportOutcome::LogUnchanged : ImportOutcome::Completed;
}

}  // namespace fragtally
