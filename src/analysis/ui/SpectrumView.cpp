// Drawing of the capture's noise spectral density and its sine figures.
#include "analysis/ui/SpectrumView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace qn {
namespace {

constexpr SpectrumWindow kWindows[] = {SpectrumWindow::BlackmanHarris7, SpectrumWindow::Hann,
                                       SpectrumWindow::Rectangular};

QString Decibels(const char* name, double value) {
    return QString("%1 %2 dB").arg(name).arg(value, 0, 'f', 1);
}

} // namespace

SpectrumView::SpectrumView(Prompt& ask, std::string folder, QWidget* parent)
    : NoisePlotView(ask, std::move(folder), parent) {
    Window = new QComboBox;
    Window->addItems({"Blackman-Harris 7-term", "Hann", "none"});
    Rate = new QLabel;
    MeanNsd = new QLabel;
    Sine = new QLabel;
    Controls->addWidget(new QLabel("Window"));
    Controls->addWidget(Window);
    for (QLabel* label : {Rate, MeanNsd}) Controls->addWidget(label);
    Controls->addStretch(1);
    // The sine figures take a line of their own under the controls, so none is cut off.
    if (auto* column = qobject_cast<QBoxLayout*>(layout())) column->insertWidget(1, Sine);
    Plot->xAxis->setLabel("Frequency  Hz");
    Plot->yAxis->setLabel("Noise density  nV/√Hz");
    Plot->yAxis->setScaleType(QCPAxis::stLogarithmic);
    Plot->yAxis->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
    Density = Plot->addGraph();
    Density->setPen(QPen(QColor(20, 90, 180)));
    Density->setAdaptiveSampling(true);
    connect(Window, &QComboBox::currentIndexChanged, this, &SpectrumView::Recompute);
}

void SpectrumView::Draw(const AnalysisStore& store, double elapsedMs,
                        std::optional<double> voltsPerCount) {
    const auto count =
        static_cast<size_t>(std::clamp<int32_t>(store.SampleCount, 0, kSampleCapacity));
    volts_.resize(voltsPerCount ? count : 0);
    for (size_t i = 0; i < volts_.size(); ++i) volts_[i] = store.Cells[i].Value * *voltsPerCount;
    sampleRate_ = elapsedMs > 0 ? static_cast<double>(count) * 1000.0 / elapsedMs : 0;
    Rate->setText(voltsPerCount ? QString("fs %1 Hz (measured: %2 samples in %3 ms)")
                                      .arg(sampleRate_, 0, 'g', 6)
                                      .arg(count)
                                      .arg(elapsedMs, 0, 'g', 6)
                                : QString("Ref Volt is no number"));
    Recompute();
}

void SpectrumView::Recompute() {
    SpectrumOptions options;
    options.Window = kWindows[std::clamp(Window->currentIndex(), 0, 2)];
    analyzer_.Compute(volts_, sampleRate_, options, spectrum_);
    nsd_ = NsdNanovolts(spectrum_);
    const QVector<double> frequency(spectrum_.Frequency.begin(), spectrum_.Frequency.end());
    Density->setData(frequency, QVector<double>(nsd_.begin(), nsd_.end()), true);
    // The bins of DC's tone carry the removed mean, not noise.
    const auto first =
        std::min(nsd_.size(), static_cast<size_t>(ToneHalfWidth(options.Window)) + 1);
    double sum = 0;
    double low = 0;
    double high = 0;
    for (size_t i = first; i < nsd_.size(); ++i) {
        sum += nsd_[i];
        if (nsd_[i] > 0 && (low == 0 || nsd_[i] < low)) low = nsd_[i];
        high = std::max(high, nsd_[i]);
    }
    const size_t bins = nsd_.size() - first;
    MeanNsd->setText(bins > 0 ? QString("mean NSD %1 nV/√Hz").arg(sum / double(bins), 0, 'g', 4)
                              : QString("mean NSD –"));
    // The sine figures show only when a tone stands out of the noise; of noise alone they
    // would describe its largest bin.
    const SineMetrics sine = AnalyseSine(spectrum_);
    Sine->setVisible(sine.StandsOut);
    Sine->setText(sine.StandsOut
                      ? QStringList{Decibels("SNR", sine.SnrDb), Decibels("SINAD", sine.SinadDb),
                                    Decibels("SFDR", sine.SfdrDb),
                                    QString("THD %1 dBc").arg(sine.ThdDb, 0, 'f', 1),
                                    QString("ENOB (dynamic) %1").arg(sine.DynamicEnob, 0, 'f', 2)}
                            .join("   ")
                      : QString());
    if (!spectrum_.Empty()) Plot->xAxis->setRange(0, spectrum_.Frequency.back());
    if (high > 0) Plot->yAxis->setRange(low / 2, high * 2);
    Plot->replot(QCustomPlot::rpQueuedReplot);
}

std::string SpectrumView::CsvText() const {
    std::string text = "frequency,nsd\r\n";
    for (size_t i = 0; i < nsd_.size(); ++i) AppendCsvLine(text, {spectrum_.Frequency[i], nsd_[i]});
    return text;
}

} // namespace qn
