#pragma once

// The chart model (app/chart.h) drawn with GDI, laid out as the SVG of the
// HTML report lays it out: the title above, the legend under it, the Y tick
// labels left of the plot, the X tick labels and the X title below, the
// grid, the axes, then the series (a trend dashed, a single point a dot).

#include <windows.h>

#include "app/chart.h"

namespace fragtally::win32 {

// Draws `chart` filling `r` of `dc`; `dpi` scales the report's 96-DPI
// measures; `font` is the window's font (the title is drawn bold).
void PaintChart(HDC dc, const RECT& r, const Chart& chart, UINT dpi, HFONT font);

}  // namespace fragtally::win32
