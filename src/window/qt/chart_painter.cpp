#include "window/qt/chart_painter.h"

#include <algorithm>
#include <vector>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace fragtally {

namespace {

QColor ColorOf(std::uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Text placed at a baseline point, anchored at its start, middle or end.
enum class Anchor { Start, Middle, End };
void DrawText(QPainter& painter, double x, double baseline, const QString& text, Anchor anchor) {
  const double width = painter.fontMetrics().horizontalAdvance(text);
  if (anchor == Anchor::Middle) x -= width / 2;
  if (anchor == Anchor::End) x -= width;
  painter.drawText(QPointF(x, baseline), text);
}

QFont ChartFont(int pixels, bool bold) {
  QFont font(QStringLiteral("sans-serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

}  // namespace

void PaintChart(QPainter& painter, const Chart& chart, const QRect& area) {
  painter.save();
  painter.translate(area.topLeft());
  painter.setRenderHint(QPainter::Antialiasing);
  const double width = area.width(), height = area.height();
  painter.fillRect(QRectF(0, 0, width, height), Qt::white);
  painter.setFont(ChartFont(11, false));
  const QFontMetricsF metrics(painter.font());

  // The legend's entries in rows from the plot's left edge, a swatch and
  // the series' name each; the plot starts below the last row.
  const double left = 48, right = width - 12;
  std::vector<QPointF> legend;
  double x = left, y = 22;
  for (const ChartSeries& series : chart.Series) {
    const double entry = 24 + metrics.horizontalAdvance(Utf8(series.Name));
    if (x > left && x + entry > right) {
      x = left;
      y += 14;
    }
    legend.emplace_back(x, y);
    x += entry;
  }
  const double top = std::max(40.0, y + 10 + 18), bottom = height - 36;
  const auto px = [&](double value) { return left + chart.X.Fraction(value) * (right - left); };
  const auto py = [&](double value) { return bottom - chart.Y.Fraction(value) * (bottom - top); };

  painter.setPen(QPen(QColor(0xE0, 0xE0, 0xE0), 1));
  for (const ChartTick& tick : chart.Y.Ticks) painter.drawLine(QPointF(left, py(tick.Value)), QPointF(right, py(tick.Value)));
  painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
  painter.drawPolyline(QPolygonF({QPointF(left, top), QPointF(left, bottom), QPointF(right, bottom)}));
  for (const ChartTick& tick : chart.X.Ticks) painter.drawLine(QPointF(px(tick.Value), bottom), QPointF(px(tick.Value), bottom + 4));

  painter.setPen(Qt::black);
  for (const ChartTick& tick : chart.Y.Ticks) DrawText(painter, left - 4, py(tick.Value) + 4, Utf8(tick.Label), Anchor::End);
  for (const ChartTick& tick : chart.X.Ticks) DrawText(painter, px(tick.Value), bottom + 16, Utf8(tick.Label), Anchor::Middle);
  DrawText(painter, (left + right) / 2, height - 4, Utf8(chart.X.Title), Anchor::Middle);
  DrawText(painter, 4, top - 6, Utf8(chart.Y.Title), Anchor::Start);
  for (std::size_t i = 0; i < chart.Series.size(); ++i) {
    painter.fillRect(QRectF(legend[i].x(), legend[i].y(), 10, 10), ColorOf(chart.Series[i].Color));
    DrawText(painter, legend[i].x() + 13, legend[i].y() + 9, Utf8(chart.Series[i].Name), Anchor::Start);
  }
  painter.setFont(ChartFont(13, true));
  DrawText(painter, width / 2, 15, Utf8(chart.Title), Anchor::Middle);

  for (const ChartSeries& series : chart.Series) {
    if (series.Points.empty()) continue;
    const QColor color = ColorOf(series.Color);
    if (series.Points.size() == 1) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(color);
      painter.drawEllipse(QPointF(px(series.Points[0].X), py(series.Points[0].Y)), 3, 3);
      continue;
    }
    QPen pen(color, series.Dashed ? 2 : 1.5);
    // The SVG's dashes are 6 on, 3 off in user units; Qt counts in pen widths.
    if (series.Dashed) pen.setDashPattern({3, 1.5});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(series.Points.size()));
    for (const ChartPoint& point : series.Points) line.append(QPointF(px(point.X), py(point.Y)));
    painter.drawPolyline(line);
  }
  painter.restore();
}

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(280, 160);
  setFocusPolicy(Qt::NoFocus);
}

void ChartView::SetChart(const Chart* chart) {
  has_chart_ = chart != nullptr;
  chart_ = chart != nullptr ? *chart : Chart{};
  update();
}

void ChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!has_chart_) {
    painter.fillRect(rect(), palette().color(QPalette::Window));
    return;
  }
  PaintChart(painter, chart_, rect());
}

}  // namespace fragtally
