// The temperature test sequence on the bench: approach, soak, the steps of each row, the files.
#include "instruments/TempTest.h"

#include "analysis/Decoding.h"
#include "analysis/FixedText.h"
#include "chip/NumberText.h"
#include "instruments/TempResultFiles.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace qn {
namespace {

constexpr int kRowPanel = 1;
constexpr int kTimePanel = 2;
constexpr double kChamberRetryMs = 1000;
constexpr double kPollMs = 1000;
constexpr uint16_t kReadBackRegisters = 5;
constexpr double kMsPerSecond = 1000;

std::string SoakText(double ms) {
    const auto seconds = static_cast<long>(ms / kMsPerSecond);
    const auto two = [](long v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return std::to_string(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

} // namespace

// Settings that cannot be read as numbers are refused before anything moves: a soak or delay
// read as 0 would measure an unsettled chip, a set point read as 0 would drive the chamber to 0 °C.
bool TempTest::Refused(std::string& why) const {
    if (!CellInteger(plan_.Settings.SoakMinutes)) {
        why = "等待溫度穩定時間 \"" + plan_.Settings.SoakMinutes + "\" is not a whole number";
        return true;
    }
    for (size_t s = 1; s <= plan_.StepCount(); ++s) {
        const std::string& delay = plan_.RegChg.Cell(kDelayColumn, s);
        if (!CellNumber(delay)) {
            why = "Delay of step " + std::to_string(s) + " \"" + delay + "\" is not a number";
            return true;
        }
    }
    for (size_t r = 1; r <= plan_.TempCount(); ++r) {
        if (!CellNumber(plan_.Rows[r].Temperature) || !CellNumber(plan_.Rows[r].Humidity)) {
            why = "溫度 of row " + std::to_string(r) + " is not a number";
            return true;
        }
    }
    return false;
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
    running_ = true;
    currentRow_ = 1;
    firstStep_ = 1;
    firstAttempts_ = 0;
    regColumns_ = plan_.RegColumns();
    stepCount_ = plan_.StepCount();
    results_.Reset(plan_.TempCount(), stepCount_);
    latest_ = {};
    chamberCelsius_ = NAN;
    StartJournal(mode, resume);
    lab.Power.Wait = [this](double ms) { WaitMs(ms); };
    if (RunningChanged) RunningChanged(true);
    if (ResultsChanged) ResultsChanged();
    return true;
}

void TempTest::Finish() {
    const bool completed = currentRow_ > results_.TempCount();
    if (completed) Report(stepCount_, false, 0, true);
    running_ = false;
    if (journalOk_) journal_.End(completed);
    const ResultFileWrite written = WriteTempAFile(wiring_.ProgramDir, results_);
    if (!written.Ok()) wiring_.Ask.Tell(written.Error);
    LeaveBenchSafe();
    wiring_.Instruments.Power.Wait = nullptr;
    if (RunningChanged) RunningChanged(false);
}

// The bench as a run leaves it: calibrator in standby, the chamber stopped (or holding the
// chosen temperature) and, when asked for, the supply's output off.
void TempTest::LeaveBenchSafe() {
    BenchInstruments& lab = wiring_.Instruments;
    const TempRunSettings& settings = plan_.Settings;
    const bool hold = settings.HoldChamber && CellNumber(settings.HoldCelsius).has_value() &&
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
    while (StillRunning() && currentRow_ <= results_.TempCount()) {
        double target = 0;
        bool leftBand = true;
        while (leftBand) {
            if (!Approach(target)) return Finish();
            const double soakStart = wiring_.Time.SteadyMs();
            leftBand = false;
            while (!leftBand && wiring_.Time.SteadyMs() - soakStart <= soakMs) {
                if (!Soak(target, soakStart, leftBand)) return Finish();
            }
        }
        MeasureRow();
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
    WriteTempBFile(wiring_.ProgramDir, results_, plan_.Settings.Alternate);
    if (plan_.Settings.Source != CaptureSource::Adc) WriteMeterFile(wiring_.ProgramDir, results_);
}

bool TempTest::LoadRow(size_t row) {
    const TemperatureRow& cells = plan_.Rows.at(row);
    return wiring_.Instruments.Climate.LoadTemp(
        {cells.Temperature, cells.Humidity, cells.TemperatureRamp, cells.HumidityRamp});
}

bool TempTest::ReadTenths(double& tenths) {
    uint16_t word = 0;
    uint16_t humidity = 0;
    if (!wiring_.Instruments.Climate.ReadTemp(word, humidity)) return false;
    tenths = ChamberCelsius(word) * 10;
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

// The row counts as measured, and the run moves to the next, only when its last step ended.
void TempTest::MeasureRow() {
    wiring_.Centre.ReopenUsb();
    size_t s = firstStep_;
    for (int attempts = firstAttempts_; s <= stepCount_ && running_; ++s, attempts = 0)
        if (!MeasureStep(s, attempts)) break;
    firstStep_ = 1;
    firstAttempts_ = 0;
    if (s > stepCount_) ++currentRow_;
}

// Attempts of step `s` after the `attempts` it already had, each journalled once it ended;
// false when the run stopped before the step ended.
bool TempTest::MeasureStep(size_t s, int attempts) {
    bool done = false;
    while (!done && StillRunning()) {
        const int attempt = ++attempts;
        PlayStep(s);
        done = CaptureStep(s);
        if (!running_) break;
        std::string fullFile;
        if (plan_.Settings.SaveFullFiles && done && !SaveFullFile(fullFile)) break;
        if (attempt >= kStepAttempts) done = true;
        Journal(s, attempt, done, fullFile);
    }
    return done;
}

// A bridge lost during the run (cable, hub, power) is closed and opened again before the next
// step attempt, and the journal keeps a line of it; the run goes on either way.
void TempTest::ReopenLostBridge(size_t s) {
    wiring_.Centre.ReopenUsb();
    Note("Bridge lost before row " + std::to_string(currentRow_) + " step " + std::to_string(s) +
         (wiring_.Stnd.Usb.Open ? ": reopened" : ": not found again"));
}

// The set points, the supply's and the calibrator's step and the step's register values.
void TempTest::PlayStep(size_t s) {
    BenchInstruments& lab = wiring_.Instruments;
    const size_t row = currentRow_;
    Report(s, false);
    if (!wiring_.Stnd.Usb.Open) ReopenLostBridge(s);
    if (wiring_.Stnd.Usb.Open) {
        results_.SetPoint(row) = CellNumber(plan_.Rows[row].Temperature).value_or(0);
        results_.HumiditySetPoint(row) = CellNumber(plan_.Rows[row].Humidity).value_or(0);
        wiring_.Status.SetPanelText(kRowPanel, "Channel - " + std::to_string(row) + " , Step - " +
                                                   std::to_string(s));
    }
    const StepRow& power = lab.PowerSteps.Row(s);
    if (lab.PowerSteps.StepOn(s) && lab.Ports.PowerPort.Selected)
        lab.Power.PlayStep(power.Step, power.Input, plan_.Settings.SupplyDelay);
    const StepRow& fluke = lab.FlukeSteps.Row(s);
    const bool flukeOn = lab.FlukeSteps.StepOn(s) && lab.Ports.FlukePort.Selected;
    if (flukeOn) lab.Fluke.PlayStep(fluke.Input, plan_.Settings.KeepFlukeOn);
    if (wiring_.Stnd.Usb.Open) {
        for (size_t c = 1; c <= regColumns_; ++c) {
            const uint32_t address = ParseHex(plan_.RegChg.Cell(c, 0)) % 256;
            const uint32_t value = ParseHex(plan_.RegChg.Cell(c, s));
            wiring_.Link.WriteRegister(static_cast<int>(address), static_cast<uint8_t>(value));
        }
    }
    if (flukeOn) lab.Fluke.OperateAfterStep(fluke.Input);
}

// The wait, the register reads, the capture and its statistics of one step attempt.
bool TempTest::CaptureStep(size_t s) {
    AdcCapture& capture = wiring_.Capture;
    const CaptureOptions options = Window.Options ? Window.Options() : CaptureOptions{};
    WaitMs(kStepSettleMs);
    bool changeMode = options.ChangeMode;
    capture.ClrTMP(options.NPoint, changeMode);
    if (Window.EnableCatch) Window.EnableCatch(false);
    const double delay = CellNumber(plan_.RegChg.Cell(kDelayColumn, s)).value_or(0);
    if (!capture.WaitTRIGER(delay)) running_ = false;
    if (running_ && !capture.WaitTRIGER(delay)) running_ = false;
    bool done = false;
    if (plan_.Settings.Source != CaptureSource::Brymen) {
        for (uint16_t r = 0; r < kReadBackRegisters; ++r) wiring_.Link.ReadChip(r, 1);
        const std::string& acm = plan_.RegChg.Cell(kAcmColumn, s);
        if (Window.SetRefText) Window.SetRefText(acm);
        if (wiring_.Stnd.Usb.Open) {
            const bool temperature = plan_.Settings.Measure == CaptureMeasure::Temperature;
            CaptureOptions step = options;
            step.ChangeMode = changeMode;
            step.Decode = temperature ? DecodeOptions{false, true} : DecodeOptions{true, false};
            done =
                capture.CatchACDCOM(acm, temperature ? kMode16Temperature : kMode24Interrupt, step);
            (temperature ? latest_.Temperature : latest_.Adc) = wiring_.Samples.Figures;
            results_.Result(currentRow_, s) = latest_;
        }
    }
    if (Window.EnableCatch) Window.EnableCatch(true);
    if (ResultsChanged) ResultsChanged();
    SaveData(); // the B file (and the multimeter file) after every attempt, as "SaveData" writes
                // them
    return done;
}

// The full data file of a successful step; a "TEMP" folder that cannot be made ends the run.
bool TempTest::SaveFullFile(std::string& name) {
    const AnalysisStore* temperature = plan_.Settings.Alternate ? &wiring_.Samples : nullptr;
    const ResultFileWrite written = WriteFullDataFile(
        wiring_.ProgramDir, static_cast<int>(FullFileCounter), wiring_.Samples, temperature);
    if (!written.Ok()) {
        wiring_.Ask.Tell(written.Error);
        running_ = false;
        return false;
    }
    name = std::string(kFullDataFolder) + "QnTMP-" + std::to_string(FullFileCounter) + ".CSV";
    ++FullFileCounter;
    if (FileWritten) FileWritten(written.Path);
    return true;
}

void TempTest::Report(size_t step, bool soaking, double soakMs, bool completed) {
    if (ProgressChanged) {
        const size_t row = std::min(currentRow_, results_.TempCount());
        ProgressChanged({row, results_.TempCount(), step, stepCount_, soaking, soakMs,
                         chamberCelsius_, completed});
    }
}

} // namespace qn
