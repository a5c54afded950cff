// Keeping a plot line at the points its pixel columns can show.
#include "analysis/ui/EnvelopeLine.h"

#include "analysis/ChartEnvelope.h"

#include <qcustomplot.h>

namespace qn {

// The plot lays itself out at the start of every replot, before drawing: the axis rectangle's
// width is known then, and a line changed there is drawn in the same replot.
EnvelopeLine::EnvelopeLine(QCPGraph& graph) : graph_(graph) {
    laidOut_ = QObject::connect(graph.parentPlot(), &QCustomPlot::afterLayout, graph.parentPlot(),
                                [this] { Refresh(); });
}

EnvelopeLine::~EnvelopeLine() {
    QObject::disconnect(laidOut_);
}

void EnvelopeLine::SetData(std::vector<double> keys, std::vector<double> values) {
    keys_ = std::move(keys);
    values_ = std::move(values);
    columns_ = -1;
    Refresh();
}

void EnvelopeLine::Refresh() {
    const QCPRange range = graph_.keyAxis()->range();
    const int columns = graph_.keyAxis()->axisRect()->width();
    if (columns == columns_ && range.lower == lower_ && range.upper == upper_) return;
    lower_ = range.lower;
    upper_ = range.upper;
    columns_ = columns;
    const ChartPoints line = ChartEnvelope(keys_, values_, lower_, upper_, columns_);
    QVector<QCPGraphData> points(static_cast<qsizetype>(line.X.size()));
    for (qsizetype i = 0; i < points.size(); ++i)
        points[i] = {line.X[static_cast<size_t>(i)], line.Y[static_cast<size_t>(i)]};
    graph_.data()->set(points, true);
}

} // namespace qn
