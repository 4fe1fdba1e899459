#pragma once

#include <QWidget>

#include "app/chart.h"

namespace fragtally {

// Draws a chart of the chart model with QPainter into `area`, laid out as the
// report's SVG charts are: title on top, the legend under it, Y tick labels
// on the left, X tick labels and the X title below, grid lines, then the
// series (a dashed one is a trend; a single point is a dot).
void PaintChart(QPainter& painter, const Chart& chart, const QRect& area);

// A control that shows one chart; without a chart it stays blank.
class ChartView : public QWidget {
  Q_OBJECT

 public:
  explicit ChartView(QWidget* parent = nullptr);

  // Shows `chart` (copied), or nothing.
  void SetChart(const Chart* chart);
  bool HasChart() const { return has_chart_; }
  const Chart& chart() const { return chart_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Chart chart_;
  bool has_chart_ = false;
};

}  // namespace fragtally
