// The temperature test sequence on the bench: the rows' approach and soak, and the run's end.
#include "run/TempTest.h"

#include "analysis/FixedText.h"
#include "files/NumberText.h"
#include "run/TempResultFiles.h"
#include "run/TempRunLimits.h"
#include "run/UnmeasuredSteps.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace qn {
namespace {

constexpr StatusPanel kRowPanel = StatusPanel::Link;
constexpr StatusPanel kTimePanel = StatusPanel::Outcome;
constexpr double kChamberRetryMs = 1000;
constexpr double kPollMs = 1000;
constexpr double kMsPerSecond = 1000;
constexpr double kMsPerMinute = 60'000;

std::string SoakText(double ms) {
    const auto seconds = static_cast<long>(ms / kMsPerSecond);
    const auto two = [](long v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return std::to_string(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

} // namespace

// A plan past a limit, or with a setting that is no number, is refused before anything moves, for
// a new run and a resumed one alike: a soak or delay read as 0 would measure an unsettled chip, a
// set point read as 0 would drive the chamber to 0 °C.
bool TempTest::Refused(std::string& why) const {
    why = RunLimitsRefused(plan_);
    return !why.empty();
}

// Sequence start: the counts in use, empty results sized to them (or those of the resumed run)
// and the journal's first record.
bool TempTest::Start(RunMode mode, const RunJournalContents* resume) {
    BenchInstruments& lab = wiring_.Instruments;
    plan_.SetStepRows(lab.FlukeSteps, lab.PowerSteps);
    std::string why;
    if (Refused(why)) {
        wiring_.Ask.Tell(why);
        return false;
    }
    currentRow_ = 1;
    firstStep_ = 1;
    firstAttempts_ = 0;
    regColumns_ = plan_.RegColumns();
    stepCount_ = plan_.StepCount();
    results_.Reset(plan_.TempCount(), stepCount_);
    rewrites_.Start(plan_.TempCount() * stepCount_, ProcessMs());
    filesBehind_ = false;
    latest_ = {};
    chamberCelsius_ = NAN;
    boardCelsius_ = NAN;
    completed_ = false;
    problems_.clear();
    bridgeSeen_ = wiring_.Stnd.Usb.Open;
    // A run whose journal cannot be written could neither be resumed nor rebuilt.
    if (!StartJournal(mode, resume)) {
        wiring_.Ask.Tell((problems_.empty() ? "The run journal " + wiring_.ProgramDir +
                                                  kJournalFile + " cannot be written"
                                            : problems_.front()) +
                         ": the run does not start");
        return false;
    }
    FullFileCounter = std::max(FullFileCounter, NextFreeFullFileNumber(wiring_.ProgramDir));
    estimate_ = Estimate(NAN, mode == RunMode::Begin);
    running_ = true;
    lab.Power.Wait = [this](double ms) { WaitMs(ms); };
    RunningChanged.Notify(true);
    ResultsChanged.Notify();
    return true;
}

// The end of every run: the journal's end record, the A file, the bench left safe, then what
// went wrong, told once the bench is safe. A run is complete only when it went through every row
// with every step measured, its journal holds all of it and its A file is written. The position
// line ("Channel - 2 , Step - 2") is cleared first: what went wrong is told again at the end.
void TempTest::Finish() {
    wiring_.Status.SetPanelText(kRowPanel, "");
    const bool throughRows = currentRow_ > results_.TempCount();
    const UnmeasuredSteps unmeasured = FindUnmeasured(results_);
    completed_ = throughRows && unmeasured.Count == 0 && journalOk_;
    running_ = false;
    SaveStepFiles(true);
    if (journalOk_ && !journal_.End(completed_)) {
        JournalLost();
        completed_ = false;
    }
    const ResultFileWrite written = WriteTempAFile(wiring_.ProgramDir, results_);
    if (!written.Ok()) {
        Problem(written.Error);
        completed_ = false; // measured, but not where it is looked for
    }
    LeaveBenchSafe();
    wiring_.Instruments.Power.Wait = nullptr;
    ReportEnd(unmeasured.Text);
    RunningChanged.Notify(false);
    if (throughRows && unmeasured.Count > 0)
        problems_.push_back("Not measured (no complete capture): " + unmeasured.Text);
    std::string told;
    for (const std::string& problem : problems_) told += (told.empty() ? "" : "\n") + problem;
    if (!told.empty()) wiring_.Ask.Tell(told);
}

// The bench as a run leaves it: calibrator in standby, the chamber stopped (or holding the
// chosen temperature) and, when asked for, the supply's output off.
void TempTest::LeaveBenchSafe() {
    BenchInstruments& lab = wiring_.Instruments;
    const TempRunSettings& settings = plan_.Settings;
    // A hold temperature past the limits is never sent: the chamber stops instead.
    const std::string refused = settings.HoldChamber ? HoldRefused(settings) : "";
    if (!refused.empty()) Problem(refused + ": the chamber was stopped instead");
    const bool hold = settings.HoldChamber && refused.empty() &&
                      lab.Climate.LoadTemp({settings.HoldCelsius, "0", "0", "0"}) &&
                      lab.Climate.ChamberRun();
    if (!hold) lab.Climate.ChamberStop();
    lab.Fluke.Standby();
    if (settings.SupplyOffAtEnd && lab.Ports.PowerPort.Selected && !lab.Power.OutputOff())
        wiring_.Status.SetPanelText(kRowPanel, "Power Supply output not off");
}

// A window message let through may have pressed "Stop" or asked the program to close.
bool TempTest::StillRunning() {
    if (wiring_.Guard.StopRequested()) running_ = false;
    return running_;
}

// The sequence's own waits let window messages through so "Stop" and the window stay alive;
// the short settle pauses inside an instrument exchange stay busy waits.
void TempTest::WaitMs(double ms) {
    if (!wiring_.Guard.WaitMs(ms)) running_ = false;
}

void TempTest::TBegin() {
    const auto hold = wiring_.Guard.Begin();
    if (!hold || running_ || !Start(RunMode::Begin)) return;
    BeginRows();
}

// The chamber through every row from the current one: approach, soak, then the row's steps.
void TempTest::BeginRows() {
    const double soakMs = static_cast<double>(*CellInteger(plan_.Settings.SoakMinutes)) * 60'000;
    Chamber& chamber = wiring_.Instruments.Climate;
    if (currentRow_ <= results_.TempCount() && !LoadRow(currentRow_)) return Finish();
    if (currentRow_ <= results_.TempCount() && !chamber.ChamberRun()) {
        wiring_.Instruments.Ports.Pause(kChamberRetryMs);
        if (!chamber.ChamberRun()) {
            wiring_.Ask.Tell("溫控廂 RUN ERROR!!!!!!!");
            return Finish();
        }
    }
    const bool gated = plan_.Settings.Gate != SoakRule::Band;
    while (StillRunning() && currentRow_ <= results_.TempCount()) {
        double target = 0;
        bool leftBand = !gated;
        bool open = true;
        if (gated && !WaitForGate(open)) return Finish();
        while (leftBand) {
            if (!Approach(target)) return Finish();
            const double soakStart = wiring_.Time.SteadyMs();
            leftBand = false;
            // At least one pause and one reading in the band, however short the soak.
            do {
                if (!Soak(target, soakStart, leftBand)) return Finish();
            } while (!leftBand && wiring_.Time.SteadyMs() - soakStart <= soakMs);
        }
        if (open)
            MeasureRow();
        else
            ++currentRow_; // the gate gave the row up: its steps stay unmeasured
        if (running_ && currentRow_ <= results_.TempCount() && !LoadRow(currentRow_))
            return Finish();
    }
    Finish();
}

void TempTest::TTest() {
    const auto hold = wiring_.Guard.Begin();
    if (!hold || running_ || !Start(RunMode::Test)) return;
    TestRows();
}

void TempTest::TestRows() {
    while (StillRunning() && currentRow_ <= results_.TempCount()) MeasureRow();
    Finish();
}

// During a run the click comes from a window message the run let through: it only ends the run,
// whose finish stops the chamber, so no second exchange starts inside the running one.
void TempTest::StopClick() {
    if (running_) {
        wiring_.Capture.Stop();
        temperatureCapture_.Stop();
    }
    running_ = false;
    if (const auto hold = wiring_.Guard.Begin()) wiring_.Instruments.Climate.ChamberStop();
}

void TempTest::RunClick() {
    if (const auto hold = wiring_.Guard.Begin()) wiring_.Instruments.Climate.ChamberRun();
}

void TempTest::StandbyClick() {
    if (const auto hold = wiring_.Guard.Begin()) wiring_.Instruments.Fluke.Standby();
}

void TempTest::EnterClick(bool lock330mV, bool lock3V) {
    if (const auto hold = wiring_.Guard.Begin())
        wiring_.Instruments.Fluke.RangeLock(lock330mV, lock3V);
}

void TempTest::SaveData() {
    std::string told;
    for (const std::string& error : WriteStepFiles()) told += (told.empty() ? "" : "\n") + error;
    filesBehind_ = filesBehind_ && !told.empty();
    if (!told.empty()) wiring_.Ask.Tell(told);
}

bool TempTest::LoadRow(size_t row) {
    const TemperatureRow& cells = plan_.Rows.at(row);
    return wiring_.Instruments.Climate.LoadTemp(
        {cells.Temperature, cells.Humidity, cells.TemperatureRamp, cells.HumidityRamp});
}

bool TempTest::ReadTenths(double& tenths) {
    const std::optional<double> celsius = wiring_.Instruments.Climate.ReadCelsius();
    if (!celsius) return false;
    tenths = *celsius * 10;
    chamberCelsius_ = tenths / 10;
    wiring_.Status.SetPanelText(kRowPanel, TwoDecimals(tenths / 10));
    return true;
}

// The row's set point, read again from its cell (the engineer may edit it while waiting), and
// whether `tenths` lies within the band around it.
bool TempTest::InBand(double tenths, double& target) const {
    target = CellNumber(plan_.Rows.at(currentRow_).Temperature).value_or(0);
    return std::fabs(tenths - target * 10) < kTemperatureBandTenths;
}

// Waits until the chamber reads within the band of the row's set point; false ends the run.
bool TempTest::Approach(double& target) {
    while (true) {
        wiring_.Guard.Pump();
        double tenths = 0;
        if (!ReadTenths(tenths)) return false;
        Report(0, false);
        if (InBand(tenths, target)) return true;
        if (!StillRunning()) return false;
        WaitMs(kPollMs);
        if (InBand(tenths, target)) return true;
    }
}

// One second of the soak; `leftBand` when the chamber strayed out of the band.
bool TempTest::Soak(double target, double soakStart, bool& leftBand) {
    WaitMs(kPollMs);
    double tenths = 0;
    if (!ReadTenths(tenths)) return false;
    if (std::fabs(tenths - target * 10) >= kTemperatureBandTenths) {
        leftBand = true;
        return true;
    }
    wiring_.Guard.Pump();
    if (!StillRunning()) return false;
    const double soakedMs = wiring_.Time.SteadyMs() - soakStart;
    wiring_.Status.SetPanelText(kTimePanel, SoakText(soakedMs));
    Report(0, true, soakedMs);
    return true;
}

// Waits at the row until its stability gate opens, once a second reading the chamber and, for
// the board gate, the chip; the journal keeps when the gate opened or gave up. `open` is false
// when the gate gave the row up; false ends the run.
bool TempTest::WaitForGate(bool& open) {
    const TempRunSettings& s = plan_.Settings;
    SoakGateSettings settings;
    settings.Rule = s.Gate;
    settings.SetPointCelsius = CellNumber(plan_.Rows.at(currentRow_).Temperature).value_or(0);
    settings.WindowMs = *CellNumber(s.GateMinutes) * kMsPerMinute;
    settings.BandCelsius = *CellNumber(s.GateBand);
    settings.SpreadCelsius = *CellNumber(s.GateSpread);
    settings.BoardChangeCelsius = *CellNumber(s.BoardChange);
    settings.MinimumMs = static_cast<double>(*CellInteger(s.SoakMinutes)) * kMsPerMinute;
    settings.LimitMs = *CellNumber(s.GateLimitMinutes) * kMsPerMinute;
    const double startMs = wiring_.Time.SteadyMs();
    SoakGate gate(settings, startMs);
    while (true) {
        wiring_.Guard.Pump();
        if (!StillRunning()) return false;
        double tenths = 0;
        if (!ReadTenths(tenths)) return false;
        const double board = s.Gate == SoakRule::Board ? ReadBoard() : NAN;
        const double nowMs = wiring_.Time.SteadyMs();
        const SoakGate::State state = gate.Feed(nowMs, tenths / 10, board);
        wiring_.Status.SetPanelText(kTimePanel, SoakText(nowMs - startMs));
        // Approaching until the chamber first comes within ±B, soaking from then on: the time
        // left counts the rest of the ramp, then the rest of the gate's least soak.
        const double soakedMs = gate.SoakedMs();
        Report(0, soakedMs >= 0, std::max(0.0, soakedMs), gate.Text());
        if (state != SoakGate::State::Waiting) {
            open = state == SoakGate::State::Open;
            const std::string where = "Row " + std::to_string(currentRow_) + " (" +
                                      plan_.Rows.at(currentRow_).Temperature + " °C): ";
            if (open)
                Note(where + gate.Outcome());
            else
                GiveUpRow(where + gate.Outcome() + ": the row is not measured");
            return true;
        }
        WaitMs(kPollMs);
    }
}

// The chip's own temperature reading in °C; NaN when the bridge is closed or the read fails.
double TempTest::ReadBoard() {
    if (!wiring_.Stnd.Usb.Open || !wiring_.Link.ReadTempResult()) return NAN;
    const auto& bytes = wiring_.Link.Readings.Temp;
    const auto code = static_cast<int16_t>(static_cast<uint16_t>(bytes[0] << 8 | bytes[1]));
    return code / kBoardCodesPerCelsius;
}

// A row given up: the journal and the end of the run say why; its steps stay unmeasured.
void TempTest::GiveUpRow(const std::string& why) {
    Note(why);
    Problem(why);
    firstStep_ = 1;
    firstAttempts_ = 0;
}

} // namespace qn
