// Writing and reading the temperature plan file: sections of key=value lines and of table rows
// whose cells are separated by commas, double quotes around a cell that needs them.
#include "run/TempPlanFile.h"

#include "instruments/BenchInstruments.h"
#include "run/TempRunLimits.h"
#include "files/PortNames.h"
#include "files/ShownValue.h"
#include "files/TextFile.h"

#include <algorithm>
#include <array>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

namespace qn {
namespace {

constexpr size_t kHexDigitsMax = 4;
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

// What a text setting must hold; the set points' limits are checked once every key is read.
enum class Rule { Count, Number, StepRows, Soak, SupplyDelay, Lowest };
struct TextKey {
    std::string_view Name;
    std::string TempRunSettings::*Field;
    Rule Check;
};
constexpr std::array<TextKey, 8> kTextKeys = {{
    {"TempCount", &TempRunSettings::TempCount, Rule::Count},
    {"Start", &TempRunSettings::Start, Rule::Number},
    {"Increment", &TempRunSettings::Increment, Rule::Number},
    {"LowestCelsius", &TempRunSettings::LowestCelsius, Rule::Lowest},
    {"StepRows", &TempRunSettings::StepRows, Rule::StepRows},
    {"SoakMinutes", &TempRunSettings::SoakMinutes, Rule::Soak},
    {"SupplyDelay", &TempRunSettings::SupplyDelay, Rule::SupplyDelay},
    {"HoldCelsius", &TempRunSettings::HoldCelsius, Rule::Number},
}};
struct FlagKey {
    std::string_view Name;
    bool TempRunSettings::*Field;
};
constexpr std::array<FlagKey, 5> kFlagKeys = {{
    {"SaveFullFiles", &TempRunSettings::SaveFullFiles},
    {"KeepFlukeOn", &TempRunSettings::KeepFlukeOn},
    {"Alternate", &TempRunSettings::Alternate},
    {"HoldChamber", &TempRunSettings::HoldChamber},
    {"SupplyOffAtEnd", &TempRunSettings::SupplyOffAtEnd},
}};
// Indexed by the enumerations' values.
constexpr std::array<std::string_view, 3> kSources = {"ADC+Brymen", "ADC", "Brymen"};
constexpr std::array<std::string_view, 2> kMeasures = {"ADC", "Temperature"};
struct PortKey {
    std::string_view Name;
    int PlanPorts::*Field;
};
constexpr std::array<PortKey, 3> kPortKeys = {{
    {"Calibrator", &PlanPorts::Fluke},
    {"Supply", &PlanPorts::Power},
    {"Chamber", &PlanPorts::Chamber},
}};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsHex(std::string_view text, size_t minDigits) {
    return text.size() >= minDigits && text.size() <= kHexDigitsMax &&
           text.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
}

// ---- writing ----

// A cell as written: in double quotes (doubled inside) when it holds a comma or a quote, has
// blanks at either end or starts like a comment or section; line breaks become blanks.
std::string CellText(std::string_view text) {
    std::string cell(text);
    std::replace_if(
        cell.begin(), cell.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    const bool plain = cell.find_first_of(",\"") == std::string::npos &&
                       (cell.empty() || (!IsBlank(cell.front()) && !IsBlank(cell.back()) &&
                                         cell.front() != '#' && cell.front() != '['));
    if (plain) return cell;
    std::string quoted = "\"";
    for (const char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void AppendRow(std::string& out, const std::vector<std::string>& cells) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) line += (i ? "," : "") + CellText(cells[i]);
    AppendLine(out, line);
}

void AppendSteps(std::string& out, std::string_view section, const StepTable& table) {
    AppendLine(out, "");
    AppendLine(out, "[" + std::string(section) + "]");
    AppendLine(out, "# step,switch,command");
    for (size_t r = 1; r <= table.Steps(); ++r) {
        const StepRow& row = table.Row(r);
        if (!row.Step.empty() || !row.Input.empty())
            AppendRow(out, {std::to_string(r), row.Step, row.Input});
    }
}

void AppendRegisters(std::string& out, const TempTestPlan& plan) {
    const size_t columns = plan.RegColumns();
    const size_t steps = columns == 0 ? 0 : plan.StepCount();
    AppendLine(out, "");
    AppendLine(out, "[registers]");
    AppendLine(out,
               "# Address,register addresses,Delay,ACM; then step,values,delay s,reference V");
    for (size_t r = 0; r <= steps; ++r) {
        std::vector<std::string> cells{r == 0 ? "Address" : std::to_string(r)};
        for (size_t c = 1; c <= columns; ++c) cells.push_back(plan.RegChg.Cell(c, r));
        cells.push_back(r == 0 ? "Delay" : plan.RegChg.Cell(kDelayColumn, r));
        cells.push_back(r == 0 ? "ACM" : plan.RegChg.Cell(kAcmColumn, r));
        AppendRow(out, cells);
    }
}

// ---- reading ----

// A line's cells; false with `error` set for a quote that is not closed or text after one.
bool SplitCells(std::string_view line, std::vector<std::string>& cells, std::string& error) {
    size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        std::string cell;
        if (i < line.size() && line[i] == '"') {
            for (++i;; ++i) {
                if (i >= line.size()) {
                    error = "a quoted cell has no closing quote";
                    return false;
                }
                if (line[i] == '"' && (i + 1 >= line.size() || line[i + 1] != '"')) break;
                if (line[i] == '"') ++i;
                cell += line[i];
            }
            ++i;
            while (i < line.size() && IsBlank(line[i])) ++i;
            if (i < line.size() && line[i] != ',') {
                error = "text after a closing quote";
                return false;
            }
        } else {
            const size_t comma = std::min(line.find(',', i), line.size());
            cell = Trimmed(line.substr(i, comma - i));
            i = comma;
        }
        cells.push_back(std::move(cell));
        if (i >= line.size()) return true;
        ++i; // the comma
    }
}

// One line of a section: its number, and its key and value or its cells.
struct Entry {
    size_t Line = 0;
    std::string Key;
    std::vector<std::string> Cells;
};

// Why a whole number is refused; empty when it lies from 1 to `most`.
std::string CountRefused(const std::string& value, size_t most) {
    const std::optional<long> whole = CellInteger(value);
    if (whole && *whole >= 1 && *whole <= static_cast<long>(most)) return {};
    return "is not a whole number from 1 to " + std::to_string(most);
}

std::string CheckText(Rule rule, const std::string& value) {
    switch (rule) {
    case Rule::Count:
        return CountRefused(value, kMaxTempRows);
    case Rule::StepRows:
        return CountRefused(value, kMaxStepRows);
    case Rule::Soak:
        return WaitRefused(value, WaitSetting::SoakMinutes);
    case Rule::SupplyDelay:
        return WaitRefused(value, WaitSetting::SupplyDelayMs);
    case Rule::Lowest:
        return LowestRefused(value);
    case Rule::Number:
        break;
    }
    return CellNumber(value) ? "" : "is not a number";
}

template <size_t N>
std::optional<size_t> IndexOf(const std::array<std::string_view, N>& names, std::string_view text) {
    const auto found = std::find(names.begin(), names.end(), text);
    if (found == names.end()) return std::nullopt;
    return static_cast<size_t>(std::distance(names.begin(), found));
}

// "COM1".."COM17" (letters in any case) as a list index.
std::optional<int> ComIndex(std::string_view name) {
    const int number = ComPortNumber(name);
    if (number == 0) return std::nullopt;
    return number - 1;
}

class PlanReader {
  public:
    std::string Read(std::string_view text, const TempPlanParts& parts);

  private:
    std::string Collect(std::string_view text);
    std::string ApplyRun();
    std::string CheckSetPoints() const;
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
        if (std::string error = part(); !error.empty()) return error;
    }
    parts.Plan = plan_;
    parts.FlukeSteps = fluke_;
    parts.PowerSteps = power_;
    parts.Ports = ports_;
    return {};
}

// Sorts the lines into their sections, split into keys and values or cells.
std::string PlanReader::Collect(std::string_view text) {
    text = WithoutByteOrderMark(text);
    Section section = Section::None;
    size_t number = 0;
    for (const std::string_view raw : SplitTextLines(text)) {
        const std::string_view line = Trimmed(raw);
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
            entry.Key = Trimmed(line.substr(0, equals));
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
        const auto text = std::find_if(kTextKeys.begin(), kTextKeys.end(),
                                       [&](const TextKey& k) { return k.Name == e.Key; });
        const auto flag = std::find_if(kFlagKeys.begin(), kFlagKeys.end(),
                                       [&](const FlagKey& k) { return k.Name == e.Key; });
        if (text != kTextKeys.end()) {
            const std::string why = CheckText(text->Check, value);
            if (!why.empty()) return At(e.Line, e.Key + " " + shown + " " + why);
            settings.*text->Field = value;
        } else if (flag != kFlagKeys.end()) {
            if (value != "yes" && value != "no")
                return At(e.Line, e.Key + " " + shown + " is not yes or no");
            settings.*flag->Field = value == "yes";
        } else if (e.Key == "Source" || e.Key == "Measure") {
            const bool source = e.Key == "Source";
            const auto index = source ? IndexOf(kSources, value) : IndexOf(kMeasures, value);
            if (!index)
                return At(e.Line, e.Key + " " + shown + " is not one of " +
                                      (source ? "ADC+Brymen, ADC, Brymen" : "ADC, Temperature"));
            if (source) settings.Source = static_cast<CaptureSource>(*index);
            if (!source) settings.Measure = static_cast<CaptureMeasure>(*index);
        } else {
            return At(e.Line, "unknown setting " + ShownValue(e.Key));
        }
    }
    plan_.SetStepRows(fluke_, power_);
    return CheckSetPoints();
}

// The start and, when the chamber is to hold it, the hold temperature lie within the limits the
// plan's lowest set point gives; a default refused by that limit is named at its line.
std::string PlanReader::CheckSetPoints() const {
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
        return At(number, std::string(name) + " " + ShownValue(*value) + " " + why);
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
        for (const std::string& cell : e.Cells)
            if (!CellNumber(cell)) return At(e.Line, ShownValue(cell) + " is not a number");
        const std::string why = SetPointRefused(e.Cells[0], range);
        if (!why.empty()) return At(e.Line, "temperature " + ShownValue(e.Cells[0]) + " " + why);
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
        if (!IsHex(head[c], 1))
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
            if (!IsHex(e.Cells[c], 1))
                return At(e.Line, "value " + ShownValue(e.Cells[c]) + " is not 1 to 4 hex digits");
            plan_.RegChg.Cell(c, s) = e.Cells[c];
        }
        const std::string& delay = e.Cells[columns + 1];
        const std::string& acm = e.Cells[columns + 2];
        const std::string why = WaitRefused(delay, WaitSetting::StepDelaySeconds);
        if (!why.empty()) return At(e.Line, "delay " + ShownValue(delay) + " " + why);
        if (!CellNumber(acm)) return At(e.Line, "ACM " + ShownValue(acm) + " is not a number");
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
        if (!IsHex(e.Cells[1], 0))
            return At(e.Line, "switch " + ShownValue(e.Cells[1]) + " is not up to 4 hex digits");
        last = *step;
        table.Row(static_cast<size_t>(*step)) = {e.Cells[1], e.Cells[2]};
    }
    return {};
}

} // namespace

std::string FormatTempPlan(const TempTestPlan& plan, const StepTable& fluke, const StepTable& power,
                           const PlanPorts& ports) {
    std::string out;
    const TempRunSettings& settings = plan.Settings;
    AppendLine(out, "# Qn-740xTEST temperature plan (docs/plan-format.md)");
    AppendLine(out, "[run]");
    for (const TextKey& key : kTextKeys) {
        const bool count = key.Field == &TempRunSettings::TempCount;
        const std::string value = count ? std::to_string(plan.TempCount()) : settings.*key.Field;
        AppendLine(out, std::string(key.Name) + "=" + CellText(value));
    }
    AppendLine(out, "Source=" + std::string(kSources.at(static_cast<size_t>(settings.Source))));
    AppendLine(out, "Measure=" + std::string(kMeasures.at(static_cast<size_t>(settings.Measure))));
    for (const FlagKey& key : kFlagKeys)
        AppendLine(out, std::string(key.Name) + (settings.*key.Field ? "=yes" : "=no"));
    AppendLine(out, "");
    AppendLine(out, "[ports]");
    for (const PortKey& key : kPortKeys)
        AppendLine(out, std::string(key.Name) + "=" + ComPortName(ports.*key.Field));
    AppendLine(out, "");
    AppendLine(out, "[temperatures]");
    AppendLine(out, "# temperature,humidity,temperature ramp,humidity ramp");
    for (size_t r = 1; r < plan.Rows.size(); ++r) {
        const TemperatureRow& row = plan.Rows[r];
        AppendRow(out, {row.Temperature, row.Humidity, row.TemperatureRamp, row.HumidityRamp});
    }
    AppendRegisters(out, plan);
    AppendSteps(out, "calibrator", fluke);
    AppendSteps(out, "supply", power);
    return out;
}

std::string SaveTempPlan(const std::string& path, const TempTestPlan& plan, const StepTable& fluke,
                         const StepTable& power, const PlanPorts& ports) {
    std::string problem;
    if (ReplaceFileContents(path, FormatTempPlan(plan, fluke, power, ports), &problem)) return {};
    return "Cannot write the plan file: " + (problem.empty() ? ShownValue(path) : problem);
}

std::string ApplyTempPlan(std::string_view text, const TempPlanParts& parts) {
    return PlanReader().Read(text, parts);
}

std::string LoadTempPlan(const std::string& path, const TempPlanParts& parts) {
    std::string text;
    FileProblem problem;
    if (!ReadFileContents(path, text, &problem))
        return "Cannot read the plan file: " +
               (problem.Text.empty() ? ShownValue(path) : problem.Text);
    const std::string error = ApplyTempPlan(text, parts);
    return error.empty() ? error : path + ": " + error;
}

} // namespace qn
