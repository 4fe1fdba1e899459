#pragma once

#include <QWidget>

#include "app/players_window/chart.h"

namespace fragtally {

// Draws the chart, placed by the chart model in `area` (texts measured with
// the fonts they are drawn in), with QPainter.
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
