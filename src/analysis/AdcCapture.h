// The ADC capture: streams conversion results from the bridge into the sample store, with the
// first records discarded, a no-data time-out, a stop by the user and a progress report. The
// analysis window's "Catch ADC" and the temperature test both capture through it.
#pragma once

#include "analysis/AnalysisStore.h"
#include "analysis/Decoding.h"
#include "analysis/NoiseStatistics.h"
#include "analysis/SampleRate.h"
#include "host/Clock.h"
#include "host/StatusBar.h"
#include "link/ChipLink.h"
#include "link/ExchangeGuard.h"
#include "link/LinkCentre.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qn {

// Records at the start of every stream that are thrown away before samples are kept.
inline constexpr int kDiscardedRecords = 13;
// A capture that receives nothing for this long ends as failed.
inline constexpr double kNoDataTimeoutMs = 10'000;
// Samples taken when the sample count is below 1.
inline constexpr int32_t kDefaultCaptureSamples = 256;

// The settings of the analysis window that a capture and its statistics use.
struct CaptureOptions {
    int32_t NPoint = kDefaultCaptureSamples;
    int32_t ScaleDiv = 1;
    int32_t ScaleBits = 23;
    bool ChangeMode = false; // the chart shows the change sums: no live chart while capturing
    double Gain = 1;         // front-end gain for the statistics
    DecodeOptions Decode;
    double ConfiguredRate = 0; // the chip's output data rate (ConfiguredOutputRate); 0: unknown
};

// What the capture works with; all of it outlives the capture object.
struct CaptureWiring {
    ChipLink& Link;
    ExchangeGuard& Guard;
    Clock& Time;
    StatusBar& Status;
    LinkCentre& Centre;
    AnalysisStore& Store;
};

class AdcCapture {
  public:
    explicit AdcCapture(const CaptureWiring& wiring) : wiring_(wiring) {}
    // The same link and bench as `same`, capturing into a store of its own (a second channel).
    AdcCapture(const AdcCapture& same, AnalysisStore& store)
        : wiring_{same.wiring_.Link,   same.wiring_.Guard,  same.wiring_.Time,
                  same.wiring_.Status, same.wiring_.Centre, store} {}

    // Empties the result panels, captures, posts "Read Compelete" or "Read Error !!!!!" on status
    // panel 2 and computes the statistics of what was taken. True when the capture completed;
    // false without touching anything when another operation owns the link.
    bool CatchACDCOM(const std::string& refText, int mode, const CaptureOptions& options);
    // The capture loop alone: true when every sample arrived, false on a time-out, a stop or
    // when another operation owns the link.
    bool ReadADCALL(int mode, const CaptureOptions& options);

    // A second "Catch ADC" press: the running capture ends at its next check.
    void Stop() { ready_ = true; }
    // No capture is running.
    bool Ready() const { return ready_; }

    // Empties the grid cells of the first `nPoint` samples, zeroes their codes and turns the
    // chart back to the codes.
    void ClrTMP(int32_t nPoint, bool& changeMode);
    // Waits `seconds` letting window messages through, showing the seconds field of the time
    // waited on status panel 2. False when the main window asked the running operation to stop.
    bool WaitTRIGER(double seconds);

    // Told 0 at the start and the percentage of samples taken after every batch (the gauge).
    std::function<void(int percent)> Progress;
    // Told when a capture has ended, however it ended (the gauge hides).
    std::function<void()> Finished;
    // Duration of the last capture in milliseconds.
    double ElapsedMs = 0;
    // The last capture's configured rate and the rate its records arrived at.
    CaptureRates Rates;
    // Outcome of the last statistics, for the status bar or an error box.
    AnalysisStatus Statistics;

  private:
    void Stream(int mode, const CaptureOptions& options, int32_t target);
    void KeepBatch(const AdcRecords& batch, int mode, const CaptureOptions& options,
                   int32_t target);
    void Report(int percent) const;

    CaptureWiring wiring_;
    bool ready_ = true;
    int records_ = 0;       // records kept or discarded in this capture
    int64_t received_ = 0;  // records the bridge answered in this capture
    double lastDataMs_ = 0; // steady time of the last answer that carried records
};

} // namespace qn
