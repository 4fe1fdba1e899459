#pragma once

#include <windows.h>

#include "app/main_window/layout.h"

namespace fragtally::win32 {

// The panels' owner-drawn controls. `scaled` is the panel picture at the
// picture box's size, nullptr when there is none.

// The picture box: the picture, or black.
void DrawPicture(const DRAWITEMSTRUCT& item, HBITMAP scaled);

// A value or caption label, transparent over its panel's picture box
// `picture`, in `font` and the colour and alignment of `control`.
void DrawLabel(const DRAWITEMSTRUCT& item, const ControlSpec& control, HFONT font, HWND picture, HBITMAP scaled);

}  // namespace fragtally::win32
