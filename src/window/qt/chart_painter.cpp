#include "window/qt/chart_painter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

namespace fragtally {

namespace {

QColor ColorOf(std::uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QFont ChartFont(double pixels, bool bold) {
  QFont font(QStringLiteral("sans-serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(static_cast<int>(pixels + 0.5));
  font.setBold(bold);
  return font;
}

QPointF At(ChartPoint point) { return {point.X, point.Y}; }

}  // namespace

void PaintChart(QPainter& painter, const Chart& chart, const QRect& area) {
  const PlacedChart placed = PlaceChart(chart, area.width(), area.height(), [](std::string_view text, double size, bool bold) {
    return QFontMetricsF(ChartFont(size, bold)).horizontalAdvance(Utf8(text));
  });
  painter.save();
  painter.translate(area.topLeft());
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(QRectF(0, 0, placed.Width, placed.Height), ColorOf(placed.Background));
  for (const ChartLine& line : placed.Lines) {
    painter.setPen(QPen(ColorOf(line.Color), line.Width));
    painter.drawLine(At(line.From), At(line.To));
  }
  for (const ChartRect& rect : placed.Rects) painter.fillRect(QRectF(rect.X, rect.Y, rect.Width, rect.Height), ColorOf(rect.Fill));
  for (const ChartText& text : placed.Texts) {
    painter.setFont(ChartFont(text.Size, text.Bold));
    painter.setPen(ColorOf(text.Color));
    const QString shown = Utf8(text.Text);
    const double width = painter.fontMetrics().horizontalAdvance(shown);
    const double x = text.At.X - (text.Anchor == TextAnchor::Middle ? width / 2 : text.Anchor == TextAnchor::End ? width : 0);
    painter.drawText(QPointF(x, text.At.Y), shown);
  }
  painter.setBrush(Qt::NoBrush);
  for (const ChartPolyline& line : placed.Polylines) {
    QPen pen(ColorOf(line.Color), line.Width);
    // Qt counts a dash pattern in pen widths.
    if (line.Dashed) pen.setDashPattern({kChartDash / line.Width, kChartGap / line.Width});
    painter.setPen(pen);
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(line.Points.size()));
    for (const ChartPoint& point : line.Points) points.append(At(point));
    painter.drawPolyline(points);
  }
  painter.setPen(Qt::NoPen);
  for (const ChartDot& dot : placed.Dots) {
    painter.setBrush(ColorOf(dot.Color));
    painter.drawEllipse(At(dot.Center), dot.Radius, dot.Radius);
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
