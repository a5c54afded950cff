// The capture command: options, the bench without windows, the capture, the data file and the
// figures on standard output.
#include "shell/ui/CaptureCommand.h"
#include "shell/CommandLine.h"

#include "analysis/AdcCapture.h"
#include "analysis/AdcGain.h"
#include "analysis/AnalysisCsv.h"
#include "analysis/NoiseStatistics.h"
#include "chip/RegField.h"
#include "files/ShownValue.h"
#include "files/TextFile.h"
#include "shell/Bench.h"
#include "shell/ui/HeadlessBench.h"
#include "shell/ui/ProgramDir.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

namespace qn {
namespace {

// "--scale" in bits; the settings file keeps the same range as items of the "Scale" list.
constexpr int kFirstScale = 8;
constexpr int kLastScale = kFirstScale + kScaleItems - 1;
constexpr StatusPanel kStatusPanel = StatusPanel::Outcome;

struct CaptureRequest {
    int32_t Samples = 0;
    std::optional<int32_t> Scale;
    int32_t Average = 1;
    std::optional<std::string> Ref;
    std::string Csv;
    Simulated Simulate = Simulated::None;
};

int Fail(const std::string& message) {
    return CommandFailed(message);
}

// ", not <the value>", for a message about an option's value.
std::string Not(const QString& value) {
    return ", not " + ShownValue(value.toStdString());
}

std::optional<int32_t> WholeNumber(const QString& text, int32_t low, int32_t high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}

// The request, or the message that explains what is wrong with the options.
std::optional<CaptureRequest> Parse(QCommandLineParser& parser, std::string& error) {
    CaptureRequest request;
    const auto samples =
        WholeNumber(parser.value("capture"), 1, static_cast<int32_t>(kSampleCapacity));
    if (!samples) {
        error = "--capture takes a sample count from 1 to " + std::to_string(kSampleCapacity) +
                Not(parser.value("capture"));
        return std::nullopt;
    }
    request.Samples = *samples;
    if (parser.isSet("scale")) {
        request.Scale = WholeNumber(parser.value("scale"), kFirstScale, kLastScale);
        if (!request.Scale) {
            error = "--scale takes a bit count from 8 to 23" + Not(parser.value("scale"));
            return std::nullopt;
        }
    }
    if (parser.isSet("avg")) {
        const auto average = WholeNumber(parser.value("avg"), 1, request.Samples);
        if (!average) {
            error =
                "--avg takes a block length from 1 to the sample count" + Not(parser.value("avg"));
            return std::nullopt;
        }
        request.Average = *average;
    }
    if (parser.isSet("ref")) {
        request.Ref = parser.value("ref").toStdString();
        if (!AcceptedRefVolts(*request.Ref)) {
            error =
                "--ref takes the reference voltage in volts, above 0" + Not(parser.value("ref"));
            return std::nullopt;
        }
    }
    request.Csv = parser.value("csv").toStdString();
    if (request.Csv.empty()) {
        error = "--csv FILE is required";
        return std::nullopt;
    }
    return request;
}

void PrintFigures(const NoiseFigures& f) {
    const std::pair<const char*, double> lines[] = {
        {"Average", f.Average},    {"VppNV", f.VppNV},       {"RmsNV", f.RmsNV},
        {"Enob", f.Enob},          {"VppCount", f.VppCount}, {"RmsCount", f.RmsCount},
        {"NoiseFree", f.NoiseFree}};
    for (const auto& [name, value] : lines) std::printf("%s %.2f\n", name, value);
    std::fflush(stdout);
}

int Run(const CaptureRequest& request) {
    HeadlessBench headless(request.Simulate);
    Bench& bench = *headless.Core;
    const KeptStatus& status = headless.Status;
    if (!headless.Connect()) return Fail(kNoBridgeMessage);
    bench.SwitchAdcOn();

    AnalysisSettings& analysis = bench.Config.Analysis;
    if (request.Scale) TXScaleChange(analysis, *request.Scale - kFirstScale);
    if (request.Ref) analysis.EREFV = *request.Ref;
    const double gain = bench.FrontEndGain();
    const CaptureOptions options{.NPoint = request.Samples,
                                 .ScaleDiv = analysis.ScaleDiv,
                                 .ScaleBits = analysis.ScaleBits,
                                 .Gain = gain,
                                 .Decode = {.HalveCodes = true}};
    AdcCapture& capture = bench.Capture;
    const bool complete = capture.CatchACDCOM(analysis.EREFV, kMode24Interrupt, options);
    bench.Shutdown();
    if (!complete)
        return Fail(status.Text(kStatusPanel).empty() ? "Read Error !!!!!"
                                                      : status.Text(kStatusPanel));
    AnalysisStatus statistics = capture.Statistics;
    if (statistics.Ok && request.Average > 1)
        statistics =
            ReCalADC(bench.Samples(), {analysis.ScaleDiv, analysis.ScaleBits, analysis.EREFV, gain},
                     request.Average, request.Samples);
    if (!statistics.Ok) return Fail(statistics.Message);
    std::string problem;
    const AnalysisStore& samples = bench.Samples();
    const std::string text = request.Average > 1
                                 ? AveragedCsvText(samples, samples.SampleCount / request.Average)
                                 : AnalysisCsvText(samples);
    if (!ReplaceFileContents(request.Csv, text, &problem))
        return Fail("Cannot write the data file: " + problem);
    PrintFigures(bench.Samples().Figures);
    return 0;
}

} // namespace

int RunCaptureCommand(Simulated parts) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Qn-740xTEST without windows: captures N ADC samples as \"Catch ADC\" does, writes the "
        "data file and prints the noise figures. Without --capture the windows open. "
        "--noise-table --help lists the options of the noise table sweep, "
        "--temperature-run --help those of a temperature run from a plan file.");
    parser.addHelpOption();
    parser.addOptions({
        {"capture", "Capture N samples (1 to 65536).", "N"},
        {"scale", "Scale in bits, 8 to 23 (default: the saved setting).", "S"},
        {"avg", "Average blocks of K samples before the figures (default 1).", "K"},
        {"ref", "Reference voltage in volts (default: the saved setting).", "V"},
        {"csv", "Data file to write.", "FILE"},
        SimulateOption(),
    });
    if (const std::optional<int> ended = ParseFormArguments(parser, true)) return *ended;
    std::string error;
    std::optional<CaptureRequest> request = Parse(parser, error);
    if (!request) return UsageError(error);
    request->Simulate = parts;
    return Run(*request);
}

} // namespace qn
