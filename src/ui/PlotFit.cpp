// Keeping and putting back the view of a plot that shows all its data.
#include "ui/PlotFit.h"

#include <qcustomplot.h>

namespace qn {

PlotFit::PlotFit(QCustomPlot& plot) : plot_(plot) {
    Keep();
    QObject::connect(&plot, &QCustomPlot::mouseDoubleClick, &plot, [this] { Restore(); });
}

void PlotFit::Keep() {
    xLower_ = plot_.xAxis->range().lower;
    xUpper_ = plot_.xAxis->range().upper;
    yLower_ = plot_.yAxis->range().lower;
    yUpper_ = plot_.yAxis->range().upper;
}

void PlotFit::Restore() {
    plot_.xAxis->setRange(xLower_, xUpper_);
    plot_.yAxis->setRange(yLower_, yUpper_);
    plot_.replot(QCustomPlot::rpQueuedReplot);
}

} // namespace qn
