#include "import/log_import.h"

#include <string_view>

#include "files/line_reader.h"
#include "files/stats_file.h"
#include "platform/platform.h"
#include "stats/stats_line.h"

namespace fragtally {

namespace {

constexpr std::string_view kStartupPrefix = "--- Fs_startup :";

bool StartsWith(std::string_view line, std::string_view prefix) {
  return line.size() >= prefix.size() && line.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

ImportOutcome ImportLog(WindowState& state) {
  LineReader log;
  if (!log.Open(platform::NativePath(state.LogPath))) Raise(ErrorKind::NotFound);
  while (!log.AtEnd()) {
    log.ReadLine(state.CurrentLine);
    const std::string& line = state.CurrentLine;
    // An empty marker (nothing imported yet) matches no line.
    if (line == state.StartupMarker && !line.empty()) return ImportOutcome::LogUnchanged;
    if (StartsWith(line, kStartupPrefix)) state.StartupMarker = line;
    if (IsStatsHeader(line)) AddStatsBlock(state, log);
  }
  return ImportOutcome::Completed;
}

}  // namespace fragtally
