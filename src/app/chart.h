#pragma once

// A line chart as plain data: axes with their ranges, ticks and tick labels,
// and series of points in data units. Every renderer (SVG here; the windows'
// painters) maps an axis's range onto its own drawing area with Fraction()
// and draws the same ticks, labels, colours and legend.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fragtally {

struct ChartTick {
  double Value = 0;
  std::string Label;  // UTF-8, with the user's decimal separator
};

struct ChartAxis {
  std::string Title;  // UTF-8
  double Min = 0, Max = 1;
  std::vector<ChartTick> Ticks;  // from Min to Max, evenly spaced

  // Where `value` lies between Min (0) and Max (1).
  double Fraction(double value) const { return Max > Min ? (value - Min) / (Max - Min) : 0.5; }
};

struct ChartPoint {
  double X = 0, Y = 0;
};

struct ChartSeries {
  std::string Name;          // for the legend, UTF-8
  std::uint32_t Color = 0;   // 0xRRGGBB
  bool Dashed = false;       // a trend drawn over the data
  std::vector<ChartPoint> Points;  // in order of X; one point draws a dot
};

struct Chart {
  std::string Title;  // UTF-8
  ChartAxis X, Y;
  std::vector<ChartSeries> Series;
};

// An axis over [low, high] widened to "nice" bounds: about `ticks` ticks
// (at least 2) spaced 1, 2 or 5 times a power of ten, the first at or below
// `low`, the last at or above `high`. With `whole_numbers` the spacing is
// at least 1. An empty range is widened around its value.
ChartAxis NiceAxis(double low, double high, int ticks, bool whole_numbers, const std::string& decimal_separator,
                   std::string title);

// The colours of the series, one for each of up to ten series.
std::uint32_t SeriesColor(std::size_t index);

// Text for XML and HTML: & < > " ' as character references. The text must
// be valid UTF-8 already.
void AppendEscapedXml(std::string& out, std::string_view text);

// The chart as an SVG element of `width` x `height` user units (no XML
// declaration, to be placed inline in HTML or saved on its own).
std::string RenderChartSvg(const Chart& chart, int width, int height);
// The same, at the end of `out`.
void AppendChartSvg(std::string& out, const Chart& chart, int width, int height);

}  // namespace fragtally
