#include "app/players_window/chart.h"

#include <algorithm>
#include <cmath>

#include "app/text/html_escape.h"
#include "app/text/number_format.h"
#include "stats/numbers.h"

namespace fragtally {

ChartAxis NiceAxis(double low, double high, int ticks, bool whole_numbers, const std::string& decimal_separator,
                   std::string title) {
  ChartAxis axis;
  axis.Title = std::move(title);
  if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0;
  if (low > high) std::swap(low, high);
  if (high == low) {
    // One value: a range of one around it (from 0 up for a 0).
    if (low == 0) {
      high = 1;
    } else {
      low -= 1;
      high += 1;
    }
  }
  const int intervals = std::max(ticks, 2) - 1;
  const double raw = (high - low) / intervals;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double normal = raw / magnitude;
  double step = (normal <= 1 ? 1 : normal <= 2 ? 2 : normal <= 5 ? 5 : 10) * magnitude;
  if (whole_numbers) step = std::max(step, 1.0);
  const double first = std::floor(low / step + 1e-9);
  const double last = std::ceil(high / step - 1e-9);
  axis.Min = first * step;
  axis.Max = last * step;
  for (double k = first; k <= last; ++k) {
    double value = k * step;
    if (value == 0) value = 0;  // no "-0"
    // 15 significant digits drop the binary noise of k * step (0.30000000000000004).
    axis.Ticks.push_back({value, FormatRatingValue(value, decimal_separator)});
  }
  return axis;
}

std::uint32_t SeriesColor(std::size_t index) {
  static constexpr std::uint32_t kColors[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd,
                                              0x8c564b, 0xe377c2, 0x17becf, 0x7f7f7f, 0xbcbd22};
  return kColors[index % std::size(kColors)];
}

double EstimatedTextWidth(std::string_view text, double size, bool bold) {
  const auto characters = std::count_if(text.begin(), text.end(),
                                        [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
  return static_cast<double>(characters) * size * (bold ? 0.65 : 0.59);
}

std::vector<ChartPoint> SmoothedAccuracy(const std::vector<GameShots>& games, int average_over) {
  std::vector<ChartPoint> points;
  points.reserve(games.size());
  const std::size_t window = static_cast<std::size_t>(std::max(average_over, 1));
  std::int64_t hits = 0, shots = 0;
  for (std::size_t i = 0; i < games.size(); ++i) {
    hits += games[i].Hits;
    shots += games[i].Shots;
    if (i >= window) {
      hits -= games[i - window].Hits;
      shots -= games[i - window].Shots;
    }
    points.push_back({games[i].Game, shots > 0 ? 100.0 * static_cast<double>(hits) / static_cast<double>(shots) : 0});
  }
  return points;
}

Chart AccuracyChart(const std::vector<WeaponShots>& used, int chosen, std::size_t games, int average_over,
                    const std::string& decimal_separator) {
  Chart chart;
  const std::string average = "Среднее за " + std::to_string(average_over) + " игр";
  double high = 0;
  const auto add = [&](ChartSeries series) {
    for (const ChartPoint& point : series.Points) high = std::max(high, point.Y);
    chart.Series.push_back(std::move(series));
  };
  if (chosen >= 0 && static_cast<std::size_t>(chosen) < used.size()) {
    // One weapon: each game, and its average over it as the frags chart has it.
    const WeaponShots& weapon = used[static_cast<std::size_t>(chosen)];
    chart.Title = "Точность: " + weapon.Name + ", %";
    ChartSeries each{"За игру", 0xA0A0A0, false, {}};
    for (const GameShots& game : weapon.Games)
      each.Points.push_back({game.Game, 100.0 * static_cast<double>(game.Hits) / static_cast<double>(game.Shots)});
    add(std::move(each));
    add({average, weapon.Color, true, SmoothedAccuracy(weapon.Games, average_over)});
  } else {
    chart.Title = "Точность по оружию, % (среднее за " + std::to_string(average_over) + " игр)";
    for (const WeaponShots& weapon : used) add({weapon.Name, weapon.Color, false, SmoothedAccuracy(weapon.Games, average_over)});
  }
  chart.X = NiceAxis(1, static_cast<double>(std::max<std::size_t>(games, 1)), 6, true, decimal_separator, "Игра");
  // From 0 to a little above the highest line: the lines use the height.
  chart.Y = NiceAxis(0, std::max(high, 10.0), 5, true, decimal_separator, "%");
  return chart;
}

namespace {

constexpr std::uint32_t kGridColor = 0xE0E0E0, kAxisColor = 0x808080, kTextColor = 0x000000;
constexpr double kTextSize = 11, kTitleSize = 13;
// The plot's margins: room for the Y tick labels on the left, the X tick
// labels and the X axis's title below; the title and legend above.
constexpr double kPlotLeft = 48, kPlotRight = 12, kPlotBottom = 36, kLeastPlotTop = 40;
constexpr double kSwatch = 10, kLegendTop = 22, kLegendRow = 14;

}  // namespace

PlacedChart PlaceChart(const Chart& chart, double width, double height, const ChartTextWidth& text_width) {
  PlacedChart placed;
  placed.Width = width;
  placed.Height = height;
  const double left = kPlotLeft, right = width - kPlotRight;
  const auto text = [&](double x, double y, std::string_view what, TextAnchor anchor, double size = kTextSize,
                        bool bold = false) {
    placed.Texts.push_back({{x, y}, std::string(what), anchor, kTextColor, size, bold});
  };

  // The legend's entries in rows from the plot's left edge, a swatch and the
  // series' name each, wrapped to the width; the plot starts below them.
  double x = left, y = kLegendTop;
  for (const ChartSeries& series : chart.Series) {
    const double entry = 2 * kSwatch + 4 + text_width(series.Name, kTextSize, false);
    if (x > left && x + entry > right) {
      x = left;
      y += kLegendRow;
    }
    placed.Rects.push_back({x, y, kSwatch, kSwatch, series.Color});
    text(x + kSwatch + 3, y + kSwatch - 1, series.Name, TextAnchor::Start);
    x += entry;
  }
  const double top = std::max(kLeastPlotTop, y + kSwatch + 18), bottom = height - kPlotBottom;
  const auto px = [&](double value) { return left + chart.X.Fraction(value) * (right - left); };
  const auto py = [&](double value) { return bottom - chart.Y.Fraction(value) * (bottom - top); };

  for (const ChartTick& tick : chart.Y.Ticks)
    placed.Lines.push_back({{left, py(tick.Value)}, {right, py(tick.Value)}, kGridColor, 1});
  placed.Lines.push_back({{left, top}, {left, bottom}, kAxisColor, 1});
  placed.Lines.push_back({{left, bottom}, {right, bottom}, kAxisColor, 1});
  for (const ChartTick& tick : chart.X.Ticks)
    placed.Lines.push_back({{px(tick.Value), bottom}, {px(tick.Value), bottom + 4}, kAxisColor, 1});

  for (const ChartTick& tick : chart.Y.Ticks) text(left - 4, py(tick.Value) + 4, tick.Label, TextAnchor::End);
  for (const ChartTick& tick : chart.X.Ticks) text(px(tick.Value), bottom + 16, tick.Label, TextAnchor::Middle);
  text((left + right) / 2, height - 4, chart.X.Title, TextAnchor::Middle);
  text(4, top - 6, chart.Y.Title, TextAnchor::Start);
  text(width / 2, 15, chart.Title, TextAnchor::Middle, kTitleSize, true);

  for (const ChartSeries& series : chart.Series) {
    if (series.Points.size() == 1) {
      placed.Dots.push_back({{px(series.Points[0].X), py(series.Points[0].Y)}, 3, series.Color});
    } else if (!series.Points.empty()) {
      ChartPolyline line{{}, series.Color, series.Dashed ? 2 : 1.5, series.Dashed};
      line.Points.reserve(series.Points.size());
      for (const ChartPoint& point : series.Points) line.Points.push_back({px(point.X), py(point.Y)});
      placed.Polylines.push_back(std::move(line));
    }
  }
  return placed;
}

namespace {

// Coordinates with at most one decimal: enough for any screen, short files.
void AppendCoordinate(std::string& out, double value) {
  const long long tenths = std::llround(std::clamp(value, -1e9, 1e9) * 10);
  if (tenths < 0 && tenths > -10) out += '-';  // -0.5 has no whole part to carry the sign
  AppendNumber(out, tenths / 10);
  if (tenths % 10 != 0) {
    out += '.';
    out += static_cast<char>('0' + std::llabs(tenths % 10));
  }
}

void AppendPoint(std::string& out, ChartPoint point, char separator) {
  AppendCoordinate(out, point.X);
  out += separator;
  AppendCoordinate(out, point.Y);
}

void AppendColor(std::string& out, std::uint32_t color) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '#';
  for (int shift = 20; shift >= 0; shift -= 4) out += kHex[(color >> shift) & 0xF];
}

// name="value" with a coordinate for its value.
void AppendAttribute(std::string& out, const char* name, double value) {
  out += ' ';
  out += name;
  out += "=\"";
  AppendCoordinate(out, value);
  out += '"';
}

}  // namespace

void AppendPlacedChartSvg(std::string& out, const PlacedChart& placed) {
  const auto size = [&](double value) {
    std::string text;
    AppendCoordinate(text, value);
    return text;
  };
  const std::string w = size(placed.Width), h = size(placed.Height);
  // The texts' usual font on the root: a text says only where it differs.
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " +
         h + "\" font-family=\"sans-serif\" font-size=\"11\"><rect width=\"100%\" height=\"100%\" fill=\"";
  AppendColor(out, placed.Background);
  out += "\"/>";

  // Lines of one pen after another go into one path.
  for (std::size_t i = 0; i < placed.Lines.size();) {
    const ChartLine& pen = placed.Lines[i];
    out += "<path fill=\"none\" stroke=\"";
    AppendColor(out, pen.Color);
    out += '"';
    if (pen.Width != 1) AppendAttribute(out, "stroke-width", pen.Width);
    out += " d=\"";
    for (; i < placed.Lines.size() && placed.Lines[i].Color == pen.Color && placed.Lines[i].Width == pen.Width; ++i) {
      out += 'M';
      AppendPoint(out, placed.Lines[i].From, ' ');
      out += 'L';
      AppendPoint(out, placed.Lines[i].To, ' ');
    }
    out += "\"/>";
  }
  for (const ChartRect& rect : placed.Rects) {
    out += "<rect";
    AppendAttribute(out, "x", rect.X);
    AppendAttribute(out, "y", rect.Y);
    AppendAttribute(out, "width", rect.Width);
    AppendAttribute(out, "height", rect.Height);
    out += " fill=\"";
    AppendColor(out, rect.Fill);
    out += "\"/>";
  }
  for (const ChartText& text : placed.Texts) {
    out += "<text";
    AppendAttribute(out, "x", text.At.X);
    AppendAttribute(out, "y", text.At.Y);
    if (text.Anchor != TextAnchor::Start) out += text.Anchor == TextAnchor::Middle ? " text-anchor=\"middle\"" : " text-anchor=\"end\"";
    if (text.Size != 11) AppendAttribute(out, "font-size", text.Size);
    if (text.Bold) out += " font-weight=\"bold\"";
    if (text.Color != 0) {
      out += " fill=\"";
      AppendColor(out, text.Color);
      out += '"';
    }
    out += '>';
    AppendEscapedXml(out, text.Text);
    out += "</text>";
  }
  for (const ChartPolyline& line : placed.Polylines) {
    out += "<polyline fill=\"none\"";
    AppendAttribute(out, "stroke-width", line.Width);
    if (line.Dashed) {
      out += " stroke-dasharray=\"";
      AppendCoordinate(out, kChartDash);
      out += ' ';
      AppendCoordinate(out, kChartGap);
      out += '"';
    }
    out += " stroke=\"";
    AppendColor(out, line.Color);
    out += "\" points=\"";
    for (const ChartPoint& point : line.Points) {
      AppendPoint(out, point, ',');
      out += ' ';
    }
    out.back() = '"';
    out += "/>";
  }
  for (const ChartDot& dot : placed.Dots) {
    out += "<circle";
    AppendAttribute(out, "cx", dot.Center.X);
    AppendAttribute(out, "cy", dot.Center.Y);
    AppendAttribute(out, "r", dot.Radius);
    out += " fill=\"";
    AppendColor(out, dot.Color);
    out += "\"/>";
  }
  out += "</svg>";
}

void AppendChartSvg(std::string& out, const Chart& chart, int width, int height) {
  AppendPlacedChartSvg(out, PlaceChart(chart, width, height));
}

std::string RenderChartSvg(const Chart& chart, int width, int height) {
  std::string out;
  AppendChartSvg(out, chart, width, height);
  return out;
}

}  // namespace fragtally
