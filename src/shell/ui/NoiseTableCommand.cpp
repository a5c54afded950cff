// The noise table command: options, the bench without windows, the sweep with a progress line
// per point, and the CSV file.
#include "shell/ui/NoiseTableCommand.h"
#include "shell/CommandLine.h"

#include "files/ShownValue.h"
#include "files/TextFile.h"
#include "shell/Bench.h"
#include "shell/NoiseTable.h"
#include "shell/ui/HeadlessBench.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <optional>
#include <string>

namespace qn {
namespace {

struct NoiseTableOrder {
    NoiseSweepRequest Sweep;
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

// The order, or the message that explains what is wrong with the options.
std::optional<NoiseTableOrder> Parse(const QCommandLineParser& parser, std::string& error) {
    NoiseTableOrder order;
    if (parser.isSet("samples")) {
        bool ok = false;
        const int samples = parser.value("samples").toInt(&ok);
        if (!ok || samples < 1 || samples > static_cast<int>(kSampleCapacity)) {
            error = "--samples takes a sample count from 1 to " + std::to_string(kSampleCapacity) +
                    Not(parser.value("samples"));
            return std::nullopt;
        }
        order.Sweep.Samples = samples;
    }
    if (parser.isSet("inputs")) {
        const QStringList pins = parser.value("inputs").split(',');
        if (pins.size() != 2 || pins[0].trimmed().isEmpty() || pins[1].trimmed().isEmpty()) {
            error = "--inputs takes the two input names INP,INN (e.g. AI0,AI1)" +
                    Not(parser.value("inputs"));
            return std::nullopt;
        }
        order.Sweep.Inp = pins[0].trimmed().toStdString();
        order.Sweep.Inn = pins[1].trimmed().toStdString();
    }
    if (parser.isSet("rates")) {
        for (const QString& text : parser.value("rates").split(',')) {
            bool ok = false;
            const int sps = text.trimmed().toInt(&ok);
            if (!ok || sps <= 0) {
                error = "--rates takes output rates in conversions per second, e.g. 10,2560" +
                        Not(parser.value("rates"));
                return std::nullopt;
            }
            order.Sweep.Rates.push_back(sps);
        }
    }
    order.Csv = parser.value("csv").toStdString();
    if (order.Csv.empty()) {
        error = "--csv FILE is required";
        return std::nullopt;
    }
    return order;
}

int Run(const NoiseTableOrder& order) {
    HeadlessBench headless(order.Simulate);
    Bench& bench = *headless.Core;
    if (!headless.Connect()) return Fail(kNoBridgeMessage);

    NoiseSweep sweep(bench);
    sweep.Progress = [](int point, int total, const NoiseTable& table, size_t r, size_t g) {
        const NoiseCell& cell = table.At(r, g);
        std::printf("point %d/%d: %s %s rms=%.2f nV p-p=%.2f nV\n", point, total,
                    table.Rates[r].Label.c_str(), table.Gains[g].Label.c_str(), cell.RmsNV,
                    cell.VppNV);
        std::fflush(stdout);
    };
    const NoiseSweepResult result = sweep.Run(order.Sweep);
    bench.Shutdown();
    if (result.End == NoiseSweepResult::Outcome::Failed) return Fail(result.Message);
    if (result.End == NoiseSweepResult::Outcome::Stopped) return Fail("the sweep was stopped");
    std::string problem;
    if (!ReplaceFileContents(order.Csv, NoiseTableCsv(result.Table), &problem))
        return Fail("Cannot write the noise table: " + problem);
    return 0;
}

} // namespace

int RunNoiseTableCommand(Simulated parts) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Qn-740xTEST without windows: sweeps every gain (PGA x ADGN) and data rate (OSR x HS) "
        "of the selected chip, captures at each point as \"Catch ADC\" does and writes the noise "
        "table: RMS and peak-to-peak noise in nV referred to the input, effective and noise-free "
        "resolution in bits.");
    parser.addHelpOption();
    parser.addOptions({
        {"noise-table", "Sweep and write the noise table."},
        {"samples", "Samples per point (1 to 65536, default 1024).", "N"},
        {"inputs", "Input names INP,INN (default: the first input on both sides, shorted).",
         "INP,INN"},
        {"rates", "Only these data rates in sps, comma separated (default: every rate).", "R1,R2"},
        {"csv", "Noise table file to write.", "FILE"},
        SimulateOption(),
    });
    if (const std::optional<int> ended = ParseFormArguments(parser, false)) return *ended;
    std::string error;
    std::optional<NoiseTableOrder> order = Parse(parser, error);
    if (!order) return UsageError(error);
    order->Simulate = parts;
    return Run(*order);
}

} // namespace qn
