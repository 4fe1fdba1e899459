#include "import/log_import.h"

#include <stdexcept>
#include <string_view>

#include "files/line_reader.h"
#include "files/settings_file.h"
#include "files/stats_file.h"
#include "window/panels.h"

namespace fragtally {

namespace {

constexpr std::string_view kStartupPrefix = "--- Fs_startup :";

bool StartsWith(std::string_view line, std::string_view prefix) {
  return line.size() >= prefix.size() && line.compare(0, prefix.size(), prefix) == 0;
}

void ShowLogNotFound(MessageSink& messages) {
  messages.ShowMessage(MessageIcon::Error, kLogNotFoundTitle, std::string(kLogNotFoundText) + kContactAddress);
}

// After the last line: caret to the end of the trace, the first player in the
// first panel, both panels refreshed. A selector with nothing selected is
// given an entry as at start-up, and a panel without players is left alone.
void RefreshPanels(WindowState& state) {
  state.TraceCaret = state.Trace.size();
  const int players = state.Table.PlayerCount;
  if (players > 0) {
    SelectEntry(state, Panel::First, 0);
    if (state.Combo2.ListIndex < 0) SelectEntry(state, Panel::Second, players >= 2 ? 1 : 0);
  }
  if (state.Combo1.ListIndex >= 0) Combo1_Click(state);
  if (state.Combo2.ListIndex >= 0) Combo2_Click(state);
}

}  // namespace

std::string LogFileName(const std::string& log_path) {
  std::string name = log_path;
#ifndef _WIN32
  for (char& c : name)
    if (c == '\\') c = '/';
#endif
  return name;
}

ImportOutcome ImportLog(WindowState& state, MessageSink& messages) {
  LineReader log;
  if (!log.Open(LogFileName(state.LogPath))) {
    ShowLogNotFound(messages);
    return ImportOutcome::Failed;
  }
  try {
    while (!log.AtEnd()) {
      log.ReadLine(state.CurrentLine);
      const std::string& line = state.CurrentLine;
      // An empty marker (nothing imported yet) matches no line.
      if (line == state.StartupMarker && !line.empty()) {
        log.Close();
        messages.ShowMessage(MessageIcon::Information, kLogUnchangedTitle, kLogUnchangedText);
        return ImportOutcome::LogUnchanged;
      }
      if (StartsWith(line, kStartupPrefix)) state.StartupMarker = line;
      if (IsStatsHeader(line)) AddStatsBlock(state, log);
    }
    if (log.Failed()) throw std::runtime_error("log not read to its end");
    log.Close();
    RefreshPanels(state);
    if (!SaveSettings(state).ok) throw std::runtime_error("settings not saved");
  } catch (const std::exception&) {
    log.Close();
    ShowLogNotFound(messages);
    return ImportOutcome::Failed;
  }
  return ImportOutcome::Completed;
}

}  // namespace fragtally
