// Reading QnADC.cfg: title check, sections 0 to 14 in turn while the file lasts, then the forced
// link settings and chip selection.
#include "shell/settings/ConfigFile.h"

#include "files/ShownValue.h"
#include "shell/settings/SettingsIo.h"

#include <optional>
#include <utility>

namespace qn {

namespace {

// Hands out the lines after the title and keeps the notes of refused values.
class SectionReader {
  public:
    SectionReader(std::vector<std::string_view> lines, ConfigLoadResult& result)
        : lines_(std::move(lines)), result_(result) {}

    bool AtEnd() const { return next_ >= lines_.size(); }

    // The next line; nothing once the file has ended.
    std::optional<std::string_view> Line() {
        if (AtEnd()) return std::nullopt;
        return lines_[next_++];
    }

    // Integers of the next line. A value the line lacks is noted under its name (no note for
    // unnamed values or when the file has ended) and stays empty.
    template <size_t N>
    std::array<std::optional<int32_t>, N> Ints(const std::array<const char*, N>& names) {
        std::array<std::optional<int32_t>, N> values{};
        std::optional<std::string_view> line = Line();
        if (!line) return values;
        ReadFreeIntegers(*line, values);
        for (size_t i = 0; i < N; ++i) {
            if (!values[i] && names[i] != nullptr)
                Note(std::string(names[i]) + " is not a number; left as it was");
        }
        return values;
    }

    std::optional<int32_t> Int(const char* name) { return Ints<1>({name})[0]; }

    void Note(const std::string& text) {
        result_.Mended.push_back("line " + DecimalText(static_cast<int64_t>(next_)) + ": " + text);
    }

    ConfigLoadResult& Result() { return result_; }

  private:
    std::vector<std::string_view> lines_;
    size_t next_ = 1; // line 0 is the title
    ConfigLoadResult& result_;
};

struct Load {
    SectionReader& In;
    const ConfigTargets& T;
};

// Stores value into target when it lies in lo..hi; otherwise notes it and keeps target.
template <class T>
void TakeInRange(Load& load, std::optional<int32_t> value, int32_t lo, int32_t hi, T& target,
                 const char* name) {
    if (!value) return;
    if (*value < lo || *value > hi) {
        load.In.Note(std::string(name) + " " + DecimalText(*value) + " is outside " +
                     DecimalText(lo) + ".." + DecimalText(hi) + "; left as it was");
        return;
    }
    target = static_cast<T>(*value);
}

// Runs a selection handler for the read item; a refused or missing item runs it for the item
// already selected, so the derived values always match the selection.
template <class Record>
void Select(Load& load, std::optional<int32_t> item, Record& record, int32_t Record::*current,
            bool (*handler)(Record&, int32_t), const char* name) {
    if (item && !handler(record, *item))
        load.In.Note(std::string(name) + " " + DecimalText(*item) +
                     " is not an item of the list; kept " + DecimalText(record.*current));
    handler(record, record.*current);
}

bool IsTrueText(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper == "TRUE";
}

void LinkSection(Load& load) {
    STND& stnd = load.T.Stnd;
    auto v = load.In.Ints<5>({"Chip", "Interface", nullptr, nullptr, nullptr});
    TakeInRange(load, v[0], 0, UINT16_MAX, stnd.Chip, "Chip");
    TakeInRange(load, v[1], kLinkRs232, kLinkQn740x, stnd.Interface, "Interface");
    // ComIndex, BaudIndex and ParityIndex are replaced by FinishLoad.
}

void FlagSection(Load& load) {
    for (bool& flag : load.T.Values.Flags) {
        if (std::optional<std::string_view> line = load.In.Line()) flag = IsTrueText(*line);
    }
}

void PageSection(Load& load) {
    TakeInRange(load, load.In.Int("CurrentPage"), 0, UINT8_MAX, load.T.CurrentPage, "CurrentPage");
    TakeInRange(load, load.In.Int("CurrentBank"), 0, UINT8_MAX, load.T.CurrentBank, "CurrentBank");
}

void AdcPanelSection(Load& load) {
    AdcResultDisplay& panel = load.T.Values.AdcPanel;
    TakeInRange(load, load.In.Int("TXADCOMD"), 0, kAdcModeItems - 1, panel.TXADCOMD, "TXADCOMD");
    std::optional<int32_t> width = load.In.Int("TXADCObit");
    if (width && !TXADCObitChange(panel, *width))
        load.In.Note("TXADCObit " + DecimalText(*width) + " is not an item of the list; kept " +
                     DecimalText(panel.TXADCObit));
    TXADCObitChange(panel, panel.TXADCObit);
}

void ScaleSection(Load& load) {
    AnalysisSettings& a = load.T.Values.Analysis;
    auto v = load.In.Ints<2>({"NPointIndex", "TXScale"});
    Select(load, v[0], a, &AnalysisSettings::NPointIndex, &NPointIndexChange, "NPointIndex");
    load.In.Result().View.ShowAnalysisGrid = true;
    Select(load, v[1], a, &AnalysisSettings::TXScale, &TXScaleChange, "TXScale");
    load.In.Line();
    a.ChangeMode = false;
}

void FunctionSection(Load& load) {
    if (auto v = load.In.Int("CFunADC")) load.T.Values.Analysis.CFunADC = *v;
}

void LptSection(Load& load) {
    std::optional<int32_t> v = load.In.Int("CLPT");
    if (!v) return;
    bool listed = *v >= 0 && *v < kLptItems;
    if (!listed) load.In.Note("CLPT " + DecimalText(*v) + " is not an entry; none selected");
    load.T.Values.Setup.CLPT = listed ? *v : -1;
}

void CalibrationSection(Load& load) {
    AnalysisSettings& a = load.T.Values.Analysis;
    auto v = load.In.Ints<2>({"CalValue", "CalReading"});
    if (v[0]) a.CalValue = *v[0];
    if (v[1]) a.CalReading = *v[1];
    if (a.CalValue == 0 || a.CalReading == 0) {
        a.CalValue = kDefaultCalValue;
        a.CalReading = kDefaultCalReading;
    }
}

void PresetLine(Load& load, std::array<uint8_t, 6>& preset, const char* name) {
    auto v = load.In.Ints<6>({name, name, name, name, name, name});
    for (size_t i = 0; i < preset.size(); ++i)
        TakeInRange(load, v[i], 0, UINT8_MAX, preset[i], name);
}

void PresetSection(Load& load) {
    PresetLine(load, load.T.AdcPresetA, "AdcPresetA");
    PresetLine(load, load.T.AdcPresetB, "AdcPresetB");
}

void ShiftSection(Load& load) {
    TakeInRange(load, load.In.Int("ComFun"), 0, 1, load.T.Options.FunctionChoice, "ComFun");
    if (auto v = load.In.Int("ADShift")) load.T.Values.Analysis.ADShift = *v;
}

// The saved box state is not used: FinishLoad ticks the box.
void PhotoSection(Load& load) {
    load.In.Line();
}

// The box takes the text before any stray CR, as the file is written: what loads, saves alike.
// A reference the command line would refuse is refused here too.
void ReferenceSection(Load& load) {
    std::optional<std::string_view> line = load.In.Line();
    if (!line) return;
    const std::string_view text = line->substr(0, line->find_first_of('\r'));
    std::string& kept = load.T.Values.Analysis.EREFV;
    if (AcceptedRefVolts(text))
        kept = std::string(text);
    else
        load.In.Note("EREFV " + ShownValue(text) +
                     " is not a reference voltage in volts above 0; kept " + ShownValue(kept));
}

void AverageSection(Load& load) {
    AnalysisSettings& a = load.T.Values.Analysis;
    TakeInRange(load, load.In.Int("CMAVR"), 0, kAvrItems - 1, a.CMAVR, "CMAVR");
}

void FullScaleSection(Load& load) {
    if (auto v = load.In.Int("CHFULL")) load.T.Values.TempTest.CHFULL = *v != 0;
}

void GainSection(Load& load) {
    AnalysisSettings& a = load.T.Values.Analysis;
    auto v = load.In.Ints<2>({"EGv", "ChTemper"});
    if (v[0]) a.EGv = DecimalText(*v[0]);
    if (v[1]) a.ChTemper = *v[1] == 1;
}

using SectionFn = void (*)(Load&);
constexpr std::array<SectionFn, kConfigSections> kSections = {
    LinkSection,     FlagSection,      PageSection,        AdcPanelSection,  ScaleSection,
    FunctionSection, LptSection,       CalibrationSection, PresetSection,    ShiftSection,
    PhotoSection,    ReferenceSection, AverageSection,     FullScaleSection, GainSection,
};

// After the sections, whatever the file held or lacked: serial settings 9600 baud, COM16, no
// parity, the optocoupler ticked, and the "QN740x" link, whatever chip selection chose.
void FinishLoad(const ConfigTargets& targets, const SelectChipFn& selectChip,
                ConfigLoadResult& result) {
    targets.Stnd.BaudIndex = kForcedBaudIndex;
    targets.Stnd.ComIndex = kForcedComIndex;
    targets.Stnd.ParityIndex = kForcedParityIndex;
    targets.Options.Optocoupler = true;
    targets.Stnd.Interface = kLinkQn740x;
    if (selectChip) selectChip(targets.Stnd.Chip);
    targets.Stnd.Interface = kLinkQn740x;
    result.View.HideSetupControls = true;
}

// Why a text that is not a settings file was refused.
std::string TitleProblem(const std::vector<std::string_view>& lines) {
    if (lines.empty()) return "the file is empty";
    return "the first line is " + ShownValue(lines[0]) + ", not " + ShownValue(kConfigTitle);
}

// The current state applied as a file written from it, for a file that cannot be used.
ConfigLoadResult LoadCurrentState(const ConfigTargets& targets, const SelectChipFn& selectChip) {
    return ApplyConfig(FormatConfig(targets), targets, selectChip);
}

} // namespace

ConfigLoadResult ApplyConfig(std::string_view contents, const ConfigTargets& targets,
                             const SelectChipFn& selectChip) {
    ConfigLoadResult result;
    std::vector<std::string_view> lines = SplitTextLines(WithoutByteOrderMark(contents));
    if (lines.empty() || lines[0] != kConfigTitle) {
        result.Outcome = ConfigOutcome::WrongTitle;
        result.Problem = TitleProblem(lines);
        return result;
    }
    SectionReader reader(std::move(lines), result);
    Load load{reader, targets};
    for (SectionFn section : kSections) {
        if (reader.AtEnd()) break;
        section(load);
        ++result.SectionsRead;
    }
    FinishLoad(targets, selectChip, result);
    return result;
}

ConfigLoadResult LoadConfig(const std::string& path, const ConfigTargets& targets,
                            const SelectChipFn& selectChip) {
    std::string contents;
    FileProblem problem;
    if (ReadFileContents(path, contents, &problem)) {
        ConfigLoadResult read = ApplyConfig(contents, targets, selectChip);
        if (read.Outcome == ConfigOutcome::Loaded) return read;
        ConfigLoadResult result = LoadCurrentState(targets, selectChip);
        result.Outcome = read.Outcome;
        result.Problem = ShownValue(path) + ": " + read.Problem + "; default settings used";
        return result;
    }
    if (!problem.Missing) {
        ConfigLoadResult result = LoadCurrentState(targets, selectChip);
        result.Outcome = ConfigOutcome::Unreadable;
        result.Problem = problem.Text + "; default settings used";
        return result;
    }
    // A missing file is written from the current state and then read; when it cannot be
    // written, the same text is read from memory so that start-up behaves alike.
    std::string written;
    const bool created = ReplaceFileContents(path, FormatConfig(targets), &written);
    ConfigLoadResult result = LoadCurrentState(targets, selectChip);
    result.Created = created;
    if (!created) result.Mended.push_back(written + "; defaults used");
    return result;
}

} // namespace qn
