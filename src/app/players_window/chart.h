#pragma once

// A line chart as plain data: axes with their ranges, ticks and tick labels,
// and series of points in data units. PlaceChart lays it out once, as the
// shapes to draw (lines, polylines, rectangles, dots, texts) in the chart's
// own units; the SVG here and the windows' painters only draw those shapes.

#include <cstdint>
#include <functional>
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

// --- The accuracy chart ---------------------------------------------------

// One weapon's hits and shots in a game it was fired in (Shots > 0); Game is
// the game's number on the chart's X axis, from 1.
struct GameShots {
  double Game = 0;
  std::int64_t Hits = 0, Shots = 0;
};
// A weapon a player fired: its name and its games, in order.
struct WeaponShots {
  std::string Name;       // UTF-8, for the legend and the weapon's choice
  std::uint32_t Color = 0;  // the same for the weapon whichever are shown
  std::vector<GameShots> Games;
};
// The accuracy chart's choice of all the weapons a player fired.
inline constexpr int kAllWeapons = -1;
// Each game's accuracy (%) of a weapon, smoothed: all hits over all shots of
// the last `average_over` games it was fired in (each game weighs by its
// shots, so a game of one shot does not swing the line).
std::vector<ChartPoint> SmoothedAccuracy(const std::vector<GameShots>& games, int average_over);
// The accuracy chart over `games` games: with kAllWeapons, one smoothed line
// of each weapon of `used`; with an index of `used`, that weapon's accuracy
// in each game and its smoothed line (dashed, as the frags chart's average).
Chart AccuracyChart(const std::vector<WeaponShots>& used, int chosen, std::size_t games, int average_over,
                    const std::string& decimal_separator);

// --- The chart placed ---------------------------------------------------
// Coordinates are in the chart's units (one unit is a pixel at 96 DPI; a
// window scales them), from the top left corner, y downwards.

enum class TextAnchor { Start, Middle, End };

struct ChartLine {
  ChartPoint From, To;
  std::uint32_t Color = 0;
  double Width = 1;
};

struct ChartPolyline {
  std::vector<ChartPoint> Points;
  std::uint32_t Color = 0;
  double Width = 1;
  bool Dashed = false;  // kChartDash on, kChartGap off, along the line
};
inline constexpr double kChartDash = 6, kChartGap = 3;

struct ChartRect {
  double X = 0, Y = 0, Width = 0, Height = 0;
  std::uint32_t Fill = 0;
};

struct ChartDot {
  ChartPoint Center;
  double Radius = 0;
  std::uint32_t Color = 0;
};

struct ChartText {
  ChartPoint At;  // on the text's baseline, at its start, middle or end
  std::string Text;  // UTF-8
  TextAnchor Anchor = TextAnchor::Start;
  std::uint32_t Color = 0;
  double Size = 11;  // the font's pixel height in chart units, sans-serif
  bool Bold = false;
};

// What a renderer draws, in this order: the background, the lines (grid,
// axes, tick marks), the rectangles (legend swatches), the texts, the
// polylines and dots (the series, over the grid).
struct PlacedChart {
  double Width = 0, Height = 0;
  std::uint32_t Background = 0xFFFFFF;
  std::vector<ChartLine> Lines;
  std::vector<ChartRect> Rects;
  std::vector<ChartText> Texts;
  std::vector<ChartPolyline> Polylines;
  std::vector<ChartDot> Dots;
};

// The width of a text (UTF-8) in chart units at a font size, as the
// renderer will draw it; the legend's rows wrap by it.
using ChartTextWidth = std::function<double(std::string_view text, double size, bool bold)>;
// A measure without fonts, for the SVG: an average sans-serif letter.
double EstimatedTextWidth(std::string_view text, double size, bool bold);

// The chart laid out in `width` x `height`: the title on top, the legend in
// rows under it, the Y tick labels left of the plot, the X tick labels and
// the X axis's title below it, the Y axis's title above it, then the grid,
// the axes and the series (a dashed one is a trend, a single point a dot).
PlacedChart PlaceChart(const Chart& chart, double width, double height,
                       const ChartTextWidth& text_width = EstimatedTextWidth);

// The placed chart as an SVG element of its size in user units (no XML
// declaration, to be placed inline in HTML or saved on its own).
void AppendPlacedChartSvg(std::string& out, const PlacedChart& placed);
// The chart placed in `width` x `height` as SVG.
std::string RenderChartSvg(const Chart& chart, int width, int height);
// The same, at the end of `out`.
void AppendChartSvg(std::string& out, const Chart& chart, int width, int height);

}  // namespace fragtally
