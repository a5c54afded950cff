// How long the window waits for its messages while a capture runs: a 5 ms timer measures its own
// lateness while a capture on the simulated bridge and the real clock lets messages through once
// per batch.
#include "analysis/AdcCapture.h"
#include "host/PanelRefresh.h"
#include "host/Prompt.h"
#include "link/ChipLinkInfo.h"
#include "platform/SystemClock.h"
#include "shell/Bench.h"
#include "sim/SimBridge.h"
#include "sim/SimDriverLayer.h"
#include "sim/SimHidLayer.h"
#include "sim/SimSerialLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

class QtPump final : public qn::EventPump {
  public:
    void Pump() override { QCoreApplication::processEvents(); }
};

class QuietStatus final : public qn::StatusBar {
  public:
    void SetPanelText(int /*panel*/, const std::string& /*text*/) override {}
};

struct PumpedBench {
    qn::SystemClock clock;
    qn::SimBridge bridge{clock};
    qn::SimDriverLayer driver;
    qn::SimHidLayer hid;
    qn::SimSerialPortFactory serialPorts;
    QtPump pump;
    qn::PromptRelay prompt;
    QuietStatus status;
    qn::PanelRefresh panels;
    qn::FixedChipInfo chipInfo{"QN7401", 2, 3};
    qn::Bench bench{qn::Platform{hid, driver, serialPorts, clock, pump, status, panels, prompt}, "",
                    ""};
    qn::AnalysisStore store;
    qn::AdcCapture capture{
        {bench.Chip, bench.Usb, bench.Guard, clock, status, bench.Centre, store}};

    PumpedBench() {
        bench.Chip.SetChip(&chipInfo);
        bridge.SetOutputRate(3000);
        bridge.SetSignal(0, 40);
        driver.AddDevice(bridge);
        bench.Stnd.Interface = qn::kLinkQn740x;
        bench.Centre.USBConnect();
    }
};

void BM_EventGapDuringCapture(benchmark::State& state) {
    PumpedBench pumped;
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
        if (!pumped.capture.ReadADCALL(3, options)) state.SkipWithError("capture failed");
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
