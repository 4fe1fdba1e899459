#pragma once

// Where the Players window stood and how its table and page shared the
// height, kept between runs in the game folder's window file
// (files/window_file.h), and the rules that bring them back: a window on a
// screen it fits, a splitter that leaves both parts room. Sizes are in the
// front end's screen pixels.

#include <optional>

#include "files/file_state.h"

namespace fragtally {

struct ScreenRect {
  int X = 0, Y = 0, Width = 0, Height = 0;
  bool operator==(const ScreenRect&) const = default;
};

struct PlayersPlacement {
  // The window when it was last closed: its frame's top left corner and its
  // size as the front end sets it (Qt's inside the frame, Win32's with it);
  // none: the default size where the system puts it.
  std::optional<ScreenRect> Window;
  // The table's height above the splitter; none: kPlayersWindowShape's share.
  std::optional<int> TableHeight;
  bool operator==(const PlayersPlacement&) const = default;
};

// The placement the window file holds; none of it when the file is missing,
// unreadable or garbled (a rectangle needs all four numbers and a size).
PlayersPlacement LoadPlayersPlacement(const FileState& state);
// Writes the placement into the window file, keeping its other values;
// false when the disk refused (the window keeps its defaults next time, and
// nobody is told: nothing of the statistics depends on it).
bool SavePlayersPlacement(const FileState& state, const PlayersPlacement& placement);

// `window` on `work_area` (the screen less its task bars): no larger than
// it, and moved onto it as far as it stood off it.
ScreenRect FitOnWorkArea(ScreenRect window, const ScreenRect& work_area);

// The table's height when the table and the page share `shared` pixels:
// the remembered height (else `default_share` of it), kept to at least
// `least_table` and to no more than leaves the page `least_page`.
int SplitTableHeight(std::optional<int> remembered, int shared, double default_share, int least_table, int least_page);

}  // namespace fragtally
