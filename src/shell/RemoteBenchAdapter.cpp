// The remote-control operations on the bench, each the same core call a window makes.
#include "shell/RemoteBenchAdapter.h"

#include "analysis/AdcGain.h"
#include "analysis/AnalysisSettings.h"
#include "analysis/Decoding.h"
#include "analysis/NoiseStatistics.h"
#include "analysis/SampleRate.h"
#include "chip/RegField.h"
#include "files/NoCase.h"
#include "run/TempPlanFile.h"
#include "shell/ProgramVersion.h"
#include "shell/SourceRevision.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace qn {
namespace {

constexpr int kFirstScaleBits = 8;
constexpr int kLastScaleBits = 23;
constexpr int kMaxByte = 255;
// The first field of "*IDN?".
constexpr std::string_view kMakerName = "Qn";

RemoteResult Outcome(RemoteOutcome outcome, std::string message = {}) {
    return {outcome, std::move(message)};
}

RemoteResult BusyResult() {
    return Outcome(RemoteOutcome::Busy, "another operation holds the link");
}

// A chip list entry by its whole text or by its first word ("QN7401" for "QN7401  (ADC)").
bool NamesEntry(std::string_view entry, std::string_view name) {
    return EqualNoCase(entry, name) || EqualNoCase(entry.substr(0, entry.find(' ')), name);
}

// The reference voltage as the analysis window's edit would hold it.
std::string VoltsText(double volts) {
    char text[32];
    const auto [end, error] = std::to_chars(std::begin(text), std::end(text), volts);
    return error == std::errc{} ? std::string(text, end) : std::string("0");
}

// The register addresses the link reaches: "QN740x" frames carry registers 0..4 only.
bool Reachable(const STND& stnd, int address) {
    if (stnd.Interface == kLinkQn740x) return address >= 0 && address < int{kShadowSize};
    return InRegImage(address);
}

} // namespace

ShellRemoteBench::ShellRemoteBench(Bench& bench, RemoteBenchHooks hooks)
    : bench_(bench), hooks_(std::move(hooks)) {
    if (!hooks_.SelectChip)
        hooks_.SelectChip = [this](uint16_t index) { return bench_.SelectChip(index); };
}

std::string ShellRemoteBench::Identity() const {
    return std::string(kMakerName) + "," + std::string(kProgramName) + ",0," +
           std::string(kSourceVersion) + "-" + std::string(kSourceRevision);
}

void ShellRemoteBench::Reset() {
    settings_ = {};
    captured_ = false;
}

std::vector<std::string> ShellRemoteBench::ChipCatalogue() const {
    return bench_.Catalogue().LoadChipList();
}

std::string ShellRemoteBench::SelectedChip() const {
    const std::vector<std::string> list = ChipCatalogue();
    return bench_.Stnd.Chip < list.size() ? list[bench_.Stnd.Chip] : std::string();
}

RemoteResult ShellRemoteBench::SelectChip(const std::string& name) {
    const std::vector<std::string> list = ChipCatalogue();
    const auto found = std::find_if(list.begin(), list.end(), [&](const std::string& entry) {
        return NamesEntry(entry, name);
    });
    if (found == list.end())
        return Outcome(RemoteOutcome::OutOfRange, "no chip \"" + name + "\" in the chip list");
    const auto hold = bench_.Guard.Begin();
    if (!hold) return BusyResult();
    if (!hooks_.SelectChip(static_cast<uint16_t>(found - list.begin())))
        return Outcome(RemoteOutcome::Failed, "the chip's description file could not be read");
    captured_ = false;
    return {};
}

RemoteResult ShellRemoteBench::Connect() {
    const auto hold = bench_.Guard.Begin();
    if (!hold) return BusyResult();
    bench_.Centre.USBConnect();
    if (LinkState() != "CONNECTED")
        return Outcome(RemoteOutcome::Failed, "no bridge answered (USB not Connect !!!)");
    return {};
}

std::string ShellRemoteBench::LinkState() const {
    const STND& stnd = bench_.Stnd;
    const bool open = stnd.Interface == kLinkRs232 ? stnd.Serial.IsOpen() : stnd.Usb.Open;
    return open ? "CONNECTED" : "DISCONNECTED";
}

// The register panel's write: the chip reads the byte back into the image, which must then
// hold what was written. Register 27 is write-only and has no read-back to compare.
RemoteResult ShellRemoteBench::WriteRegister(int address, int value) {
    if (!Reachable(bench_.Stnd, address))
        return Outcome(RemoteOutcome::OutOfRange, "no register " + std::to_string(address));
    if (value < 0 || value > kMaxByte)
        return Outcome(RemoteOutcome::OutOfRange, "a register takes 0 to 255");
    const auto hold = bench_.Guard.Begin();
    if (!hold) return BusyResult();
    const auto byte = static_cast<uint8_t>(value);
    bench_.Chip.WriteRegister(address, byte);
    if (address != kPairedRegister && bench_.Chip.GetReg(address) != byte)
        return Outcome(RemoteOutcome::Failed,
                       "read back " + std::to_string(bench_.Chip.GetReg(address)));
    return {};
}

RemoteResult ShellRemoteBench::ReadIntoImage(int address, uint8_t& value) {
    if (!Reachable(bench_.Stnd, address))
        return Outcome(RemoteOutcome::OutOfRange, "no register " + std::to_string(address));
    const auto hold = bench_.Guard.Begin();
    if (!hold) return BusyResult();
    const ChipBytes read = bench_.Chip.ReadChip(static_cast<uint16_t>(address), 1);
    if (!read || read->empty()) return Outcome(RemoteOutcome::Failed, "the chip did not answer");
    value = read->front();
    bench_.Chip.StoreRegister(address, value);
    return {};
}

RemoteResult ShellRemoteBench::ReadRegister(int address, int& value) {
    uint8_t byte = 0;
    RemoteResult result = ReadIntoImage(address, byte);
    if (result.Outcome == RemoteOutcome::Done) value = byte;
    return result;
}

// The ADC panel's fields first, then the op-amp and comparator fields, by the chip file's names.
const RegFieldDesc* ShellRemoteBench::FindField(const std::string& name) const {
    const ChipModel& model = bench_.Model;
    for (const FieldSet* set : {&model.AdcFields, &model.OpFields, &model.CmpFields})
        for (std::string_view known : set->Names())
            if (EqualNoCase(known, name)) {
                const RegFieldDesc* field = set->Find(known);
                return field != nullptr && field->Defined ? field : nullptr;
            }
    return nullptr;
}

RemoteResult ShellRemoteBench::WriteField(const std::string& name, int value) {
    const RegFieldDesc* field = FindField(name);
    if (field == nullptr)
        return Outcome(RemoteOutcome::OutOfRange, "the chip file defines no field " + name);
    if (value < 0 || static_cast<uint32_t>(value) > field->MaxValue())
        return Outcome(RemoteOutcome::OutOfRange,
                       name + " takes 0 to " + std::to_string(field->MaxValue()));
    const auto hold = bench_.Guard.Begin();
    if (!hold) return BusyResult();
    const uint32_t readBack = bench_.WriteChipField(*field, static_cast<uint32_t>(value));
    if (readBack != static_cast<uint32_t>(value))
        return Outcome(RemoteOutcome::Failed, "read back " + std::to_string(readBack));
    return {};
}

RemoteResult ShellRemoteBench::ReadField(const std::string& name, int& value) {
    const RegFieldDesc* field = FindField(name);
    if (field == nullptr)
        return Outcome(RemoteOutcome::OutOfRange, "the chip file defines no field " + name);
    uint8_t byte = 0;
    RemoteResult result = ReadIntoImage(field->Address, byte);
    if (result.Outcome == RemoteOutcome::Done) value = static_cast<int>(field->Extract(byte));
    return result;
}

RemoteResult ShellRemoteBench::SetCaptureSettings(const RemoteCaptureSettings& settings) {
    if (settings.Points < 1 || settings.Points > int32_t{kSampleCapacity})
        return Outcome(RemoteOutcome::OutOfRange, "points 1 to 65536");
    if (settings.ScaleBits < kFirstScaleBits || settings.ScaleBits > kLastScaleBits)
        return Outcome(RemoteOutcome::OutOfRange, "scale 8 to 23 bits");
    if (settings.Average < 1 || settings.Average > settings.Points)
        return Outcome(RemoteOutcome::OutOfRange, "average 1 to the points");
    if (!std::isfinite(settings.ReferenceVolts) || settings.ReferenceVolts < 0)
        return Outcome(RemoteOutcome::OutOfRange, "reference above 0 V (0: the saved setting)");
    settings_ = settings;
    return {};
}

std::string ShellRemoteBench::CaptureProblem() const {
    if (aborted_) return "aborted";
    return "Read Error !!!!! (no samples for 10 s, or the bridge failed)";
}

// "Catch ADC" with the remote settings: 23-bit codes read on interrupt, the front end's gain from
// the register image, the figures of single codes and then, as "Avr. Times" does, of block
// averages. The chip's enables are switched on first, as the command-line capture does.
RemoteResult ShellRemoteBench::Capture() {
    const auto hold = bench_.Guard.Begin();
    if (!hold) return BusyResult();
    if (LinkState() != "CONNECTED")
        return Outcome(RemoteOutcome::Failed, "no bridge connected (LINK:CONNect)");
    captured_ = false;
    aborted_ = false;
    operation_ = Operation::Capture;
    bench_.SwitchAdcOn();
    AnalysisSettings scale;
    TXScaleChange(scale, settings_.ScaleBits - kFirstScaleBits);
    const std::string refText = settings_.ReferenceVolts > 0 ? VoltsText(settings_.ReferenceVolts)
                                                             : bench_.Config.Analysis.EREFV;
    const double gain = bench_.FrontEndGain();
    const CaptureOptions options{
        settings_.Points,           scale.ScaleDiv,     scale.ScaleBits, false, gain,
        DecodeOptions{true, false}, bench_.OutputRate()};
    AdcCapture& capture = bench_.Capture;
    const bool complete = capture.CatchACDCOM(refText, kMode24Interrupt, options);
    AnalysisStatus statistics = capture.Statistics;
    if (complete && statistics.Ok && settings_.Average > 1)
        statistics = ReCalADC(bench_.Samples(), {scale.ScaleDiv, scale.ScaleBits, refText, gain},
                              settings_.Average, settings_.Points);
    operation_ = Operation::None;
    if (hooks_.CaptureEnded) hooks_.CaptureEnded();
    if (!complete) return Outcome(RemoteOutcome::Failed, CaptureProblem());
    if (!statistics.Ok) return Outcome(RemoteOutcome::Failed, statistics.Message);
    captured_ = true;
    return {};
}

void ShellRemoteBench::Abort() {
    aborted_ = true;
    if (operation_ == Operation::Capture) bench_.Capture.Stop();
    if (operation_ == Operation::Run) bench_.Temp.StopClick();
}

RemoteResult ShellRemoteBench::Figures(RemoteFigures& figures) const {
    if (!captured_) return Outcome(RemoteOutcome::NoData, "no complete capture");
    const NoiseFigures& f = bench_.Samples().Figures;
    figures = {{f.Average, f.VppNV, f.RmsNV, f.Enob, f.VppCount, f.RmsCount, f.NoiseFree}};
    return {};
}

// The values the figures describe, as the grid shows them: the scaled codes, or after averaging
// the block averages of the scaled codes.
RemoteResult ShellRemoteBench::Samples(std::vector<double>& samples) const {
    if (!captured_) return Outcome(RemoteOutcome::NoData, "no complete capture");
    const AnalysisStore& store = bench_.Samples();
    const int32_t length = std::max(store.BlockLength, 1);
    const auto count = static_cast<size_t>(
        std::clamp<int32_t>(store.SampleCount / length, 0, int32_t{kSampleCapacity}));
    samples.resize(count);
    for (size_t i = 0; i < count; ++i) samples[i] = store.Cells[i].Value;
    return {};
}

RemoteResult ShellRemoteBench::RunTemperaturePlan(const std::string& planPath) {
    const auto hold = bench_.Guard.Begin();
    if (!hold) return BusyResult();
    aborted_ = false;
    operation_ = Operation::Run;
    RemoteResult result = StartRun(planPath);
    operation_ = Operation::None;
    run_.Running = false;
    if (run_.Phase != "ended") run_.Phase = "idle";
    return result;
}

// As the command-line run: the plan into the plan and step tables, the instruments on its ports,
// the chip's enables on, then "T-Begin".
RemoteResult ShellRemoteBench::StartRun(const std::string& planPath) {
    if (LinkState() != "CONNECTED")
        return Outcome(RemoteOutcome::Failed, "no bridge connected (LINK:CONNect)");
    PlanPorts ports;
    BenchInstruments& lab = bench_.Instruments;
    const std::string planError =
        LoadTempPlan(planPath, {bench_.Plan, lab.FlukeSteps, lab.PowerSteps, ports});
    if (!planError.empty()) return Outcome(RemoteOutcome::Failed, planError);
    bench_.SwitchAdcOn();
    if (const std::optional<InstrumentKind> failed =
            lab.SelectAll(ports.Fluke, ports.Power, ports.Chamber))
        return Outcome(RemoteOutcome::Failed,
                       "no instrument answered on " + lab.PortOf(*failed).PortName);
    CaptureWindow& window = bench_.Temp.Window;
    if (!window.Options) window.Options = [this] { return bench_.CatchOptions(); };
    if (!window.SetRefText)
        window.SetRefText = [this](const std::string& text) {
            bench_.Config.Analysis.EREFV = text;
        };
    run_ = {true, 0, 0, "approach", -1};
    const Subscription followed = bench_.Temp.ProgressChanged.Subscribe(
        [this](const TempTestProgress& progress) { FollowRun(progress); });
    bench_.Temp.TBegin();
    run_.Phase = "ended";
    if (aborted_) return Outcome(RemoteOutcome::Failed, "aborted");
    if (!bench_.Temp.Completed())
        return Outcome(RemoteOutcome::Failed, "the temperature run did not go through");
    return {};
}

void ShellRemoteBench::FollowRun(const TempTestProgress& progress) {
    run_.Row = progress.Row;
    run_.Step = progress.Step;
    run_.LeftSeconds = std::isnan(progress.LeftMs) ? -1 : progress.LeftMs / 1000;
    if (progress.Ended)
        run_.Phase = "ended";
    else if (progress.Step > 0)
        run_.Phase = "step";
    else
        run_.Phase = progress.Soaking ? "soak" : "approach";
}

} // namespace qn
