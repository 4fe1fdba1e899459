#pragma once

// What Windows versions after 7 SP1 added and the program uses, looked up at
// run time, each with what Windows 7 does instead. Everything else of the
// program is built against the Windows 7 headers (_WIN32_WINNT=0x0601), so
// that nothing newer can be called directly, and tests/win32/imports_test.sh
// checks that fragtally.exe imports nothing Windows 7 SP1 lacks.

#include <windows.h>

namespace fragtally::win32 {

// The DPI the window is drawn at: its own (Windows 10 1607 and later), its
// monitor's (Windows 8.1), or the screen's (Windows 7: one DPI for all).
UINT WindowDpi(HWND hwnd);

// The window rectangle for a client rectangle at `dpi` (`menu`: the window
// has a menu bar): with the frame at that DPI where Windows can tell it
// (Windows 10 1607 and later), otherwise with the frame at the system's DPI,
// which is the window's own there.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, UINT dpi, bool menu);

// For tests: act as on Windows 7 SP1, as if none of the newer functions
// existed (true), or use what the system has (false, the default).
void ActAsWindows7(bool windows7);

}  // namespace fragtally::win32
