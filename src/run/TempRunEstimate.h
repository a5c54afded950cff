// How long a temperature run takes when every step's capture succeeds at its first attempt (a
// clean run): the chamber's ramps and soaks and each step's instruments, waits and capture, from
// the plan and what the bench knows before the run; and the time left at a point of the run.
#pragma once

#include "instruments/StepTable.h"
#include "link/RegImage.h"
#include "run/TempTestPlan.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qn {

// The rate a chamber ramps at when a row's ramp cell is 0, °C per minute.
inline constexpr double kDefaultChamberRamp = 3.0;
// Where row 1's ramp starts when the chamber's reading is not known, °C.
inline constexpr double kAssumedRoomCelsius = 25.0;

// What the estimate needs besides the plan.
struct TempRunEstimateInput {
    const TempTestPlan& Plan;
    const StepTable& FlukeSteps;
    const StepTable& PowerSteps;
    bool FlukeSelected = true; // the calibrator's steps play only when it is selected
    bool PowerSelected = true;
    bool WithChamber = true;         // "T-Begin" ramps and soaks each row; "T-Test" does not
    double StartCelsius = NAN;       // the chamber's reading before the run; NAN: not known
    int32_t Samples = 256;           // the capture's sample count ("NPoint")
    std::vector<double> StepRates{}; // [s]: step s's output data rate, sps; missing or 0: unknown
};

// A run's duration in its parts, in milliseconds.
struct TempRunEstimate {
    std::vector<double> RowCelsius; // [r]: row r's set point, r = 1..rows ([0] unused)
    std::vector<double> RowRamp;    // [r]: row r's ramp rate in °C per minute, never 0
    std::vector<double> RampMs;     // [r]: row r's ramp from the row before (row 1: the start)
    double SoakMs = 0;              // each row's soak, its last second of checking included
    std::vector<double> StepMs;     // [s]: step s's attempts
    int AttemptsPerStep = 1;        // 1; 4 when no capture runs ("Brymen"), so no step succeeds
    bool WithChamber = true;
    // A stability gate holds each row until the readings settle: its soak counts the gate's
    // window or the soak time, whichever is longer, and the whole figure is a least time.
    bool AtLeast = false;

    size_t Rows() const { return RowCelsius.empty() ? 0 : RowCelsius.size() - 1; }
    size_t Steps() const { return StepMs.empty() ? 0 : StepMs.size() - 1; }
    double RampsMs() const;
    double SoaksMs() const { return SoakMs * static_cast<double>(Rows()); }
    double RowStepsMs() const; // one row's steps
    double TotalMs() const;
};

TempRunEstimate EstimateTempRun(const TempRunEstimateInput& input);

// The chamber's ramp from `from` to `to` °C at `perMinute` (0: kDefaultChamberRamp).
double ChamberRampMs(double from, double to, double perMinute);

// One capture of `samples` (below 1: 256) at `rate` sps (0: unknown), the discarded first records
// included; the bridge carries at most a full fetch per fetch interval, whatever the chip converts.
double CaptureDurationMs(int32_t samples, double rate);

// The output data rate of each step's capture, [s] for s = 1..StepCount: the step's register
// values written over `image` in turn, as the run writes them, then read by `rateOf` (sps, 0 when
// unknown).
std::vector<double> StepOutputRates(const TempTestPlan& plan, RegImageBytes image,
                                    const std::function<double(const RegImageBytes&)>& rateOf);

// Where a run stands, as its progress says it.
struct RunPosition {
    size_t Row = 1;              // 1-based
    size_t Step = 0;             // 0: approaching or soaking; s: an attempt of step s started
    bool Soaking = false;        // held in the band for SoakMs so far
    double SoakMs = 0;           //
    double ChamberCelsius = NAN; // the chamber's last reading; NAN before the first
};

// What remains of `estimate` from `at`: the current row's ramp from the chamber's reading (or
// the row before) and its soak, unless it is past them, the steps from the current one and the
// rows after it.
double TimeLeftMs(const TempRunEstimate& estimate, const RunPosition& at);

// "1:02:03": hours, minutes and seconds, the seconds rounded up.
std::string DurationText(double ms);
// DurationText, after "at least " when the estimate is a least time.
std::string DurationText(double ms, bool atLeast);

} // namespace qn
