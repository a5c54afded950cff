// The run journal's file, the plan it records and gives back, and the results rebuilt from it.
#include "run/RunJournal.h"

#include "files/TextFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace qn {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFullFilePrefix = "TEMP/QnTMP-";

fs::path JournalPath(const std::string& programDir) {
    return fs::path(programDir) / kJournalFile;
}

} // namespace

size_t RunJournalContents::NextRow() const {
    const size_t rows = Plan.TempCount();
    const size_t steps = Plan.StepCount();
    std::vector<bool> ended((rows + 1) * (steps + 1), false);
    for (const JournalAttempt& a : Attempts)
        if (a.Final) ended[a.Row * (steps + 1) + a.Step] = true;
    for (size_t row = 1; row <= rows; ++row)
        for (size_t step = 1; step <= steps; ++step)
            if (!ended[row * (steps + 1) + step]) return row;
    return rows + 1;
}

RunJournalContents ReadRunJournal(const std::string& programDir) {
    const fs::path path = JournalPath(programDir);
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return {};
    std::string text;
    if (!fs::is_regular_file(status) || !ReadFileContents(path.string(), text)) {
        RunJournalContents unread;
        unread.Damage.push_back(path.string() + " cannot be read as a run journal");
        return unread;
    }
    return ParseRunJournal(text);
}

JournalPlan PlanInUse(RunMode mode, const std::string& started, const TempTestPlan& plan,
                      const StepTable& fluke, const StepTable& power) {
    JournalPlan journal{mode, started, kJournalVersion, plan.Settings, plan.Rows, {}, {}, {}};
    const size_t steps = plan.StepCount();
    journal.Fluke.resize(steps + 1);
    journal.Power.resize(steps + 1);
    for (size_t s = 0; s <= steps; ++s) {
        RegisterStepGrid::Row row;
        for (size_t c = 0; c < kRegStepColumns; ++c) row[c] = plan.RegChg.Cell(c, s);
        journal.Grid.push_back(row);
        if (s == 0) continue;
        if (s <= fluke.Steps()) journal.Fluke[s] = fluke.Row(s);
        if (s <= power.Steps()) journal.Power[s] = power.Row(s);
    }
    return journal;
}

// The step rows the run used come back; the row after them gets an empty first register cell so
// the plan counts the same steps in use.
void ApplyJournalPlan(const JournalPlan& journal, TempTestPlan& plan, StepTable& fluke,
                      StepTable& power) {
    plan.Settings = journal.Settings;
    plan.Rows = journal.Rows;
    const size_t steps = journal.StepCount();
    plan.SetStepRows(fluke, power);
    if (plan.RegChg.Steps() < steps) {
        plan.Settings.StepRows = std::to_string(steps);
        plan.SetStepRows(fluke, power);
    }
    for (size_t s = 0; s <= steps; ++s) {
        for (size_t c = 0; c < kRegStepColumns; ++c) plan.RegChg.Cell(c, s) = journal.Grid[s][c];
        if (s == 0) continue;
        fluke.Row(s) = journal.Fluke[s];
        power.Row(s) = journal.Power[s];
    }
    if (steps < plan.RegChg.Steps()) plan.RegChg.Cell(1, steps + 1).clear();
}

// A row's set points as the run used them when it measured there, else as its plan row gives them.
TempResults JournalResults(const RunJournalContents& journal) {
    TempResults results;
    const JournalPlan& plan = journal.Plan;
    results.Reset(plan.TempCount(), plan.StepCount());
    for (size_t row = 1; row <= plan.TempCount(); ++row)
        results.SetSetPoints(row, CellNumber(plan.Rows[row].Temperature).value_or(0),
                             CellNumber(plan.Rows[row].Humidity).value_or(0));
    for (const JournalAttempt& a : journal.Attempts) {
        if (!a.Captured) continue;
        results.SetSetPoints(a.Row, a.SetPoint, a.HumiditySetPoint);
        results.SetResult(a.Row, a.Step, a.Result);
        results.SetMeasured(a.Row, a.Step, true);
        for (size_t channel = 0; channel < std::min(a.Meters.size(), kMeterChannels); ++channel)
            results.SetMeter(a.Row, a.Step, channel, a.Meters[channel]);
    }
    return results;
}

std::string DamageText(const RunJournalContents& journal) {
    std::string text;
    for (const std::string& damage : journal.Damage) text += (text.empty() ? "" : "\n") + damage;
    return text;
}

std::optional<size_t> NextFullFileNumber(const RunJournalContents& journal) {
    std::optional<size_t> next;
    for (const JournalAttempt& a : journal.Attempts) {
        if (a.FullFile.rfind(kFullFilePrefix, 0) != 0) continue;
        const size_t number =
            std::strtoul(a.FullFile.c_str() + kFullFilePrefix.size(), nullptr, 10);
        next = std::max(next.value_or(0), number + 1);
    }
    return next;
}

std::string LocalTimeText(double days) {
    const auto seconds = static_cast<std::time_t>(std::floor(days * 86'400.0));
    std::tm parts{};
    gmtime_r(&seconds, &parts); // Clock::Now() already counts local time
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

std::string RunJournal::Begin(const std::string& programDir, const JournalPlan& plan) {
    const fs::path path = JournalPath(programDir);
    const fs::path old = fs::path(programDir) / kJournalOldFile;
    std::error_code error;
    file_.Close();
    const fs::file_status status = fs::symlink_status(path, error);
    if (status.type() == fs::file_type::none)
        return "The run journal " + path.string() + " cannot be looked at (" + error.message() +
               ")";
    error.clear();
    if (fs::exists(status)) fs::rename(path, old, error);
    if (error)
        return "The previous run journal cannot be kept as " + old.string() + " (" +
               error.message() + ")";
    if (!file_.Open(path.string(), 0) || !file_.Append(JournalPlanRecord(plan)))
        return "The run journal " + path.string() + " cannot be written";
    return {};
}

bool RunJournal::Continue(const std::string& programDir, uint64_t wholeBytes) {
    return file_.Open(JournalPath(programDir).string(), wholeBytes);
}

bool RunJournal::Attempt(const JournalAttempt& attempt) {
    return file_.Append(JournalAttemptRecord(attempt));
}

bool RunJournal::Note(const std::string& time, const std::string& text) {
    return file_.Append(JournalNoteRecord(time, text));
}

bool RunJournal::End(bool completed) {
    const bool ok = file_.Append(JournalEndRecord(completed));
    file_.Close();
    return ok;
}

} // namespace qn
