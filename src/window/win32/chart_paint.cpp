#include "window/win32/chart_paint.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "window/win32/text.h"

namespace fragtally::win32 {

namespace {

COLORREF ColorOf(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// A font like `font` at `pixels` high, bold or not.
HFONT Derived(HFONT font, int pixels, bool bold) {
  LOGFONTW logfont{};
  GetObjectW(font, sizeof logfont, &logfont);
  logfont.lfHeight = -pixels;
  logfont.lfWidth = 0;
  logfont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  return CreateFontIndirectW(&logfont);
}

// Text anchored as SVG anchors it: `x` at its left, middle or right end
// (TA_LEFT, TA_CENTER, TA_RIGHT), `baseline` under it.
void Text(HDC dc, double x, double baseline, UINT align, const std::string& utf8) {
  const std::wstring text = FromUtf8(utf8);
  SetTextAlign(dc, align | TA_BASELINE | TA_NOUPDATECP);
  TextOutW(dc, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(baseline)), text.c_str(),
           static_cast<int>(text.size()));
}

int Round(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

void PaintChart(HDC dc, const RECT& r, const Chart& chart, UINT dpi, HFONT font) {
  const double s = dpi / 96.0;
  const double width = r.right - r.left, height = r.bottom - r.top;
  const int saved = SaveDC(dc);
  SetViewportOrgEx(dc, r.left, r.top, nullptr);
  const RECT whole{0, 0, Round(width), Round(height)};
  FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  HFONT text_font = Derived(font, Round(11 * s), false), title_font = Derived(font, Round(13 * s), true);
  SelectObject(dc, text_font);

  // The legend's entries in rows from the left, after the title.
  const double left = 48 * s, right = width - 12 * s;
  struct Place {
    double x, y;
  };
  std::vector<Place> legend;
  double x = left, y = 22 * s;
  for (const ChartSeries& series : chart.Series) {
    const std::wstring name = FromUtf8(series.Name);
    SIZE size{};
    GetTextExtentPoint32W(dc, name.c_str(), static_cast<int>(name.size()), &size);
    const double entry = 24 * s + size.cx;
    if (x > left && x + entry > right) {
      x = left;
      y += 14 * s;
    }
    legend.push_back({x, y});
    x += entry;
  }
  const double top = std::max(40 * s, y + 10 * s + 18 * s), bottom = height - 36 * s;
  const auto px = [&](double v) { return left + chart.X.Fraction(v) * (right - left); };
  const auto py = [&](double v) { return bottom - chart.Y.Fraction(v) * (bottom - top); };

  // The grid, then the axes with the X tick marks.
  HPEN grid = CreatePen(PS_SOLID, 1, RGB(0xE0, 0xE0, 0xE0)), axis = CreatePen(PS_SOLID, 1, RGB(0x80, 0x80, 0x80));
  SelectObject(dc, grid);
  for (const ChartTick& tick : chart.Y.Ticks) {
    MoveToEx(dc, Round(left), Round(py(tick.Value)), nullptr);
    LineTo(dc, Round(right), Round(py(tick.Value)));
  }
  SelectObject(dc, axis);
  MoveToEx(dc, Round(left), Round(top), nullptr);
  LineTo(dc, Round(left), Round(bottom));
  LineTo(dc, Round(right), Round(bottom));
  for (const ChartTick& tick : chart.X.Ticks) {
    MoveToEx(dc, Round(px(tick.Value)), Round(bottom), nullptr);
    LineTo(dc, Round(px(tick.Value)), Round(bottom + 4 * s));
  }

  for (const ChartTick& tick : chart.Y.Ticks) Text(dc, left - 4 * s, py(tick.Value) + 4 * s, TA_RIGHT, tick.Label);
  for (const ChartTick& tick : chart.X.Ticks) Text(dc, px(tick.Value), bottom + 16 * s, TA_CENTER, tick.Label);
  Text(dc, (left + right) / 2, height - 4 * s, TA_CENTER, chart.X.Title);
  Text(dc, 4 * s, top - 6 * s, TA_LEFT, chart.Y.Title);
  for (std::size_t i = 0; i < chart.Series.size(); ++i) {
    HBRUSH swatch = CreateSolidBrush(ColorOf(chart.Series[i].Color));
    const RECT box{Round(legend[i].x), Round(legend[i].y), Round(legend[i].x + 10 * s), Round(legend[i].y + 10 * s)};
    FillRect(dc, &box, swatch);
    DeleteObject(swatch);
    Text(dc, legend[i].x + 13 * s, legend[i].y + 9 * s, TA_LEFT, chart.Series[i].Name);
  }
  SelectObject(dc, title_font);
  Text(dc, width / 2, 15 * s, TA_CENTER, chart.Title);

  // The series: a line each (a trend dashed, as geometric pens can), a dot for one point.
  for (const ChartSeries& series : chart.Series) {
    if (series.Points.empty()) continue;
    const COLORREF color = ColorOf(series.Color);
    if (series.Points.size() == 1) {
      HBRUSH brush = CreateSolidBrush(color);
      SelectObject(dc, brush);
      SelectObject(dc, GetStockObject(NULL_PEN));
      const double cx = px(series.Points[0].X), cy = py(series.Points[0].Y), radius = 3 * s;
      Ellipse(dc, Round(cx - radius), Round(cy - radius), Round(cx + radius) + 1, Round(cy + radius) + 1);
      SelectObject(dc, GetStockObject(WHITE_BRUSH));
      DeleteObject(brush);
      continue;
    }
    LOGBRUSH brush{BS_SOLID, color, 0};
    const DWORD dashes[2] = {static_cast<DWORD>(Round(6 * s)), static_cast<DWORD>(Round(3 * s))};
    HPEN pen = series.Dashed
                   ? ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_ROUND,
                                  static_cast<DWORD>(std::max(1, Round(2 * s))), &brush, 2, dashes)
                   : ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                  static_cast<DWORD>(std::max(1, Round(1.5 * s))), &brush, 0, nullptr);
    SelectObject(dc, pen);
    std::vector<POINT> points;
    points.reserve(series.Points.size());
    for (const ChartPoint& point : series.Points) points.push_back({Round(px(point.X)), Round(py(point.Y))});
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    SelectObject(dc, axis);
    DeleteObject(pen);
  }

  RestoreDC(dc, saved);
  DeleteObject(grid);
  DeleteObject(axis);
  DeleteObject(text_font);
  DeleteObject(title_font);
}

}  // namespace fragtally::win32
