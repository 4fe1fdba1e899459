#pragma once

// The chart model (app/chart.h) drawn with GDI: the shapes it places, scaled
// from 96 DPI to the window's.

#include <windows.h>

#include "app/players_window/chart.h"

namespace fragtally::win32 {

// Draws `chart` filling `r` of `dc` at `dpi`; its texts in `font` (the
// window's) at the sizes and weights the chart gives.
void PaintChart(HDC dc, const RECT& r, const Chart& chart, UINT dpi, HFONT font);

}  // namespace fragtally::win32
