// The clean run's duration: ramps, soaks and step attempts, with the waits the sequence makes.
#include "run/TempRunEstimate.h"
#include "files/NoCase.h"

#include "files/NumberText.h"
#include "instruments/InstrumentPorts.h"
#include "instruments/PowerSupply.h"
#include "link/ChipLink.h"
#include "run/TempTest.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace qn {
namespace {

constexpr double kMsPerSecond = 1000;
constexpr double kMsPerMinute = 60'000;
constexpr double kSoakCheckMs = 1000;         // the soak ends at the first check past its time
constexpr double kSlowRegisterWriteMs = 1000; // registers 49 and 50 read back a second later
// The most records a capture gets per second: a full fetch every fetch interval.
constexpr double kBridgeRecordsPerSecond = kMaxSamplesPerFetch * kMsPerSecond / kFetchIntervalMs;

// A supply command is a query with CR LF; a setting ("VOLT 3.3") gets no answer, so the sequence
// sends it a second time.
double SupplyQueryMs(const std::string& command) {
    return command.find('?') == std::string::npos ? 2 * kQueryWaitMs : kQueryWaitMs;
}

// Each calibrator line goes out as the text and a lone CR, each followed by its pause.
constexpr double kCalibratorLineMs = 2 * kSendTextPauseMs;

double SupplyStepMs(const TempRunEstimateInput& in, size_t s) {
    if (!in.PowerSelected || !in.PowerSteps.StepOn(s)) return 0;
    const std::string& command = in.PowerSteps.Row(s).Input;
    double ms = SupplyQueryMs(command);
    if (!StartsWithNoCase(command, "OUTP OFF")) ms += SupplyQueryMs("OUTP ON");
    return ms + PowerSupply::DelayMs(in.Plan.Settings.SupplyDelay);
}

// The step's line (after "STBY" unless "不關閉Fluke"), its answer, then "OPER" and its answer.
double CalibratorStepMs(const TempRunEstimateInput& in, size_t s) {
    if (!in.FlukeSelected || !in.FlukeSteps.StepOn(s)) return 0;
    const std::string& command = in.FlukeSteps.Row(s).Input;
    double ms = (in.Plan.Settings.KeepFlukeOn ? 1 : 2) * kCalibratorLineMs + kCalibratorSettleMs;
    if (!StartsWithNoCase(command, "STBY")) ms += kCalibratorLineMs + kCalibratorSettleMs;
    return ms;
}

double RegisterStepMs(const TempTestPlan& plan, size_t columns) {
    double ms = 0;
    for (size_t c = 1; c <= columns; ++c) {
        const uint32_t address = ParseHex(plan.RegChg.Cell(c, 0)) % 256;
        if (address == kSlowRegisterA || address == kSlowRegisterB) ms += kSlowRegisterWriteMs;
    }
    return ms;
}

double StepAttemptMs(const TempRunEstimateInput& in, size_t s, size_t columns) {
    const TempRunSettings& settings = in.Plan.Settings;
    const double delay = CellNumber(in.Plan.RegChg.Cell(kDelayColumn, s)).value_or(0);
    double ms = SupplyStepMs(in, s) + CalibratorStepMs(in, s) + RegisterStepMs(in.Plan, columns) +
                kStepSettleMs + 2 * delay * kMsPerSecond;
    if (settings.Source != CaptureSource::Brymen) {
        const double rate = s < in.StepRates.size() ? in.StepRates[s] : 0;
        ms += (settings.Alternate ? 2 : 1) * CaptureDurationMs(in.Samples, rate);
    }
    return ms;
}

} // namespace

double TempRunEstimate::RampsMs() const {
    return RampMs.empty() ? 0 : std::accumulate(RampMs.begin() + 1, RampMs.end(), 0.0);
}

double TempRunEstimate::RowStepsMs() const {
    const double one = StepMs.empty() ? 0 : std::accumulate(StepMs.begin() + 1, StepMs.end(), 0.0);
    return one * AttemptsPerStep;
}

double TempRunEstimate::TotalMs() const {
    return RampsMs() + SoaksMs() + RowStepsMs() * static_cast<double>(Rows());
}

double ChamberRampMs(double from, double to, double perMinute) {
    const double rate = perMinute == 0 ? kDefaultChamberRamp : std::fabs(perMinute);
    return std::fabs(to - from) / rate * kMsPerMinute;
}

double CaptureDurationMs(int32_t samples, double rate) {
    const double target =
        samples < 1 ? kDefaultCaptureSamples : std::min<double>(samples, kSampleCapacity);
    const double perSecond =
        rate > 0 ? std::min(rate, kBridgeRecordsPerSecond) : kBridgeRecordsPerSecond;
    // The first fetch finds the stream just started: one interval more.
    return (target + kDiscardedRecords) / perSecond * kMsPerSecond + kFetchIntervalMs;
}

std::vector<double> StepOutputRates(const TempTestPlan& plan, RegImageBytes image,
                                    const std::function<double(const RegImageBytes&)>& rateOf) {
    const size_t columns = plan.RegColumns();
    std::vector<double> rates(plan.StepCount() + 1, 0.0);
    for (size_t s = 1; s < rates.size(); ++s) {
        for (size_t c = 1; c <= columns; ++c) {
            const uint32_t address = ParseHex(plan.RegChg.Cell(c, 0)) % 256;
            image.at(address) = static_cast<uint8_t>(ParseHex(plan.RegChg.Cell(c, s)));
        }
        rates[s] = rateOf ? rateOf(image) : 0;
    }
    return rates;
}

TempRunEstimate EstimateTempRun(const TempRunEstimateInput& in) {
    const TempTestPlan& plan = in.Plan;
    TempRunEstimate e;
    e.WithChamber = in.WithChamber;
    e.RowCelsius.assign(1, 0.0);
    e.RowRamp.assign(1, kDefaultChamberRamp);
    e.RampMs.assign(1, 0.0);
    double from = std::isnan(in.StartCelsius) ? kAssumedRoomCelsius : in.StartCelsius;
    for (size_t r = 1; r <= plan.TempCount(); ++r) {
        const double to = CellNumber(plan.Rows[r].Temperature).value_or(0);
        const double ramp = CellNumber(plan.Rows[r].TemperatureRamp).value_or(0);
        e.RowCelsius.push_back(to);
        e.RowRamp.push_back(ramp == 0 ? kDefaultChamberRamp : std::fabs(ramp));
        e.RampMs.push_back(in.WithChamber ? ChamberRampMs(from, to, ramp) : 0);
        from = to;
    }
    if (in.WithChamber) {
        double soakMs =
            static_cast<double>(CellInteger(plan.Settings.SoakMinutes).value_or(0)) * kMsPerMinute;
        e.AtLeast = plan.Settings.Gate != SoakRule::Band;
        if (e.AtLeast)
            soakMs =
                std::max(soakMs, CellNumber(plan.Settings.GateMinutes).value_or(0) * kMsPerMinute);
        e.SoakMs = soakMs + kSoakCheckMs;
    }
    const size_t columns = plan.RegColumns();
    e.StepMs.assign(1, 0.0);
    for (size_t s = 1; s <= plan.StepCount(); ++s)
        e.StepMs.push_back(StepAttemptMs(in, s, columns));
    e.AttemptsPerStep = plan.Settings.Source == CaptureSource::Brymen ? kStepAttempts : 1;
    return e;
}

double TimeLeftMs(const TempRunEstimate& e, const RunPosition& at) {
    if (at.Row < 1 || at.Row > e.Rows()) return 0;
    const size_t r = at.Row;
    double left = 0;
    if (at.Step > 0) {
        for (size_t s = std::min(at.Step, e.Steps() + 1); s <= e.Steps(); ++s)
            left += e.StepMs[s] * e.AttemptsPerStep;
    } else {
        if (at.Soaking)
            left += std::max(0.0, e.SoakMs - at.SoakMs);
        else if (e.WithChamber)
            left += (std::isnan(at.ChamberCelsius)
                         ? e.RampMs[r]
                         : ChamberRampMs(at.ChamberCelsius, e.RowCelsius[r], e.RowRamp[r])) +
                    e.SoakMs;
        left += e.RowStepsMs();
    }
    for (size_t later = r + 1; later <= e.Rows(); ++later)
        left += e.RampMs[later] + e.SoakMs + e.RowStepsMs();
    return left;
}

std::string DurationText(double ms) {
    const auto seconds = static_cast<long long>(std::ceil(std::max(0.0, ms) / kMsPerSecond));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

std::string DurationText(double ms, bool atLeast) {
    return (atLeast ? "at least " : "") + DurationText(ms);
}

} // namespace qn
