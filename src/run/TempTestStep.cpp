// The steps of a temperature row: each attempt plays the step's instruments and registers,
// captures, and is journalled; only a complete capture is a result.
#include "run/TempTest.h"

#include "analysis/Decoding.h"
#include "files/NumberText.h"
#include "run/TempResultFiles.h"

#include <algorithm>
#include <string>

namespace qn {
namespace {

constexpr StatusPanel kRowPanel = StatusPanel::Link;
constexpr uint16_t kReadBackRegisters = 5;

} // namespace

// The row counts as measured, and the run moves to the next, only when its last step ended.
void TempTest::MeasureRow() {
    bridgeSeen_ = wiring_.Centre.ReopenUsb() || bridgeSeen_;
    size_t s = firstStep_;
    for (int attempts = firstAttempts_; s <= stepCount_ && running_; ++s, attempts = 0)
        if (!MeasureStep(s, attempts)) break;
    firstStep_ = 1;
    firstAttempts_ = 0;
    SaveStepFiles(true);
    if (s > stepCount_) ++currentRow_;
}

// Attempts of step `s` after the `attempts` it already had, each journalled once it ended; a
// capture cut short by a stop leaves no attempt. False when the run stopped before the step ended.
bool TempTest::MeasureStep(size_t s, int attempts) {
    while (StillRunning()) {
        const int attempt = ++attempts;
        PlayStep(s);
        const bool captured = CaptureStep(s);
        if (!captured && !running_) break;
        std::string fullFile;
        const bool kept = !captured || !plan_.Settings.SaveFullFiles || SaveFullFile(fullFile);
        const bool final = captured || attempt >= kStepAttempts;
        // The journal, the result files and the results say the same: what the journal does not
        // hold was not measured.
        if (!kept || !Journal(s, attempt, final, captured, fullFile)) {
            results_.SetMeasured(currentRow_, s, false);
            break;
        }
        SaveStepFiles(false);
        if (final) return true;
    }
    return false;
}

// A bridge lost during the run (cable, hub, power) is closed and opened again before the next
// step attempt, and the journal keeps a line of it; the run goes on either way.
void TempTest::ReopenLostBridge(size_t s) {
    const bool open = wiring_.Centre.ReopenUsb();
    const std::string where = "row " + std::to_string(currentRow_) + " step " + std::to_string(s);
    if (bridgeSeen_)
        Note("Bridge lost before " + where + (open ? ": reopened" : ": not found again"));
    else
        Note(open ? "Bridge connected before " + where
                  : "No bridge is connected: " + where + " is not measured");
    bridgeSeen_ = bridgeSeen_ || open;
}

// The set points, the supply's and the calibrator's step and the step's register values.
void TempTest::PlayStep(size_t s) {
    BenchInstruments& lab = wiring_.Instruments;
    const size_t row = currentRow_;
    Report(s, false);
    if (!wiring_.Stnd.Usb.Open) ReopenLostBridge(s);
    if (wiring_.Stnd.Usb.Open) {
        results_.SetSetPoints(row, CellNumber(plan_.Rows[row].Temperature).value_or(0),
                              CellNumber(plan_.Rows[row].Humidity).value_or(0));
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

// The wait, the register reads, the capture and its statistics of one step attempt. Only a
// complete capture (both channels with "交替測量ADC與溫度") puts its figures into the results;
// a run stopped before the capture takes none.
bool TempTest::CaptureStep(size_t s) {
    AdcCapture& capture = wiring_.Capture;
    const CaptureOptions options = Window.Options ? Window.Options() : CaptureOptions{};
    WaitMs(kStepSettleMs);
    bool changeMode = options.ChangeMode;
    capture.ClrTMP(options.NPoint, changeMode);
    if (Window.EnableCatch) Window.EnableCatch(false);
    const double delay = CellNumber(plan_.RegChg.Cell(kDelayColumn, s)).value_or(0);
    if (running_ && !capture.WaitTRIGER(delay)) running_ = false;
    if (running_ && !capture.WaitTRIGER(delay)) running_ = false;
    bool done = false;
    boardCelsius_ = NAN;
    if (running_ && plan_.Settings.Source != CaptureSource::Brymen) {
        for (uint16_t r = 0; r < kReadBackRegisters; ++r) wiring_.Link.ReadChip(r, 1);
        boardCelsius_ = ReadBoard(); // kept in the journal beside the chamber's reading
        const std::string& acm = plan_.RegChg.Cell(kAcmColumn, s);
        if (Window.SetRefText) Window.SetRefText(acm);
        if (wiring_.Stnd.Usb.Open) {
            // With "交替測量ADC與溫度" the first capture is the ADC's and the second the
            // temperature channel's; otherwise the one capture is of the channel chosen, and
            // its figures are the seven the A and B files carry (never an earlier step's).
            const bool alternate = plan_.Settings.Alternate;
            const bool temperature =
                !alternate && plan_.Settings.Measure == CaptureMeasure::Temperature;
            CaptureOptions step = options;
            step.ChangeMode = changeMode;
            step.Decode = temperature ? DecodeOptions{false, true} : DecodeOptions{true, false};
            done =
                capture.CatchACDCOM(acm, temperature ? kMode16Temperature : kMode24Interrupt, step);
            latest_ = {};
            if (done) latest_.Adc = wiring_.Samples.Figures;
            if (done && temperature) latest_.Temperature = wiring_.Samples.Figures;
            if (done && alternate) done = CaptureTemperature(acm, step);
        }
    }
    if (done) {
        results_.SetResult(currentRow_, s, latest_);
        results_.SetMeasured(currentRow_, s, true);
    }
    if (Window.EnableCatch) Window.EnableCatch(true);
    ResultsChanged.Notify();
    return done;
}

// The temperature channel's own capture (16-bit codes, mode 2) into its own store, after the
// ADC's: its figures are the step's temperature figures and its samples the full data file's
// second block.
bool TempTest::CaptureTemperature(const std::string& refText, CaptureOptions options) {
    temperatureSamples_.Temperature = wiring_.Samples.Temperature;
    temperatureSamples_.ChangeSpan = wiring_.Samples.ChangeSpan;
    options.Decode = DecodeOptions{false, true};
    options.ChangeMode = true; // the chart keeps showing the ADC channel
    if (!temperatureCapture_.CatchACDCOM(refText, kMode16Temperature, options)) return false;
    latest_.Temperature = temperatureSamples_.Figures;
    return true;
}

// The full data file of a successful step; a file that cannot be written ends the run.
bool TempTest::SaveFullFile(std::string& name) {
    const AnalysisStore* temperature = plan_.Settings.Alternate ? &temperatureSamples_ : nullptr;
    const ResultFileWrite written = WriteFullDataFile(
        wiring_.ProgramDir, static_cast<int>(FullFileCounter), wiring_.Samples, temperature);
    if (!written.Ok()) {
        Problem(written.Error);
        running_ = false;
        return false;
    }
    name = std::string(kFullDataFolder) + "QnTMP-" + std::to_string(FullFileCounter) + ".CSV";
    ++FullFileCounter;
    if (!FileWritten.Notify(written.Path))
        Problem("The state snapshot beside " + written.Path + " could not be written");
    return true;
}

// The B file (and the multimeter file) after a step attempt, as "SaveData" writes them, unless
// the pacer holds a large run's rewrite back; at the end of a row or of the run only when one
// was held back. A file that cannot be written under either name is told once, when the run ends.
void TempTest::SaveStepFiles(bool rowOrRunEnd) {
    const double startMs = ProcessMs();
    if (rowOrRunEnd ? !filesBehind_ : !rewrites_.Due(startMs)) {
        filesBehind_ = filesBehind_ || !rowOrRunEnd;
        return;
    }
    for (const std::string& error : WriteStepFiles()) Problem(error);
    rewrites_.Rewrote(ProcessMs() - startMs);
    filesBehind_ = false;
}

// The B file and, unless the source is "ADC", the multimeter file; what could not be written.
std::vector<std::string> TempTest::WriteStepFiles() {
    std::vector<std::string> errors;
    const ResultFileWrite b =
        WriteTempBText(wiring_.ProgramDir, fileLines_.BPieces(results_, plan_.Settings.Alternate));
    if (!b.Ok()) errors.push_back(b.Error);
    if (plan_.Settings.Source == CaptureSource::Adc) return errors;
    const ResultFileWrite meter =
        WriteMeterText(wiring_.ProgramDir, fileLines_.MeterPieces(results_));
    if (!meter.Ok()) errors.push_back(meter.Error);
    return errors;
}

// Said on the status bar at once and told when the run ends, once however often it happens.
void TempTest::Problem(const std::string& text) {
    if (std::find(problems_.begin(), problems_.end(), text) != problems_.end()) return;
    problems_.push_back(text);
    wiring_.Status.SetPanelText(kRowPanel, text);
}

// Where the run is now, for the window's status panels and progress bar.
TempTestProgress TempTest::Progress() const {
    TempTestProgress p;
    p.Row = std::min(currentRow_, results_.TempCount());
    p.Rows = results_.TempCount();
    p.Steps = stepCount_;
    p.ChamberCelsius = chamberCelsius_;
    return p;
}

void TempTest::Report(size_t step, bool soaking, double soakMs, const std::string& gate) {
    if (ProgressChanged.Empty()) return;
    TempTestProgress p = Progress();
    p.Step = step;
    p.Soaking = soaking;
    p.SoakMs = soakMs;
    p.Gate = gate;
    p.LeftMs = TimeLeftMs(estimate_, {p.Row, step, soaking, soakMs, p.ChamberCelsius});
    p.LeftAtLeast = estimate_.AtLeast;
    ProgressChanged.Notify(p);
}

void TempTest::ReportEnd(const std::string& unmeasured) {
    if (ProgressChanged.Empty()) return;
    TempTestProgress p = Progress();
    p.Ended = true;
    p.Completed = completed_;
    p.Unmeasured = unmeasured;
    p.LeftMs = 0;
    ProgressChanged.Notify(p);
}

// The step rates follow the step's register values from the chip's registers as they stand.
TempRunEstimate TempTest::Estimate(double chamberCelsius, bool withChamber) const {
    const BenchInstruments& lab = wiring_.Instruments;
    const CaptureOptions options = Window.Options ? Window.Options() : CaptureOptions{};
    const auto rateOf = [&](const RegImageBytes& image) {
        return Window.OutputRate ? Window.OutputRate(image) : options.ConfiguredRate;
    };
    return EstimateTempRun({plan_, lab.FlukeSteps, lab.PowerSteps,
                            lab.Ports.FlukePort.Selected != 0, lab.Ports.PowerPort.Selected != 0,
                            withChamber, chamberCelsius, options.NPoint,
                            StepOutputRates(plan_, wiring_.Stnd.RegImage, rateOf)});
}

} // namespace qn
