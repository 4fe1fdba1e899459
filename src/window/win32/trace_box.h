#pragma once

#include <windows.h>

#include "app/main_window/window_state.h"

namespace fragtally::win32 {

// Text2, the trace. The edit control answers for its text (every line
// decoded, CR LF line ends) and for its caret from the state's trace itself,
// computed on demand a block at a time; it never holds a copy.
void AttachTraceBox(HWND edit, const WindowState& state);

}  // namespace fragtally::win32
