// The noise table sweep over the chip's gain and rate fields, and its datasheet-style CSV file.
#include "shell/NoiseTable.h"

#include "analysis/AdcGain.h"
#include "chip/AdcPanelState.h"
#include "chip/RegField.h"
#include "files/ShownValue.h"
#include "files/TextFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

namespace qn {
namespace {

// The fields the sweep writes; their register bytes are the ones written back at the end.
constexpr std::array<std::string_view, 8> kSweptFields = {"ADCEN", "IRQEN", "INP", "INN",
                                                          "PGA",   "ADGN",  "OSR", "HS"};
// A reference text of 0 V stands for 1.2 V, as the noise statistics read it.
constexpr double kDefaultRefVolts = 1.2;

const RegFieldDesc* DefinedField(const ChipModel& model, std::string_view name) {
    const RegFieldDesc* field = model.AdcFields.Find(name);
    return field != nullptr && field->Defined ? field : nullptr;
}

// Settings a field offers: the ADC panel's combo items that fit the field ("HS" is a switch:
// 0 and 1); a field the chip does not define offers only what it reads, 0.
uint32_t ChoiceCount(const ChipModel& model, std::string_view name) {
    const RegFieldDesc* field = DefinedField(model, name);
    if (field == nullptr) return 1;
    const size_t items = name == "HS" ? 2 : AdcComboItems(model, name).size();
    return static_cast<uint32_t>(std::min<size_t>(items, size_t{field->MaxValue()} + 1));
}

std::string Number(double value, std::chars_format format, int precision) {
    std::array<char, 64> text{};
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), value, format, precision);
    return std::string(text.data(), end.ptr);
}

std::string GainText(double gain) {
    std::array<char, 32> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), gain);
    return std::string(text.data(), end.ptr);
}

// `image` with `field` set to `value` as the ADC panel's selector sets it.
void Apply(const ChipModel& model, RegImageBytes& image, std::string_view field, uint32_t value) {
    if (const auto write = SelectorWrite(model, image, field, static_cast<int>(value)))
        image[static_cast<size_t>(write->Address)] = write->Byte;
}

// Every "PGA" × "ADGN" setting with the gain GetGain reads from an image that holds it, smallest
// gain first (settings of equal gain keep their field order).
std::vector<NoiseGain> SweptGains(const ChipModel& model, const RegImageBytes& image) {
    std::vector<NoiseGain> gains;
    for (uint32_t pga = 0; pga < ChoiceCount(model, "PGA"); ++pga) {
        for (uint32_t adgn = 0; adgn < ChoiceCount(model, "ADGN"); ++adgn) {
            RegImageBytes trial = image;
            Apply(model, trial, "PGA", pga);
            Apply(model, trial, "ADGN", adgn);
            const double gain = GetGain(model, trial);
            gains.push_back({pga, adgn, gain,
                             "x" + GainText(gain) + " (PGA " + std::to_string(pga) + " ADGN " +
                                 std::to_string(adgn) + ")"});
        }
    }
    std::stable_sort(gains.begin(), gains.end(),
                     [](const NoiseGain& a, const NoiseGain& b) { return a.Gain < b.Gain; });
    return gains;
}

// Every "OSR" (× "HS") setting with the rate the ADC panel shows for it, slowest first.
std::vector<NoiseRate> SweptRates(const ChipModel& model) {
    std::vector<NoiseRate> rates;
    for (uint32_t hs = 0; hs < ChoiceCount(model, "HS"); ++hs) {
        for (uint32_t osr = 0; osr < ChoiceCount(model, "OSR"); ++osr) {
            const int sps = AdcOutputRate(static_cast<int>(osr), hs == 1);
            rates.push_back({osr, hs, sps, std::to_string(sps) + " sps"});
        }
    }
    std::stable_sort(rates.begin(), rates.end(),
                     [](const NoiseRate& a, const NoiseRate& b) { return a.Sps < b.Sps; });
    return rates;
}

// Keeps only the rates asked for; the message names a rate the chip does not offer.
std::optional<std::string> KeepRates(std::vector<NoiseRate>& rates,
                                     const std::vector<int>& wanted) {
    if (wanted.empty()) return std::nullopt;
    for (const int sps : wanted) {
        if (std::none_of(rates.begin(), rates.end(),
                         [sps](const NoiseRate& r) { return r.Sps == sps; })) {
            std::string offered;
            for (const NoiseRate& r : rates) offered += (offered.empty() ? "" : ", ") + r.Label;
            return "the chip has no rate of " + std::to_string(sps) +
                   " sps (its rates: " + offered + ")";
        }
    }
    std::erase_if(rates, [&wanted](const NoiseRate& r) {
        return std::find(wanted.begin(), wanted.end(), r.Sps) == wanted.end();
    });
    return std::nullopt;
}

// The item index of input `name` on `field`; the message lists the inputs the chip has.
std::optional<uint32_t> InputItem(const ChipModel& model, std::string_view field,
                                  std::string_view name, std::string& error) {
    const std::vector<std::string> items = AdcComboItems(model, field);
    const auto at = std::find(items.begin(), items.end(), name);
    if (at != items.end()) return static_cast<uint32_t>(at - items.begin());
    std::string known;
    for (const std::string& item : items) known += (known.empty() ? "" : ", ") + item;
    error = "unknown input " + ShownValue(name) + " for " + std::string(field) +
            " (the chip's inputs: " + known + ")";
    return std::nullopt;
}

// The reference in volts as the noise statistics read the text; none when it is no number.
std::optional<double> RefVolts(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    double volts = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, volts);
    if (text.empty() || parsed.ec != std::errc{} || parsed.ptr != end || !std::isfinite(volts))
        return std::nullopt;
    return volts == 0 ? kDefaultRefVolts : volts;
}

// Writes the saved register bytes back over the link when the sweep ends, however it ends.
class RegisterKeeper {
  public:
    RegisterKeeper(Bench& bench, const ChipModel& model) : bench_(bench) {
        for (const std::string_view name : kSweptFields) {
            const RegFieldDesc* field = DefinedField(model, name);
            if (field == nullptr) continue;
            const int address = field->Address;
            if (std::none_of(saved_.begin(), saved_.end(),
                             [address](const auto& s) { return s.first == address; }))
                saved_.emplace_back(address, ImageByte(bench.Stnd.RegImage, address));
        }
    }
    ~RegisterKeeper() {
        for (const auto& [address, byte] : saved_)
            if (ImageByte(bench_.Stnd.RegImage, address) != byte)
                bench_.Chip.WriteRegister(address, byte);
    }
    RegisterKeeper(const RegisterKeeper&) = delete;
    RegisterKeeper& operator=(const RegisterKeeper&) = delete;

  private:
    Bench& bench_;
    std::vector<std::pair<int, uint8_t>> saved_;
};

// Writes `value` into `field` the way the ADC panel's selector does. False when the chip does
// not read the value back (the link failed); a field the chip does not define writes nothing.
bool Select(Bench& bench, std::string_view field, uint32_t value) {
    const auto write =
        SelectorWrite(bench.Model, bench.Stnd.RegImage, field, static_cast<int>(value));
    if (!write) return true;
    bench.Chip.WriteRegister(write->Address, write->Byte);
    return ReadField(bench.Model.AdcFields[field], bench.Stnd.RegImage) == value;
}

NoiseSweepResult Failed(NoiseSweepResult result, std::string message) {
    result.End = NoiseSweepResult::Outcome::Failed;
    result.Message = std::move(message);
    return result;
}

// The figures of the last capture. RmsNV and VppNV are already referred to the input: the
// statistics divide the codes by options.Gain (GetGain: PGA × ADGN × 2 at half full scale)
// times 2^(ScaleBits − 1). The input range at that gain is FSR = 2·Vref / gain, so the
// effective resolution is log2(FSR / RMS) and the noise-free resolution log2(FSR / p-p).
NoiseCell CellOf(const NoiseFigures& figures, double refVolts, double gain, int32_t scaleBits) {
    const double fsrNV = 2 * refVolts * 1e9 / gain;
    NoiseCell cell{true, figures.RmsNV, figures.VppNV, 0, 0};
    // Samples without any spread resolve down to one code step: ScaleBits.
    cell.EffectiveBits = cell.RmsNV > 0 ? std::log2(fsrNV / cell.RmsNV) : scaleBits;
    cell.NoiseFreeBits = cell.VppNV > 0 ? std::log2(fsrNV / cell.VppNV) : scaleBits;
    return cell;
}

} // namespace

NoiseSweepResult NoiseSweep::Run(const NoiseSweepRequest& request) {
    stop_ = false;
    NoiseSweepResult result;
    const ChipModel& model = bench_.Model;
    const AnalysisSettings& analysis = bench_.Config.Analysis;
    if (!model.HasAdcSection) return Failed(std::move(result), "the selected chip has no ADC");
    if (request.Samples < 1 || request.Samples > static_cast<int32_t>(kSampleCapacity))
        return Failed(std::move(result),
                      "the sample count runs from 1 to " + std::to_string(kSampleCapacity));
    const std::optional<double> refVolts = RefVolts(analysis.EREFV);
    if (!refVolts)
        return Failed(std::move(result),
                      ShownValue(analysis.EREFV) + " is not a reference voltage");

    // Shorted input by default: the first input on both sides.
    const std::vector<std::string> inpItems = AdcComboItems(model, "INP");
    const std::string inpName = !request.Inp.empty() ? request.Inp
                                : inpItems.empty()   ? std::string()
                                                     : inpItems.front();
    const std::string innName = request.Inn.empty() ? inpName : request.Inn;
    std::string error;
    const auto inp = InputItem(model, "INP", inpName, error);
    if (!inp) return Failed(std::move(result), error);
    const auto inn = InputItem(model, "INN", innName, error);
    if (!inn) return Failed(std::move(result), error);

    NoiseTable& table = result.Table;
    table.Gains = SweptGains(model, bench_.Stnd.RegImage);
    table.Rates = SweptRates(model);
    if (const auto bad = KeepRates(table.Rates, request.Rates))
        return Failed(std::move(result), *bad);
    table.Cells.assign(table.Rates.size() * table.Gains.size(), NoiseCell{});

    const auto hold = bench_.Guard.Begin();
    if (!hold) return Failed(std::move(result), "another operation is using the link");
    const RegisterKeeper keeper(bench_, model);
    if (!bench_.SwitchAdcOn() || !Select(bench_, "INP", *inp) || !Select(bench_, "INN", *inn))
        return Failed(std::move(result), "the chip did not take the input selection");

    // The status bar's gauge follows each point's capture as it follows "Catch ADC".
    capture_.Progress = bench_.Capture.Progress;
    if (Planned) Planned(table);
    const int total = static_cast<int>(table.Cells.size());
    for (size_t r = 0; r < table.Rates.size(); ++r) {
        const NoiseRate& rate = table.Rates[r];
        for (size_t g = 0; g < table.Gains.size(); ++g) {
            const NoiseGain& gain = table.Gains[g];
            if (stop_ || bench_.Guard.StopRequested()) {
                result.End = NoiseSweepResult::Outcome::Stopped;
                return result;
            }
            const std::string where = rate.Label + " " + gain.Label;
            if (!Select(bench_, "PGA", gain.Pga) || !Select(bench_, "ADGN", gain.Adgn) ||
                !Select(bench_, "OSR", rate.Osr) || !Select(bench_, "HS", rate.Hs))
                return Failed(std::move(result), "the chip did not take the setting " + where);
            // The capture "Catch ADC" makes, with the point's sample count.
            CaptureOptions options = bench_.CatchOptions();
            options.NPoint = request.Samples;
            const double captureGain = options.Gain;
            const bool complete = capture_.CatchACDCOM(analysis.EREFV, kMode24Interrupt, options);
            if (!complete && (stop_ || bench_.Guard.StopRequested())) {
                result.End = NoiseSweepResult::Outcome::Stopped;
                return result;
            }
            if (!complete)
                return Failed(std::move(result),
                              "capture failed at " + where + ": Read Error !!!!! (no data)");
            if (!capture_.Statistics.Ok)
                return Failed(std::move(result), capture_.Statistics.Message);
            NoiseCell& cell = table.At(r, g);
            cell = CellOf(samples_.Figures, *refVolts, captureGain, analysis.ScaleBits);
            ++result.Measured;
            if (Progress) Progress(result.Measured, total, table, r, g);
        }
    }
    result.End = NoiseSweepResult::Outcome::Complete;
    return result;
}

std::string NoiseTableCsv(const NoiseTable& table) {
    struct Block {
        std::string_view Heading;
        double NoiseCell::*Value;
    };
    constexpr Block kBlocks[] = {{"RMS noise (nV)", &NoiseCell::RmsNV},
                                 {"Peak-to-peak noise (nV)", &NoiseCell::VppNV},
                                 {"Effective resolution (bits)", &NoiseCell::EffectiveBits},
                                 {"Noise-free resolution (bits)", &NoiseCell::NoiseFreeBits}};
    std::string out;
    for (const Block& block : kBlocks) {
        if (!out.empty()) AppendLine(out, "");
        AppendLine(out, block.Heading);
        std::string header = "Data rate";
        for (const NoiseGain& gain : table.Gains) header += "," + gain.Label;
        AppendLine(out, header);
        for (size_t r = 0; r < table.Rates.size(); ++r) {
            std::string row = table.Rates[r].Label;
            for (size_t g = 0; g < table.Gains.size(); ++g) {
                const NoiseCell& cell = table.At(r, g);
                row += ",";
                if (cell.Measured) row += Number(cell.*block.Value, std::chars_format::fixed, 2);
            }
            AppendLine(out, row);
        }
    }
    return out;
}

bool SaveNoiseTableCsv(const std::string& path, const NoiseTable& table) {
    return ReplaceFileContents(path, NoiseTableCsv(table));
}

} // namespace qn
