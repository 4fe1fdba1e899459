#pragma once

#include <windows.h>

namespace fragtally::win32 {

// A group box paints only its frame and caption and leaves its inside to the
// parent, which (WS_CLIPCHILDREN) does not paint under its children: the
// frame fills its inside itself; WS_CLIPSIBLINGS keeps that off the controls
// above it.
void AttachFrame(HWND group_box);

}  // namespace fragtally::win32
