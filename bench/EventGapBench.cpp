// How long the window waits for its messages while a capture runs: a 5 ms timer measures its own
// lateness while a capture on the simulated bridge and the real clock lets messages through once
// per batch.
#include "SimulatedBench.h"
#include "analysis/AdcCapture.h"
#include "shell/ui/QtEventPump.h"

#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

void BM_EventGapDuringCapture(benchmark::State& state) {
    qn::QtEventPump windows;
    qn::bench::SimulatedBench pumped(windows, 3000, 0, 40);
    const qn::CaptureOptions options{static_cast<int32_t>(state.range(0)), 1, 23, false, 1, {}};
    double worstGapMs = 0;
    for (auto _ : state) {
        QElapsedTimer since;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            worstGapMs = std::max(worstGapMs, static_cast<double>(since.restart()));
        });
        since.start();
        ticker.start();
        if (!pumped.bench.Capture.ReadADCALL(3, options)) state.SkipWithError("capture failed");
        ticker.stop();
    }
    state.counters["max_gap_ms"] = worstGapMs;
}
BENCHMARK(BM_EventGapDuringCapture)
    ->Arg(4096)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
