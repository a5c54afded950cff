// One redraw of a full 65536-sample capture in each of the analysis window's views (time chart,
// histogram, spectrum) and in a bare plot, offscreen at the chart's 900 x 500. Beside each redraw
// stands its floor: the same values worked out by the core and drawn as bare QPainter polylines
// onto an image of the same size. After the run each redraw's time is printed as a ratio to its
// floor's.
#include "analysis/AnalysisStore.h"
#include "analysis/ChartEnvelope.h"
#include "analysis/ChartValues.h"
#include "analysis/Histogram.h"
#include "analysis/Spectrum.h"
#include "analysis/ui/HistogramView.h"
#include "analysis/ui/SpectrumView.h"
#include "analysis/ui/TimeChart.h"
#include "host/Prompt.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 500;
constexpr int32_t kSamples = static_cast<int32_t>(qn::kSampleCapacity);
constexpr double kElapsedMs = 21'850;
constexpr double kVoltsPerCount = 1e-7;
constexpr double kRate = 2560;

// Noisy codes around -3000 as 24-bit two's complement, as a capture leaves them.
qn::AnalysisStore CapturedStore() {
    qn::AnalysisStore store;
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(-3000.0, 40.0);
    for (int32_t i = 0; i < kSamples; ++i) {
        auto code = static_cast<int32_t>(std::lround(noise(rng)));
        if (code < 0) code += 1 << 24;
        store.KeepSample(code, 1);
    }
    store.CloseCapture();
    return store;
}

// Lets the chart's queued replot run untimed, so that every iteration starts from the same state.
void Settle(benchmark::State& state) {
    state.PauseTiming();
    QCoreApplication::processEvents();
    state.ResumeTiming();
}

// The floors' canvas: an image of the chart's size.
QImage Canvas() {
    return QImage(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
}

// Where a floor's values land on its image: x over Lower..Upper across it, y over Bottom..Top
// (their logarithms when LogY) up it.
struct FloorAxes {
    double Lower = 0, Upper = 1, Bottom = 0, Top = 1;
    bool LogY = false;

    QPoint Map(double x, double y) const {
        const double v = LogY ? std::log10(std::max(y, 1e-300)) : y;
        const double bottom = LogY ? std::log10(Bottom) : Bottom;
        const double top = LogY ? std::log10(Top) : Top;
        return QPointF((x - Lower) * kWidth / (Upper - Lower),
                       kHeight - (v - bottom) * kHeight / std::max(top - bottom, 1e-12))
            .toPoint();
    }
};

// The axes that show the whole line: its x range and the least and greatest of its values.
FloorAxes Fitted(const qn::ChartPoints& line, double lower, double upper, bool logY = false) {
    FloorAxes axes{lower, upper, HUGE_VAL, -HUGE_VAL, logY};
    for (const double y : line.Y)
        if (!logY || y > 0) {
            axes.Bottom = std::min(axes.Bottom, y);
            axes.Top = std::max(axes.Top, y);
        }
    return axes;
}

// The line as one bare polyline.
void DrawLine(QPainter& painter, const qn::ChartPoints& line, const FloorAxes& axes,
              const QPen& pen) {
    std::vector<QPoint> points(line.X.size());
    for (size_t i = 0; i < points.size(); ++i) points[i] = axes.Map(line.X[i], line.Y[i]);
    painter.setPen(pen);
    painter.drawPolyline(points.data(), static_cast<int>(points.size()));
}

// The chart's own redraw: values from the store, new line, axes, then an immediate repaint.
// A floor's drawing: the envelope alone, fitted to a blank canvas, with QPainter.
void PaintFloor(QImage& image, const qn::ChartPoints& line, double lower, double upper,
                const QPen& pen, bool logY = false) {
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawLine(painter, line, Fitted(line, lower, upper, logY), pen);
    benchmark::DoNotOptimize(image.constBits());
}

void BM_TimeChartRedraw(benchmark::State& state) {
    qn::PromptRelay prompt;
    qn::TimeChart chart(prompt, "");
    chart.resize(kWidth, kHeight);
    chart.show();
    QCoreApplication::processEvents();
    const qn::AnalysisStore store = CapturedStore();
    const qn::ChartRequest request{kSamples, kElapsedMs, 1, false};
    for (auto _ : state) {
        chart.Draw(store, request);
        chart.Plot->replot(QCustomPlot::rpImmediateRefresh);
        Settle(state);
    }
    state.counters["points"] = kSamples;
}
BENCHMARK(BM_TimeChartRedraw)->Unit(benchmark::kMillisecond);

void BM_TimeChartFloor(benchmark::State& state) {
    const qn::AnalysisStore store = CapturedStore();
    const qn::ChartRequest request{kSamples, kElapsedMs, 1, false};
    QImage image = Canvas();
    for (auto _ : state) {
        const std::vector<double> values = qn::ChartValues(store, request);
        const std::vector<double> keys = qn::ChartKeys(values.size(), kElapsedMs);
        const qn::ChartPoints line = qn::ChartEnvelope(keys, values, 0, kElapsedMs, kWidth);
        PaintFloor(image, line, 0, kElapsedMs, QPen(Qt::red));
    }
}
BENCHMARK(BM_TimeChartFloor)->Unit(benchmark::kMillisecond);

// The raw codes through QCustomPlot alone: their envelope at the plot's width, setData, the
// value axis fitted and an immediate replot.
void BM_PlotRedraw(benchmark::State& state) {
    QCustomPlot plot;
    QCPGraph* graph = plot.addGraph();
    graph->setPen(QPen(Qt::red));
    plot.resize(kWidth, kHeight);
    plot.show();
    QCoreApplication::processEvents();
    const qn::AnalysisStore store = CapturedStore();
    const std::vector<double> keys = qn::ChartKeys(kSamples, 0);
    const std::vector<double> values(store.ADCData.begin(), store.ADCData.begin() + kSamples);
    plot.xAxis->setRange(0, kSamples);
    for (auto _ : state) {
        const qn::ChartPoints line =
            qn::ChartEnvelope(keys, values, 0, kSamples, plot.axisRect()->width());
        graph->setData(QVector<double>(line.X.begin(), line.X.end()),
                       QVector<double>(line.Y.begin(), line.Y.end()), true);
        graph->rescaleValueAxis(false, true);
        plot.replot(QCustomPlot::rpImmediateRefresh);
        Settle(state);
    }
    state.counters["points"] = kSamples;
}
BENCHMARK(BM_PlotRedraw)->Unit(benchmark::kMillisecond);

void BM_PlotFloor(benchmark::State& state) {
    const qn::AnalysisStore store = CapturedStore();
    const std::vector<double> keys = qn::ChartKeys(kSamples, 0);
    const std::vector<double> values(store.ADCData.begin(), store.ADCData.begin() + kSamples);
    QImage image = Canvas();
    for (auto _ : state) {
        const qn::ChartPoints line = qn::ChartEnvelope(keys, values, 0, kSamples, kWidth);
        PaintFloor(image, line, 0, kSamples, QPen(Qt::red));
    }
}
BENCHMARK(BM_PlotFloor)->Unit(benchmark::kMillisecond);

// The histogram view's redraw: bins of the capture, the Gaussian, the figures and a repaint.
void BM_HistogramRedraw(benchmark::State& state) {
    qn::PromptRelay prompt;
    qn::HistogramView view(prompt, "");
    view.resize(kWidth, kHeight);
    view.show();
    QCoreApplication::processEvents();
    const qn::AnalysisStore store = CapturedStore();
    for (auto _ : state) {
        view.Draw(store);
        view.Plot->replot(QCustomPlot::rpImmediateRefresh);
        Settle(state);
    }
    state.counters["points"] = kSamples;
}
BENCHMARK(BM_HistogramRedraw)->Unit(benchmark::kMillisecond);

// The bins as filled bars and the Gaussian over them as a 2-pixel line, as the view draws them.
void BM_HistogramFloor(benchmark::State& state) {
    const qn::AnalysisStore store = CapturedStore();
    QImage image = Canvas();
    std::vector<QRect> bars;
    for (auto _ : state) {
        const qn::Histogram h = qn::ComputeHistogram(qn::ScaledSamples(store));
        const double right = h.FirstEdge + h.BinWidth * static_cast<double>(h.Count.size());
        const double top = std::max(*std::max_element(h.Count.begin(), h.Count.end()),
                                    static_cast<uint32_t>(std::ceil(
                                        *std::max_element(h.Gaussian.begin(), h.Gaussian.end()))));
        const FloorAxes axes{h.FirstEdge, right, 0, top * 1.05};
        bars.resize(h.Count.size());
        for (size_t i = 0; i < bars.size(); ++i) {
            const double left = h.FirstEdge + h.BinWidth * static_cast<double>(i);
            bars[i] = QRect(axes.Map(left, static_cast<double>(h.Count[i])),
                            axes.Map(left + h.BinWidth, 0));
        }
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(70, 110, 200));
        painter.drawRects(bars.data(), static_cast<int>(bars.size()));
        DrawLine(painter, {h.Centre, h.Gaussian}, axes, QPen(Qt::red, 2));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_HistogramFloor)->Unit(benchmark::kMillisecond);

// The spectrum view's redraw: FFT under the default window, the density in nV/√Hz, the sine
// check, the density's envelope and a repaint.
void BM_SpectrumRedraw(benchmark::State& state) {
    qn::PromptRelay prompt;
    qn::SpectrumView view(prompt, "");
    view.resize(kWidth, kHeight);
    view.show();
    QCoreApplication::processEvents();
    const qn::AnalysisStore store = CapturedStore();
    for (auto _ : state) {
        view.Draw(store, {.Configured = kRate, .Measured = kRate}, kVoltsPerCount);
        view.Plot->replot(QCustomPlot::rpImmediateRefresh);
        Settle(state);
    }
    state.counters["points"] = kSamples;
}
BENCHMARK(BM_SpectrumRedraw)->Unit(benchmark::kMillisecond);

void BM_SpectrumFloor(benchmark::State& state) {
    const qn::AnalysisStore store = CapturedStore();
    qn::SpectrumAnalyzer analyzer;
    qn::Spectrum spectrum;
    std::vector<double> volts(kSamples);
    QImage image = Canvas();
    for (auto _ : state) {
        for (size_t i = 0; i < volts.size(); ++i) volts[i] = store.Cells[i].Value * kVoltsPerCount;
        analyzer.Compute(volts, kRate, {}, spectrum);
        const std::vector<double> nsd = qn::NsdNanovolts(spectrum);
        benchmark::DoNotOptimize(qn::AnalyseSine(spectrum));
        const double top = spectrum.Frequency.back();
        const qn::ChartPoints line = qn::ChartEnvelope(spectrum.Frequency, nsd, 0, top, kWidth);
        PaintFloor(image, line, 0, top, QPen(QColor(20, 90, 180)), true);
    }
}
BENCHMARK(BM_SpectrumFloor)->Unit(benchmark::kMillisecond);

// The console's report, keeping each benchmark's median real and CPU times (its only times
// without repetitions) for the ratios.
class RatioReporter final : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const Times times{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            const std::string& name = run.run_name.function_name;
            if (run.aggregate_name == "median")
                median_[name] = times;
            else if (run.aggregate_name.empty())
                runs_[name].push_back(times);
        }
    }

    // Redraw and floor of every pair that ran, and their ratio.
    void PrintRatios() {
        std::printf("%-10s %22s %22s %14s\n", "", "redraw real/cpu ms", "floor real/cpu ms",
                    "ratio real/cpu");
        for (const char* view : {"TimeChart", "Plot", "Histogram", "Spectrum"}) {
            const std::string prefix = std::string("BM_") + view;
            const Times redraw = Median(prefix + "Redraw");
            const Times floor = Median(prefix + "Floor");
            if (redraw.Real > 0 && floor.Real > 0 && floor.Cpu > 0)
                std::printf("%-10s %10.3f %10.3f  %10.3f %10.3f  %6.2f %6.2f\n", view, redraw.Real,
                            redraw.Cpu, floor.Real, floor.Cpu, redraw.Real / floor.Real,
                            redraw.Cpu / floor.Cpu);
        }
    }

  private:
    struct Times {
        double Real = 0;
        double Cpu = 0;
    };

    Times Median(const std::string& name) {
        if (const auto kept = median_.find(name); kept != median_.end()) return kept->second;
        std::vector<Times>& times = runs_[name];
        if (times.empty()) return {};
        const auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
        std::nth_element(times.begin(), middle, times.end(),
                         [](const Times& a, const Times& b) { return a.Real < b.Real; });
        return *middle;
    }

    std::map<std::string, Times> median_;
    std::map<std::string, std::vector<Times>> runs_;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
