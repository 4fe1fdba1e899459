#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "app/matches/match_view.h"
#include "files/file_state.h"

namespace fragtally {

// A drop-down player selector: the selected position, -1 when nothing is
// selected. Its entries are the table's names in slot order (entry k names
// the player in slot k + 1; see SelectorEntryCount and SelectorEntry).
struct Selector {
  int ListIndex = -1;
};

// How many entries a selector has, and the text of entry k.
inline int SelectorEntryCount(const PlayerTable& table) { return table.PlayerCount; }
inline const std::string& SelectorEntry(const PlayerTable& table, int k) { return table.PlayerName[k + 1]; }

// The texts of the 24 value labels of one player panel, in fill order.
inline constexpr int kPanelValueCount = 24;
using PanelLabels = std::array<std::string, kPanelValueCount>;

// Everything the main window keeps: the file state (player table, reading
// variables, trace, settings) and what the window shows of it.
struct WindowState : FileState {
  // Where Text2's caret is, in bytes of the trace.
  std::size_t TraceCaret = 0;

  Selector Combo1, Combo2;
  PanelLabels Panel1, Panel2;

  // The status line under the panels (UTF-8): what the last import entered,
  // or that it was undone (import_report.h). Empty until the first import.
  std::string StatusLine;

  // The journal's matches and their ratings, for the windows and exports: a
  // cache (read again only after an import or undo), shared so that it can
  // be brought up to date through a window that only reads the state.
  std::shared_ptr<MatchView> Matches = std::make_shared<MatchView>();
};

// The state is large (24 columns of 9999 counters): keep it on the heap.
inline std::unique_ptr<WindowState> NewWindowState() { return std::make_unique<WindowState>(); }

}  // namespace fragtally
