// The run journal's records as text: tab-separated fields, escaped, with a CRC-32 in front, and
// the reader that keeps every intact record of the run and names the damaged lines.
#include "run/RunJournal.h"

#include <zlib.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <utility>

namespace qn {
namespace {

constexpr std::string_view kPlanKind = "RUN";
constexpr std::string_view kAttemptKind = "TRY";
constexpr std::string_view kEndKind = "END";
constexpr std::string_view kNoteKind = "LOG";
constexpr size_t kCrcDigits = 8;
constexpr int kFirstJournalVersion = 1;
// Damaged stretches named one by one; beyond them only their count is told.
constexpr size_t kNamedDamage = 10;

// Fields of one record; texts escape '%', tab, CR and LF as %XX so a record stays one line.
class Fields {
  public:
    void Text(std::string_view text) {
        Separate();
        for (const char c : text) {
            if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
                out_ += hex;
            } else {
                out_ += c;
            }
        }
    }
    // The shortest text that reads back as the same double, in every locale.
    void Number(double value) {
        char buffer[64];
        const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value);
        Text(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
    }
    void Count(size_t value) { Text(std::to_string(value)); }
    void Flag(bool value) { Text(value ? "1" : "0"); }
    // The record line: checksum of the fields, the fields, the line end.
    std::string Line() const {
        const auto crc =
            crc32(0L, reinterpret_cast<const Bytef*>(out_.data()), static_cast<uInt>(out_.size()));
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(crc));
        return std::string(hex) + "\t" + out_ + "\n";
    }

  private:
    void Separate() {
        if (started_) out_ += '\t';
        started_ = true;
    }
    std::string out_;
    bool started_ = false;
};

// Reads the fields of a record back; any field that does not read makes the record unreadable.
class FieldReader {
  public:
    explicit FieldReader(std::string_view payload) {
        size_t start = 0;
        while (true) {
            const size_t tab = payload.find('\t', start);
            fields_.push_back(payload.substr(start, tab - start));
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
    }
    std::string Text() {
        if (at_ >= fields_.size()) return Fail();
        const std::string_view raw = fields_[at_++];
        std::string text;
        for (size_t i = 0; i < raw.size(); ++i) {
            unsigned value = 0;
            if (raw[i] != '%') {
                text += raw[i];
            } else if (i + 2 < raw.size() && ParseHex(raw.substr(i + 1, 2), value)) {
                text += static_cast<char>(value);
                i += 2;
            } else {
                return Fail();
            }
        }
        return text;
    }
    double Number() {
        const std::string text = Text();
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc{} || end != text.data() + text.size()) Fail();
        return value;
    }
    size_t Count() {
        const std::string text = Text();
        size_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc{} || end != text.data() + text.size()) Fail();
        return value;
    }
    bool Flag() { return Count() != 0; }
    // Fields not yet read.
    size_t Left() const { return fields_.size() - at_; }
    void Refuse() { ok_ = false; }
    // Every field read and none left over.
    bool Whole() const { return ok_ && at_ == fields_.size(); }
    bool Ok() const { return ok_; }

  private:
    static bool ParseHex(std::string_view digits, unsigned& value) {
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        return error == std::errc{} && end == digits.data() + digits.size();
    }
    std::string Fail() {
        ok_ = false;
        return {};
    }
    std::vector<std::string_view> fields_;
    size_t at_ = 0;
    bool ok_ = true;
};

void AddSettings(Fields& f, const TempRunSettings& s) {
    for (const std::string* text :
         {&s.TempCount, &s.Start, &s.Increment, &s.StepRows, &s.SoakMinutes, &s.SupplyDelay})
        f.Text(*text);
    f.Count(static_cast<size_t>(s.Source));
    f.Count(static_cast<size_t>(s.Measure));
    for (const bool flag : {s.SaveFullFiles, s.KeepFlukeOn, s.Alternate, s.HoldChamber})
        f.Flag(flag);
    f.Text(s.HoldCelsius);
    f.Flag(s.SupplyOffAtEnd);
}

TempRunSettings ReadSettings(FieldReader& r) {
    TempRunSettings s;
    for (std::string* text :
         {&s.TempCount, &s.Start, &s.Increment, &s.StepRows, &s.SoakMinutes, &s.SupplyDelay})
        *text = r.Text();
    const size_t source = r.Count();
    const size_t measure = r.Count();
    if (source > static_cast<size_t>(CaptureSource::Brymen) ||
        measure > static_cast<size_t>(CaptureMeasure::Temperature))
        r.Refuse();
    s.Source = static_cast<CaptureSource>(source);
    s.Measure = static_cast<CaptureMeasure>(measure);
    for (bool* flag : {&s.SaveFullFiles, &s.KeepFlukeOn, &s.Alternate, &s.HoldChamber})
        *flag = r.Flag();
    s.HoldCelsius = r.Text();
    s.SupplyOffAtEnd = r.Flag();
    return s;
}

void AddSteps(Fields& f, const std::vector<StepRow>& steps) {
    for (size_t s = 1; s < steps.size(); ++s) {
        f.Text(steps[s].Step);
        f.Text(steps[s].Input);
    }
}

std::vector<StepRow> ReadSteps(FieldReader& r, size_t count) {
    std::vector<StepRow> steps(count + 1);
    for (size_t s = 1; s <= count && r.Ok(); ++s) {
        steps[s].Step = r.Text();
        steps[s].Input = r.Text();
    }
    return steps;
}

void AddFigures(Fields& f, const NoiseFigures& n) {
    for (const double v :
         {n.Average, n.VppNV, n.RmsNV, n.Enob, n.VppCount, n.RmsCount, n.NoiseFree})
        f.Number(v);
}

NoiseFigures ReadFigures(FieldReader& r) {
    NoiseFigures n;
    for (double* v :
         {&n.Average, &n.VppNV, &n.RmsNV, &n.Enob, &n.VppCount, &n.RmsCount, &n.NoiseFree})
        *v = r.Number();
    return n;
}

bool ReadPlan(FieldReader& r, JournalPlan& plan) {
    plan.Version = static_cast<int>(r.Count());
    const size_t mode = r.Count();
    if (mode > static_cast<size_t>(RunMode::Test)) r.Refuse();
    plan.Mode = static_cast<RunMode>(mode);
    plan.Started = r.Text();
    plan.Settings = ReadSettings(r);
    const size_t rows = r.Count();
    // Each row, the header row too, takes four fields: a damaged count larger than the record
    // could hold is refused before any room is made for it.
    constexpr size_t kRowFields = 4;
    if (!r.Ok() || plan.Version < kFirstJournalVersion || plan.Version > kJournalVersion ||
        rows == 0 || rows >= r.Left() / kRowFields)
        return false;
    plan.Rows.resize(rows + 1);
    for (TemperatureRow& row : plan.Rows)
        for (std::string* cell :
             {&row.Temperature, &row.Humidity, &row.TemperatureRamp, &row.HumidityRamp})
            *cell = r.Text();
    const size_t steps = r.Count();
    if (!r.Ok() || steps > kMaxStepRows) return false;
    plan.Grid.resize(steps + 1);
    for (RegisterStepGrid::Row& row : plan.Grid)
        for (std::string& cell : row) cell = r.Text();
    plan.Fluke = ReadSteps(r, steps);
    plan.Power = ReadSteps(r, steps);
    // The lowest set point the run was checked against; a version-1 record has none and keeps
    // the default.
    if (r.Left() > 0) plan.Settings.LowestCelsius = r.Text();
    // The stability gate follows only when the run had one; without it the run soaked by the band.
    if (r.Left() > 0) {
        TempRunSettings& s = plan.Settings;
        const size_t gate = r.Count();
        if (gate > static_cast<size_t>(SoakRule::Board)) r.Refuse();
        s.Gate = static_cast<SoakRule>(gate);
        for (std::string* text :
             {&s.GateMinutes, &s.GateBand, &s.GateSpread, &s.BoardChange, &s.GateLimitMinutes})
            *text = r.Text();
    }
    return r.Whole();
}

bool ReadAttempt(FieldReader& r, const JournalPlan& plan, JournalAttempt& a) {
    a.Row = r.Count();
    a.Step = r.Count();
    a.Attempt = static_cast<int>(r.Count());
    a.Final = r.Flag();
    a.SetPoint = r.Number();
    a.HumiditySetPoint = r.Number();
    a.ChamberCelsius = r.Number();
    a.Result.Adc = ReadFigures(r);
    a.Result.Temperature = ReadFigures(r);
    const size_t meters = r.Count();
    if (!r.Ok() || (meters != 0 && meters != kMeterChannels)) return false;
    a.Meters.resize(meters);
    for (MeterReading& m : a.Meters) {
        m.Reading = r.Number();
        m.Unit = r.Text();
    }
    a.FullFile = r.Text();
    a.Captured = r.Left() == 0 || r.Flag();        // a version-1 record has no such field
    if (r.Left() > 0) a.BoardCelsius = r.Number(); // only when the chip gave a reading
    return r.Whole() && a.Row >= 1 && a.Row <= plan.TempCount() && a.Step >= 1 &&
           a.Step <= plan.StepCount();
}

// Adds one record to `c`; false when it is unreadable or out of place.
bool TakeRecord(std::string_view payload, RunJournalContents& c) {
    FieldReader r(payload);
    const std::string kind = r.Text();
    if (kind == kPlanKind && !c.HasPlan) return c.HasPlan = ReadPlan(r, c.Plan);
    if (!c.HasPlan || c.Ended) return false;
    if (kind == kAttemptKind) {
        JournalAttempt attempt;
        if (!ReadAttempt(r, c.Plan, attempt)) return false;
        c.Attempts.push_back(std::move(attempt));
        return true;
    }
    if (kind == kNoteKind) {
        const std::string time = r.Text();
        const std::string text = r.Text();
        if (!r.Whole()) return false;
        c.Notes.push_back(time + " " + text);
        return true;
    }
    if (kind != kEndKind) return false;
    // A damaged end record says nothing: not even whether the run went through.
    const bool completed = r.Flag();
    if (!r.Whole()) return false;
    c.Completed = completed;
    return c.Ended = true;
}

// Whether a record starts a run (whatever else it holds).
bool StartsRun(std::string_view payload) {
    FieldReader r(payload);
    return r.Text() == kPlanKind;
}

// The numbers of the damaged lines as stretches of consecutive lines, told as texts.
class DamagedLines {
  public:
    void Add(size_t line) {
        ++count_;
        if (!named_.empty() && named_.back().second + 1 == line)
            named_.back().second = line;
        else if (named_.size() < kNamedDamage)
            named_.emplace_back(line, line);
        else
            ++unnamed_;
    }
    void Tell(std::vector<std::string>& texts) const {
        for (const auto& [first, last] : named_)
            texts.push_back(first == last
                                ? "Run journal line " + std::to_string(first) +
                                      " is damaged and was left out"
                                : "Run journal lines " + std::to_string(first) + " to " +
                                      std::to_string(last) + " are damaged and were left out");
        if (unnamed_ > 0)
            texts.push_back("Run journal: " + std::to_string(count_) +
                            " damaged lines in all were left out");
    }

  private:
    std::vector<std::pair<size_t, size_t>> named_;
    size_t unnamed_ = 0;
    size_t count_ = 0;
};

// The fields of a record line whose checksum matches; empty when it does not.
std::optional<std::string_view> CheckedPayload(std::string_view line) {
    if (line.size() < kCrcDigits + 1 || line[kCrcDigits] != '\t') return std::nullopt;
    unsigned long stored = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + kCrcDigits, stored, 16);
    if (error != std::errc{} || end != line.data() + kCrcDigits) return std::nullopt;
    const std::string_view payload = line.substr(kCrcDigits + 1);
    const auto crc = crc32(0L, reinterpret_cast<const Bytef*>(payload.data()),
                           static_cast<uInt>(payload.size()));
    if (crc != stored) return std::nullopt;
    return payload;
}

} // namespace

std::string JournalPlanRecord(const JournalPlan& plan) {
    Fields f;
    f.Text(kPlanKind);
    f.Count(static_cast<size_t>(plan.Version));
    f.Count(static_cast<size_t>(plan.Mode));
    f.Text(plan.Started);
    AddSettings(f, plan.Settings);
    f.Count(plan.TempCount());
    for (const TemperatureRow& row : plan.Rows)
        for (const std::string* cell :
             {&row.Temperature, &row.Humidity, &row.TemperatureRamp, &row.HumidityRamp})
            f.Text(*cell);
    f.Count(plan.StepCount());
    for (const RegisterStepGrid::Row& row : plan.Grid)
        for (const std::string& cell : row) f.Text(cell);
    AddSteps(f, plan.Fluke);
    AddSteps(f, plan.Power);
    f.Text(plan.Settings.LowestCelsius);
    if (const TempRunSettings& s = plan.Settings; s.Gate != SoakRule::Band) {
        f.Count(static_cast<size_t>(s.Gate));
        for (const std::string* text :
             {&s.GateMinutes, &s.GateBand, &s.GateSpread, &s.BoardChange, &s.GateLimitMinutes})
            f.Text(*text);
    }
    return f.Line();
}

std::string JournalAttemptRecord(const JournalAttempt& a) {
    Fields f;
    f.Text(kAttemptKind);
    f.Count(a.Row);
    f.Count(a.Step);
    f.Count(static_cast<size_t>(a.Attempt));
    f.Flag(a.Final);
    f.Number(a.SetPoint);
    f.Number(a.HumiditySetPoint);
    f.Number(a.ChamberCelsius);
    AddFigures(f, a.Result.Adc);
    AddFigures(f, a.Result.Temperature);
    f.Count(a.Meters.size());
    for (const MeterReading& m : a.Meters) {
        f.Number(m.Reading);
        f.Text(m.Unit);
    }
    f.Text(a.FullFile);
    f.Flag(a.Captured);
    if (std::isfinite(a.BoardCelsius)) f.Number(a.BoardCelsius);
    return f.Line();
}

std::string JournalEndRecord(bool completed) {
    Fields f;
    f.Text(kEndKind);
    f.Flag(completed);
    return f.Line();
}

std::string JournalNoteRecord(const std::string& time, const std::string& text) {
    Fields f;
    f.Text(kNoteKind);
    f.Text(time);
    f.Text(text);
    return f.Line();
}

// A record's checksum covers its fields only, so a line end converted to CR LF (or CR) reads as
// well; empty lines hold nothing. Without the plan no other record can be placed in a run, and a
// second plan starts another run, whose records are not this one's.
RunJournalContents ParseRunJournal(std::string_view text) {
    RunJournalContents contents;
    DamagedLines damaged;
    size_t start = 0;
    for (size_t number = 1; start < text.size(); ++number) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) break; // a record torn by a crash
        const std::string_view line = text.substr(start, end - start);
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        if (line.empty()) continue;
        const auto payload = CheckedPayload(line);
        const bool kept = payload && TakeRecord(*payload, contents);
        if (!contents.HasPlan) {
            contents.Damage.push_back("Run journal line " + std::to_string(number) +
                                      ", the run's plan, is damaged: the run it records can be "
                                      "neither resumed nor rebuilt");
            break;
        }
        if (!kept && payload && StartsRun(*payload)) {
            contents.OtherRunFollows = true;
            contents.Damage.push_back("Run journal line " + std::to_string(number) +
                                      " starts another run: it and the lines after it were left "
                                      "out, and the run cannot be resumed");
            break;
        }
        if (!kept) damaged.Add(number);
        contents.WholeBytes = start;
    }
    damaged.Tell(contents.Damage);
    return contents;
}

} // namespace qn
