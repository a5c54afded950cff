// The temperature run command: options, the plan file, the instruments on the plan's ports, the
// run with its progress lines, and a stop on SIGTERM or SIGINT that leaves the bench safe.
#include "shell/ui/TempRunCommand.h"
#include "shell/CommandLine.h"

#include "analysis/FixedText.h"
#include "run/RunJournal.h"
#include "run/TempPlanFile.h"
#include "run/UnmeasuredSteps.h"
#include "shell/Bench.h"
#include "shell/ui/HeadlessBench.h"
#include "shell/ui/ProgramDir.h"
#include "shell/ui/TempRunCheck.h"
#include "shell/ui/TempRunRebuild.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>
#include <utility>

namespace qn {
namespace {

constexpr double kMsPerMinute = 60'000;

volatile std::sig_atomic_t gStopSignal = 0;

void OnStopSignal(int signal) {
    gStopSignal = signal;
}

// SIGTERM and SIGINT only raise a flag while the command runs; the run's pump turns it into a
// stop, so the run ends through its normal finish (calibrator standby, chamber stopped).
class StopSignals {
  public:
    StopSignals() {
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &old_[i]);
    }
    ~StopSignals() {
        for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &old_[i], nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    bool Raised() const { return gStopSignal != 0; }

  private:
    static constexpr std::array<int, 2> kSignals = {SIGTERM, SIGINT};
    std::array<struct sigaction, 2> old_{};
};

// Notices go to standard error; no one answers a question.
class StderrPrompt final : public DialogFreePrompt {
  public:
    bool Confirm(const std::string& question) override {
        Tell(question + " (no)");
        return false;
    }
    void Tell(const std::string& message) override {
        CommandFailed(message);
        ++Told;
    }
    int Told = 0;
};

// Selects the three instruments; the message names the one that failed.
std::string SelectInstruments(BenchInstruments& lab, const PlanPorts& ports,
                              const KeptStatus& status) {
    const std::optional<InstrumentKind> failed =
        lab.SelectAll(ports.Fluke, ports.Power, ports.Chamber);
    if (!failed) return {};
    return status.Text(kInstrumentStatusPanel) + " (" + lab.PortOf(*failed).PortName +
           " in the plan's [ports])";
}

// One line per step attempt, per started minute of the approach and of the soak, each led by the
// estimated time left, and at the end one with the run's duration.
class ProgressLines {
  public:
    ProgressLines(const TempTestPlan& plan, Clock& clock)
        : plan_(plan), clock_(clock), startMs_(clock.SteadyMs()) {}

    void Print(const TempTestProgress& p) {
        if (p.Completed)
            return Line("run complete: " + std::to_string(p.Rows) + " rows, " +
                        std::to_string(p.Steps) + " steps in " +
                        DurationText(clock_.SteadyMs() - startMs_));
        if (p.Ended) return;
        if (p.Row != row_) {
            row_ = p.Row;
            step_ = 0;
            NewPhase(p.Soaking);
        }
        if (p.Step > 0) return PrintStep(p);
        if (p.Soaking != soaking_) NewPhase(p.Soaking);
        const double inPhaseMs = p.Soaking ? p.SoakMs : clock_.SteadyMs() - phaseStartMs_;
        const auto minute = static_cast<long>(inPhaseMs / kMsPerMinute);
        if (minute <= minute_) return;
        minute_ = minute;
        const std::string chamber =
            std::isnan(p.ChamberCelsius) ? "no reading" : TwoDecimals(p.ChamberCelsius) + " °C";
        Line(RowText(p) + (p.Soaking ? "soak" : "approach") + " minute " + std::to_string(minute) +
             ", chamber " + chamber + (p.Gate.empty() ? "" : ", " + p.Gate));
    }

  private:
    void NewPhase(bool soaking) {
        soaking_ = soaking;
        minute_ = -1;
        phaseStartMs_ = clock_.SteadyMs();
    }
    void PrintStep(const TempTestProgress& p) {
        attempt_ = p.Step == step_ ? attempt_ + 1 : 1;
        step_ = p.Step;
        const std::string again = attempt_ > 1 ? ", attempt " + std::to_string(attempt_) : "";
        Line(RowText(p) + "step " + std::to_string(p.Step) + "/" + std::to_string(p.Steps) + again);
    }
    // "[0:42:10 left] " before the line while the estimate says how long the run still takes.
    std::string RowText(const TempTestProgress& p) const {
        const std::string left =
            std::isnan(p.LeftMs) ? "" : "[" + DurationText(p.LeftMs, p.LeftAtLeast) + " left] ";
        return left + "row " + std::to_string(p.Row) + "/" + std::to_string(p.Rows) + " (" +
               plan_.Rows.at(p.Row).Temperature + " °C): ";
    }
    static void Line(const std::string& text) {
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
    }

    const TempTestPlan& plan_;
    Clock& clock_;
    size_t row_ = 0;
    size_t step_ = 0;
    int attempt_ = 0;
    long minute_ = -1;
    bool soaking_ = false;
    double phaseStartMs_ = 0;
    double startMs_; // the run's start, for its duration at the end
};

struct TempRunOrder {
    std::string Plan;
    bool Resume = false;
    Simulated Simulate = Simulated::None;
};

// Starts the run, or goes on with the unfinished run the program folder's journal holds.
std::string StartRun(Bench& bench, bool resume) {
    if (!resume) {
        bench.Temp.TBegin();
        return {};
    }
    const RunJournalContents journal = ReadRunJournal(bench.ProgramDir());
    if (std::string why = ResumeRefusal(journal, bench.ProgramDir()); !why.empty()) return why;
    if (!bench.Temp.Resume(journal)) return "--resume: the run could not be resumed";
    return {};
}

// The steps a run left without a complete capture, for its last line; empty when none.
std::string UnmeasuredText(const TempResults& results) {
    const UnmeasuredSteps missing = FindUnmeasured(results);
    return missing.Count == 0 ? "" : "; not measured: " + missing.Text;
}

int Run(const TempRunOrder& order) {
    const StopSignals stop;
    HeadlessBench headless(order.Simulate);
    Bench& bench = *headless.Core;
    if (const auto recovered = RecoverBeforeRun(bench.ProgramDir(), order.Resume))
        return *recovered;
    StderrPrompt notices;
    headless.Questions.Target = &notices;
    PlanPorts ports;
    BenchInstruments& lab = bench.Instruments;
    const std::string planError =
        LoadTempPlan(order.Plan, {bench.Plan, lab.FlukeSteps, lab.PowerSteps, ports});
    if (!planError.empty()) return CommandFailed(planError);
    if (!headless.Connect()) return CommandFailed(kNoBridgeMessage);
    // As --capture does; register columns of the plan that write the enables still decide.
    bench.SwitchAdcOn();
    if (const std::string why = SelectInstruments(lab, ports, headless.Status); !why.empty()) {
        bench.Shutdown();
        return CommandFailed(why);
    }
    headless.Pump.Hook = [&] {
        if (stop.Raised()) bench.Guard.RequestStop();
    };
    WireTempRunCapture(bench);
    ProgressLines progress(bench.Plan, headless.Time);
    const Subscription printed =
        bench.Temp.ProgressChanged.Subscribe([&](const TempTestProgress& p) { progress.Print(p); });
    const int toldBefore = notices.Told;
    const std::string startError = stop.Raised() ? "" : StartRun(bench, order.Resume);
    bench.Shutdown();
    if (!startError.empty()) return CommandFailed(startError);
    const std::string missing = UnmeasuredText(bench.Temp.Results());
    if (stop.Raised())
        return CommandFailed("stopped by a signal; the run ended as Stop ends it" + missing);
    // The run's own results decide, whatever the lines printed: a resumed run may have had
    // nothing left to measure.
    const bool through = bench.Temp.Completed() && notices.Told == toldBefore;
    if (!through) return CommandFailed("the temperature run did not go through" + missing);
    std::printf("result files in %s\n", bench.ProgramDir().c_str());
    return 0;
}

} // namespace

int RunTempRunCommand(Simulated parts) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Qn-740xTEST without windows: reads a temperature plan file (docs/plan-format.md), "
        "selects the calibrator, power supply and chamber on the plan's COM ports, runs "
        "\"T-Begin\" and writes the result files. SIGTERM or SIGINT ends the run safely.");
    parser.addHelpOption();
    parser.addOptions({
        {"temperature-run", "Run the temperature plan in FILE.", "FILE"},
        {"resume", "Go on with the unfinished run of the program folder's run journal."},
        {"check", "Check the plan, its limits, the bridge and the instruments, and print what the "
                  "run would do and how long it would take, changing nothing."},
        {"rebuild", "Write the result files from the program folder's run journal (no plan "
                    "needed: --temperature-run --rebuild)."},
        SimulateOption(),
    });
    if (!parser.parse(FormArguments())) return UsageError(parser.errorText().toStdString());
    // "--temperature-run --rebuild" needs no plan: the journal holds the run's own.
    const bool rebuild = parser.isSet("rebuild") || parser.value("temperature-run") == "--rebuild";
    if (parser.value("temperature-run") == "--check")
        return UsageError("--check needs a plan: --temperature-run PLAN --check");
    // "--temperature-run --help" asks for this help, not for a plan named "--help".
    if (parser.isSet("help") || (!rebuild && parser.value("temperature-run").startsWith("-")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty())
        return UsageError("unexpected argument " +
                          parser.positionalArguments().first().toStdString());
    if (rebuild && parser.isSet("resume"))
        return UsageError("--rebuild and --resume exclude each other");
    if (parser.isSet("check") && (rebuild || parser.isSet("resume")))
        return UsageError(std::string("--check and ") + (rebuild ? "--rebuild" : "--resume") +
                          " exclude each other");
    if (rebuild) return RunRebuildCommand(ResolveProgramDir().Path.toStdString());
    const TempRunOrder order{parser.value("temperature-run").toStdString(), parser.isSet("resume"),
                             parts};
    if (order.Plan.empty()) return UsageError("--temperature-run takes a plan file");
    if (parser.isSet("check")) return RunTempRunCheck(order.Plan, parts);
    return Run(order);
}

} // namespace qn
