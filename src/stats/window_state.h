#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stats/journal_state.h"
#include "stats/player_table.h"
#include "stats/trace_text.h"

namespace fragtally {

// A drop-down player selector as the program sees it: its list of names
// (slot order, never sorted) and the selected position, -1 when nothing is
// selected. Entry k names the player in slot k + 1.
struct Selector {
  std::vector<std::string> List;
  int ListIndex = -1;
};

// The texts of the 24 value labels of one player panel, in fill order.
inline constexpr int kPanelValueCount = 24;
using PanelLabels = std::array<std::string, kPanelValueCount>;

// Everything the main window keeps: the player table, the variables that
// reading a block moves along, the settings and what the window shows. All
// text is bytes as read from the files; only a window decodes it.
struct WindowState {
  std::string LogPath;
  // The line last read outside a block; while a block is read its header,
  // and after it its terminator.
  std::string CurrentLine;
  std::string CurrentName;
  PlayerTable Table;
  std::int16_t ScanIndex = 0;
  std::int16_t KillsFieldPos = 0;
  std::int16_t CurrentPlayer = 0;
  std::string StartupMarker;
  // How many blocks after the marker's line in the log are counted, when
  // known: the import skips them, so that a match is counted once however
  // often the log is imported while the game plays on.
  std::optional<std::int64_t> BlocksAfterMarker;

  // Folder that holds the program; the statistics and settings files live below it.
  std::string ProgramFolder;

  // Text2: the trace of every block and statistics line read, and its caret.
  TraceText Trace;
  std::size_t TraceCaret = 0;

  Selector Combo1, Combo2;
  PanelLabels Panel1, Panel2;

  // Set while the statistics file on disk may hold more than the table could
  // read (a load that stopped part-way, a file from which no player could be
  // read, or a file that exists but could not be opened). The next save first
  // keeps that file under a backup name.
  bool KeepOldStatsFile = false;

  // The statistics file as this program last read or wrote it, when known:
  // whether it existed, and the digest of its bytes. A save never replaces a
  // file that another program changed since then; it writes the table beside
  // it instead (StatsKeptBeside, one name for the program's whole run).
  struct FileOnDisk {
    bool Known = false;
    bool Exists = false;
    std::uint64_t Digest = 0;
  } StatsOnDisk;
  std::string StatsKeptBeside;
  // An import's saves failed: the table holds matches that the files on disk
  // do not. The next press of the import button saves again even when the
  // log holds nothing new.
  bool SavePending = false;

  // The match journal: what the imports since the last save added, and the
  // journal's last commit.
  JournalState Journal;
};

// The state is large (24 columns of 9999 counters): keep it on the heap.
std::unique_ptr<WindowState> NewWindowState();

// Appends one trace line (the text, then CR LF) to Text2.
void AppendTrace(WindowState& state, std::string_view line);

}  // namespace fragtally
