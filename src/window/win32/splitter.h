#pragma once

// A horizontal splitter bar between two parts of a window: a child control
// drawn as a raised band with a grip, which the mouse drags up and down.
// While it is dragged it tells its parent where its top would be, in the
// parent's client coordinates, with kSplitterDragged (wparam: its ID,
// lparam: the top); the parent places it (and the parts) as it sees fit.

#include <windows.h>

namespace fragtally::win32 {

inline constexpr UINT kSplitterDragged = WM_APP + 40;

// A splitter bar with the control ID `id`; null when the system refused.
HWND CreateSplitter(HWND parent, int id);

}  // namespace fragtally::win32
