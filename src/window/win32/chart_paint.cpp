#include "window/win32/chart_paint.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "window/win32/text.h"

namespace fragtally::win32 {

namespace {

COLORREF ColorOf(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

int Round(double v) { return static_cast<int>(std::lround(v)); }

// `font` at each size and weight the chart asks for, made once a paint.
class Fonts {
 public:
  Fonts(HFONT font, double scale) : font_(font), scale_(scale) {}
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
  ~Fonts() {
    for (const Made& made : made_) DeleteObject(made.Font);
  }
  HFONT At(double size, bool bold) {
    for (const Made& made : made_)
      if (made.Size == size && made.Bold == bold) return made.Font;
    LOGFONTW logfont{};
    GetObjectW(font_, sizeof logfont, &logfont);
    logfont.lfHeight = -Round(size * scale_);
    logfont.lfWidth = 0;
    logfont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    made_.push_back({size, bold, CreateFontIndirectW(&logfont)});
    return made_.back().Font;
  }

 private:
  struct Made {
    double Size;
    bool Bold;
    HFONT Font;
  };
  HFONT font_;
  double scale_;
  std::vector<Made> made_;
};

}  // namespace

void PaintChart(HDC dc, const RECT& r, const Chart& chart, UINT dpi, HFONT font) {
  // The chart's units are pixels at 96 DPI.
  const double s = dpi / 96.0;
  const auto x = [&](double v) { return r.left + Round(v * s); };
  const auto y = [&](double v) { return r.top + Round(v * s); };
  const int saved = SaveDC(dc);
  Fonts fonts(font, s);
  const PlacedChart placed =
      PlaceChart(chart, (r.right - r.left) / s, (r.bottom - r.top) / s, [&](std::string_view text, double size, bool bold) {
        const std::wstring wide = FromUtf8(text);
        SelectObject(dc, fonts.At(size, bold));
        SIZE extent{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
        return extent.cx / s;
      });

  HBRUSH background = CreateSolidBrush(ColorOf(placed.Background));
  FillRect(dc, &r, background);
  DeleteObject(background);
  for (const ChartLine& line : placed.Lines) {
    HPEN pen = CreatePen(PS_SOLID, std::max(1, Round(line.Width * s)), ColorOf(line.Color));
    SelectObject(dc, pen);
    MoveToEx(dc, x(line.From.X), y(line.From.Y), nullptr);
    LineTo(dc, x(line.To.X), y(line.To.Y));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
  for (const ChartRect& rect : placed.Rects) {
    HBRUSH fill = CreateSolidBrush(ColorOf(rect.Fill));
    const RECT box{x(rect.X), y(rect.Y), x(rect.X + rect.Width), y(rect.Y + rect.Height)};
    FillRect(dc, &box, fill);
    DeleteObject(fill);
  }
  SetBkMode(dc, TRANSPARENT);
  for (const ChartText& text : placed.Texts) {
    const std::wstring wide = FromUtf8(text.Text);
    SelectObject(dc, fonts.At(text.Size, text.Bold));
    SetTextColor(dc, ColorOf(text.Color));
    const UINT anchor = text.Anchor == TextAnchor::Middle ? TA_CENTER : text.Anchor == TextAnchor::End ? TA_RIGHT : TA_LEFT;
    SetTextAlign(dc, anchor | TA_BASELINE | TA_NOUPDATECP);
    TextOutW(dc, x(text.At.X), y(text.At.Y), wide.c_str(), static_cast<int>(wide.size()));
  }
  // Geometric pens: round joins, and dashes as the chart measures them.
  for (const ChartPolyline& line : placed.Polylines) {
    LOGBRUSH brush{BS_SOLID, ColorOf(line.Color), 0};
    const DWORD dashes[2] = {static_cast<DWORD>(Round(kChartDash * s)), static_cast<DWORD>(Round(kChartGap * s))};
    const DWORD width = static_cast<DWORD>(std::max(1, Round(line.Width * s)));
    HPEN pen = line.Dashed ? ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_ROUND, width, &brush, 2, dashes)
                           : ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, width, &brush, 0, nullptr);
    SelectObject(dc, pen);
    std::vector<POINT> points;
    points.reserve(line.Points.size());
    for (const ChartPoint& point : line.Points) points.push_back({x(point.X), y(point.Y)});
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
  SelectObject(dc, GetStockObject(NULL_PEN));
  for (const ChartDot& dot : placed.Dots) {
    HBRUSH fill = CreateSolidBrush(ColorOf(dot.Color));
    SelectObject(dc, fill);
    const double radius = dot.Radius;
    Ellipse(dc, x(dot.Center.X - radius), y(dot.Center.Y - radius), x(dot.Center.X + radius) + 1, y(dot.Center.Y + radius) + 1);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(fill);
  }
  RestoreDC(dc, saved);
}

}  // namespace fragtally::win32
