// The ADC panel's texts, highlights and writes.
#include "chip/AdcPanelState.h"

#include "files/NumberText.h"

#include <algorithm>

namespace qn {
namespace {

// A selector field: digits of its binary item texts, its largest shown value, and whether a
// value beyond it shows as 0 (else as the largest).
struct ComboRule {
    std::string_view Name;
    int Digits;
    uint32_t Largest;
    bool ZeroBeyond;
};

constexpr ComboRule kCombos[] = {
    {"INP", 3, 7, true},   {"INN", 3, 7, true},    {"PGA", 3, 7, false}, {"OSR", 3, 7, false},
    {"ADGN", 2, 3, false}, {"OSCS", 2, 3, false},  {"LDO", 2, 3, true},  {"VRPS", 2, 3, true},
    {"VRNS", 2, 3, true},  {"DCSET", 4, 15, false}};

// DC offset by "DCSET": bit 3 is the sign, bits 0..2 the magnitude in eighths of the reference.
// Values 5 and 13 read "5/8" (the magnitude 4/8 is already "1/2").
constexpr std::string_view kDcOffsets[16] = {
    "0*VRE", "+1/8*VRE", "+1/4*VRE", "+3/8*VRE", "+1/2*VRE", "+5/8*VRE", "+3/4*VRE", "+7/8*VRE",
    "0*VRE", "-1/8*VRE", "-1/4*VRE", "-3/8*VRE", "-1/2*VRE", "-5/8*VRE", "-3/4*VRE", "-7/8*VRE"};

// Output rate by "OSR" at "HS" = 0; "HS" = 1 triples it.
constexpr int kRates[8] = {2560, 1280, 640, 320, 160, 80, 40, 10};
constexpr int kHighSpeedFactor = 3;

// Clock label highlighted by "OSCS": the labels run "/15", "/5", "327KHz", "1MHZ", the texts of
// values 2, 3, 0 and 1; a chip file that names the values gives its own texts.
constexpr int kClockLabels[4] = {2, 3, 0, 1};
constexpr std::string_view kClockTexts[4] = {"/15", "/5", "327KHz", "1MHZ"};

// Reference selector: highlighted label (0 "V12", 1 supply, 2 reference pin) by value; only
// value 0 routes the reference pin through the buffer.
constexpr int kReferenceLabels[4] = {2, 1, 2, 0};

const ComboRule* ComboOf(std::string_view field) {
    const auto at = std::find_if(std::begin(kCombos), std::end(kCombos),
                                 [field](const ComboRule& rule) { return rule.Name == field; });
    return at == std::end(kCombos) ? nullptr : at;
}

// The combo index or switch state a value shows. A switch is on only at 1: like the selectors'
// out-of-range values, anything else of a wider field shows as 0.
int ShownValue(std::string_view field, uint32_t value) {
    const ComboRule* rule = ComboOf(field);
    if (rule == nullptr) return value == 1 ? 1 : 0;
    if (value <= rule->Largest) return static_cast<int>(value);
    return rule->ZeroBeyond ? 0 : static_cast<int>(rule->Largest);
}

size_t At(int shown) {
    return static_cast<size_t>(shown);
}

std::string BinaryText(uint32_t value, int digits) {
    std::string text(static_cast<size_t>(digits), '0');
    for (size_t i = 0; i < text.size(); ++i)
        if ((value >> i) & 1u) text[text.size() - 1 - i] = '1';
    return text;
}

std::string RateText(int osr, bool highSpeed) {
    return "ADC_CK = " + std::to_string(AdcOutputRate(osr, highSpeed)) + "sps";
}

std::string ItemText(const ChipModel& model, std::string_view field, int shown) {
    const std::vector<std::string> items = AdcComboItems(model, field);
    return At(shown) < items.size() ? items[At(shown)] : std::string();
}

// Reads `name` from the image into its descriptor and the view.
const AdcFieldView& ReadOne(ChipModel& model, const RegImageBytes& image, std::string_view name,
                            AdcPanelView& view) {
    RegFieldDesc* field = model.AdcFields.Find(name);
    AdcFieldView shown;
    if (field != nullptr) {
        shown.Defined = field->Defined;
        shown.Value = ReadField(*field, image);
        field->Value = static_cast<uint8_t>(shown.Value);
    }
    shown.Shown = ShownValue(name, shown.Value);
    return view.Fields[std::string(name)] = shown;
}

int Shown(const AdcPanelView& view, std::string_view name) {
    const auto at = view.Fields.find(name);
    return at == view.Fields.end() ? 0 : at->second.Shown;
}

void FillClockTexts(const ChipModel& model, AdcPanelView& view) {
    const std::vector<std::string>& named = model.AdcFields["OSCS"].Items;
    for (size_t value = 0; value < std::size(kClockLabels); ++value) {
        const size_t label = At(kClockLabels[value]);
        view.ClockTexts[label] = value < named.size() && !named[value].empty()
                                     ? named[value]
                                     : std::string(kClockTexts[label]);
    }
}

void FillSelectorTexts(const ChipModel& model, AdcPanelView& view) {
    const int pga = Shown(view, "PGA");
    view.InpLabel = Shown(view, "INP");
    view.InnLabel = Shown(view, "INN");
    view.PgaGain = "x " + std::to_string(model.PgaGainTable[At(pga)]);
    view.PgaBypassClosed = view.Fields["PGA"].Value == 0;
    view.AdcGain = "ADGN = " + std::to_string(model.AdcGainTable[At(Shown(view, "ADGN"))]);
    view.DcOffset = std::string(kDcOffsets[At(Shown(view, "DCSET"))]);
    view.OutputRate = RateText(Shown(view, "OSR"), view.Fields["HS"].Value == 1);
    view.ClockLabel = kClockLabels[At(Shown(view, "OSCS"))];
    FillClockTexts(model, view);
    view.Ldo = ItemText(model, "LDO", Shown(view, "LDO"));
}

void FillSwitchTexts(AdcPanelView& view) {
    view.RefOut = view.Fields["REFO"].Value == 1 ? "1.5V" : "1.2V";
    view.FullScale = view.Fields["FSRB"].Value == 1 ? "FRb = 1/2" : "FRb = full";
    const int vrps = Shown(view, "VRPS");
    const int vrns = Shown(view, "VRNS");
    view.VrpsLabel = kReferenceLabels[At(vrps)];
    view.VrpsBufferOn = vrps == 0;
    view.VrnsLabel = kReferenceLabels[At(vrns)];
    view.VrnsBufferOn = vrns == 0;
}

// The result labels show the last result whatever the enable holds, as the continuous read
// does: a refresh never hides a value that was read.
void FillResults(const AdcReadings& readings, const AdcResultDisplay& display, AdcPanelView& view) {
    view.AdcText = AdcResultText(readings.Adc, display.Hex(), display.Divisor);
    const auto temp = static_cast<uint32_t>(readings.Temp[0] * 256 + readings.Temp[1]);
    view.TempText = display.Hex() ? HexText(temp) : std::to_string(temp);
}

std::optional<FieldWrite> WriteOf(const RegFieldDesc& field, const RegImageBytes& image,
                                  uint32_t value, bool reverted) {
    return FieldWrite{field.Address, field.Merge(ImageByte(image, field.Address), value), value,
                      reverted};
}

const RegFieldDesc* DefinedField(const ChipModel& model, std::string_view name) {
    const RegFieldDesc* field = model.AdcFields.Find(name);
    return field != nullptr && field->Defined ? field : nullptr;
}

} // namespace

AdcPanelView ReadAdcPanel(ChipModel& model, const RegImageBytes& image, const AdcReadings& readings,
                          const AdcResultDisplay& display) {
    AdcPanelView view;
    for (const std::string_view name : kAdcPanelFields) ReadOne(model, image, name, view);
    FillSelectorTexts(model, view);
    FillSwitchTexts(view);
    FillResults(readings, display, view);
    return view;
}

// A chip that defines "ADCEN" and holds it at anything but 1 makes no conversions: before the
// first refresh there is no result to show.
std::string AdcTextAtCreation(const AdcPanelView& view) {
    const auto enable = view.Fields.find("ADCEN");
    const bool off =
        enable != view.Fields.end() && enable->second.Defined && enable->second.Value != 1;
    return off ? "ADC OFF" : view.AdcText;
}

std::vector<std::string> AdcComboItems(const ChipModel& model, std::string_view field) {
    const RegFieldDesc& desc = model.AdcFields[field];
    if (ItemsFromFile(field) && !desc.Items.empty()) return desc.Items;
    const ComboRule* rule = ComboOf(field);
    if (rule == nullptr) return {};
    std::vector<std::string> items;
    for (uint32_t v = 0; v <= rule->Largest; ++v) items.push_back(BinaryText(v, rule->Digits));
    return items;
}

int AdcOutputRate(int osr, bool highSpeed) {
    return kRates[At(std::clamp(osr, 0, 7))] * (highSpeed ? kHighSpeedFactor : 1);
}

std::optional<FieldWrite> SelectorWrite(const ChipModel& model, const RegImageBytes& image,
                                        std::string_view field, int item) {
    const RegFieldDesc* desc = DefinedField(model, field);
    if (desc == nullptr) return std::nullopt;
    if (item < 0 || static_cast<uint32_t>(item) > desc->MaxValue())
        return WriteOf(*desc, image, desc->Value, true);
    return WriteOf(*desc, image, static_cast<uint32_t>(item), false);
}

// The image is the truth after every refresh, so the toggle starts from the field's value there.
std::optional<FieldWrite> ToggleWrite(const ChipModel& model, const RegImageBytes& image,
                                      std::string_view field) {
    const RegFieldDesc* desc = DefinedField(model, field);
    if (desc == nullptr) return std::nullopt;
    return WriteOf(*desc, image, ReadField(*desc, image) == 0 ? 1u : 0u, false);
}

} // namespace qn
