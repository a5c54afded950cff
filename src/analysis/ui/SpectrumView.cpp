// Drawing of the capture's noise spectral density and its sine figures.
#include "analysis/ui/SpectrumView.h"

#include "analysis/ShownRange.h"
#include "analysis/ui/EnvelopeLine.h"

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

QString Hertz(double rate) {
    return QString("%1 Hz").arg(rate, 0, 'f', rate < 100 ? 1 : 0);
}

QString RateText(const CaptureRates& rates, RateBasis basis) {
    switch (basis) {
    case RateBasis::Configured:
        return "fs " + Hertz(rates.Configured) + " (measured " + Hertz(rates.Measured) + ")";
    case RateBasis::Measured:
        return "fs " + Hertz(rates.Measured) + " measured (no configured rate known)";
    case RateBasis::Short:
        return "configured " + Hertz(rates.Configured) + ", measured " + Hertz(rates.Measured);
    case RateBasis::None:
        break;
    }
    return "fs unknown";
}

QString ShortfallText(const CaptureRates& rates) {
    return QString("No density: the samples came %1 % slower than the configured %2, so samples "
                   "were lost (the bridge carries at most 21 per 10 ms) or the chip was not "
                   "converting at that rate. Choose a slower rate (\"OSR\") and capture again.")
        .arg((1 - rates.Measured / rates.Configured) * 100, 0, 'f', 0)
        .arg(Hertz(rates.Configured));
}

} // namespace

SpectrumView::SpectrumView(Prompt& ask, std::string folder, QWidget* parent)
    : PlotView(ask, std::move(folder), parent) {
    Window = new QComboBox;
    Window->addItems({"Blackman-Harris 7-term", "Hann", "none"});
    Rate = new QLabel;
    MeanNsd = new QLabel;
    Sine = new QLabel;
    Controls->addWidget(new QLabel("Window"));
    Controls->addWidget(Window);
    Warning = new QLabel;
    Warning->setWordWrap(true);
    Warning->setStyleSheet("color: #b00000");
    Warning->hide();
    for (QLabel* label : {Rate, MeanNsd}) Controls->addWidget(label);
    Controls->addStretch(1);
    // The sine figures and the warning take lines of their own under the controls, so none is
    // cut off.
    if (auto* column = qobject_cast<QBoxLayout*>(layout())) {
        column->insertWidget(1, Sine);
        column->insertWidget(2, Warning);
    }
    Plot->xAxis->setLabel("Frequency  Hz");
    Plot->yAxis->setLabel("Noise density  nV/√Hz");
    Plot->yAxis->setScaleType(QCPAxis::stLogarithmic);
    Plot->yAxis->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
    Density = Plot->addGraph();
    Density->setPen(QPen(QColor(20, 90, 180)));
    Density->setAdaptiveSampling(true);
    line_ = std::make_unique<EnvelopeLine>(*Density);
    connect(Window, &QComboBox::currentIndexChanged, this, &SpectrumView::Recompute);
}

SpectrumView::~SpectrumView() = default;

// Samples whose records fell short of the configured rate are not evenly spaced at it, and the
// measured rate is no sample rate either: any density of them would be wrong, so none is drawn.
// After averaging by k the store holds one value per k codes: k times fewer, k times slower.
void SpectrumView::Draw(const AnalysisStore& store, const CaptureRates& captured,
                        std::optional<double> voltsPerCount) {
    const int32_t block = std::max(store.BlockLength, 1);
    const auto count =
        static_cast<size_t>(std::clamp<int32_t>(store.SampleCount / block, 0, kSampleCapacity));
    const CaptureRates rates{captured.Configured / block, captured.Measured / block};
    const SpectrumRate chosen = ChooseSpectrumRate(rates);
    const bool drawn = voltsPerCount && chosen.Rate > 0;
    volts_.resize(drawn ? count : 0);
    for (size_t i = 0; i < volts_.size(); ++i) volts_[i] = store.Cells[i].Value * *voltsPerCount;
    sampleRate_ = chosen.Rate;
    const QString averaged = block > 1 ? QString(", averages of %1").arg(block) : QString();
    Rate->setText(voltsPerCount ? RateText(rates, chosen.Basis) + averaged
                                : QString("Ref Volt is no number"));
    Warning->setVisible(chosen.Basis == RateBasis::Short);
    Warning->setText(chosen.Basis == RateBasis::Short ? ShortfallText(rates) : QString());
    Recompute();
}

void SpectrumView::Recompute() {
    SpectrumOptions options;
    options.Window = kWindows[std::clamp(Window->currentIndex(), 0, 2)];
    analyzer_.Compute(volts_, sampleRate_, options, spectrum_);
    nsd_ = NsdNanovolts(spectrum_);
    if (!spectrum_.Empty()) Plot->xAxis->setRange(0, spectrum_.Frequency.back());
    line_->SetData(spectrum_.Frequency, nsd_);
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
    if (high > 0) Plot->yAxis->setRange(low / 2, high * 2);
    KeepFullView();
    Plot->replot(QCustomPlot::rpQueuedReplot);
}

std::string SpectrumView::CsvText() const {
    std::string text = "frequency,nsd\r\n";
    const QCPRange x = Plot->xAxis->range();
    const IndexRange shown = ShownIndices(spectrum_.Frequency, x.lower, x.upper);
    for (size_t i = shown.First; i < std::min(shown.End, nsd_.size()); ++i)
        AppendCsvLine(text, {spectrum_.Frequency[i], nsd_[i]});
    return text;
}

} // namespace qn
