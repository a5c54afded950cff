// Keeping and putting back the view of a plot that shows all its data.
#include "analysis/ui/PlotFit.h"

namespace qn {

PlotFit::PlotFit(QCustomPlot& plot)
    : plot_(plot), x_(plot.xAxis->range()), y_(plot.yAxis->range()) {
    QObject::connect(&plot, &QCustomPlot::mouseDoubleClick, &plot, [this] { Restore(); });
}

void PlotFit::Keep() {
    x_ = plot_.xAxis->range();
    y_ = plot_.yAxis->range();
}

void PlotFit::Restore() {
    plot_.xAxis->setRange(x_);
    plot_.yAxis->setRange(y_);
    plot_.replot(QCustomPlot::rpQueuedReplot);
}

} // namespace qn
