#include "app/chart.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/ratings.h"

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
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c);
    }
  }
}

namespace {

// Coordinates with at most one decimal: enough for any screen, short files.
void AppendCoordinate(std::string& out, double value) {
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::round(value * 10) / 10,
                                     std::chars_format::fixed, value == std::round(value) ? 0 : 1);
  out.append(buffer, written.ptr);
}

void AppendColor(std::string& out, std::uint32_t color) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '#';
  for (int shift = 20; shift >= 0; shift -= 4) out += kHex[(color >> shift) & 0xF];
}

void AppendText(std::string& out, double x, double y, const char* anchor, std::string_view text, const char* extra = "") {
  out += "<text x=\"";
  AppendCoordinate(out, x);
  out += "\" y=\"";
  AppendCoordinate(out, y);
  out += "\" text-anchor=\"";
  out += anchor;
  out += '"';
  out += extra;
  out += '>';
  AppendEscapedXml(out, text);
  out += "</text>";
}

void AppendLine(std::string& out, double x1, double y1, double x2, double y2, const char* style) {
  out += "<line x1=\"";
  AppendCoordinate(out, x1);
  out += "\" y1=\"";
  AppendCoordinate(out, y1);
  out += "\" x2=\"";
  AppendCoordinate(out, x2);
  out += "\" y2=\"";
  AppendCoordinate(out, y2);
  out += "\" ";
  out += style;
  out += "/>";
}

}  // namespace

namespace {

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

std::string RenderChartSvg(const Chart& chart, int width, int height) {
  // The plot area: room for the title and legend above, tick labels left and below.
  double legend_bottom = 0;
  const std::vector<LegendPlace> legend = PlaceLegend(chart, 48, width - 12.0, legend_bottom);
  const double left = 48, right = width - 12.0, top = std::max(40.0, legend_bottom + 18), bottom = height - 36.0;
  const auto px = [&](double x) { return left + chart.X.Fraction(x) * (right - left); };
  const auto py = [&](double y) { return bottom - chart.Y.Fraction(y) * (bottom - top); };

  std::string out;
  out.reserve(4096);
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) + "\" height=\"" +
         std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) + " " + std::to_string(height) +
         "\" font-family=\"sans-serif\" font-size=\"11\">";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>";
  AppendText(out, width / 2.0, 15, "middle", chart.Title, " font-size=\"13\" font-weight=\"bold\"");

  for (const ChartTick& tick : chart.Y.Ticks) {
    const double y = py(tick.Value);
    AppendLine(out, left, y, right, y, "stroke=\"#e0e0e0\"");
    AppendText(out, left - 4, y + 4, "end", tick.Label);
  }
  for (const ChartTick& tick : chart.X.Ticks) {
    const double x = px(tick.Value);
    AppendLine(out, x, bottom, x, bottom + 4, "stroke=\"#808080\"");
    AppendText(out, x, bottom + 16, "middle", tick.Label);
  }
  AppendLine(out, left, bottom, right, bottom, "stroke=\"#808080\"");
  AppendLine(out, left, top, left, bottom, "stroke=\"#808080\"");
  AppendText(out, (left + right) / 2, height - 4.0, "middle", chart.X.Title);
  AppendText(out, 4, top - 6, "start", chart.Y.Title);

  for (std::size_t i = 0; i < chart.Series.size(); ++i) {
    out += "<rect x=\"";
    AppendCoordinate(out, legend[i].X);
    out += "\" y=\"";
    AppendCoordinate(out, legend[i].Y);
    out += "\" width=\"10\" height=\"10\" fill=\"";
    AppendColor(out, chart.Series[i].Color);
    out += "\"/>";
    AppendText(out, legend[i].X + 13, legend[i].Y + 9, "start", chart.Series[i].Name);
  }

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
      AppendCoordinate(out, px(point.X));
      out += ',';
      AppendCoordinate(out, py(point.Y));
      out += ' ';
    }
    out.back() = '"';
    out += "/>";
  }
  out += "</svg>";
  return out;
}

}  // namespace fragtally
