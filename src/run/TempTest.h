// The temperature test sequence: brings the chamber to each temperature row, soaks, plays every
// step (supply, calibrator, registers, capture, statistics) and leaves the result files.
#pragma once

#include "analysis/AdcCapture.h"
#include "analysis/AnalysisStore.h"
#include "host/Clock.h"
#include "host/Prompt.h"
#include "host/StatusBar.h"
#include "instruments/BenchInstruments.h"
#include "link/ChipLink.h"
#include "link/ExchangeGuard.h"
#include "link/LinkCentre.h"
#include "link/LinkRecords.h"
#include "run/ResultFileLines.h"
#include "run/RewritePacer.h"
#include "run/RunJournal.h"
#include "run/Subscribers.h"
#include "run/TempRunEstimate.h"
#include "run/TempTestData.h"
#include "run/TempTestPlan.h"

#include <cmath>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qn {

// Approach band and soak check: the chamber reads within 1.5 °C of the set point.
inline constexpr double kTemperatureBandTenths = 15;
inline constexpr int kStepAttempts = 4;
inline constexpr double kStepSettleMs = 4000;
// The chip's temperature result counts 1/128 °C (16-bit two's complement).
inline constexpr double kBoardCodesPerCelsius = 128.0;

// What the sequence works with; all of it outlives the sequence.
struct TempTestWiring {
    BenchInstruments& Instruments;
    LinkCentre& Centre;
    ChipLink& Link;
    const STND& Stnd;
    AdcCapture& Capture;
    AnalysisStore& Samples;
    ExchangeGuard& Guard;
    Clock& Time;
    StatusBar& Status;
    Prompt& Ask;
    std::string ProgramDir; // with a trailing separator
};

// The analysis window as the sequence drives it.
struct CaptureWindow {
    std::function<CaptureOptions()> Options;            // sample count, scale, gain
    std::function<void(const std::string&)> SetRefText; // its reference-voltage edit
    std::function<void(bool)> EnableCatch;              // its "Catch ADC" button
    // The chip's output data rate (sps, 0 when unknown) with the registers of an image: what a
    // step's capture runs at once its register values are written. Unset: the capture's rate.
    std::function<double(const RegImageBytes&)> OutputRate;
};

// How far a run is, for the window's status panels and progress bar.
struct TempTestProgress {
    size_t Row = 0;
    size_t Rows = 0;
    size_t Step = 0;
    size_t Steps = 0;
    bool Soaking = false;
    double SoakMs = 0;           // time held in the band so far
    double ChamberCelsius = NAN; // the chamber's last reading in this run (NAN before the first)
    // While a stability gate holds the row: its state, "board stable 3.2 of 5 min, spread 0.12 °C".
    std::string Gate;
    bool Ended = false;       // the run has finished, through or not
    bool Completed = false;   // every row and step measured: the run went through
    std::string Unmeasured;   // at the end: the steps without a complete capture
    double LeftMs = NAN;      // the estimated time left (TempRunEstimate.h); NAN: none
    bool LeftAtLeast = false; // a stability gate may hold a row longer than LeftMs says
};

class TempTest {
  public:
    TempTest(const TempTestWiring& wiring, TempTestPlan& plan)
        : wiring_(wiring), plan_(plan), temperatureCapture_(wiring.Capture, temperatureSamples_) {}

    // "T-Begin": the full sequence with the chamber.
    void TBegin();
    // "T-Test": every row measured without set points; the chamber is still stopped at the end.
    void TTest();
    // "Stop": the chamber stops, a running capture ends unmeasured and a running sequence ends at
    // its next check.
    void StopClick();
    // "RUN", "STBY" and "ENTER" (range lock); none starts while another exchange runs.
    void RunClick();
    void StandbyClick();
    void EnterClick(bool lock330mV, bool lock3V);
    // "SaveData": the B file and, unless the source is "ADC", the multimeter file; tells what
    // could not be written.
    void SaveData();
    // Goes on with the unfinished run of `journal`: its plan comes back into the plan and the
    // step tables, its results are kept, the steps it ended are skipped, and the run appends to
    // the same journal. False when nothing was resumed.
    bool Resume(const RunJournalContents& journal);
    // When the program folder holds an unfinished run, asks whether to resume it and does. A run
    // that needs what the bench lacks (the bridge, the chamber of a "T-Begin") is not offered
    // yet: the status bar says what to do first.
    enum class ResumeOffer : uint8_t { NoRun, NotReady, Declined, Resumed };
    ResumeOffer OfferResume();
    // "Rebuild result files": the A, B and multimeter files from the journal; tells what it wrote.
    void RebuildFiles();
    // How long a clean run of the plan as it stands would take on this bench, from a chamber at
    // `chamberCelsius` (NAN: not known); `withChamber` for "T-Begin", without for "T-Test".
    TempRunEstimate Estimate(double chamberCelsius, bool withChamber = true) const;

    bool Running() const { return running_; }
    // The last run measured every row and step, its journal holds all of it and its A file was
    // written.
    bool Completed() const { return completed_; }
    const TempResults& Results() const { return results_; }
    // The chip's own temperature reading before the latest step's capture, °C; NaN without one.
    double BoardCelsius() const { return boardCelsius_; }
    // The number of the next full data file QnTMP-n.CSV; a run starts after the highest one in
    // the TEMP folder, so no earlier run's file is replaced.
    size_t FullFileCounter = 0;

    CaptureWindow Window;
    // Told after every step attempt's results and at the start of a run (the result grid).
    Subscribers<void()> ResultsChanged;
    Subscribers<void(const TempTestProgress&)> ProgressChanged;
    // Told when a resumed run gave the plan and step tables back the run's settings and rows.
    Subscribers<void()> PlanChanged;
    // Told with the path of the journal a run starts and of every full data file it writes, so
    // the state that made them can be kept beside them; a subscriber answers false when that
    // could not be kept.
    Subscribers<bool(const std::string& path)> FileWritten;
    // Told when a run starts (true) and ends (false): the window greys its start buttons.
    Subscribers<void(bool)> RunningChanged;

  private:
    bool Start(RunMode mode, const RunJournalContents* resume = nullptr);
    bool StartJournal(RunMode mode, const RunJournalContents* resume);
    void BeginRows();
    void TestRows();
    bool Refused(std::string& why) const;
    void Finish();
    void LeaveBenchSafe();
    bool StillRunning();
    bool InBand(double tenths, double& target) const;
    bool Approach(double& target);
    bool Soak(double target, double soakStart, bool& leftBand);
    bool WaitForGate(bool& open);
    double ReadBoard();
    void GiveUpRow(const std::string& why);
    bool ReadTenths(double& tenths);
    bool LoadRow(size_t row);
    void MeasureRow();
    bool MeasureStep(size_t step, int attempts);
    void ReopenLostBridge(size_t step);
    void Note(const std::string& text);
    void PlayStep(size_t step);
    bool Journal(size_t step, int attempt, bool final, bool captured, const std::string& fullFile);
    void JournalLost();
    bool CaptureStep(size_t step);
    bool CaptureTemperature(const std::string& refText, CaptureOptions options);
    bool SaveFullFile(std::string& name);
    void SaveStepFiles(bool rowOrRunEnd);
    std::vector<std::string> WriteStepFiles();
    void Problem(const std::string& text);
    void Report(size_t step, bool soaking, double soakMs = 0, const std::string& gate = {});
    TempTestProgress Progress() const;
    void ReportEnd(const std::string& unmeasured);
    void WaitMs(double ms);

    TempTestWiring wiring_;
    TempTestPlan& plan_;
    TempResults results_;
    ResultFileLines fileLines_;
    RewritePacer rewrites_;
    bool filesBehind_ = false; // a rewrite of the B and multimeter files was held back
    StepResult latest_;
    // The temperature channel's samples when "交替測量ADC與溫度" captures it beside the ADC.
    AnalysisStore temperatureSamples_;
    AdcCapture temperatureCapture_;
    bool running_ = false;
    bool completed_ = false;
    bool bridgeSeen_ = false; // the bridge was open at some time during this run
    // What went wrong with the run's files, each said once, told when the run has ended.
    std::vector<std::string> problems_;
    size_t currentRow_ = 1;
    size_t regColumns_ = 0;
    size_t stepCount_ = 0;
    double chamberCelsius_ = NAN;
    TempRunEstimate estimate_;  // of the running run, for the time left in its progress
    double boardCelsius_ = NAN; // the chip's reading before the step's capture (NAN: none)
    RunJournal journal_;
    bool journalOk_ = false;
    size_t firstStep_ = 1;  // the step the current row starts at (a resumed row skips ended ones)
    int firstAttempts_ = 0; // attempts the first step already had
};

} // namespace qn
