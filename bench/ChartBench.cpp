// One redraw of a full 65536-sample capture in each of the analysis window's views (time chart,
// histogram, spectrum), offscreen at the chart's 900 x 500.
#include "analysis/AnalysisStore.h"
#include "analysis/ui/HistogramView.h"
#include "analysis/ui/SpectrumView.h"
#include "analysis/ui/TimeChart.h"
#include "host/Prompt.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 500;
constexpr int32_t kSamples = static_cast<int32_t>(qn::kSampleCapacity);

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

// The chart's own redraw: values from the store, new line, axes, then an immediate repaint.
void BM_TimeChartRedraw(benchmark::State& state) {
    qn::PromptRelay prompt;
    qn::TimeChart chart(prompt, "");
    chart.resize(kWidth, kHeight);
    chart.show();
    QCoreApplication::processEvents();
    const qn::AnalysisStore store = CapturedStore();
    const qn::ChartRequest request{kSamples, 21'850, 1, false};
    for (auto _ : state) {
        chart.Draw(store, request);
        chart.replot(QCustomPlot::rpImmediateRefresh);
        Settle(state);
    }
    state.counters["points"] = kSamples;
}
BENCHMARK(BM_TimeChartRedraw)->Unit(benchmark::kMillisecond);

// The same line through QCustomPlot alone: setData and an immediate replot.
void BM_PlotSetDataReplot(benchmark::State& state) {
    QCustomPlot plot;
    plot.addGraph();
    plot.graph(0)->setPen(QPen(Qt::red));
    plot.resize(kWidth, kHeight);
    plot.show();
    QCoreApplication::processEvents();
    const qn::AnalysisStore store = CapturedStore();
    QVector<double> keys(kSamples);
    QVector<double> values(kSamples);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        keys[i] = static_cast<double>(i);
        values[i] = store.ADCData[static_cast<size_t>(i)];
    }
    plot.xAxis->setRange(0, kSamples);
    for (auto _ : state) {
        plot.graph(0)->setData(keys, values, true);
        plot.graph(0)->rescaleValueAxis(false, true);
        plot.replot(QCustomPlot::rpImmediateRefresh);
        Settle(state);
    }
    state.counters["points"] = kSamples;
}
BENCHMARK(BM_PlotSetDataReplot)->Unit(benchmark::kMillisecond);

// The histogram view's redraw: bins of the capture, the Gaussian, the figures and a repaint.
void BM_HistogramViewRedraw(benchmark::State& state) {
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
BENCHMARK(BM_HistogramViewRedraw)->Unit(benchmark::kMillisecond);

// The spectrum view's redraw: FFT under the default window, the density in nV/√Hz, the sine
// check and a repaint of the 32769 bins.
void BM_SpectrumViewRedraw(benchmark::State& state) {
    qn::PromptRelay prompt;
    qn::SpectrumView view(prompt, "");
    view.resize(kWidth, kHeight);
    view.show();
    QCoreApplication::processEvents();
    const qn::AnalysisStore store = CapturedStore();
    for (auto _ : state) {
        view.Draw(store, {.Configured = 2560, .Measured = 2560}, 1e-7);
        view.Plot->replot(QCustomPlot::rpImmediateRefresh);
        Settle(state);
    }
    state.counters["points"] = kSamples;
}
BENCHMARK(BM_SpectrumViewRedraw)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
