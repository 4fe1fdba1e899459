#include "app/chart.h"

#include <algorithm>
#include <cmath>

#include "app/number_format.h"
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

void AppendEscapedXml(std::string& out, std::string_view text) {
  // Runs without a special character are copied whole.
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t special = std::min(text.find_first_of("&<>\"'", at), text.size());
    out.append(text, at, special - at);
    if (special == text.size()) break;
    switch (text[special]) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += "&#39;"; break;
    }
    at = special + 1;
  }
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

void AppendPoint(std::string& out, double x, char separator, double y) {
  AppendCoordinate(out, x);
  out += separator;
  AppendCoordinate(out, y);
}

void AppendColor(std::string& out, std::uint32_t color) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '#';
  for (int shift = 20; shift >= 0; shift -= 4) out += kHex[(color >> shift) & 0xF];
}

// A text at (x, y); its anchor comes from the group it stands in.
void AppendText(std::string& out, double x, double y, std::string_view text) {
  out += "<text x=\"";
  AppendCoordinate(out, x);
  out += "\" y=\"";
  AppendCoordinate(out, y);
  out += "\">";
  AppendEscapedXml(out, text);
  out += "</text>";
}

// The legend's entries in rows under the title, wrapped to the width: where
// each swatch goes, and the height the rows take.
struct LegendPlace {
  double X, Y;
};
std::vector<LegendPlace> PlaceLegend(const Chart& chart, double left, double right, double& bottom) {
  std::vector<LegendPlace> places;
  double x = left, y = 22;
  for (const ChartSeries& series : chart.Series) {
    const auto characters = std::count_if(series.Name.begin(), series.Name.end(),
                                          [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
    const double width = 24 + 6.5 * static_cast<double>(characters);
    if (x > left && x + width > right) {
      x = left;
      y += 14;
    }
    places.push_back({x, y});
    x += width;
  }
  bottom = y + 10;
  return places;
}

}  // namespace

void AppendChartSvg(std::string& out, const Chart& chart, int width, int height) {
  // The plot area: room for the title and legend above, tick labels left and below.
  double legend_bottom = 0;
  const std::vector<LegendPlace> legend = PlaceLegend(chart, 48, width - 12.0, legend_bottom);
  const double left = 48, right = width - 12.0, top = std::max(40.0, legend_bottom + 18), bottom = height - 36.0;
  const auto px = [&](double x) { return left + chart.X.Fraction(x) * (right - left); };
  const auto py = [&](double y) { return bottom - chart.Y.Fraction(y) * (bottom - top); };

  const std::string w = std::to_string(width), h = std::to_string(height);
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " +
         h + "\" font-family=\"sans-serif\" font-size=\"11\"><rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>";

  // Grid lines, then the axes and their tick marks, each as one path.
  out += "<path stroke=\"#e0e0e0\" d=\"";
  for (const ChartTick& tick : chart.Y.Ticks) {
    out += 'M';
    AppendPoint(out, left, ' ', py(tick.Value));
    out += 'H';
    AppendCoordinate(out, right);
  }
  out += "\"/><path stroke=\"#808080\" fill=\"none\" d=\"M";
  AppendPoint(out, left, ' ', top);
  out += 'V';
  AppendCoordinate(out, bottom);
  out += 'H';
  AppendCoordinate(out, right);
  for (const ChartTick& tick : chart.X.Ticks) {
    out += 'M';
    AppendPoint(out, px(tick.Value), ' ', bottom);
    out += "v4";
  }
  out += "\"/>";

  out += "<g text-anchor=\"end\">";
  for (const ChartTick& tick : chart.Y.Ticks) AppendText(out, left - 4, py(tick.Value) + 4, tick.Label);
  out += "</g><g text-anchor=\"middle\">";
  for (const ChartTick& tick : chart.X.Ticks) AppendText(out, px(tick.Value), bottom + 16, tick.Label);
  AppendText(out, (left + right) / 2, height - 4.0, chart.X.Title);
  out += "<text x=\"" + std::to_string(width / 2) + "\" y=\"15\" font-size=\"13\" font-weight=\"bold\">";
  AppendEscapedXml(out, chart.Title);
  out += "</text></g><g>";
  AppendText(out, 4, top - 6, chart.Y.Title);
  for (std::size_t i = 0; i < chart.Series.size(); ++i) {
    out += "<rect x=\"";
    AppendCoordinate(out, legend[i].X);
    out += "\" y=\"";
    AppendCoordinate(out, legend[i].Y);
    out += "\" width=\"10\" height=\"10\" fill=\"";
    AppendColor(out, chart.Series[i].Color);
    out += "\"/>";
    AppendText(out, legend[i].X + 13, legend[i].Y + 9, chart.Series[i].Name);
  }
  out += "</g>";

  for (const ChartSeries& series : chart.Series) {
    if (series.Points.empty()) continue;
    if (series.Points.size() == 1) {
      out += "<circle cx=\"";
      AppendCoordinate(out, px(series.Points[0].X));
      out += "\" cy=\"";
      AppendCoordinate(out, py(series.Points[0].Y));
      out += "\" r=\"3\" fill=\"";
      AppendColor(out, series.Color);
      out += "\"/>";
      continue;
    }
    out += "<polyline fill=\"none\" stroke-width=\"";
    out += series.Dashed ? "2\" stroke-dasharray=\"6 3\"" : "1.5\"";
    out += " stroke=\"";
    AppendColor(out, series.Color);
    out += "\" points=\"";
    for (const ChartPoint& point : series.Points) {
      AppendPoint(out, px(point.X), ',', py(point.Y));
      out += ' ';
    }
    out.back() = '"';
    out += "/>";
  }
  out += "</svg>";
}

std::string RenderChartSvg(const Chart& chart, int width, int height) {
  std::string out;
  AppendChartSvg(out, chart, width, height);
  return out;
}

}  // namespace fragtally
