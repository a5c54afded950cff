// Reading the temperature plan file: its lines sorted into sections, each section checked and
// applied in turn to a copy of the plan, which replaces the bench's only when all of it was read.
#include "run/TempPlanFile.h"

#include "files/PortNames.h"
#include "files/ShownValue.h"
#include "files/TextFile.h"
#include "run/PlanCells.h"
#include "run/TempRunLimits.h"
#include "run/TempRunSettingTable.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace qn {
namespace {

constexpr size_t kStepCells = 3;     // step, switch, command
constexpr size_t kTempCells = 4;     // temperature, humidity and their ramps
constexpr size_t kRegExtraCells = 3; // "Address"/step number, then "Delay" and "ACM"

enum class Section { None, Run, Ports, Temperatures, Registers, Calibrator, Supply };
constexpr std::array<std::pair<std::string_view, Section>, 6> kSections = {{
    {"run", Section::Run},
    {"ports", Section::Ports},
    {"temperatures", Section::Temperatures},
    {"registers", Section::Registers},
    {"calibrator", Section::Calibrator},
    {"supply", Section::Supply},
}};

std::string Joined(std::span<const std::string_view> names) {
    std::string text;
    for (const std::string_view name : names)
        text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

// Why a [run] value is refused, as the rest of its line says it; empty when it may be set.
std::string SettingRefused(const RunSetting& setting, const std::string& value) {
    switch (setting.Kind) {
    case SettingKind::Text:
        return RuleRefused(setting.Rule, value);
    case SettingKind::Flag:
        return value == "yes" || value == "no" ? "" : "is not yes or no";
    case SettingKind::Choice:
        break;
    }
    const auto& names = setting.FileChoices;
    if (std::find(names.begin(), names.end(), value) != names.end()) return {};
    return "is not one of " + Joined(names);
}

void SetSetting(const RunSetting& setting, const std::string& value, TempRunSettings& settings) {
    switch (setting.Kind) {
    case SettingKind::Text:
        settings.*setting.Text = value;
        return;
    case SettingKind::Flag:
        settings.*setting.Flag = value == "yes";
        return;
    case SettingKind::Choice:
        break;
    }
    const auto& names = setting.FileChoices;
    setting.SetChoice(
        settings, static_cast<int>(std::find(names.begin(), names.end(), value) - names.begin()));
}

// One line of a section: its number, and its key and value or its cells.
struct Entry {
    size_t Line = 0;
    std::string Key;
    std::vector<std::string> Cells;
};

// "COM1".."COM17" (letters in any case) as a list index.
std::optional<int> ComIndex(std::string_view name) {
    const int number = ComPortNumber(name);
    if (number == 0) return std::nullopt;
    return number - 1;
}

class PlanReader {
  public:
    std::string Read(std::string_view text, const TempPlanParts& parts);
    // The [ports] section alone, the rest of the file only sorted into its sections.
    std::string ReadPorts(std::string_view text, PlanPorts& ports);

  private:
    std::string Collect(std::string_view text);
    std::string ApplyRun();
    std::string CheckSetPoints();
    // A refused value is told with the others; the reading goes on unless `shapes` (a value the
    // later sections are read against).
    void Refuse(size_t line, const std::string& message, bool shapes = false);
    std::string CheckSaysWhatItRuns() const;
    std::string ApplyPorts();
    std::string ApplyTemperatures();
    std::string ApplyRegisters();
    std::string ApplySteps(Section section, StepTable& table);

    std::array<std::vector<Entry>, kSections.size() + 1> entries_;
    std::array<size_t, kSections.size() + 1> headerLine_{};
    std::map<std::string, size_t, std::less<>> runKeyLines_; // the line of each [run] key
    TempTestPlan plan_;
    StepTable fluke_;
    StepTable power_;
    PlanPorts ports_;
    std::vector<std::string> refused_; // every refused value so far, "line 7: ..."
    bool shapeRefused_ = false;
};

std::string At(size_t line, const std::string& message) {
    return "line " + std::to_string(line) + ": " + message;
}

std::vector<Entry>& Of(std::array<std::vector<Entry>, kSections.size() + 1>& all, Section s) {
    return all[static_cast<size_t>(s)];
}

std::string PlanReader::Read(std::string_view text, const TempPlanParts& parts) {
    // Each part reads only what the parts before it have checked.
    const std::function<std::string()> partsInOrder[] = {
        [&] { return Collect(text); },
        [&] { return ApplyRun(); },
        [&] { return ApplyPorts(); },
        [&] { return ApplyTemperatures(); },
        [&] { return ApplyRegisters(); },
        [&] { return ApplySteps(Section::Calibrator, fluke_); },
        [&] { return ApplySteps(Section::Supply, power_); },
        [&] { return CheckSaysWhatItRuns(); },
    };
    for (const auto& part : partsInOrder) {
        const std::string error = part();
        if (!error.empty()) refused_.push_back(error);
        if (!error.empty() || shapeRefused_) break;
    }
    if (!refused_.empty()) {
        std::string all;
        for (const std::string& why : refused_) all += (all.empty() ? "" : "\n") + why;
        return all;
    }
    parts.Plan = plan_;
    parts.FlukeSteps = fluke_;
    parts.PowerSteps = power_;
    parts.Ports = ports_;
    return {};
}

void PlanReader::Refuse(size_t line, const std::string& message, bool shapes) {
    refused_.push_back(At(line, message));
    shapeRefused_ = shapeRefused_ || shapes;
}

std::string PlanReader::ReadPorts(std::string_view text, PlanPorts& ports) {
    std::string error = Collect(text);
    if (error.empty()) error = ApplyPorts();
    if (error.empty()) ports = ports_;
    return error;
}

// Sorts the lines into their sections, split into keys and values or cells.
std::string PlanReader::Collect(std::string_view text) {
    text = WithoutByteOrderMark(text);
    Section section = Section::None;
    size_t number = 0;
    for (const std::string_view raw : SplitTextLines(text)) {
        const std::string_view line = TrimmedBlanks(raw);
        ++number;
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            const auto found = std::find_if(kSections.begin(), kSections.end(), [&](const auto& s) {
                return "[" + std::string(s.first) + "]" == line;
            });
            if (found == kSections.end()) return At(number, "unknown section " + ShownValue(line));
            section = found->second;
            size_t& header = headerLine_[static_cast<size_t>(section)];
            if (header != 0) return At(number, std::string(line) + " appears a second time");
            header = number;
            continue;
        }
        if (section == Section::None) return At(number, "text before the first [section]");
        Entry entry{number, {}, {}};
        std::string error;
        if (section == Section::Run || section == Section::Ports) {
            const size_t equals = line.find('=');
            if (equals == std::string_view::npos) return At(number, "expected key=value");
            entry.Key = TrimmedBlanks(line.substr(0, equals));
            if (!SplitCells(line.substr(equals + 1), entry.Cells, error)) return At(number, error);
            if (entry.Cells.size() != 1)
                return At(number, "a value holding a comma must be in double quotes");
        } else if (!SplitCells(line, entry.Cells, error)) {
            return At(number, error);
        }
        Of(entries_, section).push_back(std::move(entry));
    }
    return {};
}

std::string PlanReader::ApplyRun() {
    TempRunSettings& settings = plan_.Settings;
    for (const Entry& e : Of(entries_, Section::Run)) {
        const std::string& value = e.Cells[0];
        const std::string shown = ShownValue(value);
        if (!runKeyLines_.emplace(e.Key, e.Line).second)
            return At(e.Line, e.Key + " is given twice"); // a known key: an unknown one failed
        const RunSetting* setting = RunSettingWithKey(e.Key);
        if (setting == nullptr) return At(e.Line, "unknown setting " + ShownValue(e.Key));
        if (const std::string why = SettingRefused(*setting, value); !why.empty()) {
            // The rows, the steps and the set points are read against these.
            static constexpr std::string_view kShaping[] = {"TempCount", "StepRows", "Start",
                                                            "Increment", "LowestCelsius"};
            Refuse(e.Line, e.Key + " " + shown + " " + why,
                   std::find(std::begin(kShaping), std::end(kShaping), e.Key) !=
                       std::end(kShaping));
            continue;
        }
        SetSetting(*setting, value, settings);
    }
    if (shapeRefused_) return {};
    plan_.SetStepRows(fluke_, power_);
    if (std::string why = GateRefused(settings); !why.empty()) {
        const auto line = runKeyLines_.find("SoakGate");
        Refuse(line == runKeyLines_.end() ? 1 : line->second, why);
    }
    return CheckSetPoints();
}

// The start and, when the chamber is to hold it, the hold temperature lie within the limits the
// plan's lowest set point gives; a default refused by that limit is named at its line.
std::string PlanReader::CheckSetPoints() {
    const TempRunSettings& settings = plan_.Settings;
    const SetPointRange range = *RangeWithLowest(settings.LowestCelsius);
    const std::pair<std::string_view, const std::string*> setPoints[] = {
        {"Start", &settings.Start}, {"HoldCelsius", &settings.HoldCelsius}};
    for (const auto& [name, value] : setPoints) {
        if (name == "HoldCelsius" && !settings.HoldChamber) continue;
        const std::string why = SetPointRefused(*value, range);
        if (why.empty()) continue;
        auto line = runKeyLines_.find(name);
        if (line == runKeyLines_.end()) line = runKeyLines_.find("LowestCelsius");
        const size_t number = line == runKeyLines_.end() ? 1 : line->second;
        Refuse(number, std::string(name) + " " + ShownValue(*value) + " " + why, name == "Start");
    }
    return {};
}

// A plan that sets no [run] key and no temperature row would run the window's defaults unasked.
std::string PlanReader::CheckSaysWhatItRuns() const {
    if (!runKeyLines_.empty() || !entries_[static_cast<size_t>(Section::Temperatures)].empty())
        return {};
    return "the plan sets no [run] key and no [temperatures] row: it must say what it runs";
}

std::string PlanReader::ApplyPorts() {
    std::vector<std::string_view> seen;
    for (const Entry& e : Of(entries_, Section::Ports)) {
        const auto key = std::find_if(kPortKeys.begin(), kPortKeys.end(),
                                      [&](const PortKey& k) { return k.Name == e.Key; });
        if (key == kPortKeys.end())
            return At(e.Line,
                      "unknown instrument " + ShownValue(e.Key) + " (Calibrator, Supply, Chamber)");
        if (std::find(seen.begin(), seen.end(), key->Name) != seen.end())
            return At(e.Line, e.Key + " is given twice");
        seen.push_back(key->Name);
        const std::optional<int> index = ComIndex(e.Cells[0]);
        if (!index)
            return At(e.Line, e.Key + " " + ShownValue(e.Cells[0]) + " is not COM1 to COM17");
        ports_.*key->Field = *index;
    }
    return {};
}

// Without a [temperatures] section the rows follow from TempCount, Start and Increment as "SET"
// makes them; a row that its two decimals put past a limit is refused at Start's line.
std::string PlanReader::ApplyTemperatures() {
    const std::vector<Entry>& rows = Of(entries_, Section::Temperatures);
    const size_t header = headerLine_[static_cast<size_t>(Section::Temperatures)];
    if (header == 0) {
        plan_.SetTemperatureRows(); // its start, increment and lowest set point are checked
        const std::string why = RunLimitsRefused(plan_);
        const auto start = runKeyLines_.find("Start");
        return why.empty() ? why : At(start == runKeyLines_.end() ? 1 : start->second, why);
    }
    const auto count = static_cast<size_t>(*CellInteger(plan_.Settings.TempCount));
    if (rows.size() != count)
        return At(header, "[temperatures] has " + std::to_string(rows.size()) +
                              " rows but TempCount is " + std::to_string(count));
    const SetPointRange range = *RangeWithLowest(plan_.Settings.LowestCelsius);
    plan_.Rows.resize(1);
    for (const Entry& e : rows) {
        if (e.Cells.size() != kTempCells)
            return At(e.Line, "expected temperature,humidity,temperature ramp,humidity ramp");
        const auto notNumber =
            std::find_if(e.Cells.begin(), e.Cells.end(),
                         [](const std::string& cell) { return !CellNumber(cell); });
        const std::string why = SetPointRefused(e.Cells[0], range);
        if (notNumber != e.Cells.end())
            Refuse(e.Line, ShownValue(*notNumber) + " is not a number");
        else if (!why.empty())
            Refuse(e.Line, "temperature " + ShownValue(e.Cells[0]) + " " + why);
        plan_.Rows.push_back({e.Cells[0], e.Cells[1], e.Cells[2], e.Cells[3]});
    }
    return {};
}

// The first row names the register columns; every further row is the next step.
std::string PlanReader::ApplyRegisters() {
    const std::vector<Entry>& rows = Of(entries_, Section::Registers);
    if (rows.empty()) return {};
    const std::vector<std::string>& head = rows[0].Cells;
    if (head.size() < kRegExtraCells || head.size() > kRegisterColumns + kRegExtraCells ||
        head.front() != "Address" || head[head.size() - 2] != "Delay" || head.back() != "ACM")
        return At(rows[0].Line, "expected Address, up to 10 register addresses, Delay, ACM");
    const size_t columns = head.size() - kRegExtraCells;
    for (size_t c = 1; c <= columns; ++c) {
        if (!IsPlanHex(head[c], 1))
            return At(rows[0].Line, "address " + ShownValue(head[c]) + " is not 1 to 4 hex digits");
        plan_.RegChg.Cell(c, 0) = head[c];
    }
    if (columns == 0 && rows.size() > 1)
        return At(rows[1].Line, "steps need at least one register address");
    for (size_t s = 1; s < rows.size(); ++s) {
        const Entry& e = rows[s];
        if (e.Cells.size() != head.size())
            return At(e.Line, "expected " + std::to_string(head.size()) + " cells like the header");
        if (CellInteger(e.Cells[0]) != static_cast<long>(s))
            return At(e.Line, "expected step " + std::to_string(s));
        if (s > plan_.RegChg.Steps())
            return At(e.Line, "step " + std::to_string(s) + " is beyond StepRows");
        for (size_t c = 1; c <= columns; ++c) {
            if (!IsPlanHex(e.Cells[c], 1))
                return At(e.Line, "value " + ShownValue(e.Cells[c]) + " is not 1 to 4 hex digits");
            plan_.RegChg.Cell(c, s) = e.Cells[c];
        }
        const std::string& delay = e.Cells[columns + 1];
        const std::string& acm = e.Cells[columns + 2];
        const std::string why = WaitRefused(delay, WaitSetting::StepDelaySeconds);
        if (!why.empty()) Refuse(e.Line, "delay " + ShownValue(delay) + " " + why);
        if (!CellNumber(acm)) Refuse(e.Line, "ACM " + ShownValue(acm) + " is not a number");
        plan_.RegChg.Cell(kDelayColumn, s) = delay;
        plan_.RegChg.Cell(kAcmColumn, s) = acm;
    }
    return {};
}

std::string PlanReader::ApplySteps(Section section, StepTable& table) {
    long last = 0;
    for (const Entry& e : Of(entries_, section)) {
        if (e.Cells.size() != kStepCells) return At(e.Line, "expected step,switch,command");
        const std::optional<long> step = CellInteger(e.Cells[0]);
        if (!step || *step <= last)
            return At(e.Line, "step " + ShownValue(e.Cells[0]) + " is not a number above " +
                                  std::to_string(last));
        if (*step > static_cast<long>(table.Steps()))
            return At(e.Line, "step " + std::to_string(*step) + " is beyond StepRows");
        if (!IsPlanHex(e.Cells[1], 0))
            return At(e.Line, "switch " + ShownValue(e.Cells[1]) + " is not up to 4 hex digits");
        last = *step;
        table.Row(static_cast<size_t>(*step)) = {e.Cells[1], e.Cells[2]};
    }
    return {};
}

} // namespace

std::string ApplyTempPlan(std::string_view text, const TempPlanParts& parts) {
    return PlanReader().Read(text, parts);
}

std::string ApplyTempPlanPorts(std::string_view text, PlanPorts& ports) {
    return PlanReader().ReadPorts(text, ports);
}

std::string LoadTempPlan(const std::string& path, const TempPlanParts& parts) {
    std::string text;
    FileProblem problem;
    if (!ReadFileContents(path, text, &problem))
        return "Cannot read the plan file: " +
               (problem.Text.empty() ? ShownValue(path) : problem.Text);
    // Each refusal on a line of its own, each naming the file.
    const std::string error = ApplyTempPlan(text, parts);
    std::string named;
    for (size_t from = 0; from < error.size();) {
        const size_t end = std::min(error.find('\n', from), error.size());
        named += (named.empty() ? "" : "\n") + path + ": " + error.substr(from, end - from);
        from = end + 1;
    }
    return named;
}

} // namespace qn
