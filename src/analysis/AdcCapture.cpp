#include "analysis/AdcCapture.h"

#include <algorithm>
#include <cmath>

namespace qn {
namespace {

constexpr StatusPanel kStatusPanel = StatusPanel::Outcome;
constexpr double kMsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;

// NPoint, or 256 when it is below 1; never more than the arrays hold.
int32_t CaptureTarget(int32_t nPoint) {
    if (nPoint < 1) return kDefaultCaptureSamples;
    return std::min<int32_t>(nPoint, static_cast<int32_t>(kSampleCapacity));
}

// Records per second over `ms` of streaming; 0 when none arrived. Counting every record the
// stream brought, the discarded ones too, up to the last arrival, the rate errs by at most one
// record's worth however few were taken.
double MeasuredRate(int64_t records, double ms) {
    return records > 0 && ms > 0 ? static_cast<double>(records) * kMsPerSecond / ms : 0;
}

} // namespace

bool AdcCapture::CatchACDCOM(const std::string& refText, int mode, const CaptureOptions& options) {
    const auto hold = wiring_.Guard.Begin();
    if (!hold) return false;
    wiring_.Store.Panels = {};
    const bool complete = ReadADCALL(mode, options);
    wiring_.Status.SetPanelText(kStatusPanel, complete ? "Read Compelete" : "Read Error !!!!!");
    Statistics = ComputeCaptureStatistics(
        wiring_.Store, {options.ScaleDiv, options.ScaleBits, refText, options.Gain});
    return complete;
}

bool AdcCapture::ReadADCALL(int mode, const CaptureOptions& options) {
    const auto hold = wiring_.Guard.Begin();
    if (!hold) return false;
    ready_ = false;
    records_ = 0;
    received_ = 0;
    wiring_.Centre.ContinuousRead = false;
    const int32_t target = CaptureTarget(options.NPoint);
    wiring_.Store.ClearSamples(std::max(options.NPoint, target));
    wiring_.Store.Requested = target;
    const double startMs = wiring_.Time.SteadyMs();
    lastDataMs_ = startMs;
    Report(0);
    wiring_.Link.StartAdcStream(static_cast<uint8_t>(mode));
    wiring_.Centre.ChartLive = !options.ChangeMode;
    Stream(mode, options, target);
    wiring_.Centre.ChartLive = false;
    wiring_.Link.StopAdcStream();
    ElapsedMs = wiring_.Time.ElapsedMs(startMs);
    Rates = {options.ConfiguredRate, MeasuredRate(received_, lastDataMs_ - startMs)};
    // Mean and RMS value of what arrived, also after a failure, so the statistics describe it.
    wiring_.Store.CloseCapture();
    const bool complete = !ready_;
    ready_ = true;
    if (Finished) Finished();
    return complete;
}

// One fetch per batch; window messages go through once per batch, and a stop press, a closing
// main window or 10 s without a sample end the stream.
void AdcCapture::Stream(int mode, const CaptureOptions& options, int32_t target) {
    while (wiring_.Store.SampleCount < target && !ready_) {
        // The records arrived when the fetch was asked for.
        const AdcRecords batch = wiring_.Link.FetchAdcSamples();
        if (batch.Count > 0) {
            lastDataMs_ = batch.AskedMs;
            received_ += batch.Count;
        }
        KeepBatch(batch, mode, options, target);
        if (wiring_.Time.ElapsedMs(lastDataMs_) > kNoDataTimeoutMs) ready_ = true;
        Report(wiring_.Store.SampleCount * 100 / target);
        wiring_.Guard.Pump();
        if (wiring_.Guard.StopRequested()) ready_ = true;
    }
}

// Records past the target in the last batch are dropped: the capture keeps exactly its count.
void AdcCapture::KeepBatch(const AdcRecords& batch, int mode, const CaptureOptions& options,
                           int32_t target) {
    for (int k = 0; k < batch.Count && wiring_.Store.SampleCount < target; ++k) {
        if (records_++ < kDiscardedRecords) continue;
        const auto record = batch.Record(k);
        const int32_t code = DecodeRecord(mode, record[0], record[1], record[2], options.Decode);
        wiring_.Store.KeepSample(code, options.ScaleDiv);
    }
}

void AdcCapture::Report(int percent) const {
    if (Progress) Progress(percent);
}

void AdcCapture::ClrTMP(int32_t nPoint, bool& changeMode) {
    const auto count = static_cast<size_t>(std::clamp<int32_t>(nPoint, 0, kSampleCapacity));
    std::fill_n(wiring_.Store.Cells.begin(), count, GridValue{});
    std::fill_n(wiring_.Store.ADCData.begin(), count, 0.0);
    changeMode = false;
}

bool AdcCapture::WaitTRIGER(double seconds) {
    return wiring_.Guard.WaitMs(seconds * kMsPerSecond, [this](double waitedMs) {
        const auto whole = static_cast<int64_t>(std::floor(waitedMs / kMsPerSecond));
        wiring_.Status.SetPanelText(kStatusPanel, std::to_string(whole % kSecondsPerMinute));
    });
}

} // namespace qn
