// The temperature run's check: everything the run's start looks at, looked at without a run.
#include "shell/ui/TempRunCheck.h"

#include "analysis/FixedText.h"
#include "analysis/SampleRate.h"
#include "files/TextFile.h"
#include "run/RunJournal.h"
#include "run/TempPlanFile.h"
#include "run/TempResultFiles.h"
#include "run/TempRunLimits.h"
#include "shell/Bench.h"
#include "shell/Snapshot.h"
#include "shell/settings/ConfigFile.h"
#include "shell/ui/HeadlessBench.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace qn {
namespace {

// Message boxes of a refused instrument say again what its status text says: no one sees them.
class SilentPrompt final : public DialogFreePrompt {
  public:
    bool Confirm(const std::string&) override { return false; }
    void Tell(const std::string&) override {}
};

void Line(const std::string& text) {
    std::printf("%s\n", text.c_str());
}

// An instrument's answer as one line: its printable characters, blanks around it dropped.
std::string Printable(const std::string& text) {
    std::string kept;
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= ' ') kept.push_back(c);
    const size_t first = kept.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return kept.substr(first, kept.find_last_not_of(' ') - first + 1);
}

// Selects the three instruments on the plan's ports as the run does, one line each; what failed
// goes to `reasons`. The chamber's reading when it was found.
double CheckInstruments(Bench& bench, const PlanPorts& ports, const KeptStatus& status,
                        std::vector<std::string>& reasons) {
    BenchInstruments& lab = bench.Instruments;
    lab.Power.LookOnly = true; // its output stays as the check found it
    const struct {
        InstrumentKind Kind;
        int Port;
        const char* Name;
        const std::string* Identity;
    } order[] = {{InstrumentKind::Fluke, ports.Fluke, "calibrator", &lab.Fluke.Identity},
                 {InstrumentKind::Power, ports.Power, "supply", &lab.Power.Identity},
                 {InstrumentKind::Chamber, ports.Chamber, "chamber", &lab.Climate.Identity}};
    double celsius = NAN;
    for (const auto& i : order) {
        const std::string port = ComPortName(i.Port);
        lab.Select(i.Kind, i.Port);
        if (lab.PortOf(i.Kind).Selected == 0) {
            reasons.push_back(status.Text(kInstrumentStatusPanel) + " (" + port +
                              " in the plan's [ports])");
            Line(std::string(i.Name) + " " + port + ": not found");
            continue;
        }
        std::string found = Printable(*i.Identity);
        if (i.Kind == InstrumentKind::Chamber) {
            celsius = lab.Climate.ReadCelsius().value_or(NAN);
            found = std::isnan(celsius) ? "no reading" : "reads " + TwoDecimals(celsius) + " °C";
        }
        Line(std::string(i.Name) + " " + port + ": " + (found.empty() ? "no answer" : found));
    }
    return celsius;
}

// "1024 samples at 2000 sps", the rates of all steps from the lowest to the highest.
std::string CaptureText(int32_t samples, const std::vector<double>& rates) {
    const auto known = [](double rate) { return rate > 0; };
    std::vector<double> kept;
    std::copy_if(rates.begin() + 1, rates.end(), std::back_inserter(kept), known);
    const std::string count = std::to_string(samples < 1 ? kDefaultCaptureSamples : samples);
    if (kept.empty()) return count + " samples (data rate not known: at the bridge's limit)";
    const auto [low, high] = std::minmax_element(kept.begin(), kept.end());
    const auto sps = [](double rate) { return std::to_string(std::lround(rate)); };
    return count + " samples at " + sps(*low) + (*low == *high ? "" : " to " + sps(*high)) + " sps";
}

// "1 capture", "4 captures".
std::string Count(size_t n, const std::string& thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

// How each row's soak ends: the soak time, or a stability gate after it.
std::string SoakText(const TempRunSettings& settings) {
    const std::string minutes = "soak " + settings.SoakMinutes + " minutes each";
    switch (settings.Gate) {
    case SoakRule::Band:
        break;
    case SoakRule::Chamber:
        return minutes + " at least, then until the chamber is stable over " +
               settings.GateMinutes + " minutes";
    case SoakRule::Board:
        return minutes + " at least, then until the board is stable over " + settings.GateMinutes +
               " minutes";
    }
    return minutes;
}

// What the run would do and write, and its estimate.
void PrintRun(Bench& bench, double chamberCelsius) {
    const TempTestPlan& plan = bench.Plan;
    const TempRunSettings& settings = plan.Settings;
    const size_t rows = plan.TempCount();
    const size_t steps = plan.StepCount();
    const TempRunEstimate estimate = bench.Temp.Estimate(chamberCelsius);
    const size_t attempts = rows * steps * static_cast<size_t>(estimate.AttemptsPerStep);
    const bool captures = settings.Source != CaptureSource::Brymen;
    const size_t captureCount = captures ? rows * steps * (settings.Alternate ? 2 : 1) : 0;
    Line("rows: " + std::to_string(rows) + ", from " + TwoDecimals(estimate.RowCelsius[1]) +
         " to " + TwoDecimals(estimate.RowCelsius[rows]) + " °C, " + SoakText(settings));
    const CaptureOptions options = bench.CatchOptions();
    const std::vector<double> rates =
        StepOutputRates(plan, bench.Stnd.RegImage, bench.Temp.Window.OutputRate);
    Line("steps: " + std::to_string(steps) + " a row, " + Count(attempts, "step attempt") + ", " +
         Count(captureCount, "capture") +
         (captures ? " of " + CaptureText(options.NPoint, rates) : ""));
    const std::string snapshot = " (with its " + std::string(kSnapshotSuffix) + ")";
    std::string files =
        std::string(kJournalFile) + snapshot + ", " + kTempAFile + ", " + kTempBFile;
    if (settings.Source != CaptureSource::Adc) files += std::string(", ") + kMeterFile;
    if (settings.SaveFullFiles && captures)
        files += ", " + std::to_string(rows * steps) + " full data files in " + kFullDataFolder +
                 " (each with its " + std::string(kSnapshotSuffix) + ")";
    // The run writes the settings file when there is none.
    if (!std::filesystem::exists(bench.SettingsPath()))
        files += ", " + std::string(kConfigFileName);
    Line("files: " + files + " in " + bench.ProgramDir());
    Line("estimate: " + DurationText(estimate.TotalMs(), estimate.AtLeast) + " (ramps " +
         DurationText(estimate.RampsMs()) + ", soaks " + DurationText(estimate.SoaksMs()) +
         ", steps " + DurationText(estimate.RowStepsMs() * static_cast<double>(rows)) +
         "), counting " +
         (estimate.AttemptsPerStep == 1 ? std::string("one attempt a step (a clean run)")
                                        : "four attempts a step: no capture ends a step") +
         (estimate.AtLeast ? "; the stability gate may hold a row longer" : ""));
}

} // namespace

void WireTempRunCapture(Bench& bench) {
    CaptureWindow& window = bench.Temp.Window;
    window.Options = [&bench] { return bench.CatchOptions(); };
    window.SetRefText = [&bench](const std::string& text) { bench.Config.Analysis.EREFV = text; };
    window.OutputRate = [&bench](const RegImageBytes& image) {
        return ConfiguredOutputRate(bench.Model, image).value_or(0);
    };
}

// The same steps as the run's start in the same order, but none stops the check: every reason
// the run could not start is told.
int RunTempRunCheck(const std::string& planPath, Simulated parts) {
    HeadlessBench headless(parts);
    Bench& bench = *headless.Core;
    SilentPrompt silent;
    headless.Questions.Target = &silent;
    WireTempRunCapture(bench);
    std::vector<std::string> reasons;
    PlanPorts ports;
    BenchInstruments& lab = bench.Instruments;
    std::string planError =
        LoadTempPlan(planPath, {bench.Plan, lab.FlukeSteps, lab.PowerSteps, ports});
    if (planError.empty()) {
        bench.Plan.SetStepRows(lab.FlukeSteps, lab.PowerSteps);
        planError = RunLimitsRefused(bench.Plan);
    } else if (std::string text; ReadFileContents(planPath, text)) {
        // A plan refused for a setting still says where its instruments are.
        ApplyTempPlanPorts(text, ports);
    }
    Line("plan " + planPath + ": " + (planError.empty() ? "keeps every limit" : "refused"));
    // The plan file names each refused value on a line of its own.
    for (size_t from = 0; from < planError.size();) {
        const size_t end = std::min(planError.find('\n', from), planError.size());
        reasons.push_back(planError.substr(from, end - from));
        from = end + 1;
    }
    if (headless.Connect(true))
        Line("bridge: " + headless.Status.Text(StatusPanel::Bridge) + ", chip " +
             bench.Model.ProductName);
    else
        reasons.emplace_back(kNoBridgeMessage);
    const double celsius = CheckInstruments(bench, ports, headless.Status, reasons);
    if (planError.empty()) PrintRun(bench, celsius);
    bench.Shutdown();
    std::fflush(stdout);
    for (const std::string& reason : reasons) CommandFailed(reason);
    if (!reasons.empty()) return kExitFailed;
    Line("the run could start; nothing was set, switched on or written");
    return kExitDone;
}

} // namespace qn
