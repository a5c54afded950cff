// Writing QnADC.cfg: the title line and sections 0 to 14 with their fixed field widths.
#include "shell/settings/ConfigFile.h"
#include "shell/settings/SettingsIo.h"

#include <initializer_list>

namespace qn {

namespace {

// Gain written when the "EGv" box does not hold an integer: the box's own default.
constexpr int32_t kDefaultGain = 500;

// One line of integers, each right-aligned in a field of width characters.
void AppendIntLine(std::string& out, std::initializer_list<int64_t> values, int width) {
    std::string line;
    bool first = true;
    for (int64_t value : values) {
        AppendPaddedInt(line, value, width, !first);
        first = false;
    }
    AppendLine(out, line);
}

void AppendBytesLine(std::string& out, const std::array<uint8_t, 6>& bytes) {
    AppendIntLine(out, {bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]}, 4);
}

void AppendBoolLine(std::string& out, bool value) {
    AppendLine(out, value ? "TRUE" : "FALSE");
}

// A one-line text field: everything before the first line break.
std::string_view OneLine(std::string_view text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

void AppendLinkSections(std::string& out, const ConfigTargets& t) {
    const STND& stnd = t.Stnd;
    AppendIntLine(out, {stnd.Chip, stnd.Interface, stnd.ComIndex, stnd.BaudIndex, stnd.ParityIndex},
                  4);
    for (bool flag : t.Values.Flags) AppendBoolLine(out, flag);
    AppendIntLine(out, {t.CurrentPage}, 2);
    AppendIntLine(out, {t.CurrentBank}, 2);
    AppendIntLine(out, {t.Values.AdcPanel.TXADCOMD}, 0);
    AppendIntLine(out, {t.Values.AdcPanel.TXADCObit}, 0);
}

void AppendAnalysisSections(std::string& out, const ConfigTargets& t) {
    const AnalysisSettings& a = t.Values.Analysis;
    AppendIntLine(out, {a.NPointIndex, a.TXScale}, 4);
    AppendBoolLine(out, a.ChangeMode);
    AppendIntLine(out, {a.CFunADC}, 4);
    AppendIntLine(out, {t.Values.Setup.CLPT}, 4);
    AppendIntLine(out, {a.CalValue, a.CalReading}, 8);
    AppendBytesLine(out, t.AdcPresetA);
    AppendBytesLine(out, t.AdcPresetB);
    AppendIntLine(out, {t.Options.FunctionChoice}, 4);
    AppendIntLine(out, {a.ADShift}, 4);
}

void AppendBoxSections(std::string& out, const ConfigTargets& t) {
    const AnalysisSettings& a = t.Values.Analysis;
    AppendIntLine(out, {t.Options.Optocoupler ? 1 : 0}, 4);
    AppendLine(out, OneLine(a.EREFV));
    AppendIntLine(out, {a.CMAVR}, 4);
    AppendIntLine(out, {t.Values.TempTest.CHFULL ? 1 : 0}, 4);
    int32_t gain = ParseWholeInteger(a.EGv).value_or(kDefaultGain);
    AppendIntLine(out, {gain, a.ChTemper ? 1 : 0}, 6);
}

} // namespace

std::string FormatConfig(const ConfigTargets& targets) {
    std::string out;
    AppendLine(out, kConfigTitle);
    AppendLinkSections(out, targets);
    AppendAnalysisSections(out, targets);
    AppendBoxSections(out, targets);
    return out;
}

bool SaveConfig(const std::string& path, const ConfigTargets& targets, std::string* problem) {
    return ReplaceFileContents(path, FormatConfig(targets), problem);
}

} // namespace qn
