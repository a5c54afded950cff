// Drawing of the capture's histogram and its Gaussian, and their figures.
#include "analysis/ui/HistogramView.h"

#include "analysis/ShownRange.h"

#include <QHBoxLayout>
#include <QLabel>
#include <qcustomplot.h>

#include <algorithm>

namespace qn {

HistogramView::HistogramView(Prompt& ask, std::string folder, QWidget* parent)
    : PlotView(ask, std::move(folder), parent) {
    Sigma = new QLabel;
    PeakToPeak = new QLabel;
    SixPointSixSigma = new QLabel;
    Outside = new QLabel;
    for (QLabel* label : {Sigma, PeakToPeak, SixPointSixSigma, Outside}) Controls->addWidget(label);
    Controls->addStretch(1);
    // The title carries the spread figures, so a saved picture has them too.
    Plot->plotLayout()->insertRow(0);
    Title = new QCPTextElement(Plot, "Histogram", QFont(font().family(), 11, QFont::Bold));
    Plot->plotLayout()->addElement(0, 0, Title);
    Plot->xAxis->setLabel("Code");
    Plot->yAxis->setLabel("Samples");
    Bars = new QCPBars(Plot->xAxis, Plot->yAxis);
    Bars->setPen(Qt::NoPen);
    Bars->setBrush(QColor(70, 110, 200));
    Gaussian = Plot->addGraph();
    Gaussian->setPen(QPen(Qt::red, 2));
}

void HistogramView::Draw(const AnalysisStore& store) {
    histogram_ = ComputeHistogram(ScaledSamples(store));
    const Histogram& h = histogram_;
    const auto size = static_cast<qsizetype>(h.Centre.size());
    QVector<double> centres(h.Centre.begin(), h.Centre.end());
    QVector<double> counts(size);
    std::copy(h.Count.begin(), h.Count.end(), counts.begin());
    Bars->setWidth(h.BinWidth);
    Bars->setData(centres, counts, true);
    Gaussian->setData(centres, QVector<double>(h.Gaussian.begin(), h.Gaussian.end()), true);
    Sigma->setText(QString("σ %1").arg(h.Sigma, 0, 'g', 6));
    PeakToPeak->setText(QString("p-p %1").arg(h.PeakToPeak, 0, 'g', 6));
    SixPointSixSigma->setText(QString("6.6 σ %1").arg(h.SixPointSixSigma, 0, 'g', 6));
    Outside->setText(QString("outside ±3.3σ: %1").arg(h.OutsideCount));
    Title->setText(QString("Histogram of %1 samples   σ %2   p-p %3")
                       .arg(h.Samples)
                       .arg(h.Sigma, 0, 'g', 6)
                       .arg(h.PeakToPeak, 0, 'g', 6));
    if (size > 0) {
        Plot->xAxis->setRange(h.FirstEdge, h.FirstEdge + h.BinWidth * static_cast<double>(size));
        const double top = std::max(*std::max_element(counts.begin(), counts.end()),
                                    *std::max_element(h.Gaussian.begin(), h.Gaussian.end()));
        Plot->yAxis->setRange(0, top * 1.05);
    }
    KeepFullView();
    Plot->replot(QCustomPlot::rpQueuedReplot);
}

std::string HistogramView::CsvText() const {
    std::string text = "bin centre,count,gaussian\r\n";
    const Histogram& h = histogram_;
    const QCPRange x = Plot->xAxis->range();
    const IndexRange shown = ShownIndices(h.Centre, x.lower, x.upper);
    for (size_t i = shown.First; i < shown.End; ++i)
        AppendCsvLine(text, {h.Centre[i], static_cast<double>(h.Count[i]), h.Gaussian[i]});
    return text;
}

} // namespace qn
